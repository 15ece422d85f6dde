#include <gtest/gtest.h>

#include "tabbar/fake_port_test.h"
#include "tabbar/mdi_tab.h"

namespace brisko {
namespace {

using test::FakePort;

class Layout : public ::testing::Test {
protected:
    FakePort::Log log;
    CMDITab bar{std::make_unique<FakePort>(&log)};
    static constexpr WindowHandle kWnd = 77;
    void Tabs(int n, bool visible = true) {
        for (int i = 0; i < n; ++i) bar.AddTab(-1, L"k" + std::to_wstring(i), L"title" + std::to_wstring(i), visible);
    }
    Rect Tab(int i) const { return bar.Tabs()[static_cast<std::size_t>(i)].rcTab; }
};

TEST_F(Layout, BarRectangleByBorderAlignAndOffset) {
    struct Case {
        std::int32_t border, align;
        std::int16_t offset;
        Rect bar;
    } cases[] = {
        {2, 0, 0, {1, 1, 599, 27}},    {2, 1, 0, {1, 373, 599, 399}}, {0, 0, 3, {0, 3, 600, 29}},
        {0, 1, 3, {0, 371, 600, 397}}, {1, 0, 5, {1, 6, 599, 32}},    {1, 1, 5, {1, 368, 599, 394}},
        {7, 0, 0, {1, 1, 599, 27}},  // an unknown style still keeps the 1-pixel inset
    };
    for (const auto& c : cases) {
        bar.SetBorderStyle(c.border);
        bar.SetAlign(c.align);
        bar.SetOffsetY(c.offset);
        EXPECT_EQ(bar.LayoutBar(kWnd), (Rect{0, 0, 600, 400}));
        EXPECT_EQ(bar.BarRect(), c.bar) << c.border << " " << c.align << " " << c.offset;
    }
}

TEST_F(Layout, ButtonAreaAndBoxes) {
    bar.LayoutBar(kWnd);
    EXPECT_EQ(bar.ButtonsRect(), (Rect{531, 2, 598, 26}));
    EXPECT_EQ(bar.ScrollLeftBox(), (Rect{539, 6, 555, 22}));
    EXPECT_EQ(bar.ScrollRightBox(), (Rect{557, 6, 573, 22}));
    EXPECT_EQ(bar.CloseBox(), (Rect{578, 6, 596, 22}));

    struct Case {
        bool close, scroll;
        std::int32_t width;
    } widths[] = {{false, false, 13}, {true, false, 31}, {false, true, 49}, {true, true, 67}};
    for (const auto& c : widths) {
        bar.SetCloseButton(c.close);
        bar.SetScrollButton(c.scroll);
        bar.LayoutBar(kWnd);
        EXPECT_EQ(bar.ButtonsRect().Width(), c.width);
        EXPECT_EQ(bar.ButtonsRect().right, 598);
    }

    // The boxes are centred with halves to even: 2 + 25/2 - 8 = 6.5 -> 6,
    // 2 + 27/2 - 8 = 7.5 -> 8.
    struct Height {
        std::int16_t tab;
        std::int32_t top;
    } heights[] = {{26, 6}, {27, 6}, {28, 7}, {29, 8}};
    for (const auto& h : heights) {
        bar.SetTabHeight(h.tab);
        bar.LayoutBar(kWnd);
        for (std::int32_t b : {1, 2, 3}) {
            EXPECT_EQ(bar.ButtonBox(b).top, h.top) << "height " << h.tab << " button " << b;
            EXPECT_EQ(bar.ButtonBox(b).Height(), 16);
        }
    }
}

TEST_F(Layout, FixedWidthTabsWithHiddenOnes) {
    Tabs(3);
    bar.LayoutBar(kWnd);
    EXPECT_EQ(Tab(0), (Rect{3, 3, 123, 27}));
    EXPECT_EQ(Tab(1), (Rect{123, 3, 243, 27}));
    EXPECT_EQ(Tab(2), (Rect{243, 3, 363, 27}));

    bar.SetAlign(1);
    bar.LayoutBar(kWnd);
    EXPECT_EQ(Tab(0), (Rect{3, 373, 123, 397}));

    bar.SetAlign(0);
    bar.SetTabVisible(1, false);
    bar.LayoutBar(kWnd);
    EXPECT_EQ(Tab(1).right, 123);  // takes no room
    EXPECT_EQ(Tab(2), (Rect{123, 3, 243, 27}));

    // A hidden first record ends at 2; the first visible tab still starts
    // 2 pixels inside the bar.
    bar.SetTabVisible(1, true);
    bar.SetTabVisible(0, false);
    bar.LayoutBar(kWnd);
    EXPECT_EQ(Tab(0).right, 2);
    EXPECT_EQ(Tab(1), (Rect{3, 3, 123, 27}));
    EXPECT_EQ(Tab(2), (Rect{123, 3, 243, 27}));
}

TEST_F(Layout, FitWidthFollowsTitleFontAndIcon) {
    log.charWidth = 10;  // 10 pixels a character at 9 pt
    bar.SetStyle(1);
    bar.AddTab(-1, L"a", L"abcdef", true);        // 60 -> 76
    bar.AddTab(-1, L"b", L"abcdef", true, 1);     // icon: 96
    bar.AddTab(-1, L"c", L"abcdef", true, 0, 2);  // selected icon only: 96
    bar.AddTab(-1, L"d", L"a", true);             // 10 pixels: no shorter than 16
    bar.AddTab(-1, L"e", L"abcdef", true);        // selected, in an 18 pt font: 136
    bar.SetSelFontSize(18);
    bar.SetSelectedIndex(4);
    bar.LayoutBar(kWnd);
    const std::int32_t widths[] = {76, 96, 96, 32, 136};
    std::int32_t left = 3;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Tab(i).left, left) << i;
        EXPECT_EQ(Tab(i).Width(), widths[i]) << i;
        left = Tab(i).right;
    }
}

