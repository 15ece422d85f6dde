#include "spinedit/spin_number.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace brisko::spin {
namespace {

// A text at a precision and what it gives: a result code or a scaled number.
struct TextCase {
    const wchar_t* text;
    std::int16_t decFig;
    std::int32_t expected;
};

// A point needs a digit before it but none after; a sign stands first only;
// spaces, commas and full-width digits are no part of a number; the limits
// are those of the scaled 32-bit number, judged after the double rounds.
TEST(SpinNumber, SyntaxCodes) {
    const TextCase cases[] = {
        {L"", 0, kEmpty},          {L"12.5", 0, kNotInteger},
        {L"abc", 0, kNotNumber},   {L"12.55", 1, kTooManyDecimals},
        {L"-", 0, kNotNumber},     {L"\uFF15", 0, kNotNumber},
        {L".5", 1, kNotNumber},    {L"2147483647", 0, kOk},
        {L"+5", 0, kOk},           {L"2147483648", 0, kOutOfLimits},
        {L"5.", 0, kOk},           {L"-2147483648", 0, kOk},
        {L"1-2", 0, kNotNumber},   {L"-2147483649", 0, kOutOfLimits},
        {L" 5", 0, kNotNumber},    {L"21474836.48", 2, kOutOfLimits},
        {L"1.2.3", 2, kTwoPoints}, {L"2147483647.5", 0, kOutOfLimits},
        {L"12.5", 1, kOk},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SyntaxCheck(c.text, c.decFig), c.expected)
            << "text '" << testing::PrintToString(std::wstring(c.text)) << "' DecFig " << c.decFig;
}

TEST(SpinNumber, ParseAndFormat) {
    const TextCase parses[] = {{L"1.05", 2, 105},
                               {L"-0.5", 1, -5},
                               {L"+12", 0, 12},
                               {L"12.", 1, 120},
                               {L"12.59", 1, 125},
                               {L"-1.299", 2, -129},
                               {L"-2147483.648", 3, INT_MIN},
                               {L"0.000000001", 9, 1}};
    for (const auto& c : parses)
        EXPECT_EQ(ParseScaled(c.text, c.decFig), c.expected) << testing::PrintToString(std::wstring(c.text));
    EXPECT_FALSE(ParseScaled(L"2147483648", 0));
    EXPECT_FALSE(ParseScaled(L"abc", 0));

    struct Fmt {
        std::int32_t scaled;
        std::int16_t decFig;
        const wchar_t* text;
    } formats[] = {{105, 2, L"1.05"}, {-5, 2, L"-0.05"}, {7, 0, L"7"}, {INT_MIN, 0, L"-2147483648"}};
    for (const auto& f : formats) EXPECT_EQ(FormatScaled(f.scaled, f.decFig), f.text);

    // Every scaled number survives a round trip at every precision.
    for (std::int16_t n = 0; n <= kMaxDecFig; ++n)
        for (std::int32_t v : {INT_MIN, INT_MIN + 1, -1000000001, -10, -1, 0, 1, 9, 10, 999999999, INT_MAX}) {
            const std::wstring t = FormatScaled(v, n);
            EXPECT_EQ(SyntaxCheck(t, n), kOk) << testing::PrintToString(t);
            EXPECT_EQ(ParseScaled(t, n), v) << testing::PrintToString(t);
        }
}

TEST(SpinNumber, CutDecimals) {
    EXPECT_EQ(CutDecimals(L"12.55", 1), L"12.5");
    EXPECT_EQ(CutDecimals(L"12.5", 0), L"12.");
    EXPECT_EQ(CutDecimals(L"12", 3), L"12");
}

TEST(SpinNumber, ScaledConversionsRoundHalfToEven) {
    EXPECT_EQ(ToScaled(1.25, 2), 125);
    EXPECT_EQ(ToScaled(1.5, 0), 2);
    EXPECT_EQ(ToScaled(2.5, 0), 2);
    EXPECT_FALSE(ToScaled(3.0, 9));  // 3e9 does not fit
    EXPECT_FALSE(ToScaled(1e300, 0));
    EXPECT_DOUBLE_EQ(FromScaled(125, 2), 1.25);
}

TEST(SpinNumber, NumberTextIsTheStandardDoubleText) {
    const std::pair<double, const wchar_t*> cases[] = {{1.46, L"1.46"},
                                                       {1.0 / 3, L"0.333333333333333"},
                                                       {2147483647, L"2147483647"},
                                                       {0.00001, L"1E-05"},
                                                       {1e15, L"1E+15"},
                                                       {-0.0, L"0"}};
    for (const auto& [v, text] : cases) EXPECT_EQ(NumberText(v), text) << v;
}

TEST(SpinNumber, RangeAndMultiple) {
    Limits l{320, 40, 5, true};
    EXPECT_EQ(RangeCheck(321, l), kAboveMax);
    EXPECT_EQ(RangeCheck(39, l), kBelowMin);
    EXPECT_EQ(RangeCheck(42, l), kNotMultiple);
    EXPECT_EQ(RangeCheck(45, l), kOk);
    Limits reversed{40, 320, 1, false};  // either order spans the same range
    EXPECT_EQ(RangeCheck(100, reversed), kOk);
    EXPECT_EQ(RangeCheck(321, reversed), kAboveMax);
    EXPECT_EQ(RangeCheck(39, reversed), kBelowMin);
    // An increment of 0 divides nothing: every number is a multiple.
    Limits zero{100, -100, 0, true};
    EXPECT_EQ(RangeCheck(7, zero), kOk);
    Limits negative{INT_MAX, INT_MIN, -1, true};
    EXPECT_EQ(RangeCheck(INT_MIN, negative), kOk);
}

// For each range and mode, moves from a text's number x (with the stored
// value beside it) up (0) or down (1) to where they land.
TEST(SpinNumber, Stepping) {
    struct Move {
        std::int32_t x, stored;
        int upDown;
        std::int32_t expected;
    };
    struct Case {
        Limits limits;
        bool wrap;
        std::vector<Move> moves;
    } cases[] = {{{100, -100, 5, true},
                  false,
                  {{7, 7, 0, 10}, {7, 7, 1, 5}, {10, 10, 0, 15}, {-7, -7, 0, -5}, {-7, -7, 1, -10}}},
                 {{100, -100, 5, true}, false, {{-10, -10, 1, -15}}},
                 {{100, -100, 1, true}, false, {{7, 7, 0, 8}}},
                 {{100, 0, 30, false}, false, {{10, 10, 0, 40}, {40, 40, 1, 10}, {90, 90, 0, 100}, {100, 100, 0, 100}}},
                 {{100, 0, 30, false}, true, {{90, 90, 0, 100}, {100, 100, 0, 0}, {0, 0, 1, 100}, {100, 90, 0, 100}}},
                 {{100, 0, 30, false}, true, {{30, 0, 1, 0}}},  // onto the bound: no wrap
                 {{0, 100, 5, false}, false, {{50, 50, 0, 45}, {50, 50, 1, 55}}},
                 {{0, 100, 5, true}, false, {{52, 52, 0, 50}}},
                 {{100, 0, 0, true}, false, {{42, 42, 0, 42}}},
                 {{INT_MAX, INT_MIN, INT_MAX, false}, false, {{INT_MAX, 0, 0, INT_MAX}}},
                 {{INT_MAX, INT_MIN, INT_MAX, true}, false, {{INT_MIN, 0, 1, INT_MIN}}}};
    for (const auto& c : cases)
        for (const Move& m : c.moves)
            EXPECT_EQ(Step(m.x, m.upDown, m.stored, c.limits, c.wrap), m.expected)
                << "case " << (&c - cases) << " from " << m.x << (m.upDown ? " down" : " up");
}

TEST(SpinNumber, EveryMessage) {
    const Limits l{320, 40, 5, true};
    const std::wstring range = L"0.4 ～ 3.2 の範囲で入力して下さい。";
    struct Case {
        std::int32_t code;
        std::wstring plain;
    } cases[] = {{1, L"入力が最大値を超えています。\r\n" + range},
                 {2, L"入力が最小値を下回っています。\r\n" + range},
                 {4, L"小数点以下の桁数は 2 桁までです。"},
                 {8, L"入力が倍数になっていません。\r\n0.05 の倍数で入力して下さい。"},
                 {16, L"整数を入力して下さい。"},
                 {32, L"何も入力されていません。"},
                 {64, L"数値を入力して下さい。"},
                 {128, L"小数点が2つ以上あります。"},
                 {256, L"入力が限界値を超えています。\r\n" + range},
                 {512, L"VisualBasic ランタイムエラーです。\r\nErrorNumber:512"},
                 {3, L""}};
    for (const auto& c : cases) EXPECT_EQ(ErrorMessage(c.code, L"", l, 2), c.plain) << c.code;
    // A caption leads the message: "の" before a bound or the decimals, "には"
    // before the rest; the run-time error names nothing.
    for (std::int32_t code : {1, 2, 4, 8, 256})
        EXPECT_EQ(ErrorMessage(code, L"幅", l, 2), L"幅の" + ErrorMessage(code, L"", l, 2)) << code;
    for (std::int32_t code : {16, 32, 64, 128})
        EXPECT_EQ(ErrorMessage(code, L"幅", l, 2), L"幅には" + ErrorMessage(code, L"", l, 2)) << code;
    EXPECT_EQ(ErrorMessage(512, L"幅", l, 2), ErrorMessage(512, L"", l, 2));
    // The range shows Min first even when it is the larger bound.
    EXPECT_EQ(ErrorMessage(1, L"", Limits{40, 320, 1, false}, 0),
              L"入力が最大値を超えています。\r\n320 ～ 40 の範囲で入力して下さい。");
    EXPECT_EQ(ErrorMessage(2, L"", l, 0), L"入力が最小値を下回っています。\r\n40 ～ 320 の範囲で入力して下さい。");
}

// Letters, spaces and punctuation are refused; a digit not before a sign; a
// sign only first and only where the range reaches its side (plus needs
// Shift on the main keys); a point only after a digit, once, and with
// decimals allowed; editing keys always pass. A caret before the start
// counts as the start.
TEST(SpinNumber, KeyFilterVerdicts) {
    constexpr int kShift = 1;
    struct Case {
        std::int32_t key, shift;
        const wchar_t* text;
        std::int32_t selStart, selLength;
        std::int16_t decFig;
        std::int32_t max, min;
        bool refused;
    } cases[] = {{'A', 0, L"12", 2, 0, 0, 100, 0, true},      {'Z', 0, L"", 0, 0, 0, 100, 0, true},
                 {0x20, 0, L"12", 2, 0, 0, 100, 0, true},     {0x6A, 0, L"1", 1, 0, 0, 100, 0, true},
                 {0x6F, 0, L"1", 1, 0, 0, 100, 0, true},      {186, 0, L"1", 1, 0, 0, 100, 0, true},
                 {226, 0, L"1", 1, 0, 0, 100, 0, true},       {'5', 0, L"12", 2, 0, 0, 100, 0, false},
                 {0x65, 0, L"12", 2, 0, 0, 100, 0, false},    {'5', 0, L"-12", 0, 0, 0, 100, -100, true},
                 {0x60, 0, L"+1", 0, 0, 0, 100, -100, true},  {'5', 0, L"-12", 0, 1, 0, 100, -100, false},
                 {'5', 0, L"-12", 1, 0, 0, 100, -100, false}, {189, 0, L"12", 0, 0, 0, 100, -100, false},
                 {0x6D, 0, L"12", 0, 0, 0, 100, -100, false}, {189, 0, L"12", 1, 0, 0, 100, -100, true},
                 {189, 0, L"-12", 0, 0, 0, 100, -100, true},  {189, 0, L"-12", 0, 1, 0, 100, -100, false},
                 {189, 0, L"12", 0, 0, 0, 100, 0, true},      {189, 0, L"", 0, 0, 0, -1, 5, false},
                 {187, 0, L"", 0, 0, 0, 100, 0, true},        {187, kShift, L"5", 0, 0, 0, 100, 0, false},
                 {0x6B, 0, L"5", 0, 0, 0, 100, 0, false},     {0x6B, 0, L"5", 1, 0, 0, 100, 0, true},
                 {0x6B, 0, L"+5", 0, 0, 0, 100, 0, true},     {0x6B, 0, L"", 0, 0, 0, 0, -100, true},
                 {190, 0, L"12", 2, 0, 0, 100, 0, true},      {190, 0, L"12", 2, 0, 1, 100, 0, false},
                 {0x6E, 0, L"12", 1, 0, 1, 100, 0, false},    {190, 0, L"12", 0, 0, 1, 100, 0, true},
                 {190, 0, L"-1", 1, 0, 1, 100, -100, true},   {190, 0, L"1.2", 3, 0, 1, 100, 0, true},
                 {190, 0, L"1.2", 1, 1, 1, 100, 0, false},    {8, 0, L"12", 2, 0, 0, 100, 0, false},
                 {0x2E, 0, L"12", 0, 0, 0, 100, 0, false},    {'5', 0, L"-12", -1, 0, 0, 100, -100, true},
                 {'5', 0, L"-12", 0, -1, 0, 100, -100, true}, {192, 0, L"1", 1, 0, 0, 100, 0, true},
                 {0x26, 0, L"12", 0, 0, 0, 100, 0, false}};
    for (const auto& c : cases) {
        KeyContext ctx{c.text, c.selStart, c.selLength, c.decFig, c.max, c.min};
        EXPECT_EQ(KeyRefused(c.key, c.shift, ctx), c.refused) << "case " << (&c - cases);
    }
}

}  // namespace
}  // namespace brisko::spin
