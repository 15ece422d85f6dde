#include "settings/reg_value.h"

#include <gtest/gtest.h>

#include <memory>

namespace brisko {
namespace {

std::string Latin1(std::wstring_view t) {
    return std::string(t.begin(), t.end());
}

TEST(RegValue, EnvironmentReferenceNeedsTwoPercentSignsApart) {
    struct Case {
        std::wstring text;
        bool expected;
    } cases[] = {
        {L"%TEMP%", true}, {L"a%b%c", true}, {L"%x%", true}, {L"%%x%", true},     {L"100%", false},
        {L"%%", false},    {L"a%%b", false}, {L"", false},   {L"50% of %", true}, {L"%", false},
    };
    for (const auto& c : cases) EXPECT_EQ(HasEnvironmentReference(c.text), c.expected) << std::string(Latin1(c.text));
}

TEST(RegValue, TextWritesChooseTheTypeAndEndInOneNul) {
    struct Case {
        std::uint32_t valueType;
        RegValue value;
        std::uint32_t storedType;
        std::string bytes;  // without the terminator
    } cases[] = {
        {kRegSz, std::wstring(L"abc"), kRegSz, "abc"},
        {kRegExpandSz, std::wstring(L"abc"), kRegExpandSz, "abc"},  // the type set is kept
        {kRegSz, std::wstring(L"%WINDIR%\\x"), kRegExpandSz, "%WINDIR%\\x"},
        {kRegSz, std::wstring(L"100%%"), kRegSz, "100%%"},
        {kRegSz, std::int32_t{-5}, kRegSz, "-5"},
        {kRegSz, RegValue{}, kRegSz, ""},
        {kRegSz, RegBytes{'h', 0, 'i', 0, 'x'}, kRegSz, "hi"},
    };
    for (const auto& c : cases) {
        auto w = EncodeRegValue(c.valueType, c.value, Latin1);
        ASSERT_TRUE(w) << c.bytes;
        EXPECT_EQ(w->type, c.storedType) << c.bytes;
        RegBytes expected(c.bytes.begin(), c.bytes.end());
        expected.push_back(0);
        EXPECT_EQ(w->data, expected) << c.bytes;
    }
}

TEST(RegValue, NonTextWritesOnlyFromFittingValues) {
    struct Case {
        const char* what;
        std::uint32_t valueType;
        RegValue value;
        std::optional<RegWrite> expected;
    } cases[] = {
        {"dword", kRegDword, std::int32_t{258}, RegWrite{kRegDword, {2, 1, 0, 0}}},
        {"negative as two's complement", kRegDword, std::int32_t{-2147483630}, RegWrite{kRegDword, {0x12, 0, 0, 0x80}}},
        {"16-bit sign-extended", kRegDword, std::int16_t{-1}, RegWrite{kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}}},
        {"big-endian type writes little-endian dword", kRegDwordBigEndian, std::int32_t{5},
         RegWrite{kRegDword, {5, 0, 0, 0}}},
        {"text as dword", kRegDword, std::wstring(L"5"), std::nullopt},
        {"empty as dword", kRegDword, RegValue{}, std::nullopt},
        {"bytes as dword", kRegDword, RegBytes{1, 2, 3, 4}, std::nullopt},
        {"binary", kRegBinary, RegBytes{1, 2, 3}, RegWrite{kRegBinary, {1, 2, 3}}},
        {"integer as binary", kRegBinary, std::int32_t{1}, std::nullopt},
        {"multi-string", kRegMultiSz, std::wstring(L"a"), std::nullopt},
        {"unknown", 99, std::int32_t{1}, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(EncodeRegValue(c.valueType, c.value, Latin1), c.expected) << c.what;
}

TEST(RegValue, StoredDwordNeverReadsPastTheData) {
    struct Case {
        RegBytes data;
        bool bigEndian;
        std::int32_t expected;
    } cases[] = {
        {{0, 0, 1, 2}, true, 258},
        {{0xFF, 0xFF, 0xFF, 0xFF}, false, -1},
        {{}, true, 0},
        {{7}, false, 7},
        {{1, 2}, true, 0x01020000},  // short data fills the field before the reversal
        {{1, 0, 0, 0, 9, 9}, false, 1},
        {{0, 0, 0, 3, 9}, true, 3},
    };
    for (const auto& c : cases) {
        // A copy of exactly the stored size, so the sanitizer sees any over-read.
        auto exact = std::make_unique<RegBytes>(c.data);
        EXPECT_EQ(StoredDword(*exact, c.bigEndian), c.expected) << c.data.size();
    }
}

TEST(RegValue, StoredTextDropsOnlyTheTerminator) {
    EXPECT_EQ(StoredTextBytes({'a', 'b', 0}), "ab");
    EXPECT_EQ(StoredTextBytes({}), "");
    EXPECT_EQ(StoredTextBytes({'a', 'b'}), "ab");                               // no terminator: nothing is lost
    EXPECT_EQ(StoredTextBytes({'a', 0, 'b', 0, 0}), std::string("a\0b\0", 4));  // a multi-string
}

TEST(RegValue, NumbersFromValues) {
    struct Case {
        RegValue value;
        std::optional<double> expected;
    } cases[] = {
        {std::int32_t{-3}, -3},
        {std::int16_t{40}, 40},
        {std::wstring(L"  -12.5 "), -12.5},
        {std::wstring(L"1e3"), 1000},
        {std::wstring(L"&hFFFFFFFF"), -1},
        {std::wstring(L"&H80000012"), -2147483630.0},
        {std::wstring(L"&Habf"), 0xABF},
        {std::wstring(L"&HA9"), 0xA9},
        {std::wstring(L"&O17"), 15},
        {std::wstring(L"&H100000000"), std::nullopt},
        {std::wstring(L"&O8"), std::nullopt},
        {std::wstring(L""), std::nullopt},
        {std::wstring(L"12abc"), std::nullopt},
        {std::wstring(L"nan"), std::nullopt},
        {std::wstring(L"0x10"), std::nullopt},
        {std::wstring(L"1e999"), std::nullopt},
        {std::wstring(L"1e"), std::nullopt},
        {RegBytes{1, 0, 0, 0}, std::nullopt},
        {RegValue{}, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RegValueNumber(c.value), c.expected) << Latin1(RegValueText(c.value));
    }
}

}  // namespace
}  // namespace brisko
