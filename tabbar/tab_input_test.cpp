// The bar's mouse and keyboard handling and the window's messages, and the
// tooltips and window list that follow what the pointer is over.
#include <gtest/gtest.h>

#include <tuple>

#include "resources/texts.h"
#include "tabbar/fake_services_test.h"
#include "tabbar/mdi_tab.h"
#include "tabbar/tab_tip.h"

namespace brisko {
namespace {

using namespace test;

constexpr std::uint32_t kLeftHeld = 1;  // MK_LBUTTON

class Input : public test::BarTest {
protected:
    void SetUp() override {
        BarTest::SetUp();
        log.paintOnFrameChange = true;
        bar.Attach(kWnd);
    }
    bool Send(Message m, std::int32_t x, std::int32_t y, std::uint32_t keys = 0) {
        return test::Send(bar, m, x, y, keys);
    }
    void Move(std::int32_t x, std::int32_t y, std::uint32_t keys = kLeftHeld) { Send(kMouseMove, x, y, keys); }
    std::string Take() { return sink.Take(); }
    // One auto-repeat tick; where the row is scrolled to after it.
    std::int16_t Tick() {
        bar.iTimer_Proc(0, 0);
        return bar.ScrollPos();
    }
    bool Logged(const std::string& call) const {
        return std::find(log.calls.begin(), log.calls.end(), call) != log.calls.end();
    }
};

// A press and release of each kind: the events of both, the capture only for
// the left button on a tab (a drag's start), and nothing below the bar, which
// ends at y 26.
TEST_F(Input, ClickSequences) {
    // A release's events over the empty bar and over a tab, at "index button".
    auto onBar = [](const std::string& at) { return "TabBarMouseUp " + at + ", TabBarClick " + at; };
    auto onTab = [&](const std::string& at) { return onBar(at) + ", TabMouseUp " + at + ", TabClick " + at; };
    struct Case {
        const char* what;
        Message down, up;
        std::int32_t x, y;
        std::string onDown, onUp;
        bool captured;
    } cases[] = {
        {"left, a tab", kLButtonDown, kLButtonUp, 150, 15, "TabMouseDown 1 1, Changed 1 0 2", onTab("1 1"), true},
        {"right on a tab", kRButtonDown, kRButtonUp, 150, 15, "TabMouseDown 1 2", onTab("1 2"), false},
        {"first x button", kX1ButtonDown, kX1ButtonUp, 150, 15, "TabMouseDown 1 5", onTab("1 5"), false},
        {"second x button", kX2ButtonDown, kX2ButtonUp, 450, 15, "TabBarMouseDown -1 6", onBar("-1 6"), false},
        {"middle on an empty part", kMButtonDown, kMButtonUp, 450, 15, "TabBarMouseDown -1 4", onBar("-1 4"), false},
        {"right double", kRButtonDblClk, kRButtonUp, 450, 15, "TabBarDblClick -1 2", onBar("-1 2"), false},
        // Nothing to scroll: the disabled scroll button is empty bar.
        {"left, disabled scroll", kLButtonDown, kLButtonUp, 545, 14, "TabBarMouseDown -1 1", onBar("-1 1"), false},
        {"left below the bar", kLButtonDown, kLButtonUp, 150, 100, "", "", false},
    };
    Tabs(3);
    for (const auto& c : cases) {
        bar.SetSelectedIndex(0);
        Take();
        log.calls.clear();
        EXPECT_EQ(Send(c.down, c.x, c.y), c.y < 27) << c.what;
        EXPECT_EQ(Take(), c.onDown) << c.what;
        EXPECT_EQ(Logged("capture"), c.captured) << c.what;
        EXPECT_EQ(Send(c.up, c.x, c.y), c.y < 27) << c.what;
        EXPECT_EQ(Take(), c.onUp) << c.what;
        EXPECT_FALSE(log.captured) << c.what;
        EXPECT_EQ(bar.DragState(), kDragIdle) << c.what;
    }
    // With the bar hidden at the bottom, its old place is client area.
    bar.SetAlign(kAlignBottom);
    bar.SetVisible(false);
    EXPECT_FALSE(test::Send(bar, kLButtonDown, 152, 382, 0, 2));
    EXPECT_EQ(Take(), "");
}

// A press on a tab arms a drag only with two tabs and auto-drag on; a move out
// of the drag rectangle then starts it.
TEST_F(Input, DragNeedsTwoTabsAndAutoDrag) {
    for (auto [tabs, autoDrag, armed] : {std::tuple{1, true, false}, {2, true, true}, {2, false, false}}) {
        Tabs(tabs);
        bar.SetAutoDrag(autoDrag);
        Send(kLButtonDown, 50, 15);
        EXPECT_EQ(bar.DragState(), armed ? kDragArmed : kDragIdle) << tabs << autoDrag;
        Move(300, 15);
        EXPECT_EQ(bar.DragState(), armed ? kDragging : kDragIdle) << tabs << autoDrag;
        Send(kLButtonUp, 300, 15);
    }
}

TEST_F(Input, FixedWidthDragMovesPerTabCrossed) {
    sink.points = true;
    Tabs(4);
    Send(kLButtonDown, 50, 15);
    EXPECT_EQ(TabBarProbe::DragRect(bar), (Rect{46, 11, 54, 19}));  // the drag distance, 4, each way
    Move(53, 18);                                                   // within it: still a click
    EXPECT_EQ(bar.DragState(), kDragArmed);
    Take();
    Move(60, 15);                               // out of the drag rectangle, still over tab 0
    Move(150, 15);                              // over tab 1
    Move(160, 15);                              // still over tab 1, which is now the dragged one
    Move(270, 15);                              // over tab 2
    EXPECT_FALSE(Send(kRButtonDown, 150, 15));  // no other press while dragging
    Move(270, 100);                             // off the bar
    EXPECT_TRUE(Send(kLButtonUp, 270, 100));
    EXPECT_EQ(Take(),
              "StartDrag 0 0 60 15, Exchange 0 1, Changed 0 1 3, DragOver 1 0 150 15, DragOver 1 0 160 15, "
              "Exchange 1 2, Changed 1 2 3, DragOver 2 0 270 15, DragOver -1 0 270 100, CompleteDrag -1 1 270 100");
    EXPECT_EQ(bar.Key(2), L"k0");
    EXPECT_EQ(bar.DragState(), kDragIdle);
    EXPECT_FALSE(log.captured);
}

TEST_F(Input, FitWidthDragMovesOnDrop) {
    log.charWidth = 20;  // "tN" is 40 pixels: tabs of 56
    bar.SetStyle(kWidthFit);
    Tabs(4);  // tab 1 spans 59..115
    Send(kLButtonDown, 30, 15);
    Take();
    Move(80, 15);
    Move(150, 15);
    Send(kLButtonUp, 150, 15);  // over tab 2
    EXPECT_EQ(Take(), "StartDrag 0 0, DragOver 2 0, Exchange 0 2, Changed 0 2 3, CompleteDrag 2 1");
    EXPECT_EQ(bar.Key(2), L"k0");
    // Dropped on itself, the tab still "moves" to its own place.
    Send(kLButtonDown, 150, 15);
    Move(160, 15);
    Take();
    Send(kLButtonUp, 160, 15);
    EXPECT_EQ(Take(), "Exchange 2 2, Changed 2 2 3, CompleteDrag 2 1");
    // Another button released while dragging does nothing.
    Send(kLButtonDown, 150, 15);
    Move(200, 15);
    Take();
    EXPECT_TRUE(Send(kRButtonUp, 200, 15));
    EXPECT_EQ(Take(), "");
    EXPECT_EQ(bar.DragState(), kDragging);
}

TEST_F(Input, EscAndCaptureLossCancelOnce) {
    Tabs(4);
    Send(kLButtonDown, 50, 15);
    Move(150, 15);  // starts the drag
    Move(150, 16);  // moves tab 0 to 1
    Take();
    bar.m_cHookKey_KeyPress(L"Escape", false);  // another key's name
    EXPECT_EQ(Take(), "");
    bar.m_cHookKey_KeyPress(L"Esc", true);
    EXPECT_EQ(Take(), "CancelDrag 1");  // the dragged tab's current index
    EXPECT_FALSE(log.captured);
    bar.m_cHookKey_KeyPress(L"Esc", false);  // idle: nothing
    EXPECT_EQ(Take(), "");

    // Losing the capture cancels the same way.
    Send(kLButtonDown, 150, 15);
    Move(400, 15);
    Take();
    log.LoseCapture();
    EXPECT_EQ(Take(), "CancelDrag 1");
    // The release that follows is an ordinary one off the bar.
    EXPECT_FALSE(Send(kLButtonUp, 400, 100));
    EXPECT_EQ(Take(), "");
}

TEST_F(Input, CloseButton) {
    struct Case {
        const char* what;
        std::int16_t selected;
        bool cancel;
        std::int32_t releaseX, releaseY;
        const char* events;
        int countAfter;
        bool handler = true;
    } cases[] = {
        {"released over it", 1, false, 585, 14, "QueryClose 1 1, Changed 0 1 1, Closed", 2},
        {"cancelled", 1, true, 585, 14, "QueryClose 1 1", 3},
        {"released elsewhere on the bar", 1, false, 450, 14, "", 3},
        {"released below the bar", 1, false, 585, 100, "", 3},
        {"nothing selected", -1, false, 585, 14, "", 3},
        {"without a handler nobody cancels", 0, true, 585, 14, "", 2, false},
    };
    for (const auto& c : cases) {
        Tabs(3);
        bar.SetSelectedIndex(c.selected);
        sink.cancelClose = c.cancel;
        bar.SetEvents(c.handler ? &sink : nullptr);
        Take();
        Send(kLButtonDown, 585, 14);
        EXPECT_EQ(bar.PressedButton(), kCloseButton) << c.what;
        EXPECT_TRUE(log.captured) << c.what;
        EXPECT_EQ(Send(kLButtonUp, c.releaseX, c.releaseY), c.releaseY < 27) << c.what;
        EXPECT_EQ(Take(), c.events) << c.what;
        EXPECT_EQ(bar.Count(), c.countAfter) << c.what;
        // Released where the bar did not see it, the press ends at the next move without buttons.
        Move(300, 200, 0);
        EXPECT_EQ(bar.PressedButton(), kNoButton) << c.what;
        EXPECT_FALSE(log.captured) << c.what;
    }
    // The handler removed a tab meanwhile: the selected index is beyond the table, nothing more goes.
    bar.SetEvents(&sink);
    bar.SetSelectedIndex(1);
    sink.cancelClose = false;
    sink.onQueryClose = [&] { bar.RemoveTab(0); };
    Send(kLButtonDown, 585, 14);
    Take();
    Send(kLButtonUp, 585, 14);
    EXPECT_EQ(Take(), "QueryClose 1 1, Changed 0 1 1");
    EXPECT_EQ(bar.Count(), 1);
}

TEST_F(Input, ScrollButtonAutoRepeatAndHover) {
    Tabs(10);
    log.calls.clear();
    Send(kLButtonDown, 565, 14);                // scroll right
    EXPECT_EQ(bar.ScrollPos(), 10);             // one step at once
    EXPECT_TRUE(Logged("timer 10"));            // then every 10 ms
    EXPECT_FALSE(Send(kRButtonDown, 150, 15));  // no other press while a button is held
    EXPECT_EQ(Tick(), 20);
    Move(450, 14);  // off the button: flat, paused
    EXPECT_EQ(TabBarProbe::HotButton(bar), kNoButton);
    EXPECT_EQ(Tick(), 20);
    Move(566, 15);  // back: resumes
    EXPECT_EQ(TabBarProbe::HotButton(bar), kScrollRightButton);
    EXPECT_EQ(Tick(), 30);
    Send(kLButtonUp, 566, 15);
    EXPECT_FALSE(log.timerRunning);
    EXPECT_EQ(TabBarProbe::HotButton(bar), kScrollRightButton);  // still hovered
    EXPECT_TRUE(TabBarProbe::TrackingLeave(bar));
    EXPECT_EQ(Tick(), 30);
    // Hovering: the leaving is tracked while a button is hot.
    log.calls.clear();
    Move(300, 14, 0);
    Move(585, 14, 0);
    Move(586, 14, 0);  // the same button: nothing to redraw
    EXPECT_EQ(TabBarProbe::HotButton(bar), kCloseButton);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"untrack", "frame", "paint", "track", "frame", "paint"}));
    Send(kMouseLeave, 0, 0);
    EXPECT_EQ(TabBarProbe::HotButton(bar), kNoButton);
    EXPECT_FALSE(TabBarProbe::TrackingLeave(bar));

    // Scroll left, tab-wise: a tab every 1000 / speed ms.
    bar.SetScrollFit(true);
    bar.SetScrollPos(240);
    bar.PaintBar(kWnd, false);
    Send(kLButtonDblClk, 547, 14);  // a left double click presses too
    EXPECT_EQ(bar.ScrollPos(), 120);
    // Held at the left end, it scrolls no further either way.
    Tick();
    EXPECT_EQ(Tick(), 0);
    // A move without buttons ends the press and stops the timer.
    Move(547, 14, 0);
    EXPECT_FALSE(log.timerRunning);
    EXPECT_FALSE(log.captured);
}

