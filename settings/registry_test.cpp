#include "settings/registry.h"

#include <gtest/gtest.h>

#include <tuple>

#include "settings/memory_registry.h"

namespace brisko {
namespace {

constexpr std::uint32_t kRoot = kHKeyCurrentUser;
const std::wstring kKey = L"Software\\BriskoTest\\Accessor";

class RegistryTest : public ::testing::Test {
protected:
    RegistryTest() {
        reg.SetClassKey(kRoot);
        reg.SetSectionKey(kKey);
        store.environment["HOME_DIR"] = "C:\\users\\me";
    }
    RegValue Read(std::wstring name) {
        reg.SetValueKey(std::move(name));
        return reg.Value();
    }
    static RegBytes Bytes(std::string_view s) { return RegBytes(s.begin(), s.end()); }
    MemoryRegistry store;
    CRegistry reg{store};
};

TEST_F(RegistryTest, ReadRulesByType) {
    // A missing key reads empty, a missing value its default, the type kept.
    reg.SetDefault(std::wstring(L"dflt"));
    reg.SetValueType(kRegSz);
    EXPECT_TRUE(IsEmpty(Read(L"x")));
    ASSERT_TRUE(reg.CreateKey());
    EXPECT_EQ(Read(L"x"), RegValue(std::wstring(L"dflt")));
    EXPECT_EQ(reg.ValueType(), kRegSz);
    for (const auto& [name, type, data, expected] :
         {std::tuple<const wchar_t*, std::uint32_t, std::string, RegValue>{L"sz", kRegSz, {"abc\0", 4}, L"abc"},
          {L"multi", kRegMultiSz, {"a\0bc\0\0", 6}, std::wstring(L"a\0bc\0", 5)},
          {L"expand", kRegExpandSz, {"%HOME_DIR%\\x\0", 13}, L"C:\\users\\me\\x"},
          {L"dword", kRegDword, "\xFE\xFF\xFF\xFF", std::int32_t{-2}},
          {L"big endian", kRegDwordBigEndian, {"\0\0\1\2", 4}, std::int32_t{258}},
          {L"unknown", 42, "\7\7", RegBytes{7, 7}}}) {
        ASSERT_TRUE(store.SetValue(kRoot, kKey, name, type, Bytes(data)));
        reg.SetValueType(kRegSz);
        EXPECT_EQ(Read(name), expected) << std::wstring_view(name).size();
        EXPECT_EQ(reg.ValueType(), type);
    }
}

TEST_F(RegistryTest, WritesCreateTheWholePathAndChooseTheType) {
    reg.SetSectionKey(kKey + L"\\Deeper\\Deepest");
    reg.SetValueKey(L"path");
    reg.SetValueType(kRegSz);
    reg.SetValue(std::wstring(L"%HOME_DIR%"));
    EXPECT_TRUE(store.KeyExists(kRoot, kKey + L"\\Deeper"));
    const auto stored = store.Values(kRoot, reg.SectionKey()).at(0);
    EXPECT_EQ(stored.type, kRegExpandSz);
    EXPECT_EQ(stored.data, Bytes(std::string("%HOME_DIR%\0", 11)));
    // A value that does not fit the type writes nothing, though the key is made.
    reg.SetSectionKey(kKey);
    reg.SetValueType(kRegDword);
    reg.SetValue(std::wstring(L"1"));
    EXPECT_TRUE(store.KeyExists(kRoot, kKey));
    EXPECT_TRUE(store.Values(kRoot, kKey).empty());
}

TEST_F(RegistryTest, ValueExSetsEverythingAndSubstitutesEmptyText) {
    RegValue v = std::wstring();
    reg.SetValueEx(kRoot, kKey, L"name", kRegSz, std::wstring(L"fallback"), v);
    EXPECT_EQ(v, RegValue(std::wstring(L"fallback")));  // the caller's variable too
    EXPECT_EQ(reg.ValueEx(kRoot, kKey, L"name", kRegSz, RegValue{}), RegValue(std::wstring(L"fallback")));
    EXPECT_EQ(reg.ValueEx(kRoot, kKey, L"missing", kRegSz, std::int32_t{3}), RegValue(std::int32_t{3}));
    // Only REG_SZ substitutes: an empty expandable text is written as it is.
    RegValue e = std::wstring();
    reg.SetValueEx(kRoot, kKey, L"exp", kRegExpandSz, std::wstring(L"fallback"), e);
    EXPECT_EQ(reg.ValueEx(kRoot, kKey, L"exp", kRegSz, RegValue{}), RegValue(std::wstring()));
}

TEST_F(RegistryTest, KeyOperations) {
    reg.SetValueKey(L"v");
    EXPECT_FALSE(reg.DeleteValue());
    ASSERT_TRUE(reg.CreateKey());
    EXPECT_TRUE(reg.KeyExists());
    ASSERT_TRUE(store.SetValue(kRoot, kKey, L"v", kRegDword, {1, 0, 0, 0}));
    EXPECT_TRUE(reg.DeleteValue());
    reg.SetSectionKey(L"software\\briskotest");  // whatever the case
    EXPECT_FALSE(reg.DeleteKey()) << "it has a subkey";
    reg.SetSectionKey(kKey);
    EXPECT_TRUE(reg.DeleteKey());
    reg.SetSectionKey(L"");
    EXPECT_TRUE(reg.CreateKey()) << "the root itself opens as a key";
    // A key that cannot be created writes nothing.
    reg.SetSectionKey(kKey);
    store.failCreate = true;
    reg.SetValueType(kRegDword);
    reg.SetValue(std::int32_t{1});
    EXPECT_FALSE(reg.CreateKey());
    EXPECT_FALSE(store.KeyExists(kRoot, kKey));
}

}  // namespace
}  // namespace brisko
