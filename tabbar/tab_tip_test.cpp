#include "tabbar/tab_tip.h"

#include <gtest/gtest.h>

#include "tabbar/fake_port_test.h"

namespace brisko {
namespace {

using test::FakePort;

class Tips : public ::testing::Test {
protected:
    static constexpr WindowHandle kWnd = 55;
    FakePort::Log log;
    test::TabEvents sink;
    CMDITab bar{std::make_unique<FakePort>(&log)};

    void SetUp() override {
        bar.SetEvents(&sink);
        bar.Attach(kWnd);
        // Six tabs of 120 pixels overflow the 600-pixel window.
        for (int i = 0; i < 6; ++i) bar.AddTab(-1, L"k" + std::to_wstring(i), L"t" + std::to_wstring(i), true);
        bar.LayoutBar(kWnd);
    }
    Point Mid(const Rect& r) const { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    Point TabMid(int i) const {
        const Rect& r = bar.Tabs()[static_cast<size_t>(i)].rcTab;
        return {(r.left + r.right) / 2 - bar.ScrollPos(), (r.top + r.bottom) / 2};
    }
    TabTip At(Point p) const { return TipAt(bar, p.x, p.y); }
};

TEST_F(Tips, FollowTabsAndButtonsAndStayAwayFromPressesAndDrags) {
    const Rect& b = bar.BarRect();
    TabTip t = At(TabMid(1));
    EXPECT_EQ(t.sKey, L"k1");
    EXPECT_EQ(t.rc, (Rect{bar.Tabs()[1].rcTab.left, b.top, bar.Tabs()[1].rcTab.right + 1, b.bottom}));
    EXPECT_EQ(TipText(bar, t), L"t1");  // the sink gives nothing: the title
    sink.tip = L"Project1 - Module1";
    EXPECT_EQ(TipText(bar, t), L"Project1 - Module1 1");

    // Scrolled, the first tab's tip covers only what is left of it in view.
    bar.SetScrollPos(30);
    t = At(Point{b.left + 5, TabMid(0).y});
    EXPECT_EQ(t.sKey, L"k0");
    EXPECT_EQ(t.rc.left, b.left);
    EXPECT_EQ(t.rc.right, bar.Tabs()[0].rcTab.right - 30 + 1);

    struct Case {
        std::int32_t button;
        const wchar_t* text;
    } cases[] = {{kScrollLeftButton, L"\u5DE6\u3078\u30B9\u30AF\u30ED\u30FC\u30EB"},
                 {kScrollRightButton, L"\u53F3\u3078\u30B9\u30AF\u30ED\u30FC\u30EB"},
                 {kCloseButton, L"\u9589\u3058\u308B"}};
    for (const auto& c : cases) {
        t = At(Mid(bar.ButtonBox(c.button)));
        EXPECT_EQ(t.button, c.button);
        EXPECT_EQ(TipText(bar, t), c.text);
    }

    // A tab that went has no text; a hidden bar and an armed drag have no tip.
    t = At(TabMid(2));
    bar.RemoveTab(2);
    EXPECT_EQ(TipText(bar, t), L"");
    bar.SetScrollPos(0);
    const Point p = TabMid(0);
    test::Send(bar, msg::kLButtonDown, p.x, p.y);
    ASSERT_EQ(bar.DragState(), kDragArmed);
    EXPECT_TRUE(At(p).Empty());
    test::Send(bar, msg::kLButtonUp, p.x, p.y);
    EXPECT_FALSE(At(p).Empty());
    bar.SetVisible(false);
    EXPECT_TRUE(At(p).Empty());
}

TEST_F(Tips, ListHoldsShownTabsInOrderWithSafeLabelsAndColumns) {
    bar.SetTitle(0, L"R&D\tx");
    bar.SetTabVisible(3, false);
    bar.SetIcon(1, 4);
    bar.SetSelectedIcon(1, 9);
    bar.SetIcon(2, 5);
    bar.SetSelectedIndex(1);
    // Each entry as "key label icon", marked when checked and when it starts a column.
    std::wstring entries;
    for (const auto& e : TabList(bar, 2))
        entries += e.sKey + L" " + e.sLabel + L" " + std::to_wstring(e.iIcon) + (e.bChecked ? L" checked" : L"") +
                   (e.bBreak ? L" break" : L"") + L"; ";
    EXPECT_EQ(entries, L"k0 R&&D x 0; k1 t1 9 checked; k2 t2 5 break; k4 t4 0; k5 t5 0 break; ");
    EXPECT_EQ(TabList(bar, 0).size(), 5u);  // a screen too small for one entry still lists all
}

}  // namespace
}  // namespace brisko
