#include <gtest/gtest.h>

#include "tabbar/fake_port_test.h"
#include "tabbar/mdi_tab.h"

namespace brisko {
namespace {

using test::FakePort;
using test::TabEvents;

using Seq = std::vector<std::string>;
constexpr WindowHandle kWnd = 55;
constexpr std::uintptr_t kLeftHeld = 1;  // MK_LBUTTON

class Input : public ::testing::Test {
protected:
    FakePort::Log log;
    TabEvents sink;
    CMDITab bar{std::make_unique<FakePort>(&log)};

    void SetUp() override {
        log.paintOnFrameChange = true;
        bar.SetEvents(&sink);
        bar.Attach(kWnd);
    }
    void Tabs(int n) {
        for (int i = 0; i < n; ++i) bar.AddTab(-1, L"k" + std::to_wstring(i), L"t" + std::to_wstring(i), true);
        bar.PaintBar(kWnd, false);
    }
    // Bar coordinates to the packed client coordinates of a message (frame
    // 2, strip 27 above the client area).
    static std::intptr_t At(std::int32_t x, std::int32_t y) {
        const auto cx = static_cast<std::uint16_t>(x - 2), cy = static_cast<std::uint16_t>(y - 2 - 27);
        return static_cast<std::intptr_t>(static_cast<std::uint32_t>(cx) | (static_cast<std::uint32_t>(cy) << 16));
    }
    bool Send(std::uint32_t m, std::int32_t x, std::int32_t y, std::uintptr_t wParam = 0) {
        bool handled = false;
        std::intptr_t ret = 0;
        const bool before = m != msg::kMouseMove;
        bar.HandleMessage(before, handled, ret, kWnd, m, wParam, At(x, y));
        return handled;
    }
    void Move(std::int32_t x, std::int32_t y, std::uintptr_t keys = kLeftHeld) { Send(msg::kMouseMove, x, y, keys); }
    Seq Take() { return std::exchange(sink.ev, {}); }
    bool Logged(const std::string& call) const {
        return std::find(log.calls.begin(), log.calls.end(), call) != log.calls.end();
    }
};

TEST_F(Input, BarPoints) {
    // Client coordinates gain the frame and, with the bar on top, the strip;
    // screen coordinates are mapped first.
    struct Case {
        std::int32_t border, align;
        bool screen;
        Point in, out;
    } cases[] = {
        {2, 0, false, {10, -20}, {12, 9}},  {2, 1, false, {10, 360}, {12, 362}}, {0, 0, false, {-1, -1}, {-1, 26}},
        {1, 0, true, {110, 190}, {11, 18}}, {1, 1, true, {110, 190}, {11, -9}},
    };
    for (const auto& c : cases) {
        bar.SetBorderStyle(c.border);
        bar.SetAlign(c.align);
        EXPECT_EQ(bar.ToBarPoint(c.in.x, c.in.y, c.screen), c.out) << c.border << " " << c.align;
    }
}

// A press and release of each kind: the events of both, and the capture
// only for the left button on a tab (the start of a drag).
TEST_F(Input, ClickSequences) {
    struct Case {
        const char* what;
        std::uint32_t down, up;
        std::int32_t x, y;
        Seq onDown, onUp;
        bool captured;
    } cases[] = {
        {"left on another tab",
         msg::kLButtonDown,
         msg::kLButtonUp,
         150,
         15,
         {"TabMouseDown 1 1 150 15", "Changed 1 0 2"},
         {"TabBarMouseUp 1 1 150 15", "TabBarClick 1 1 150 15", "TabMouseUp 1 1 150 15", "TabClick 1 1 150 15"},
         true},
        {"left on the selected tab",
         msg::kLButtonDown,
         msg::kLButtonUp,
         50,
         15,
         {"TabMouseDown 0 1 50 15"},
         {"TabBarMouseUp 0 1 50 15", "TabBarClick 0 1 50 15", "TabMouseUp 0 1 50 15", "TabClick 0 1 50 15"},
         true},
        {"right on a tab",
         msg::kRButtonDown,
         msg::kRButtonUp,
         150,
         15,
         {"TabMouseDown 1 2 150 15"},
         {"TabBarMouseUp 1 2 150 15", "TabBarClick 1 2 150 15", "TabMouseUp 1 2 150 15", "TabClick 1 2 150 15"},
         false},
        {"middle on an empty part",
         msg::kMButtonDown,
         msg::kMButtonUp,
         450,
         15,
         {"TabBarMouseDown -1 4 450 15"},
         {"TabBarMouseUp -1 4 450 15", "TabBarClick -1 4 450 15"},
         false},
        // Nothing to scroll: the disabled scroll button is empty bar.
        {"left on a disabled scroll button",
         msg::kLButtonDown,
         msg::kLButtonUp,
         545,
         14,
         {"TabBarMouseDown -1 1 545 14"},
         {"TabBarMouseUp -1 1 545 14", "TabBarClick -1 1 545 14"},
         false},
    };
    Tabs(3);
    for (const auto& c : cases) {
        bar.SetSelectedIndex(0);
        Take();
        log.calls.clear();
        log.captured = false;
        EXPECT_TRUE(Send(c.down, c.x, c.y)) << c.what;
        EXPECT_EQ(Take(), c.onDown) << c.what;
        EXPECT_EQ(Logged("capture"), c.captured) << c.what;
        EXPECT_TRUE(Send(c.up, c.x, c.y)) << c.what;
        EXPECT_EQ(Take(), c.onUp) << c.what;
        EXPECT_FALSE(log.captured) << c.what;
        EXPECT_EQ(bar.DragState(), kDragIdle);
    }
}

TEST_F(Input, XButtonsAndDoubleClicks) {
    Tabs(3);
    Send(msg::kXButtonDown, 150, 15, 0x10000);
    Send(msg::kXButtonDown, 150, 15, 0x20000);
    Send(msg::kXButtonDown, 150, 15, 0);
    EXPECT_EQ(Take(), (Seq{"TabMouseDown 1 5 150 15", "TabMouseDown 1 6 150 15", "TabMouseDown 1 0 150 15"}));

    // A double click: click events, then TabDblClick only, then click events.
    Send(msg::kLButtonDown, 150, 15);
    Send(msg::kLButtonUp, 150, 15);
    Take();
    Send(msg::kLButtonDblClk, 150, 15);
    EXPECT_EQ(Take(), Seq{"TabDblClick 1 1 150 15"});
    EXPECT_EQ(bar.DragState(), kDragIdle);  // no drag armed by a double click
    Send(msg::kLButtonUp, 150, 15);
    EXPECT_EQ(Take().size(), 4u);
    Send(msg::kRButtonDblClk, 450, 15);
    EXPECT_EQ(Take(), Seq{"TabBarDblClick -1 2 450 15"});
}

TEST_F(Input, MessagesOffTheBarAreNotTheBars) {
    Tabs(3);
    EXPECT_FALSE(Send(msg::kLButtonDown, 150, 100));
    EXPECT_FALSE(Send(msg::kLButtonUp, 150, 100));
    EXPECT_FALSE(Send(msg::kRButtonDblClk, 150, 100));
    EXPECT_TRUE(Take().empty());
    // With the bar hidden at the bottom, its old place is client area.
    bar.SetAlign(1);
    bar.SetVisible(false);
    bar.PaintBar(kWnd, false);
    bool handled = false;
    std::intptr_t ret = 0;
    const std::intptr_t bottomLeft = (380 << 16) | 150;  // client coordinates, no strip added
    bar.HandleMessage(true, handled, ret, kWnd, msg::kLButtonDown, 0, bottomLeft);
    EXPECT_FALSE(handled);
    EXPECT_TRUE(Take().empty());
}

TEST_F(Input, NoDragWithOneTabOrWithoutAutoDrag) {
    Tabs(1);
    Send(msg::kLButtonDown, 50, 15);
    EXPECT_EQ(bar.DragState(), kDragIdle);
    EXPECT_FALSE(Logged("capture"));
    Send(msg::kLButtonUp, 50, 15);
    bar.AddTab(-1, L"second", L"s", true);
    bar.SetAutoDrag(false);
    bar.PaintBar(kWnd, false);
    Send(msg::kLButtonDown, 50, 15);
    Move(300, 15);
    EXPECT_EQ(bar.DragState(), kDragIdle);
}

TEST_F(Input, SmallMoveIsStillAClick) {
    Tabs(3);
    Send(msg::kLButtonDown, 150, 15);
    EXPECT_EQ(bar.DragState(), kDragArmed);
    EXPECT_EQ(bar.DragRect(), (Rect{146, 11, 154, 19}));  // drag distance 4
    Move(153, 18);
    EXPECT_EQ(bar.DragState(), kDragArmed);
    Take();
    Send(msg::kLButtonUp, 153, 18);
    EXPECT_EQ(Take(), (Seq{"TabBarMouseUp 1 1 153 18", "TabBarClick 1 1 153 18", "TabMouseUp 1 1 153 18",
                           "TabClick 1 1 153 18"}));
    EXPECT_EQ(bar.DragState(), kDragIdle);
}

TEST_F(Input, FixedWidthDragMovesPerTabCrossed) {
    Tabs(4);
    Send(msg::kLButtonDown, 50, 15);
    Take();
    Move(60, 15);    // out of the drag rectangle, still over tab 0
    Move(150, 15);   // over tab 1
    Move(160, 15);   // still over tab 1, which is now the dragged one
    Move(270, 15);   // over tab 2
    Move(270, 100);  // off the bar
    Send(msg::kLButtonUp, 270, 100);
    EXPECT_EQ(Take(), (Seq{"StartDrag 0 0 60 15", "Exchange 0 1", "Changed 0 1 3", "DragOver 1 0 150 15",
                           "DragOver 1 0 160 15", "Exchange 1 2", "Changed 1 2 3", "DragOver 2 0 270 15",
                           "DragOver -1 0 270 100", "CompleteDrag -1 1 270 100"}));
    EXPECT_EQ(bar.SelectedIndex(), 2);
    EXPECT_EQ(bar.Key(2), L"k0");
    EXPECT_EQ(bar.DragState(), kDragIdle);
    EXPECT_FALSE(log.captured);
}

TEST_F(Input, FitWidthDragMovesOnDrop) {
    log.charWidth = 20;  // "tN" is 40 pixels: tabs of 56
    bar.SetStyle(1);
    Tabs(4);
    ASSERT_EQ(bar.Tabs()[1].rcTab, (Rect{59, 3, 115, 27}));
    Send(msg::kLButtonDown, 30, 15);
    Take();
    Move(80, 15);
    Move(150, 15);
    Send(msg::kLButtonUp, 150, 15);  // over tab 2
    EXPECT_EQ(Take(), (Seq{"StartDrag 0 0 80 15", "DragOver 2 0 150 15", "Exchange 0 2", "Changed 0 2 3",
                           "CompleteDrag 2 1 150 15"}));
    EXPECT_EQ(bar.Key(2), L"k0");
    // Dropped on itself, the tab still "moves" to its own place.
    Send(msg::kLButtonDown, 150, 15);
    Move(160, 15);
    Take();
    Send(msg::kLButtonUp, 160, 15);
    EXPECT_EQ(Take(), (Seq{"Exchange 2 2", "Changed 2 2 3", "CompleteDrag 2 1 160 15"}));
    // Another button released while dragging does nothing.
    Send(msg::kLButtonDown, 150, 15);
    Move(200, 15);
    Take();
    EXPECT_TRUE(Send(msg::kRButtonUp, 200, 15));
    EXPECT_TRUE(Take().empty());
    EXPECT_EQ(bar.DragState(), kDragging);
}

TEST_F(Input, EscAndCaptureLossCancelOnce) {
    Tabs(4);
    Send(msg::kLButtonDown, 50, 15);
    Move(150, 15);  // starts the drag
    Move(150, 16);  // moves tab 0 to 1
    Take();
    bar.m_cHookKey_KeyPress(L"Escape", false);
    bar.m_cHookKey_KeyPress(L"ESC", false);
    EXPECT_TRUE(Take().empty());
    bar.m_cHookKey_KeyPress(L"Esc", true);
    EXPECT_EQ(Take(), Seq{"CancelDrag 1"});  // the dragged tab's current index
    EXPECT_FALSE(log.captured);
    EXPECT_EQ(bar.Key(1), L"k0");            // moved tabs stay moved
    bar.m_cHookKey_KeyPress(L"Esc", false);  // idle: nothing
    EXPECT_TRUE(Take().empty());

    // Losing the capture cancels the same way.
    Send(msg::kLButtonDown, 150, 15);
    Move(400, 15);
    Take();
    log.ReleaseFromOutside(bar);
    EXPECT_EQ(Take(), Seq{"CancelDrag 1"});
    EXPECT_EQ(bar.DragState(), kDragIdle);
    // The release that follows is an ordinary one off the bar.
    EXPECT_FALSE(Send(msg::kLButtonUp, 400, 100));
    EXPECT_TRUE(Take().empty());
}

TEST_F(Input, CloseButton) {
    struct Case {
        const char* what;
        std::int16_t selected;
        bool cancel;
        std::int32_t releaseX, releaseY;
        bool handled;
        Seq events;
        int countAfter;
    } cases[] = {
        {"released over it", 1, false, 585, 14, true, {"QueryClose 1 1", "Changed 0 1 1", "Closed"}, 2},
        {"cancelled", 1, true, 585, 14, true, {"QueryClose 1 1"}, 3},
        {"released elsewhere on the bar", 1, false, 450, 14, true, {}, 3},
        {"released off the bar", 1, false, 585, 100, false, {}, 3},
        {"nothing selected", -1, false, 585, 14, true, {}, 3},
    };
    for (const auto& c : cases) {
        while (bar.Count() > 0) bar.RemoveTab(0);
        Tabs(3);
        bar.SetSelectedIndex(c.selected);
        sink.cancelClose = c.cancel;
        Take();
        Send(msg::kLButtonDown, 585, 14);
        EXPECT_EQ(bar.PressedButton(), kCloseButton) << c.what;
        EXPECT_TRUE(log.captured) << c.what;
        EXPECT_TRUE(Take().empty()) << c.what;
        EXPECT_EQ(Send(msg::kLButtonUp, c.releaseX, c.releaseY), c.handled) << c.what;
        EXPECT_EQ(Take(), c.events) << c.what;
        EXPECT_EQ(bar.Count(), c.countAfter) << c.what;
        if (c.handled) {
            EXPECT_EQ(bar.PressedButton(), kNoButton) << c.what;
            EXPECT_FALSE(log.captured) << c.what;
        } else {
            // The press ends at the next move without buttons.
            EXPECT_EQ(bar.PressedButton(), kCloseButton) << c.what;
            Move(300, 200, 0);
            EXPECT_EQ(bar.PressedButton(), kNoButton) << c.what;
            EXPECT_FALSE(log.captured) << c.what;
        }
    }
    // Without an event handler nobody cancels: the selected tab closes.
    bar.SetEvents(nullptr);
    bar.SetSelectedIndex(0);
    Send(msg::kLButtonDown, 585, 14);
    Send(msg::kLButtonUp, 585, 14);
    EXPECT_EQ(bar.Count(), 2);
}

TEST_F(Input, ScrollButtonAutoRepeat) {
    Tabs(10);
    log.calls.clear();
    Send(msg::kLButtonDown, 565, 14);  // scroll right
    EXPECT_EQ(bar.ScrollPos(), 10);    // one step at once
    EXPECT_TRUE(log.timerRunning);
    EXPECT_EQ(log.timerInterval, 10);
    EXPECT_TRUE(Take().empty());
    bar.iTimer_Proc(10, 0);
    EXPECT_EQ(bar.ScrollPos(), 20);
    Move(450, 14);  // off the button: flat, paused
    EXPECT_EQ(bar.HotButton(), kNoButton);
    bar.iTimer_Proc(20, 0);
    EXPECT_EQ(bar.ScrollPos(), 20);
    Move(566, 15);  // back: resumes
    EXPECT_EQ(bar.HotButton(), kScrollRightButton);
    bar.iTimer_Proc(30, 0);
    EXPECT_EQ(bar.ScrollPos(), 30);
    Send(msg::kLButtonUp, 566, 15);
    EXPECT_FALSE(log.timerRunning);
    EXPECT_EQ(bar.PressedButton(), kNoButton);
    EXPECT_EQ(bar.HotButton(), kScrollRightButton);  // still hovered
    EXPECT_TRUE(bar.TrackingLeave());
    bar.iTimer_Proc(40, 0);
    EXPECT_EQ(bar.ScrollPos(), 30);

    // Scroll left, tab-wise: a tab every 1000 / speed ms.
    bar.SetScrollFit(true);
    bar.SetScrollPos(240);
    bar.PaintBar(kWnd, false);
    Send(msg::kLButtonDblClk, 547, 14);  // a left double click presses too
    EXPECT_EQ(bar.ScrollPos(), 120);
    EXPECT_EQ(log.timerInterval, 100);
    // Held at the left end, it scrolls no further either way.
    bar.iTimer_Proc(0, 0);
    bar.iTimer_Proc(0, 0);
    EXPECT_EQ(bar.ScrollPos(), 0);
    // A move without buttons ends the press and stops the timer.
    Move(547, 14, 0);
    EXPECT_FALSE(log.timerRunning);
    EXPECT_EQ(bar.PressedButton(), kNoButton);
    EXPECT_FALSE(log.captured);
    EXPECT_TRUE(Take().empty());
}

TEST_F(Input, PressesWhileBusyAreNotTheBars) {
    Tabs(10);
    Send(msg::kLButtonDown, 565, 14);
    EXPECT_FALSE(Send(msg::kRButtonDown, 150, 15));  // a button is held
    Send(msg::kLButtonUp, 565, 14);
    Send(msg::kLButtonDown, 50, 15);
    Move(200, 15);
    Take();
    EXPECT_FALSE(Send(msg::kRButtonDown, 150, 15));  // dragging
    EXPECT_TRUE(Take().empty());
}

TEST_F(Input, HoverTracking) {
    Tabs(2);
    log.calls.clear();
    Move(585, 14, 0);
    EXPECT_EQ(bar.HotButton(), kCloseButton);
    Move(586, 14, 0);
    Move(300, 14, 0);
    EXPECT_EQ(bar.HotButton(), kNoButton);
    EXPECT_EQ(log.calls, (Seq{"track", "frame", "paint", "untrack", "frame", "paint"}));
    Move(585, 14, 0);
    bool handled = false;
    std::intptr_t ret = 0;
    bar.HandleMessage(false, handled, ret, kWnd, msg::kMouseLeave, 0, 0);
    EXPECT_EQ(bar.HotButton(), kNoButton);
    EXPECT_FALSE(bar.TrackingLeave());
}

TEST_F(Input, WindowNotifications) {
    struct Case {
        bool before;
        std::uint32_t m;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        Seq events;
    } cases[] = {
        {false, msg::kSize, 0, static_cast<std::intptr_t>(0xFFFE0258u), {"Resize 600 -2"}},
        {true, msg::kParentNotify, 1, 4242, {"Create 4242"}},
        {true, msg::kParentNotify, 0x00070002, 4243, {"Destroy 4243"}},
        {true, msg::kParentNotify, 513, 4244, {}},
        {false, msg::kMdiActivate, 777, 0, {"Active 777"}},
        {true, msg::kMdiActivate, 777, 0, {}},  // only after the window's own handling
    };
    for (const auto& c : cases) {
        bool handled = false;
        std::intptr_t ret = 5;
        bar.HandleMessage(c.before, handled, ret, kWnd, c.m, c.wParam, c.lParam);
        EXPECT_EQ(Take(), c.events) << c.m;
        EXPECT_FALSE(handled);
        EXPECT_EQ(ret, 5);
    }
}

TEST_F(Input, HitTestAndWheelUseScreenCoordinates) {
    Tabs(10);
    // The client area's (0, 0) is the screen's (100, 200); the bar's
    // coordinates add the frame (2) and the strip (27).
    auto screen = [](std::int32_t bx, std::int32_t by) {
        return static_cast<std::intptr_t>(
            static_cast<std::uint32_t>(static_cast<std::uint16_t>(bx - 2 + 100)) |
            (static_cast<std::uint32_t>(static_cast<std::uint16_t>(by - 29 + 200)) << 16));
    };
    struct Hit {
        std::int32_t x, y, answer;
    } hits[] = {{50, 15, 1}, {1, 1, 1}, {598, 26, 1}, {599, 15, 18}, {50, 27, 18}, {50, 0, 18}, {50, 200, 18}};
    for (const auto& h : hits) {
        bool handled = false;
        std::intptr_t ret = 0;
        bar.HandleMessage(false, handled, ret, kWnd, msg::kNcHitTest, 0, screen(h.x, h.y));
        EXPECT_EQ(ret, h.answer) << h.x << "," << h.y;
    }

    struct Wheel {
        std::uintptr_t wParam;
        std::int32_t bx, by;
        bool unhandledByHandler;
        Seq events;
        std::int16_t pos;
    } wheels[] = {
        {0x00780000, 50, 15, false, {}, 0},   // over the bar, nothing to the left
        {0xFF880000, 50, 15, false, {}, 20},  // over the bar: scroll
        {0xFF880008, 50, 200, false, {"Wheel -1 148 371 3"}, 20},
        {0x00F00000, 50, 200, true, {"Wheel 2 148 371 3"}, 20},
        {0x003C0000, 50, 200, false, {"Wheel 0 148 371 3"}, 20},  // half a notch: to even
        {0x00B40000, 50, 200, false, {"Wheel 2 148 371 3"}, 20},  // one and a half: to even
    };
    for (const auto& w : wheels) {
        sink.wheelLeavesUnhandled = w.unhandledByHandler;
        bool handled = false;
        std::intptr_t ret = 9;
        bar.HandleMessage(true, handled, ret, kWnd, msg::kMouseWheel, w.wParam, screen(w.bx, w.by));
        EXPECT_EQ(Take(), w.events);
        EXPECT_TRUE(handled);  // never reaches the window's own procedure
        EXPECT_EQ(ret, 0);
        EXPECT_EQ(bar.ScrollPos(), w.pos);
    }
    // A wheel message of another window is left alone.
    bool handled = false;
    std::intptr_t ret = 9;
    bar.HandleMessage(true, handled, ret, kWnd + 1, msg::kMouseWheel, 0xFF880000, screen(50, 200));
    EXPECT_FALSE(handled);
    EXPECT_TRUE(Take().empty());
}

TEST_F(Input, DetachReleasesCaptureTrackingAndTimer) {
    Tabs(10);
    Move(565, 14, 0);  // hovering: leave tracking on
    log.calls.clear();
    bar.Detach();
    EXPECT_EQ(log.calls, (Seq{"untrack", "release", "stop-timer", "detach", "frame"}));
    EXPECT_EQ(bar.hClientWnd(), 0);
    bar.Attach(kWnd);
    Send(msg::kLButtonDown, 565, 14);  // holding a scroll button
    ASSERT_TRUE(log.timerRunning);
    bar.Detach();
    EXPECT_FALSE(log.timerRunning);
    EXPECT_FALSE(log.captured);
    log.calls.clear();
    bar.Detach();  // detached already: the window side hears nothing
    EXPECT_TRUE(log.calls.empty());
}

// Each watched message reaches the bar once, before or after the window's own
// procedure: twice would raise its events twice. Mouse buttons and the wheel
// come before, so that the bar can keep them from the window.
TEST(WatchedMessages, OnceEachAndInputBeforeTheWindow) {
    std::vector<std::uint32_t> seen;
    for (const auto& m : kWatchedMessages) {
        EXPECT_EQ(std::count(seen.begin(), seen.end(), m.uMsg), 0) << m.uMsg;
        seen.push_back(m.uMsg);
        const bool input = m.uMsg >= msg::kLButtonDown && m.uMsg <= msg::kXButtonDblClk;
        EXPECT_EQ(m.when, input ? kBeforeWindow : m.when == kAfterWindow ? kAfterWindow : kBeforeWindow) << m.uMsg;
    }
}

}  // namespace
}  // namespace brisko
