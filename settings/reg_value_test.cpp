#include "settings/reg_value.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

namespace brisko {
namespace {

const auto Latin1 = [](std::wstring_view t) { return std::string(t.begin(), t.end()); };

TEST(RegValue, EnvironmentReferenceNeedsTwoPercentSignsApart) {
    for (const wchar_t* text : {L"a%b%c", L"%x%", L"%%x%"}) EXPECT_TRUE(HasEnvironmentReference(text)) << Latin1(text);
    for (const wchar_t* text : {L"100%", L"%%", L"a%%b", L""})
        EXPECT_FALSE(HasEnvironmentReference(text)) << Latin1(text);
}

TEST(RegValue, WritesChooseTheTypeAndFitTheValue) {
    // What the row shows, the type set, the value, what is written (nothing when it does not fit).
    const std::tuple<const char*, std::uint32_t, RegValue, std::optional<RegWrite>> cases[] = {
        {"text", kRegSz, std::wstring(L"abc"), RegWrite{kRegSz, {'a', 'b', 'c', 0}}},
        {"the type set is kept", kRegExpandSz, std::wstring(L"a"), RegWrite{kRegExpandSz, {'a', 0}}},
        {"a reference", kRegSz, std::wstring(L"%W%\\x"), RegWrite{kRegExpandSz, {'%', 'W', '%', '\\', 'x', 0}}},
        {"a number as text", kRegSz, std::int32_t{-5}, RegWrite{kRegSz, {'-', '5', 0}}},
        {"nothing as text", kRegSz, RegValue{}, RegWrite{kRegSz, {0}}},
        {"UTF-16 bytes as text", kRegSz, RegBytes{'h', 0, 'i', 0, 'x'}, RegWrite{kRegSz, {'h', 'i', 0}}},
        {"dword", kRegDword, std::int32_t{-2147483630}, RegWrite{kRegDword, {0x12, 0, 0, 0x80}}},
        {"16-bit sign-extended", kRegDword, std::int16_t{-1}, RegWrite{kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}}},
        {"big-endian writes little-endian", kRegDwordBigEndian, std::int32_t{5}, RegWrite{kRegDword, {5, 0, 0, 0}}},
        {"text as dword", kRegDword, std::wstring(L"5"), std::nullopt},
        {"bytes as dword", kRegDword, RegBytes{1, 2, 3, 4}, std::nullopt},
        {"binary", kRegBinary, RegBytes{1, 2, 3}, RegWrite{kRegBinary, {1, 2, 3}}},
        {"integer as binary", kRegBinary, std::int32_t{1}, std::nullopt},
        {"unknown", 99, std::int32_t{1}, std::nullopt},
    };
    for (const auto& [what, type, value, expected] : cases)
        EXPECT_EQ(EncodeRegValue(type, value, Latin1), expected) << what;
}

TEST(RegValue, StoredBytesNeverReadPastTheData) {
    // Each copy has exactly the stored size, so the sanitizer sees any over-read.
    for (const auto& [data, bigEndian, expected] : {std::tuple{RegBytes{0, 0, 1, 2}, true, 258},
                                                    {RegBytes{}, true, 0},
                                                    {RegBytes{7}, false, 7},
                                                    {RegBytes{1, 2}, true, 0x01020000},
                                                    {RegBytes{1, 0, 0, 0, 9}, false, 1}})
        EXPECT_EQ(StoredDword(*std::make_unique<RegBytes>(data), bigEndian), expected) << data.size();
    EXPECT_EQ(StoredTextBytes({'a', 'b', 0}), "ab");
    EXPECT_EQ(StoredTextBytes({}), "");
    EXPECT_EQ(StoredTextBytes({'a', 'b'}), "ab");  // no terminator: nothing is lost
}

TEST(RegValue, NumbersFromValues) {
    const std::pair<const wchar_t*, double> numbers[] = {{L"  -12.5 ", -12.5}, {L"1e3", 1000},  {L"&hFFFFFFFF", -1},
                                                         {L"&Habf", 0xABF},    {L"&HA9", 0xA9}, {L"&O17", 15}};
    for (auto [text, expected] : numbers) EXPECT_EQ(RegValueNumber(std::wstring(text)), expected) << Latin1(text);
    // Nothing else is a number: no overflow, no strtod extras (hex, NaN, infinity).
    for (const wchar_t* text : {L"&H100000000", L"&O8", L"&H@", L"", L"12abc", L"nan", L"1e999", L"1e", L"0x10"})
        EXPECT_EQ(RegValueNumber(std::wstring(text)), std::nullopt) << Latin1(text);
    EXPECT_EQ(RegValueNumber(std::int16_t{40}), 40);
    EXPECT_EQ(RegValueNumber(RegBytes{1, 0, 0, 0}), std::nullopt);
}

}  // namespace
}  // namespace brisko
