#include "settings/picker_values.h"

#include <gtest/gtest.h>

namespace brisko {
namespace {

TEST(PickerValues, NamesCutAtTheFirstNulAndSizesRoundHalvesToEven) {
    EXPECT_EQ(StripNull(std::wstring(L"Tahoma\0   ", 10)), L"Tahoma");
    EXPECT_EQ(StripNull(L"NoNul"), L"NoNul");

    struct ToHeight {
        std::int32_t points, height;
    } toHeight[] = {{9, 12}, {12, 16}, {7, 9}, {10, 13}, {24, 32}, {11, 15}, {0, 0}};
    for (const auto& c : toHeight) EXPECT_EQ(PointsToLogHeight(c.points), c.height) << c.points;

    struct ToPoints {
        std::int32_t height, points;
    } toPoints[] = {{-12, 9}, {-16, 12}, {-15, 11}, {-14, 10}, {-10, 8}, {14, 10}, {-2, 2}, {-6, 4}, {0, 0}};
    for (const auto& c : toPoints) EXPECT_EQ(LogHeightToPoints(c.height), c.points) << c.height;
}

}  // namespace
}  // namespace brisko
