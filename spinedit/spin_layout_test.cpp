#include "spinedit/spin_layout.h"

#include <gtest/gtest.h>

namespace brisko {
namespace {

TEST(SpinLayout, PartsByAlignmentMarginsAndArrows) {
    struct Case {
        const char* what;
        SpinLayoutInput in;
        Rect edit, spin;
    } cases[] = {
        {"middle with arrows", {100, 24, 12, 15.0, 1, 1, 1, 2, true}, {1, 6, 83, 18}, {84, 0, 100, 24}},
        {"top", {100, 24, 12, 15.0, 1, 1, 3, 0, true}, {1, 3, 83, 24}, {84, 0, 100, 24}},
        {"bottom", {100, 24, 12, 15.0, 1, 1, 3, 1, true}, {1, 9, 83, 24}, {84, 0, 100, 24}},
        {"no arrows: whole width less margins", {100, 24, 12, 15.0, 2, 5, 1, 2, false}, {2, 6, 95, 18}, {}},
        {"twips per pixel at 120 dpi", {100, 24, 12, 12.0, 1, 1, 1, 2, true}, {1, 6, 79, 18}, {80, 0, 100, 24}},
        {"narrower than the arrows", {10, 24, 12, 15.0, 1, 1, 1, 2, true}, {1, 6, 1, 18}, {0, 0, 10, 24}},
        {"no room at all", {0, 0, 12, 15.0, 1, 1, 1, 2, true}, {1, 0, 1, 0}, {}},
        {"a line of no height", {100, 24, 0, 15.0, 1, 1, 1, 2, true}, {1, 12, 83, 12}, {84, 0, 100, 24}},
        {"line taller than the box", {100, 10, 16, 15.0, 1, 1, 1, 1, false}, {1, 0, 99, 10}, {}},
    };
    for (const auto& c : cases) {
        const auto out = ComputeSpinLayout(c.in);
        EXPECT_EQ(out.edit, c.edit) << c.what;
        EXPECT_EQ(out.spin, c.spin) << c.what;
    }
}

TEST(SpinLayout, MinimumWidth) {
    EXPECT_EQ(MinSpinEditWidth(15.0), 14);  // 210 twips at 96 dpi
    EXPECT_EQ(MinSpinEditWidth(12.0), 18);  // 17.5 rounds to even
    EXPECT_EQ(MinSpinEditWidth(7.5), 28);
}

TEST(SpinLayout, HitDirections) {
    const Rect text{10, 10, 50, 30};
    struct Case {
        std::int32_t x, y, code;
    } cases[] = {
        {5, 5, -1},  {20, 5, -2},  {60, 5, -3},  {5, 20, -4},  {20, 20, 0}, {60, 20, -6},
        {5, 40, -5}, {20, 40, -7}, {60, 40, -8}, {50, 20, -6}, {49, 29, 0}, {10, 10, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(HitDirection(text, c.x, c.y), c.code) << c.x << "," << c.y;
}

}  // namespace
}  // namespace brisko
