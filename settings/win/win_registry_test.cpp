#include "settings/win/win_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

namespace brisko {
namespace {

// Every test works in a key of its own below this one, removed afterwards.
const std::string kTestRootA = "Software\\BriskoTest";

class WinRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        keyA = kTestRootA + "\\" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        key = std::wstring(keyA.begin(), keyA.end());
        RegDeleteTreeA(HKEY_CURRENT_USER, keyA.c_str());
        reg.SetClassKey(kHKeyCurrentUser);
        reg.SetSectionKey(key);
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, keyA.c_str()); }

    // Raw access to the registry, bypassing the code under test.
    void PutRaw(const char* name, DWORD type, std::string_view data) {
        ASSERT_EQ(
            RegSetKeyValueA(HKEY_CURRENT_USER, keyA.c_str(), name, type, data.data(), static_cast<DWORD>(data.size())),
            ERROR_SUCCESS);
    }
    struct Raw {
        bool found = false;
        DWORD type = 0;
        std::string data;
    };
    Raw GetRaw(const std::string& subkey, const char* name) {
        Raw r;
        char buf[512];
        DWORD size = sizeof(buf);
        r.found = RegGetValueA(HKEY_CURRENT_USER, subkey.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &r.type, buf,
                               &size) == ERROR_SUCCESS;
        if (r.found) r.data.assign(buf, size);
        return r;
    }
    RegValue Read(const wchar_t* name) {
        reg.SetValueKey(name);
        return reg.Value();
    }

    std::string keyA;
    std::wstring key;
    CRegistry reg{SystemRegistry()};
};

TEST_F(WinRegistryTest, ReadRulesByType) {
    ASSERT_TRUE(SetEnvironmentVariableA("BRISKO_TEST_DIR", "C:\\\x90\xDD\x92\xE8"));  // "設定" in code page 932
    struct Case {
        const char* name;
        DWORD type;
        std::string data;
        RegValue expected;
    } cases[] = {
        {"japanese", REG_SZ, std::string("\x90\xDD\x92\xE8\0", 5), std::wstring(L"\u8A2D\u5B9A")},
        {"expand", REG_EXPAND_SZ, std::string("%BRISKO_TEST_DIR%\\x\0", 20), std::wstring(L"C:\\\u8A2D\u5B9A\\x")},
        {"dword", REG_DWORD, std::string("\xFE\xFF\xFF\xFF", 4), std::int32_t{-2}},
        {"big endian", REG_DWORD_BIG_ENDIAN, std::string("\0\0\x01\x02", 4), std::int32_t{258}},
        {"binary", REG_BINARY, std::string("\x01\x00\xFF", 3), RegBytes{1, 0, 0xFF}},
    };
    for (const auto& c : cases) PutRaw(c.name, c.type, c.data);
    for (const auto& c : cases) {
        reg.SetValueKey(std::wstring(c.name, c.name + std::strlen(c.name)));
        reg.SetValueType(kRegDword);
        EXPECT_EQ(reg.Value(), c.expected) << c.name;
        EXPECT_EQ(reg.ValueType(), c.type) << c.name;
    }
}

TEST_F(WinRegistryTest, WriteRulesByType) {
    ASSERT_TRUE(SetEnvironmentVariableA("BRISKO_TEST_VAR", "expanded"));
    struct Case {
        const char* name;
        std::uint32_t valueType;
        RegValue value;
        bool written;
        DWORD storedType;
        std::string data;
    } cases[] = {
        {"text", kRegSz, std::wstring(L"abc"), true, REG_SZ, std::string("abc\0", 4)},
        {"japanese", kRegSz, std::wstring(L"\u8A2D\u5B9A"), true, REG_SZ, std::string("\x90\xDD\x92\xE8\0", 5)},
        {"reference", kRegSz, std::wstring(L"%BRISKO_TEST_VAR%"), true, REG_EXPAND_SZ,
         std::string("%BRISKO_TEST_VAR%\0", 18)},
        {"system colour", kRegDword, std::int32_t{-2147483630}, true, REG_DWORD, std::string("\x12\0\0\x80", 4)},
        {"text as dword", kRegDword, std::wstring(L"5"), false, 0, ""},
        {"bytes", kRegBinary, RegBytes{3, 2, 1}, true, REG_BINARY, "\x03\x02\x01"},
    };
    for (const auto& c : cases) {
        reg.SetValueKey(std::wstring(c.name, c.name + std::strlen(c.name)));
        reg.SetValueType(c.valueType);
        reg.SetValue(c.value);
        Raw raw = GetRaw(keyA, c.name);
        EXPECT_EQ(raw.found, c.written) << c.name;
        if (!raw.found || !c.written) continue;
        EXPECT_EQ(raw.type, c.storedType) << c.name;
        EXPECT_EQ(raw.data, c.data) << c.name;
    }
    EXPECT_EQ(Read(L"reference"), RegValue(std::wstring(L"expanded")));
}

// A missing key reads empty, a missing value its default; deleting removes.
TEST_F(WinRegistryTest, MissingDeletedAndCreatedKeys) {
    reg.SetDefault(std::int32_t{42});
    EXPECT_TRUE(IsEmpty(Read(L"v")));
    EXPECT_FALSE(reg.DeleteValue());  // no key
    ASSERT_TRUE(reg.CreateKey());
    EXPECT_EQ(Read(L"v"), RegValue(std::int32_t{42}));
    PutRaw("v", REG_DWORD, std::string("\x01\0\0\0", 4));
    EXPECT_TRUE(reg.DeleteValue());
    EXPECT_FALSE(reg.DeleteValue());
    EXPECT_FALSE(GetRaw(keyA, "v").found);
    EXPECT_TRUE(reg.DeleteKey());
    EXPECT_FALSE(reg.KeyExists());
    EXPECT_FALSE(reg.DeleteKey());

    reg.SetSectionKey(key + L"\\One\\Two");
    reg.SetValueType(kRegDword);
    reg.SetValue(std::int32_t{9});
    EXPECT_EQ(GetRaw(keyA + "\\One\\Two", "v").data, std::string("\x09\0\0\0", 4));
}

}  // namespace
}  // namespace brisko