// The window's notifications, hit tests and the wheel, at screen points
// given in bar coordinates: the client area's (0, 0) is the screen's
// (100, 200), and the bar's coordinates add the frame (2) and the strip (27).
TEST_F(Input, WindowMessages) {
    Tabs(10);
    auto screen = [](std::int32_t bx, std::int32_t by) { return Point{bx - 2 + 100, by - 29 + 200}; };
    using Kind = BarInputKind;
    constexpr auto kBefore = MsgPhase::Before, kAfter = MsgPhase::After;
    constexpr auto kOwn = BarAnswer::Unchanged, kZero = BarAnswer::Zero;
    auto wheel = [&](std::int32_t bx, std::int32_t by, std::int16_t delta, std::uint32_t keys = 0) {
        return BarInput{.kind = Kind::Wheel,
                        .phase = kBefore,
                        .window = kWnd,
                        .point = screen(bx, by),
                        .keys = keys,
                        .wheelDelta = delta};
    };
    auto hit = [&](std::int32_t bx, std::int32_t by) {
        return BarInput{.kind = Kind::HitTest, .window = kWnd, .point = screen(bx, by)};
    };
    BarInput otherWindow = wheel(50, 200, -120);
    otherWindow.window = kWnd + 1;
    const struct {
        BarInput in;
        const char* events;
        bool handled;
        BarAnswer answer;
        std::int16_t scrollPos;
    } cases[] = {
        {{.kind = Kind::Resized, .phase = kAfter, .window = kWnd, .point = {600, -2}}, "Resize 600 -2", false, kOwn, 0},
        {{.kind = Kind::ChildCreated, .phase = kBefore, .child = 4242}, "Create 4242", false, kOwn, 0},
        {{.kind = Kind::ChildDestroyed, .phase = kBefore, .child = 4243}, "Destroy 4243", false, kOwn, 0},
        {{.kind = Kind::ChildActivated, .phase = kAfter, .child = 777}, "Active 777", false, kOwn, 0},
        // Only after the window's own handling.
        {{.kind = Kind::ChildActivated, .phase = kBefore, .child = 777}, "", false, kOwn, 0},
        {hit(1, 1), "", false, BarAnswer::HitClient, 0},
        {hit(598, 26), "", false, BarAnswer::HitClient, 0},
        {hit(599, 15), "", false, BarAnswer::HitBorder, 0},
        {hit(50, 27), "", false, BarAnswer::HitBorder, 0},
        {hit(50, 0), "", false, BarAnswer::HitBorder, 0},
        // The wheel never reaches the window's own procedure.
        {wheel(50, 15, 120), "", true, kZero, 0},    // over the bar, nothing to the left
        {wheel(50, 15, -960), "", true, kZero, 20},  // eight notches, one step
        {wheel(50, 15, 0), "", true, kZero, 0},      // no delta counts as away from the user
        {wheel(50, 15, -120), "", true, kZero, 20},
        {wheel(50, 200, -120, 8), "Wheel -1 148 371 3", true, kZero, 20},
        {wheel(50, 200, 240), "Wheel 2 148 371 3", true, kZero, 20},
        {wheel(50, 200, 60), "Wheel 0 148 371 3", true, kZero, 20},     // half: to even
        {wheel(50, 200, 60, 1), "Wheel 1 148 371 3", true, kZero, 20},  // the key flags tip it
        {wheel(50, 200, 180), "Wheel 2 148 371 3", true, kZero, 20},    // 1.5: to even
        {otherWindow, "", false, kOwn, 20},
    };
    for (const auto& c : cases) {
        const BarReply reply = bar.HandleInput(c.in);
        EXPECT_EQ(Take(), c.events) << &c - cases;
        EXPECT_EQ(std::tuple(reply.handled, reply.answer, bar.ScrollPos()),
                  std::tuple(c.handled, c.answer, c.scrollPos))
            << &c - cases;
    }
}

