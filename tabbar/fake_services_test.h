#pragma once
// Recording stand-ins for the bar's services, a recorder of its events and
// a probe into what it keeps to itself, for the tests.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tabbar/mdi_tab.h"

namespace brisko::test {

// The mouse messages of the tests, typed as the window side types them.
struct Message {
    BarInputKind kind;
    std::int32_t button = 0;
};
constexpr Message kLButtonDown{BarInputKind::ButtonDown, kLeftButton}, kLButtonUp{BarInputKind::ButtonUp, kLeftButton},
    kLButtonDblClk{BarInputKind::DoubleClick, kLeftButton}, kRButtonDown{BarInputKind::ButtonDown, kRightButton},
    kRButtonUp{BarInputKind::ButtonUp, kRightButton}, kRButtonDblClk{BarInputKind::DoubleClick, kRightButton},
    kMButtonDown{BarInputKind::ButtonDown, kMiddleButton}, kMButtonUp{BarInputKind::ButtonUp, kMiddleButton},
    kX1ButtonDown{BarInputKind::ButtonDown, kXButton1}, kX1ButtonUp{BarInputKind::ButtonUp, kXButton1},
    kX2ButtonDown{BarInputKind::ButtonDown, kXButton2}, kX2ButtonUp{BarInputKind::ButtonUp, kXButton2},
    kMouseMove{BarInputKind::MouseMove}, kMouseLeave{BarInputKind::MouseLeave},
    kCaptureChanged{BarInputKind::CaptureChanged}, kPaint{BarInputKind::Painted};

// A message at a point of the bar, which lies 2 + 27 pixels above the client
// area by default, as the window's subclass passes it on: mouse buttons and
// the loss of the capture before the window's own procedure, the rest after.
// True when the bar keeps it from the window.
inline bool Send(CMDITab& bar, Message m, std::int32_t x, std::int32_t y, std::uint32_t keys = 0,
                 std::int32_t above = 29) {
    const bool before = m.button != 0 || m.kind == BarInputKind::CaptureChanged;
    return bar
        .HandleInput({.kind = m.kind,
                      .phase = before ? MsgPhase::Before : MsgPhase::After,
                      .window = bar.hClientWnd(),
                      .button = m.button,
                      .point = {x - 2, y - above},
                      .keys = keys})
        .handled;
}

// What the bar keeps to itself, for the tests that check it step by step:
// the scrolling steps it takes on its own, the buttons' enabled states and
// the tabs behind a paint, and what a hover or a drag holds.
class TabBarProbe {
public:
    static void ClampScroll(CMDITab& bar) { bar.ClampScroll(); }
    static void ScrollCorrection(CMDITab& bar, bool exact) { bar.ScrollCorrection(exact); }
    static std::int32_t FitScrollStep(const CMDITab& bar, bool right) { return bar.FitScrollStep(right); }
    static std::int32_t AutoRepeatInterval(const CMDITab& bar) { return bar.AutoRepeatInterval(); }

    // "l", "r" and "v" for the enabled left scroll, right scroll and close buttons.
    static std::string EnabledButtons(const CMDITab& bar) {
        return std::string(bar.CanScrollLeft() ? "l" : "") + (bar.CanScrollRight() ? "r" : "") +
               (bar.HasVisibleTab() ? "v" : "");
    }
    static std::vector<TabFace> ShownTabs(const CMDITab& bar) {
        std::vector<TabFace> faces;
        bar.ShownTabs(faces);
        return faces;
    }

    static const Rect& DragRect(const CMDITab& bar) { return bar.m_rcDrag; }
    static std::int32_t HotButton(const CMDITab& bar) { return bar.m_lHotButton; }
    static bool TrackingLeave(const CMDITab& bar) { return bar.m_bTrackLeave; }
};

// Recording stand-ins for the window side of the bar, one per service, and
// what they record. The window is `width` x 400 pixels, its client (0, 0) at
// the screen's (100, 200).
struct Log {
    std::vector<std::string> calls;
    std::int32_t lineHeight = 0, charWidth = 0;  // what MeasureText answers at 9 pt
    std::int32_t width = 600;
    bool captured = false, timerRunning = false, subclassed = false;
    bool paintOnFrameChange = false;  // the window repaints its frame, and with it the bar
    BarView view;                     // the last one painted
    CMDITab* bar = nullptr;
    // The window system tells the bar that its capture went.
    void LoseCapture() {
        captured = false;
        Send(*bar, kCaptureChanged, 0, 0);
    }
};

struct FakeText : ITextMeasure {
    Log& log;
    explicit FakeText(Log& l) : log(l) {}
    Size MeasureText(const FontSpec& font, const std::wstring& text) override {
        // A font twice as large measures twice as wide and high.
        return {static_cast<std::int32_t>(text.size() * log.charWidth * font.sizeCy / 90000),
                static_cast<std::int32_t>(log.lineHeight * font.sizeCy / 90000)};
    }
};

struct FakeColors : IColorSource {
    std::optional<std::uint32_t> TranslateColor(std::uint32_t c) override {
        if (c == 0x80000012) return 0x000000;  // button text: black
        if (c == 0x80000005) return 0xFFFFFF;  // window: white
        if (c & 0x80000000u) return std::nullopt;
        return c;
    }
};

struct FakePointer : IPointerServices {
    Log& log;
    explicit FakePointer(Log& l) : log(l) {}
    void ReadSystemParameters(std::int32_t& cx, std::int32_t& cy, std::int32_t& lines) override {
        cx = cy = 4;
        lines = 3;
    }
    void SetCapture(WindowHandle) override {
        log.calls.push_back("capture");
        log.captured = true;
    }
    void ReleaseCapture() override {
        log.calls.push_back("release");
        // As the window system does: losing the capture tells the window.
        if (log.captured) log.LoseCapture();
    }
    void TrackMouseLeave(WindowHandle, bool on) override { log.calls.push_back(on ? "track" : "untrack"); }
    void StartTimer(std::int32_t interval) override {
        log.calls.push_back("timer " + std::to_string(interval));
        log.timerRunning = true;
    }
    void StopTimer() override {
        log.calls.push_back("stop-timer");
        log.timerRunning = false;
    }
};

struct FakeWindow : IBarWindow {
    Log& log;
    explicit FakeWindow(Log& l) : log(l) {}
    void AttachWindow(WindowHandle) override {
        log.calls.push_back("attach");
        log.subclassed = true;
    }
    void DetachWindow(WindowHandle) override {
        log.calls.push_back("detach");
        log.subclassed = false;
    }
    void FrameChanged(WindowHandle h) override {
        log.calls.push_back("frame");
        if (log.paintOnFrameChange && log.subclassed) log.bar->PaintBar(h, false);
    }
    void PaintBar(WindowHandle, const BarView& view) override {
        log.calls.push_back("paint");
        log.view = view;
    }
    Rect WindowRect(WindowHandle) override { return {0, 0, log.width, 400}; }
    Point ScreenToClient(WindowHandle, Point p) override { return {p.x - 100, p.y - 200}; }
};

// A bar on the four fakes, which record into `log`.
inline std::unique_ptr<CMDITab> MakeFakeBar(Log& log) {
    struct Fakes {
        FakeText text;
        FakeColors colors;
        FakePointer pointer;
        FakeWindow window;
    };
    auto fakes = std::make_shared<Fakes>(Fakes{FakeText{log}, {}, FakePointer{log}, FakeWindow{log}});
    auto bar =
        std::make_unique<CMDITab>(TabBarServices{&fakes->text, &fakes->colors, &fakes->pointer, &fakes->window, fakes});
    log.bar = bar.get();
    return bar;
}

// Every event of the bar as a line: its name and numbers, a mouse event's
// point only when asked.
struct TabEvents : ITabBarEvents {
    std::vector<std::string> ev;
    bool points = false, dragOvers = true, cancelClose = false;
    std::wstring tip;  // the tooltip text a handler gives, followed by the tab's index

