#include "settings/picker_values.h"

#include <gtest/gtest.h>

namespace brisko {
namespace {

TEST(PickerValues, NamesCutAtTheFirstNulAndSizesRoundHalvesToEven) {
    EXPECT_EQ(StripNull(std::wstring(L"Tahoma\0   ", 10)), L"Tahoma");
    EXPECT_EQ(StripNull(L"NoNul"), L"NoNul");
    for (auto [points, height] : {std::pair{9, 12}, {10, 13}, {11, 15}, {0, 0}})
        EXPECT_EQ(PointsToLogHeight(points), height) << points;
    for (auto [height, points] : {std::pair{-15, 11}, {-14, 10}, {14, 10}, {-2, 2}, {-6, 4}})
        EXPECT_EQ(LogHeightToPoints(height), points) << height;
}

}  // namespace
}  // namespace brisko