TEST_F(Input, DetachReleasesCaptureTrackingAndTimer) {
    Tabs(10);
    Move(565, 14, 0);  // hovering: leave tracking on
    log.calls.clear();
    bar.Detach();
    EXPECT_EQ(log.calls, (std::vector<std::string>{"untrack", "release", "stop-timer", "detach", "frame"}));
    EXPECT_EQ(bar.hClientWnd(), 0);
    log.calls.clear();
    bar.Detach();  // detached already: the window side hears nothing
    EXPECT_TRUE(log.calls.empty());
    // A window destroyed under the bar is let go as it goes, and only that window.
    bar.Attach(kWnd);
    bar.HandleInput({.kind = BarInputKind::Destroyed, .window = kWnd + 1});
    EXPECT_EQ(bar.hClientWnd(), kWnd);
    bar.HandleInput({.kind = BarInputKind::Destroyed, .window = kWnd});
    EXPECT_EQ(bar.hClientWnd(), 0);
    EXPECT_EQ(log.calls.back(), "detach");
}

// Tooltips and the window list, over six tabs of 120 pixels that overflow
// the 600-pixel window.
class Tips : public Input {
protected:
    void SetUp() override {
        Input::SetUp();
        Tabs(6);
    }
    static Point Mid(const Rect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    Point TabMid(int i) const {
        const Point p = Mid(bar.Tabs()[static_cast<size_t>(i)].rcTab);
        return {p.x - bar.ScrollPos(), p.y};
    }
    TabTip At(Point p) const { return TipAt(bar, p.x, p.y); }
};

TEST_F(Tips, FollowTabsAndButtonsAndStayAwayFromPressesAndDrags) {
    const Rect& b = bar.BarRect();
    TabTip t = At(TabMid(1));
    EXPECT_EQ(t.sKey, L"k1");
    EXPECT_EQ(t.rc, (Rect{123, b.top, 244, b.bottom}));  // tab 1 and its separator
    EXPECT_EQ(TipText(bar, t), L"t1");                   // the sink gives nothing: the title
    sink.tip = L"Project1 - Module1";
    EXPECT_EQ(TipText(bar, t), L"Project1 - Module1 1");

    // Scrolled, the first tab's tip covers only what is left of it in view.
    bar.SetScrollPos(30);
    t = At(Point{b.left + 5, TabMid(0).y});
    EXPECT_EQ(t.sKey, L"k0");
    EXPECT_EQ(t.rc, (Rect{b.left, b.top, 123 - 30 + 1, b.bottom}));

    // The buttons name themselves with the resources' texts, not a tab's.
    const std::pair<std::int32_t, unsigned> buttons[] = {{kScrollLeftButton, BRISKO_IDS_TIP_SCROLL_LEFT},
                                                         {kScrollRightButton, BRISKO_IDS_TIP_SCROLL_RIGHT},
                                                         {kCloseButton, BRISKO_IDS_TIP_CLOSE}};
    for (const auto& [button, text] : buttons) {
        t = At(Mid(bar.ButtonBox(button)));
        EXPECT_EQ(t.button, button);
        EXPECT_EQ(ButtonTipTextId(t.button), text);
        EXPECT_EQ(TipText(bar, t), L"");
    }
    EXPECT_EQ(ButtonTipTextId(kNoButton), 0u);

    // A tab that went has no text; a hidden bar and an armed drag have no tip.
    t = At(TabMid(2));
    bar.RemoveTab(2);
    EXPECT_EQ(TipText(bar, t), L"");
    bar.SetScrollPos(0);
    const Point p = TabMid(0);
    Send(kLButtonDown, p.x, p.y);  // arms a drag
    EXPECT_TRUE(At(p).Empty());
    Send(kLButtonUp, p.x, p.y);
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