TEST_F(Layout, HiddenBarKeepsTabRectangles) {
    Tabs(2);
    bar.LayoutBar(kWnd);
    const Rect before = Tab(1);
    bar.SetVisible(false);
    bar.SetTabWidth(50);
    bar.SetAlign(1);
    bar.LayoutBar(kWnd);
    EXPECT_EQ(Tab(1), before);
    EXPECT_EQ(bar.BarRect(), (Rect{1, 373, 599, 399}));
}

TEST_F(Layout, EnabledStates) {
    bar.LayoutBar(kWnd);
    EXPECT_FALSE(bar.CanScrollLeft());
    EXPECT_FALSE(bar.CanScrollRight());
    EXPECT_FALSE(bar.HasVisibleTab());
    Tabs(10);  // the last tab ends at 1203, the row at 531
    bar.LayoutBar(kWnd);
    EXPECT_TRUE(bar.HasVisibleTab());
    EXPECT_TRUE(bar.CanScrollRight());
    EXPECT_FALSE(bar.CanScrollLeft());
    bar.SetScrollPos(671);
    EXPECT_TRUE(bar.CanScrollRight());
    EXPECT_TRUE(bar.CanScrollLeft());
    bar.SetScrollPos(672);  // the last tab ends exactly at the button area
    EXPECT_FALSE(bar.CanScrollRight());
    // A hidden last record does not count: the last visible tab does.
    bar.SetTabVisible(9, false);
    bar.LayoutBar(kWnd);
    bar.SetScrollPos(552);
    EXPECT_FALSE(bar.CanScrollRight());
    bar.SetScrollPos(551);
    EXPECT_TRUE(bar.CanScrollRight());
    bar.SetEnable(false);
    EXPECT_FALSE(bar.CanScrollRight());
    EXPECT_FALSE(bar.CanScrollLeft());
    EXPECT_FALSE(bar.HasVisibleTab());
}

TEST_F(Layout, PixelScrolling) {
    Tabs(10);
    bar.LayoutBar(kWnd);
    struct Case {
        const char* what;
        std::int16_t from;
        bool right;
        std::int32_t add;
        std::int16_t to;
    } cases[] = {
        {"left to zero, not below", 5, false, 0, 0},
        {"left", 100, false, 0, 90},
        {"right", 0, true, 0, 10},
        {"wheel right", 0, true, 10, 20},
        {"wheel left", 100, false, 10, 80},
        {"right stops where the last tab meets the buttons", 668, true, 0, 672},
        // The offset is 16 bits: 32765 + 10 wraps negative and lands at 0.
        {"right wraps", 32765, true, 0, 0},
        // ... and -32763 - 10 wraps to a large positive offset.
        {"left wraps", -32763, false, 0, 32763},
    };
    for (const auto& c : cases) {
        bar.SetScrollPos(c.from);
        if (c.right)
            bar.ScrollRight(c.add);
        else
            bar.ScrollLeft(c.add);
        EXPECT_EQ(bar.ScrollPos(), c.to) << c.what;
    }
}

TEST_F(Layout, HitTestFollowsTheScrolledRow) {
    Tabs(10);
    bar.LayoutBar(kWnd);
    bar.SetScrollPos(100);
    EXPECT_EQ(bar.HitTestTab(10, 10), 0);  // 110 in the row: the first tab (3..123)
    EXPECT_EQ(bar.HitTestTab(30, 10), 1);  // 130: the second
    EXPECT_EQ(bar.HitTestTab(0, 10), -1);  // the frame, left of the row
}

