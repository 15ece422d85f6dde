#include "settings/registry.h"

#include <gtest/gtest.h>

#include "settings/memory_registry.h"

namespace brisko {
namespace {

constexpr std::uint32_t kRoot = kHKeyCurrentUser;
const std::wstring kKey = L"Software\\BriskoTest\\Accessor";

RegBytes Bytes(std::string_view s) {
    return RegBytes(s.begin(), s.end());
}

class RegistryTest : public ::testing::Test {
protected:
    RegistryTest() {
        reg.SetClassKey(kRoot);
        reg.SetSectionKey(kKey);
        store.environment["HOME_DIR"] = "C:\\users\\me";
    }
    void Store(std::wstring_view name, std::uint32_t type, RegBytes data) {
        ASSERT_TRUE(store.SetValue(kRoot, kKey, name, type, data));
    }
    RegValue Read(std::wstring name) {
        reg.SetValueKey(std::move(name));
        return reg.Value();
    }
    MemoryRegistry store;
    CRegistry reg{store};
};

TEST_F(RegistryTest, MissingKeyReadsEmptyMissingValueReadsDefault) {
    reg.SetDefault(std::wstring(L"dflt"));
    reg.SetValueType(kRegSz);
    EXPECT_TRUE(IsEmpty(Read(L"x")));
    EXPECT_EQ(reg.ValueType(), kRegSz);
    ASSERT_TRUE(reg.CreateKey());
    EXPECT_EQ(Read(L"x"), RegValue(std::wstring(L"dflt")));
    EXPECT_EQ(reg.ValueType(), kRegSz);  // nothing was found, so the type stays
}

TEST_F(RegistryTest, ReadRulesByType) {
    struct Case {
        const wchar_t* name;
        std::uint32_t type;
        RegBytes data;
        RegValue expected;
    } cases[] = {
        {L"sz", kRegSz, Bytes(std::string("abc\0", 4)), std::wstring(L"abc")},
        {L"expand without bytes", kRegExpandSz, {}, std::wstring()},
        {L"multi", kRegMultiSz, Bytes(std::string("a\0bc\0\0", 6)), std::wstring(L"a\0bc\0", 5)},
        {L"expand", kRegExpandSz, Bytes(std::string("%HOME_DIR%\\x\0", 13)), std::wstring(L"C:\\users\\me\\x")},
        {L"expand unknown", kRegExpandSz, Bytes(std::string("%NOPE%\0", 7)), std::wstring(L"%NOPE%")},
        {L"dword", kRegDword, {0xFE, 0xFF, 0xFF, 0xFF}, std::int32_t{-2}},
        {L"big endian", kRegDwordBigEndian, {0, 0, 1, 2}, std::int32_t{258}},
        {L"binary", kRegBinary, {0, 0xFF, 3}, RegBytes{0, 0xFF, 3}},
        {L"unknown", 42, {7, 7}, RegBytes{7, 7}},
    };
    for (const auto& c : cases) {
        Store(c.name, c.type, c.data);
        reg.SetValueType(kRegSz);
        EXPECT_EQ(Read(c.name), c.expected) << RegValueText(std::wstring(c.name)).size();
        EXPECT_EQ(reg.ValueType(), c.type);
    }
}

TEST_F(RegistryTest, WritesCreateTheWholePathAndChooseTheType) {
    reg.SetSectionKey(kKey + L"\\Deeper\\Deepest");
    reg.SetValueKey(L"path");
    reg.SetValueType(kRegSz);
    reg.SetValue(std::wstring(L"%HOME_DIR%"));
    EXPECT_TRUE(store.KeyExists(kRoot, kKey + L"\\Deeper"));
    auto values = store.Values(kRoot, reg.SectionKey());
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].type, kRegExpandSz);
    EXPECT_EQ(values[0].data, Bytes(std::string("%HOME_DIR%\0", 11)));
    EXPECT_EQ(reg.Value(), RegValue(std::wstring(L"C:\\users\\me")));
    // Binary data read leaves the type at REG_BINARY, so it is written back as it was.
    reg.SetValueKey(L"bin");
    reg.SetValueType(kRegBinary);
    reg.SetValue(RegBytes{0, 0xFF, 7});
    RegValue v = Read(L"bin");
    reg.SetValueType(kRegSz);
    EXPECT_EQ(Read(L"bin"), v);
    reg.SetValueKey(L"copy");
    reg.SetValue(v);
    EXPECT_EQ(store.Values(kRoot, reg.SectionKey())[2].type, kRegBinary);
}

