#include "common/rounding.h"

#include <gtest/gtest.h>

#include "common/font.h"
#include "common/text.h"

namespace brisko {

TEST(Rounding, HalvesGoToEven) {
    struct Case {
        double in;
        double out;
    };
    for (auto c : {Case{0.5, 0}, Case{1.5, 2}, Case{2.5, 2}, Case{-0.5, 0}, Case{-1.5, -2}, Case{-2.5, -2},
                   Case{912.5, 912}, Case{913.5, 914}, Case{2.4999, 2}, Case{2.5001, 3}, Case{-2.6, -3}})
        EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
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
    EXPECT_EQ(f.sizeCy, 91250);
    EXPECT_FLOAT_EQ(f.Size(), 9.125f);
    f.SetBold(true);
    EXPECT_EQ(f.weight, 700);
    EXPECT_TRUE(f.Bold());
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

}  // namespace brisko