TEST_F(Layout, TabWiseScrolling) {
    bar.SetScrollFit(true);
    Tabs(10);
    bar.LayoutBar(kWnd);
    // Tab 2 (243..363) is cut at the left end: ScrollLeft aligns it.
    bar.SetScrollPos(300);
    bar.ScrollLeft();
    EXPECT_EQ(bar.ScrollPos(), 240);
    bar.ScrollLeft();  // then the previous tab
    EXPECT_EQ(bar.ScrollPos(), 120);
    bar.ScrollLeft();  // the first tab: back to the start
    EXPECT_EQ(bar.ScrollPos(), 0);
    bar.ScrollRight();  // the second tab comes to the left end
    EXPECT_EQ(bar.ScrollPos(), 120);
    bar.ScrollRight();
    EXPECT_EQ(bar.ScrollPos(), 240);
    bar.SetScrollPos(250);  // tab 2 cut: the next one comes to the left end
    bar.ScrollRight();
    EXPECT_EQ(bar.ScrollPos(), 360);

    // Hidden tabs are skipped when looking for the previous tab.
    bar.SetTabVisible(1, false);
    bar.LayoutBar(kWnd);  // tab 2 now 123..243
    bar.SetScrollPos(120);
    EXPECT_EQ(bar.FitScrollStep(false), 120);  // to tab 0 at 3
    bar.ScrollLeft();
    EXPECT_EQ(bar.ScrollPos(), 0);
}

TEST_F(Layout, TabWiseScrollingWithoutEdgeTabStays) {
    bar.SetScrollFit(true);
    Tabs(3, false);
    bar.LayoutBar(kWnd);
    bar.SetScrollPos(0);
    EXPECT_EQ(bar.FitScrollStep(true), 0);
    EXPECT_EQ(bar.FitScrollStep(false), 0);
    bar.ScrollRight();
    EXPECT_EQ(bar.ScrollPos(), 0);
}

TEST_F(Layout, EnsureVisibleOnlyWhileAttached) {
    Tabs(10);
    bar.SetScrollPos(0);
    bar.EnsureVisible(7);  // detached: nothing
    EXPECT_EQ(bar.ScrollPos(), 0);
    bar.Attach(kWnd);
    bar.EnsureVisible(7);  // 843..963: its right edge meets the button area
    EXPECT_EQ(bar.ScrollPos(), 963 - 531);
    bar.EnsureVisible(7);  // already in view
    EXPECT_EQ(bar.ScrollPos(), 963 - 531);
    bar.EnsureVisible(1);  // 123..243, left of the row: 3 pixels in
    EXPECT_EQ(bar.ScrollPos(), 120);
    // Selecting a tab and retitling the selected tab bring it into view.
    bar.SetSelectedIndex(9);
    EXPECT_EQ(bar.ScrollPos(), 1203 - 531);
    bar.SetScrollPos(0);
    bar.SetTitle(8, L"other");  // not selected: no scrolling
    EXPECT_EQ(bar.ScrollPos(), 0);
    bar.SetTitle(9, L"retitled");
    EXPECT_EQ(bar.ScrollPos(), 1203 - 531);
}

TEST_F(Layout, ScrollCorrectionAndClamp) {
    Tabs(10);  // overflowing: last right 1203, row end 531, so d = 672
    bar.LayoutBar(kWnd);
    struct Case {
        const char* what;
        int tabs;
        std::int16_t from;
        bool exact;
        std::int16_t to;
    } cases[] = {
        {"exact: last tab ends at the button area", 10, 1000, true, 672},
        {"ordinary: clamped to the same place", 10, 1000, false, 672},
        {"inside the limit: unchanged", 10, 500, false, 500},
        {"row ends left of the button area", 3, 100, false, 0},
        {"row ends left of the button area, exact", 3, 100, true, 0},
    };
    for (const auto& c : cases) {
        while (bar.Count() > c.tabs) bar.RemoveTab(static_cast<std::int16_t>(bar.Count() - 1));
        while (bar.Count() < c.tabs) bar.AddTab(-1, L"x" + std::to_wstring(bar.Count()), L"x", true);
        bar.LayoutBar(kWnd);
        bar.SetScrollPos(c.from);
        bar.ScrollCorrection(c.exact);
        EXPECT_EQ(bar.ScrollPos(), c.to) << c.what;
    }
}