TEST_F(RegistryTest, AValueThatDoesNotFitWritesNothing) {
    reg.SetValueKey(L"v");
    reg.SetValueType(kRegDword);
    reg.SetValue(std::wstring(L"1"));
    reg.SetValueType(kRegBinary);
    reg.SetValue(std::int32_t{1});
    EXPECT_TRUE(store.KeyExists(kRoot, kKey));  // the key is still made
    EXPECT_TRUE(store.Values(kRoot, kKey).empty());
    reg.SetValueType(kRegDword);
    reg.SetValue(std::int16_t{1});
    EXPECT_EQ(Read(L"v"), RegValue(std::int32_t{1}));
}

TEST_F(RegistryTest, ValueExSetsEverythingAndSubstitutesEmptyText) {
    RegValue v = std::wstring();
    reg.SetValueEx(kRoot, kKey, L"name", kRegSz, std::wstring(L"fallback"), v);
    EXPECT_EQ(v, RegValue(std::wstring(L"fallback")));  // the caller's variable too
    EXPECT_EQ(reg.ValueEx(kRoot, kKey, L"name", kRegSz, RegValue{}), RegValue(std::wstring(L"fallback")));
    EXPECT_EQ(reg.ValueEx(kRoot, kKey, L"missing", kRegSz, std::int32_t{3}), RegValue(std::int32_t{3}));
    EXPECT_TRUE(IsEmpty(reg.ValueEx(kRoot, kKey + L"\\Nope", L"name", kRegSz, std::int32_t{3})));

    // Only REG_SZ substitutes: an empty expandable text is written as it is.
    RegValue e = std::wstring();
    reg.SetValueEx(kRoot, kKey, L"exp", kRegExpandSz, std::wstring(L"fallback"), e);
    EXPECT_EQ(e, RegValue(std::wstring()));
    EXPECT_EQ(reg.ValueEx(kRoot, kKey, L"exp", kRegSz, RegValue{}), RegValue(std::wstring()));
}

TEST_F(RegistryTest, KeyOperations) {
    EXPECT_FALSE(reg.KeyExists());
    reg.SetValueKey(L"v");
    EXPECT_FALSE(reg.DeleteValue());
    ASSERT_TRUE(reg.CreateKey());
    EXPECT_TRUE(reg.KeyExists());
    EXPECT_FALSE(reg.DeleteValue());
    Store(L"v", kRegDword, {1, 0, 0, 0});
    EXPECT_TRUE(reg.DeleteValue());
    EXPECT_EQ(Read(L"v"), RegValue{});  // Default is empty here

    reg.SetSectionKey(L"Software\\BriskoTest");
    EXPECT_FALSE(reg.DeleteKey());  // it has a subkey
    reg.SetSectionKey(kKey);
    EXPECT_TRUE(reg.DeleteKey());
    EXPECT_FALSE(reg.KeyExists());
}

TEST_F(RegistryTest, FailedKeyCreationWritesNothingAndKeysAreFoundWhateverTheirCase) {
    reg.SetSectionKey(L"Software\\BriskoTest\\ZONE");
    ASSERT_TRUE(reg.CreateKey());
    EXPECT_TRUE(store.KeyExists(kRoot, L"software\\briskotest\\zone"));
    reg.SetSectionKey(L"");
    EXPECT_TRUE(reg.CreateKey()) << "the root itself opens as a key";
    reg.SetSectionKey(kKey);
    store.failCreate = true;
    reg.SetValueKey(L"v");
    reg.SetValueType(kRegDword);
    reg.SetValue(std::int32_t{1});
    EXPECT_FALSE(reg.CreateKey());
    EXPECT_FALSE(store.KeyExists(kRoot, kKey));
    EXPECT_TRUE(store.WriteLog().empty());
}

}  // namespace
}  // namespace brisko
