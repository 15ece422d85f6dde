#include "common/rounding.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "common/font.h"
#include "common/text.h"
#include "common/units.h"

namespace brisko {

TEST(Rounding, HalvesGoToEven) {
    using P = std::pair<double, double>;
    for (auto [in, out] : {P{0.5, 0}, P{1.5, 2}, P{2.5, 2}, P{-0.5, 0}, P{-1.5, -2}, P{-2.5, -2}, P{912.5, 912},
                           P{913.5, 914}, P{2.4999, 2}, P{2.5001, 3}, P{-2.6, -3}})
        EXPECT_EQ(RoundHalfEven(in), out) << in;
}

TEST(Rounding, RangeChecks) {
    EXPECT_EQ(ToInt32(2147483647.4), 2147483647);
    EXPECT_FALSE(ToInt32(2147483647.5).has_value());
    EXPECT_EQ(ToInt32(-2147483648.5), -2147483648);  // rounds to even, which fits
    EXPECT_FALSE(ToInt32(-2147483649.0).has_value());
    EXPECT_EQ(ToInt16(32767.5), std::nullopt);
    EXPECT_EQ(ToInt16(-32768.4), -32768);
}

TEST(FontSpec, SizeIsFixedPointWithFourDecimals) {
    FontSpec f;
    f.SetSize(9.125);
    f.SetBold(true);
    EXPECT_EQ(std::tuple(f.sizeCy, f.Size(), f.weight, f.Bold()), std::tuple(91250, 9.125f, 700, true));
}

TEST(Text, TrimAndFold) {
    EXPECT_EQ(TrimSpaces(L"  a b  "), L"a b");
    EXPECT_EQ(TrimSpaces(L"\t a\u3000"), L"\t a\u3000");  // only U+0020 is trimmed
    EXPECT_TRUE(EqualsNoCase(L"Form1", L"fORM1"));
    // Both ends of both alphabets fold; their neighbours do not.
    EXPECT_EQ(FoldCase(L"@AZ[\uFF20\uFF21\uFF3A\uFF3B"), L"@az[\uFF20\uFF41\uFF5A\uFF3B");
    EXPECT_TRUE(EqualsNoCase(L"\uFF21", L"\uFF41"));  // full-width A and a
    EXPECT_FALSE(EqualsNoCase(L"Form1", L"Form11"));
    EXPECT_FALSE(EqualsNoCase(L"\u30A2", L"\u30A4"));
}

TEST(Units, ScaleRoundsHalvesAwayFromZeroLikeMulDiv) {
    using C = std::array<std::int32_t, 4>;  // value, numerator, denominator, result
    for (auto [v, n, d, out] :
         {C{5, 1, 2, 3}, C{-5, 1, 2, -3}, C{7, 1, 2, 4}, C{2143, 96, 2540, 81}, C{1270, 1, 2540, 1},
          C{1269, 1, 2540, 0}, C{5, -1, 2, -3}, C{5, 1, -2, -3}, C{9, 1, 0, 0}})
        EXPECT_EQ(ScaleRounded(v, n, d), out) << v << "*" << n << "/" << d;
    EXPECT_EQ(HimetricToPixels(2540, 120), 120);
    EXPECT_EQ(PixelsToHimetric(96, 0), 2540);  // an unreadable DPI counts as the default
}

TEST(Units, FontHeightsRoundHalvesToEven) {
    using C = std::tuple<double, int, int>;  // points, DPI, pixels
    for (auto [points, dpi, pixels] :
         {C{9, 96, 12}, C{10.5, 96, 14}, C{11, 96, 15}, C{1.125, 96, 2}, C{1.875, 96, 2}, C{9, 120, 15}, C{9, 0, 12}})
        EXPECT_EQ(FontPixelHeight(FontSpec::Make(L"x", points).sizeCy, dpi), pixels) << points << "@" << dpi;
    EXPECT_DOUBLE_EQ(TwipsPerPixel(96), 15.0);
}

}  // namespace brisko