TEST_F(Layout, ClampScrollNeverLeavesTheRowEmptyOrAFittingRowScrolled) {
    struct Case {
        const char* what;
        int tabs;
        std::int16_t from, to;
    } cases[] = {
        // Five tabs end at 603, beyond the row's end at 531: the last one may
        // end at the button area, no further left.
        {"overflowing, scrolled too far", 5, 400, 72},
        {"overflowing, within range", 5, 50, 50},
        // Four tabs end at 483 and fit: the offset returns to 0 although the
        // last edge is far beyond the width of the button area.
        {"fitting but scrolled", 4, 200, 0},
        {"fitting, not scrolled", 4, 0, 0},
    };
    for (const auto& c : cases) {
        while (bar.Count() > 0) bar.RemoveTab(0);
        Tabs(c.tabs);
        bar.LayoutBar(kWnd);
        bar.SetScrollPos(c.from);
        bar.ClampScroll();
        EXPECT_EQ(bar.ScrollPos(), c.to) << c.what;
        // Whatever the offset, some tab remains in view.
        const Rect& last = bar.Tabs().back().rcTab;
        EXPECT_GT(last.right - bar.ScrollPos(), bar.BarRect().left + 2) << c.what;
    }
}

TEST_F(Layout, RefreshClampsAgainstTheCurrentTabs) {
    bar.Attach(kWnd);
    Tabs(10);
    bar.SetScrollPos(500);
    bar.AddTab(-1, L"new", L"new", true);  // repaints: the row still overflows
    EXPECT_EQ(bar.ScrollPos(), 500);
    while (bar.Count() > 3) bar.RemoveTab(static_cast<std::int16_t>(bar.Count() - 1));
    bar.SetScrollPos(100);
    bar.Refresh();  // three tabs fit: back to the start
    EXPECT_EQ(bar.ScrollPos(), 0);
}

TEST_F(Layout, AutoRepeatIntervalAndTicks) {
    struct Case {
        bool fit;
        std::int16_t speed;
        std::int32_t interval;
    } cases[] = {{false, 10, 10}, {true, 10, 100}, {true, 3, 333}, {true, 16, 62}, {true, 80, 12}, {true, 6, 167}};
    for (const auto& c : cases) {
        bar.SetScrollFit(c.fit);
        bar.SetScrollSpeed(c.speed);
        EXPECT_EQ(bar.AutoRepeatInterval(), c.interval) << c.speed;
    }
}

TEST_F(Layout, WheelOverTheBar) {
    Tabs(10);
    bar.LayoutBar(kWnd);
    bar.WheelOverBar(0);  // away from the user, nothing to the left
    EXPECT_EQ(bar.ScrollPos(), 0);
    bar.WheelOverBar(static_cast<std::int32_t>(0xFF880000u));  // towards the user
    EXPECT_EQ(bar.ScrollPos(), 20);
    bar.WheelOverBar(static_cast<std::int32_t>(0xFC400000u));  // any size: one step
    EXPECT_EQ(bar.ScrollPos(), 40);
    bar.WheelOverBar(0x00780000);
    EXPECT_EQ(bar.ScrollPos(), 20);
    bar.SetScrollPos(670);
    bar.WheelOverBar(-1);
    EXPECT_EQ(bar.ScrollPos(), 672);
    bar.WheelOverBar(-1);  // nothing more to the right
    EXPECT_EQ(bar.ScrollPos(), 672);
}

TEST_F(Layout, ClientRectangleReservesTheStrip) {
    EXPECT_EQ(bar.ClientRectFor(0, 50, 600, 400), (Rect{2, 79, 598, 448}));
    bar.SetAlign(1);
    EXPECT_EQ(bar.ClientRectFor(0, 50, 600, 400), (Rect{2, 52, 598, 421}));
    bar.SetVisible(false);
    EXPECT_EQ(bar.ClientRectFor(0, 50, 600, 400), (Rect{2, 52, 598, 448}));
    bar.SetVisible(true);
    bar.SetAlign(0);
    bar.SetBorderStyle(0);
    bar.SetOffsetY(4);
    EXPECT_EQ(bar.ClientRectFor(10, 20, 300, 200), (Rect{10, 51, 310, 220}));
}

TEST_F(Layout, PaintRunsLayoutAndTheChosenCorrection) {
    Tabs(10);
    bar.PaintBar(kWnd, false);  // detached: nothing
    EXPECT_TRUE(log.calls.empty());
    bar.Attach(kWnd);
    bar.SetScrollPos(900);
    log.calls.clear();
    bar.PaintBar(kWnd, false);
    EXPECT_EQ(bar.ScrollPos(), 672);
    EXPECT_EQ(log.calls, std::vector<std::string>{"paint"});
    // Removing a tab paints at once with the exact correction.
    log.calls.clear();
    bar.RemoveTab(9);
    EXPECT_EQ(bar.ScrollPos(), 552);
    EXPECT_EQ(log.calls.back(), "paint-exact");
}

}  // namespace
}  // namespace brisko
