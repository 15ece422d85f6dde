// The add-in's decisions on the tab bar's notifications, without windows.
#include "host/tab_commands.h"

#include <gtest/gtest.h>

#include <tuple>

#include "host/connect_mode.h"

namespace brisko {
namespace {

using Tabs = std::vector<std::int16_t>;

TEST(TabMenu, EnablingFollowsTheClickedTab) {
    // Tabs, the clicked one (-1: none); close, close all, close left, close right.
    const std::tuple<std::int16_t, std::int16_t, MenuEnabling> cases[] = {
        {0, -1, {false, false, false, false}}, {1, 0, {true, true, false, false}}, {3, -1, {false, true, false, false}},
        {3, 0, {true, true, false, true}},     {3, 1, {true, true, true, true}},   {3, 2, {true, true, true, false}},
        {2, 1, {true, true, true, false}}};
    for (auto [count, index, want] : cases)
        EXPECT_EQ(EnablingFor(count, index), want) << count << " tabs, on " << index;
}

TEST(TabMenu, CommandsCloseFromTheRightAndTheListAnswersItsEntries) {
    EXPECT_EQ(TabsToClose(MenuCommand::CloseAll, 4, 1), (Tabs{3, 2, 1, 0}));
    EXPECT_EQ(TabsToClose(MenuCommand::CloseLeft, 4, 2), (Tabs{1, 0}));
    EXPECT_EQ(TabsToClose(MenuCommand::CloseRight, 4, 1), (Tabs{3, 2}));
    EXPECT_EQ(TabsToClose(MenuCommand::CloseRight, 4, 3), Tabs{});
    EXPECT_EQ(TabsToClose(MenuCommand::Close, 4, 1), Tabs{});
    EXPECT_EQ(NeighbourOnClose(1, 3), 2);
    EXPECT_EQ(NeighbourOnClose(2, 3), 1);  // the last tab's neighbour is on its left
    EXPECT_EQ(WindowListEntry(kWindowListBase + 2, 3), std::optional<std::size_t>(2));
    EXPECT_EQ(WindowListEntry(kWindowListBase + 3, 3), std::nullopt);
    EXPECT_EQ(WindowListEntry(static_cast<std::int32_t>(MenuCommand::Settings), 3), std::nullopt);
    EXPECT_EQ(EntriesPerColumn(1016, 18, 16), 45);  // (1016 - 16) / (16 + 4 + 2)
    EXPECT_EQ(EntriesPerColumn(1016, 23, 16), 40);
    EXPECT_EQ(EntriesPerColumn(10, 18, 16), 1);
}

TEST(Drag, CursorChangesOnlyWhenThePointerCrossesTheTabsEdge) {
    EXPECT_EQ(DragCursorChange(DragCursor::OffTabs, true), DragCursor::OverTab);
    EXPECT_EQ(DragCursorChange(DragCursor::OverTab, false), DragCursor::OffTabs);
    EXPECT_EQ(DragCursorChange(DragCursor::OverTab, true), std::nullopt);
    EXPECT_EQ(DragCursorChange(DragCursor::OffTabs, false), std::nullopt);
}

TEST(Wheel, ScrollsLinesPagesOrSidewaysThroughTheRightBar) {
    using enum ScrollRequest;
    // Ctrl held, notches, lines per notch; the scroll asked for.
    const std::tuple<bool, std::int32_t, std::int32_t, WheelScroll> cases[] = {
        {false, -2, 3, {true, LineDown, 6}},   {false, 1, 3, {true, LineUp, 3}},
        {false, -2, -1, {true, PageDown, 1}},  {false, 1, -1, {true, PageUp, 1}},
        {true, -3, 3, {false, LineRight, 1}},  {true, 2, 3, {false, LineLeft, 1}},
        {true, -1, -1, {false, PageRight, 1}}, {true, 1, -1, {false, PageLeft, 1}}};
    for (auto [ctrl, notches, lines, want] : cases) {
        const WheelScroll s = PlanWheelScroll(ctrl, notches, lines);
        EXPECT_TRUE(s.vertical == want.vertical && s.request == want.request && s.count == want.count)
            << ctrl << " " << notches << " " << lines;
    }
    // Lines one by one up to a hundred, then pages of the bar, five hundred posts at most: lines, lines per page.
    const std::tuple<long long, long long, WheelSteps> splits[] = {
        {0, 20, {0, 0}},     {-5, 20, {0, 0}},     {30, 20, {30, 0}},       {150, 20, {100, 2}},
        {160, 20, {100, 3}}, {27300, 0, {100, 0}}, {27300, 10, {100, 400}}, {1LL << 40, 1, {100, 400}}};
    for (auto [lines, page, want] : splits) EXPECT_EQ(SplitWheelLines(lines, page), want) << lines << " " << page;
    const ScrollBarFacts bar{true, true, false, 100, 200};
    EXPECT_TRUE(TakesWheel(true, bar, 150) && TakesWheel(false, bar, 0));
    EXPECT_FALSE(TakesWheel(true, bar, 100) || TakesWheel(true, bar, 200));  // level with the bar, edges excluded
    EXPECT_FALSE(TakesWheel(true, {false, true, false, 100, 200}, 150));
    EXPECT_FALSE(TakesWheel(false, {true, true, true, 100, 200}, 150));
    EXPECT_FALSE(TakesWheel(false, {true, true, false, 100, 116}, 150));  // a size grip, not a bar
    EXPECT_TRUE(TakesWheel(false, {true, true, false, 100, 117}, 150));
    EXPECT_FALSE(TakesWheel(false, {true, false, false, 100, 200}, 150));
}

TEST(Connection, ModesAndWindowKeys) {
    EXPECT_TRUE(StepsFor(ext_cm_AfterStartup).addOpenWindows &&
                !StepsFor(ext_cm_AfterStartup).freezeUntilStartupComplete);
    EXPECT_TRUE(StepsFor(ext_cm_Startup).freezeUntilStartupComplete && !StepsFor(ext_cm_Startup).addOpenWindows);
    EXPECT_FALSE(StepsFor(ext_cm_External).addOpenWindows || StepsFor(ext_cm_External).freezeUntilStartupComplete);
    EXPECT_EQ(WindowKey(-66), L"#-66");
    EXPECT_EQ(WindowKey(0x12345), L"#74565");
}

}  // namespace
}  // namespace brisko