    template <class... Numbers>
    void Add(const char* name, Numbers... n) {
        std::string s = name;
        (s.append(" ").append(std::to_string(n)), ...);
        ev.push_back(s);
    }
    // The events since the last call, joined by ", ".
    std::string Take() {
        std::string s;
        for (const auto& e : ev) s.append(s.empty() ? "" : ", ").append(e);
        ev.clear();
        return s;
    }
    void MDIClientResize(std::int32_t w, std::int32_t h) override { Add("Resize", w, h); }
    void MDIClientMouseWheel(std::int32_t d, std::int32_t x, std::int32_t y, std::int32_t l, bool& h) override {
        Add("Wheel", d, x, y, l);
        h = false;  // as a handler that leaves the wheel to the window would
    }
    void MDIChildCreate(WindowHandle h) override { Add("Create", h); }
    void MDIChildDestroy(WindowHandle h) override { Add("Destroy", h); }
    void MDIChildActive(WindowHandle h) override { Add("Active", h); }
    std::function<void()> onQueryClose;  // what the handler does to the bar meanwhile
    void TabQueryClose(std::int16_t i, bool& c, std::int32_t m) override {
        Add("QueryClose", i, m);
        c = cancelClose;
        if (onQueryClose) onQueryClose();
    }
    void TabClosed() override { Add("Closed"); }
    void TabChanged(std::int16_t a, std::int16_t i, std::int32_t m) override { Add("Changed", a, i, m); }
    void TabExchange(std::int16_t f, std::int16_t t) override { Add("Exchange", f, t); }
    void CancelDrag(std::int16_t i) override { Add("CancelDrag", i); }
    void TabToolTip(std::int16_t i, std::wstring& s) override {
        if (!tip.empty()) s = tip + L" " + std::to_wstring(i);
    }
    void Mouse(const char* name, std::int16_t i, std::int32_t b, std::int32_t x, std::int32_t y) {
        if (points)
            Add(name, i, b, x, y);
        else if (dragOvers || std::string(name) != "DragOver")
            Add(name, i, b);
    }
#define EV(name)                                                                                       \
    void name(std::int16_t i, std::int32_t b, std::int32_t, std::int32_t x, std::int32_t y) override { \
        Mouse(#name, i, b, x, y);                                                                      \
    }
    EV(TabMouseDown)
    EV(TabMouseUp)
    EV(TabClick)
    EV(TabDblClick)
    EV(TabBarMouseDown)
    EV(TabBarMouseUp)
    EV(TabBarDblClick)
    EV(TabBarClick)
    EV(StartDrag)
    EV(DragOver)
    EV(CompleteDrag)
#undef EV
};

constexpr WindowHandle kWnd = 55;

// A bar on the fakes whose events the sink records.
class BarTest : public ::testing::Test {
protected:
    Log log;
    TabEvents sink;
    std::unique_ptr<CMDITab> owned = MakeFakeBar(log);
    CMDITab& bar = *owned;
    void SetUp() override { bar.SetEvents(&sink); }
    // Just n tabs, "k0" titled "t0" and so on, laid out: at a fixed width of
    // 120 pixels tab i spans 3 + 120 i .. 123 + 120 i.
    void Tabs(int n, bool visible = true) {
        while (bar.Count() > 0) bar.RemoveTab(0);
        for (int i = 0; i < n; ++i) bar.AddTab(-1, L"k" + std::to_wstring(i), L"t" + std::to_wstring(i), visible);
        bar.LayoutBar(kWnd);
    }
};

}  // namespace brisko::test
