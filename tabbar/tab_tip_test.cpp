#include "tabbar/tab_tip.h"

#include <gtest/gtest.h>

#include "tabbar/fake_port_test.h"

namespace brisko {
namespace {

using test::FakePort;

struct Captions : ITabBarEvents {
    std::wstring text;
    void TabToolTip(std::int16_t i, std::wstring& s) override {
        if (!text.empty()) s = text + L" " + std::to_wstring(i);
    }
};

class Tips : public ::testing::Test {
protected:
    static constexpr WindowHandle kWnd = 55;
    FakePort::Log log;
    Captions sink;
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
    sink.text = L"Project1 - Module1";
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
        EXPECT_EQ(t.rc, bar.ButtonBox(c.button));
        EXPECT_EQ(TipText(bar, t), c.text);
    }

    // A tab that went has no text; a hidden bar and an armed drag have no tip.
    t = At(TabMid(2));
    bar.RemoveTab(2);
    EXPECT_EQ(TipText(bar, t), L"");
    bar.SetScrollPos(0);
    bool handled = false;
    std::intptr_t ret = 0;
    const Point p = TabMid(0);
    const auto lParam = static_cast<std::intptr_t>(
        static_cast<std::uint16_t>(p.x - 2) | (static_cast<std::uint32_t>(static_cast<std::uint16_t>(p.y - 29)) << 16));
    bar.HandleMessage(true, handled, ret, kWnd, msg::kLButtonDown, 1, lParam);
    ASSERT_EQ(bar.DragState(), kDragArmed);
    EXPECT_TRUE(At(p).Empty());
    bar.HandleMessage(true, handled, ret, kWnd, msg::kLButtonUp, 0, lParam);
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
    const auto list = TabList(bar, 2);
    std::vector<std::wstring> keys, labels;
    std::vector<int> icons, checked, breaks;
    for (const auto& e : list) {
        keys.push_back(e.sKey);
        labels.push_back(e.sLabel);
        icons.push_back(e.iIcon);
        checked.push_back(e.bChecked);
        breaks.push_back(e.bBreak);
    }
    EXPECT_EQ(keys, (std::vector<std::wstring>{L"k0", L"k1", L"k2", L"k4", L"k5"}));
    EXPECT_EQ(labels[0], L"R&&D x");
    EXPECT_EQ(icons, (std::vector<int>{0, 9, 5, 0, 0}));
    EXPECT_EQ(checked, (std::vector<int>{0, 1, 0, 0, 0}));
    EXPECT_EQ(breaks, (std::vector<int>{0, 0, 1, 0, 1}));
    EXPECT_EQ(TabList(bar, 0).size(), 5u);  // a screen too small for one entry still lists all
}

}  // namespace
}  // namespace brisko
