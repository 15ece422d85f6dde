// The registry accessor on the real registry: the bytes and types it reads
// and writes, and the platform's answers for missing keys and values.
#include "settings/win/win_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <tuple>

namespace brisko {
namespace {

class WinRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kKeyA);
        reg.SetClassKey(kHKeyCurrentUser);
        reg.SetSectionKey(L"Software\\BriskoTest\\Registry");
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kKeyA); }
    void Select(const char* name, std::uint32_t type) {
        reg.SetValueKey(std::wstring(name, name + std::strlen(name)));
        reg.SetValueType(type);
    }
    static constexpr const char* kKeyA = "Software\\BriskoTest\\Registry";
    CRegistry reg{SystemRegistry()};
};

// Each row is stored raw, read through the accessor, written back by it under
// a new name and read raw again: the same type and bytes.
TEST_F(WinRegistryTest, ReadsAndWritesTheRegistrysOwnBytesAndTypes) {
    ASSERT_TRUE(SetEnvironmentVariableA("BRISKO_TEST_DIR", "C:\\\x90\xDD\x92\xE8"));  // "設定" in code page 932
    // Value name, type, the bytes stored, what the accessor reads.
    const std::tuple<const char*, DWORD, std::string, RegValue> cases[] = {
        {"japanese", REG_SZ, std::string("\x90\xDD\x92\xE8\0", 5), std::wstring(L"\u8A2D\u5B9A")},
        {"expand", REG_EXPAND_SZ, std::string("%BRISKO_TEST_DIR%\\x\0", 20), std::wstring(L"C:\\\u8A2D\u5B9A\\x")},
        {"dword", REG_DWORD, std::string("\x12\0\0\x80", 4), std::int32_t{-2147483630}},
        {"big endian", REG_DWORD_BIG_ENDIAN, std::string("\0\0\x01\x02", 4), std::int32_t{258}},
        {"binary", REG_BINARY, std::string("\x01\x00\xFF", 3), RegBytes{1, 0, 0xFF}},
    };
    for (const auto& [name, type, data, expected] : cases) {
        const auto size = static_cast<DWORD>(data.size());
        ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kKeyA, name, type, data.data(), size), ERROR_SUCCESS);
        Select(name, kRegSz);
        EXPECT_EQ(reg.Value(), expected) << name;
        EXPECT_EQ(reg.ValueType(), type) << name;
        if (type == REG_EXPAND_SZ || type == REG_DWORD_BIG_ENDIAN) continue;  // written otherwise
        Select("copy", type);
        reg.SetValue(expected);
        char buf[64];
        DWORD copyType = 0, copySize = sizeof buf;
        ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, kKeyA, "copy", RRF_RT_ANY, &copyType, buf, &copySize), ERROR_SUCCESS);
        EXPECT_EQ(copyType, type) << name;
        EXPECT_EQ(std::string(buf, copySize), data) << name;
    }
}

// A missing key reads empty, a missing value its default; deleting removes,
// and a write makes the whole path.
TEST_F(WinRegistryTest, MissingDeletedAndCreatedKeys) {
    reg.SetDefault(std::int32_t{42});
    Select("v", kRegDword);
    EXPECT_TRUE(IsEmpty(reg.Value()));
    EXPECT_FALSE(reg.DeleteValue());
    ASSERT_TRUE(reg.CreateKey());
    EXPECT_EQ(reg.Value(), RegValue(std::int32_t{42}));
    reg.SetValue(std::int32_t{9});
    EXPECT_TRUE(reg.DeleteValue());
    EXPECT_EQ(reg.Value(), RegValue(std::int32_t{42}));
    EXPECT_TRUE(reg.DeleteKey());

    reg.SetSectionKey(L"Software\\BriskoTest\\Registry\\One\\Two");
    reg.SetValue(std::int32_t{9});
    DWORD value = 0, size = sizeof value;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, "Software\\BriskoTest\\Registry\\One\\Two", "v", RRF_RT_REG_DWORD,
                           nullptr, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 9u);
}

}  // namespace
}  // namespace brisko
