#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <tuple>

#include "tabbar/fake_services_test.h"
#include "tabbar/mdi_tab.h"

namespace brisko {
namespace {

using test::kWnd;

class Layout : public test::BarTest {
protected:
    Rect Tab(int i) const { return bar.Tabs()[static_cast<std::size_t>(i)].rcTab; }
};

// The bar's rectangle in the 600 x 400 window, and the client area left to a
// window placed at (0, 50): the frame inside, and the strip (tab height,
// offset and 1) at the bar's side while the bar shows.
TEST_F(Layout, BarAndClientRectanglesByBorderAlignAndOffset) {
    struct Case {
        std::int32_t border, align;
        std::int16_t offset;
        bool visible;
        Rect bar, client;
    } cases[] = {
        {2, 0, 0, true, {1, 1, 599, 27}, {2, 79, 598, 448}},
        {2, 1, 0, true, {1, 373, 599, 399}, {2, 52, 598, 421}},
        {2, 1, 0, false, {1, 373, 599, 399}, {2, 52, 598, 448}},
        {0, 0, 3, true, {0, 3, 600, 29}, {0, 80, 600, 450}},
        {0, 1, 3, true, {0, 371, 600, 397}, {0, 50, 600, 420}},
        {1, 0, 5, true, {1, 6, 599, 32}, {1, 83, 599, 449}},
        {1, 1, 5, true, {1, 368, 599, 394}, {1, 51, 599, 417}},
        // An unknown style keeps the 1-pixel inset and the frame it had.
        {7, 0, 0, true, {1, 1, 599, 27}, {1, 78, 599, 449}},
    };
    for (const auto& c : cases) {
        bar.SetBorderStyle(c.border);
        bar.SetAlign(c.align);
        bar.SetOffsetY(c.offset);
        bar.SetVisible(c.visible);
        EXPECT_EQ(bar.LayoutBar(kWnd), (Rect{0, 0, 600, 400}));
        EXPECT_EQ(bar.BorderStyle(), c.border);  // stored even when unknown
        EXPECT_EQ(bar.BarRect(), c.bar) << c.border << " " << c.align << " " << c.offset;
        EXPECT_EQ(bar.ClientRectFor(0, 50, 600, 400), c.client) << c.border << " " << c.align << " " << c.offset;
    }
}

// What a paint hands the window: the layout, the looks, and the buttons
// shown with their states.
TEST_F(Layout, PaintHandsTheWindowAView) {
    bar.Attach(kWnd);
    Tabs(10);
    bar.SetSelectedIndex(2);
    bar.SetAlign(kAlignBottom);
    bar.PaintBar(kWnd, false);
    const BarView& v = log.view;
    EXPECT_EQ(std::tuple(v.window, v.bar, v.top, v.visible, v.selectedIndex, v.tabHeight),
              std::tuple(Rect{0, 0, 600, 400}, bar.BarRect(), false, true, std::int16_t{2}, bar.TabHeight()));
    EXPECT_EQ(std::tuple(v.font, v.selFont, v.fontColor), std::tuple(&bar.Font(), &bar.SelFont(), bar.FontColor()));
    ASSERT_EQ(v.tabs.size(), 5u);  // 3..603 shown up to the buttons
    EXPECT_EQ(v.tabs[2].text, &bar.Title(2));
    // Each button as "code enabled hot pressed".
    auto buttons = [&] {
        bar.PaintBar(kWnd, false);
        std::string out;
        for (const ButtonFace& b : v.buttons) {
            EXPECT_EQ(b.box, bar.ButtonBox(b.button));
            out +=
                std::to_string(b.button) + (b.enabled ? "e" : "") + (b.hot ? "h" : "") + (b.pressed ? "p" : "") + " ";
        }
        return out;
    };
    EXPECT_EQ(buttons(), "1 2e 3e ");
    bar.SetAlign(kAlignTop);
    test::Send(bar, test::kLButtonDown, 585, 14);  // the close button, held
    EXPECT_EQ(buttons(), "1 2e 3ehp ");
    test::Send(bar, test::kMouseMove, 450, 14, 1);  // held, off it
    EXPECT_EQ(buttons(), "1 2e 3ep ");
    test::Send(bar, test::kLButtonUp, 450, 14);
    test::Send(bar, test::kMouseMove, 565, 14);  // hovering the right scroll button, then scrolled to the end
    bar.SetScrollPos(2000);
    EXPECT_EQ(buttons(), "1e 2 3e ");
    bar.SetCloseButton(false);
    EXPECT_EQ(buttons(), "1e 2 ");
    bar.SetScrollButton(false);
    EXPECT_EQ(buttons(), "");
}

TEST_F(Layout, ButtonAreaAndBoxes) {
    bar.LayoutBar(kWnd);
    EXPECT_EQ(bar.ButtonBox(kScrollLeftButton), (Rect{539, 6, 555, 22}));
    EXPECT_EQ(bar.ButtonBox(kScrollRightButton), (Rect{557, 6, 573, 22}));
    EXPECT_EQ(bar.ButtonBox(kCloseButton), (Rect{578, 6, 596, 22}));
    // The boxes are centred, halves to even: 2 + 25/2 - 8 = 6.5 -> 6, 2 + 27/2 - 8 = 7.5 -> 8.
    for (auto [close, scroll, tabHeight, buttons, boxTop] : {std::tuple{false, false, 26, Rect{585, 2, 598, 26}, 6},
                                                             {true, false, 27, {567, 2, 598, 27}, 6},
                                                             {false, true, 28, {549, 2, 598, 28}, 7},
                                                             {true, true, 29, {531, 2, 598, 29}, 8}}) {
        bar.SetCloseButton(close);
        bar.SetScrollButton(scroll);
        bar.SetTabHeight(static_cast<std::int16_t>(tabHeight));
        bar.LayoutBar(kWnd);
        EXPECT_EQ(bar.ButtonsRect(), buttons);
        for (std::int32_t b : {kScrollLeftButton, kScrollRightButton, kCloseButton})
            EXPECT_EQ(bar.ButtonBox(b).top, boxTop) << tabHeight << " " << b;
    }
}

TEST_F(Layout, FixedWidthTabsHiddenOnesAndHiddenBar) {
    Tabs(3);
    EXPECT_EQ(Tab(2), (Rect{243, 3, 363, 27}));
    bar.SetAlign(kAlignBottom);
    bar.LayoutBar(kWnd);
    EXPECT_EQ(Tab(0), (Rect{3, 373, 123, 397}));
    // A hidden first tab takes no room: the next one starts 2 pixels inside the bar.
    bar.SetTabVisible(0, false);
    bar.LayoutBar(kWnd);
    EXPECT_EQ(Tab(1), (Rect{3, 373, 123, 397}));
    // A hidden bar keeps the tab rectangles but moves its own.
    bar.SetVisible(false);
    bar.SetTabWidth(50);
    bar.SetAlign(kAlignTop);
    bar.LayoutBar(kWnd);
    EXPECT_EQ(Tab(1), (Rect{3, 373, 123, 397}));
    EXPECT_EQ(bar.BarRect(), (Rect{1, 1, 599, 27}));
}

TEST_F(Layout, FitWidthFollowsTitleFontAndIcon) {
    log.charWidth = 10;  // 10 pixels a character at 9 pt
    bar.SetStyle(kWidthFit);
    bar.AddTab(-1, L"a", L"abcdef", true);        // 60 -> 76
    bar.AddTab(-1, L"b", L"abcdef", true, 1);     // icon: 96
    bar.AddTab(-1, L"c", L"abcdef", true, 0, 2);  // selected icon only: 96
    bar.AddTab(-1, L"d", L"a", true);             // 10 pixels: no shorter than 16
    bar.AddTab(-1, L"e", L"abcdef", true);        // selected, in an 18 pt font: 136
    bar.SetSelFontSize(18);
    bar.SetSelectedIndex(4);
    bar.LayoutBar(kWnd);
    const std::int32_t widths[] = {76, 96, 96, 32, 136};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Tab(i).Width(), widths[i]) << i;
}

bool Within(const Rect& inner, const Rect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Each shown tab's parts against facts that hold whatever the numbers: icon
// and title inside the tab and apart, nothing under the buttons, an icon
// wherever one fits, a fitted title never cut, and the row filled up to the
// buttons while tabs follow.
TEST_F(Layout, ShownTabsPlaceIconAndTitleApart) {
    struct Picture : TabIcon {
        std::intptr_t Handle() const override { return 1; }
    };
    bar.AddIcon(std::make_shared<Picture>());
    bar.AddIcon(std::make_shared<Picture>());
    EXPECT_EQ(bar.IconPicture(0), nullptr);  // pictures are numbered from 1
    EXPECT_EQ(bar.IconPicture(3), nullptr);
    log.charWidth = 7;
    struct Case {
        const char* what;
        std::int32_t style;
        std::int16_t width;
        bool close;
        std::int16_t icon, selIcon, scroll;
        float selSize;
    } cases[] = {
        {"fixed, no icons", kWidthFixed, 120, true, 0, 0, 0, 9},
        {"fixed, icons", kWidthFixed, 120, true, 1, 2, 0, 9},
        {"fixed, selected icon only", kWidthFixed, 120, true, 0, 2, 0, 9},
        {"fixed, narrow, no close button", kWidthFixed, 40, false, 1, 0, 0, 9},
        {"fixed, too narrow for an icon", kWidthFixed, 22, true, 1, 2, 0, 9},
        // Scrolled so that the first tab ends exactly at the bar's left end.
        {"fixed, icon beyond the list, scrolled", kWidthFixed, 120, true, 5, 0, 122, 9},
        {"fitted, icons, large selected font", kWidthFit, 0, true, 1, 2, 0, 18},
        {"fitted, selected icon only, scrolled", kWidthFit, 0, true, 0, 1, 150, 9},
        {"fitted, no icons, no close button", kWidthFit, 0, false, 0, 0, 0, 9},
    };
    for (const auto& c : cases) {
        while (bar.Count() > 0) bar.RemoveTab(0);
        bar.SetStyle(c.style);
        bar.SetTabWidth(c.width);
        bar.SetCloseButton(c.close);
        bar.SetSelFontSize(c.selSize);
        for (int i = 0; i < 12; ++i)
            bar.AddTab(-1, std::to_wstring(i), L"t" + std::wstring(static_cast<std::size_t>(i % 4) * 5, L'x'), i != 4,
                       c.icon, c.selIcon);
        bar.SetSelectedIndex(2);
        bar.LayoutBar(kWnd);
        bar.SetScrollPos(c.scroll);
        const std::vector<TabFace> faces = test::TabBarProbe::ShownTabs(bar);
        ASSERT_GT(faces.size(), 1u) << c.what;
        const std::int32_t rowEnd = bar.ButtonsRect().left;
        for (std::size_t k = 0; k < faces.size(); ++k) {
            const TabFace& f = faces[k];
            const Rect& t = f.tab;
            const Rect& laid = Tab(f.index);
            SCOPED_TRACE(std::string(c.what) + ", tab " + std::to_string(f.index));
            EXPECT_TRUE(bar.TabVisible(f.index));
            EXPECT_EQ(f.selected, f.index == 2);
            EXPECT_EQ(t.left, laid.left - c.scroll);
            EXPECT_LE(t.right, rowEnd);
            EXPECT_GT(t.right, bar.BarRect().left);
            EXPECT_EQ(t.left, k > 0 ? faces[k - 1].tab.right : t.left);
            const std::int16_t wanted = f.selected && c.selIcon > 0 ? c.selIcon : c.icon;
            if (f.iconNumber != 0) {
                EXPECT_EQ(f.iconNumber, wanted);
                EXPECT_TRUE(Within(f.icon, t));
                EXPECT_GT(t.Width(), 22);  // an icon flush with the right edge would touch the separator
                EXPECT_EQ((Size{f.icon.Width(), f.icon.Height()}), (Size{16, 16}));
                EXPECT_LE(std::abs(f.icon.top + f.icon.bottom - t.top - t.bottom), 1);  // centred
                EXPECT_LE(f.icon.right, f.title.left);
            } else {
                EXPECT_TRUE(wanted < 1 || wanted > 2 || t.Width() <= 22);
            }
            EXPECT_TRUE(f.title.Width() <= 0 || Within(f.title, t));
            EXPECT_GT(f.title.top, t.top);
            const bool whole = t.right == laid.right - c.scroll;
            if (c.style == kWidthFit && whole) {
                const FontSpec& font = f.selected ? bar.SelFont() : bar.Font();
                EXPECT_GE(f.title.Width(), test::FakeText(log).MeasureText(font, bar.Title(f.index)).cx);
            }
            EXPECT_TRUE(k + 1 < faces.size() || whole || t.right == rowEnd);
        }
    }
}

// Scrolling left, scrolling right and a shown tab, each as its letter when enabled.
TEST_F(Layout, EnabledStates) {
    auto enabled = [&] { return test::TabBarProbe::EnabledButtons(bar); };
    bar.SetScrollPos(5);  // no tabs: nothing to scroll back to either
    EXPECT_EQ(enabled(), "");
    bar.SetScrollPos(0);
    Tabs(2, false);
    EXPECT_EQ(enabled(), "");
    Tabs(10);  // the last tab ends at 1203, the row at 531
    EXPECT_EQ(enabled(), "rv");
    bar.SetScrollPos(672);  // the last tab ends exactly at the button area
    EXPECT_EQ(enabled(), "lv");
    Tabs(1);
    bar.SetScrollPos(1);  // a single pixel to go back
    EXPECT_EQ(enabled(), "lv");
    bar.SetEnable(false);
    EXPECT_EQ(enabled(), "");
}

// Where the row's offset goes from `from`: pixel-wise and tab-wise steps, the
// corrections after a change, and bringing a tab into view. With a character
// width the tabs fit "tN" (tabs 0-9 are 36 wide at 10 pixels a character, the
// later ones 46); the row ends at the button area, 531.
TEST_F(Layout, ScrollOffsets) {
    enum Op { kLeft, kRight, kExactCorrection, kCorrection, kClamp, kEnsureVisible, kPaint };
    struct Case {
        const char* what;
        int tabs;
        std::int32_t charWidth;
        bool tabWise;
        std::int16_t from;
        Op op;
        int arg;  // the extra pixels of a step, or the tab to bring into view
        std::int16_t to;
    } cases[] = {
        {"left, not below zero", 10, 0, false, 5, kLeft, 0, 0},
        {"wheel left", 10, 0, false, 100, kLeft, 10, 80},
        {"wheel right", 10, 0, false, 0, kRight, 10, 20},
        {"right stops where the last tab meets the buttons", 10, 0, false, 668, kRight, 0, 672},
        // The offset is 16 bits: 32765 + 10 wraps negative and lands at 0 ...
        {"right wraps", 10, 0, false, 32765, kRight, 0, 0},
        // ... and -32763 - 10 wraps to a large positive offset.
        {"left wraps", 10, 0, false, -32763, kLeft, 0, 32763},
        {"tab-wise left: the start of the tab cut at the left end", 10, 0, true, 300, kLeft, 0, 240},
        {"tab-wise left from the first tab: the start", 10, 0, true, 120, kLeft, 0, 0},
        {"tab-wise right: the next tab's start", 10, 0, true, 250, kRight, 0, 360},
        {"tab-wise right from a tab's end", 10, 0, true, 120, kRight, 0, 240},
        {"tab-wise left over tabs of different widths", 30, 10, true, 360, kLeft, 0, 324},
        {"tab-wise right over tabs of different widths", 30, 10, true, 324, kRight, 0, 360},
        // Tabs 3..619 and 619..1235: the last one, wider than the row, keeps its start in view.
        {"tab-wise right to a last tab wider than the row", 2, 300, true, 619, kRight, 0, 616},
        {"exact: last tab ends at the button area", 10, 0, false, 1000, kExactCorrection, 0, 672},
        {"ordinary: clamped to the same place", 10, 0, false, 1000, kCorrection, 0, 672},
        {"inside the limit: unchanged", 10, 0, false, 500, kCorrection, 0, 500},
        {"row ends left of the button area", 3, 0, false, 100, kCorrection, 0, 0},
        {"overflowing, scrolled too far", 5, 0, false, 400, kClamp, 0, 72},
        {"overflowing, within range", 5, 0, false, 50, kClamp, 0, 50},
        {"fitting but scrolled", 4, 0, false, 200, kClamp, 0, 0},
        {"fitting, scrolled by a pixel", 4, 0, false, 1, kClamp, 0, 0},
        {"a paint corrects the offset", 10, 0, false, 900, kPaint, 0, 672},
        {"tab 7 (843..963): its right edge meets the button area", 10, 0, false, 0, kEnsureVisible, 7, 432},
        {"a tab in view stays", 10, 0, false, 432, kEnsureVisible, 7, 432},
        {"tab 1 (123..243), left of the row: 3 pixels in", 10, 0, false, 432, kEnsureVisible, 1, 120},
    };
    // The operations in the order of Op, each given the row's argument.
    const std::function<void(int)> ops[] = {[&](int a) { bar.ScrollLeft(a); },
                                            [&](int a) { bar.ScrollRight(a); },
                                            [&](int) { test::TabBarProbe::ScrollCorrection(bar, true); },
                                            [&](int) { test::TabBarProbe::ScrollCorrection(bar, false); },
                                            [&](int) { test::TabBarProbe::ClampScroll(bar); },
                                            [&](int a) { bar.EnsureVisible(static_cast<std::int16_t>(a)); },
                                            [&](int) { bar.PaintBar(kWnd, false); }};
    bar.Attach(kWnd);
    for (const auto& c : cases) {
        log.charWidth = c.charWidth;
        bar.SetStyle(c.charWidth > 0 ? kWidthFit : kWidthFixed);
        bar.SetScrollFit(c.tabWise);
        Tabs(c.tabs);
        bar.SetScrollPos(c.from);
        ops[c.op](c.arg);
        EXPECT_EQ(bar.ScrollPos(), c.to) << c.what;
    }
    // No tab reaches the row's left end: tab-wise steps stay put.
    Tabs(3, false);
    EXPECT_EQ(test::TabBarProbe::FitScrollStep(bar, true), 0);
    EXPECT_EQ(test::TabBarProbe::FitScrollStep(bar, false), 0);
}

TEST_F(Layout, HitTestCountsTheScrolledRow) {
    Tabs(10);
    bar.SetScrollPos(100);
    // At x 10 the row is at 110, in the first tab (3..123); the frame and the buttons are no tab.
    for (auto [x, tab] : {std::pair{10, 0}, {30, 1}, {520, 5}, {0, -1}, {540, -1}})
        EXPECT_EQ(bar.HitTestTab(x, 10), tab);
}

TEST_F(Layout, SelectingOrRetitlingTheSelectedTabBringsItIntoViewWhileAttached) {
    Tabs(10);
    bar.SetSelectedIndex(7);  // detached: nothing, and no paint
    bar.PaintBar(kWnd, false);
    EXPECT_EQ(bar.ScrollPos(), 0);
    EXPECT_TRUE(log.calls.empty());
    bar.Attach(kWnd);
    bar.SetSelectedIndex(9);
    EXPECT_EQ(bar.ScrollPos(), 1203 - 531);
    bar.SetScrollPos(0);
    bar.SetTitle(8, L"other");  // not selected: no scrolling
    EXPECT_EQ(bar.ScrollPos(), 0);
    bar.SetTitle(9, L"retitled");
    EXPECT_EQ(bar.ScrollPos(), 1203 - 531);
    // Clamped against the rows as they are, a new tab's empty rectangle is no row that fits.
    bar.AddTab(-1, L"new", L"new", true);
    EXPECT_EQ(bar.ScrollPos(), 1203 - 531);
}

TEST_F(Layout, AutoRepeatInterval) {
    // A speed below 1 is refused: the last one stays.
    for (auto [fit, speed, interval] : {std::tuple{false, 10, 10},
                                        {true, 10, 100},
                                        {true, 3, 333},
                                        {true, 16, 62},
                                        {true, 80, 12},
                                        {true, 6, 167},
                                        {true, 0, 167},
                                        {true, -3, 167}}) {
        bar.SetScrollFit(fit);
        bar.SetScrollSpeed(static_cast<std::int16_t>(speed));
        EXPECT_EQ(test::TabBarProbe::AutoRepeatInterval(bar), interval) << speed;
    }
}

}  // namespace
}  // namespace brisko
