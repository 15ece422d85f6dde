#pragma once
// A recording stand-in for the window side of the bar, and a recorder of the
// bar's events, for native tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tabbar/mdi_tab.h"

namespace brisko::test {

// A point as a message's lParam.
inline std::intptr_t Pack(std::int32_t x, std::int32_t y) {
    return static_cast<std::intptr_t>(static_cast<std::uint16_t>(x) |
                                      (static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16));
}

// A message at a point of the bar, which lies 2 + 27 pixels above the client
// area by default, when the window's subclass passes it on: mouse buttons and
// the loss of the capture before the window's own procedure, the rest after.
// True when the bar keeps it from the window.
inline bool Send(CMDITab& bar, std::uint32_t m, std::int32_t x, std::int32_t y, std::uintptr_t wParam = 0,
                 std::int32_t above = 29) {
    bool handled = false;
    std::intptr_t ret = 0;
    const bool before = (m > msg::kMouseMove && m <= msg::kXButtonDblClk) || m == msg::kCaptureChanged;
    bar.HandleMessage(before, handled, ret, bar.hClientWnd(), m, wParam, Pack(x - 2, y - above));
    return handled;
}

class FakePort : public ITabBarPort {
public:
    // The window is `width` x 400 pixels, its client (0, 0) at the screen's (100, 200).
    struct Log {
        std::vector<std::string> calls;
        std::int32_t lineHeight = 0, charWidth = 0;  // what MeasureText answers at 9 pt
        std::int32_t width = 600;
        bool captured = false, timerRunning = false, subclassed = false;
        bool paintOnFrameChange = false;  // the window repaints its frame, and with it the bar
        CMDITab* bar = nullptr;
        // The window system tells the bar that its capture went.
        void LoseCapture() {
            captured = false;
            Send(*bar, msg::kCaptureChanged, 0, 0);
        }
    };
    explicit FakePort(Log* log) : log_(log) {}
    void Bind(CMDITab& bar) override { log_->bar = &bar; }
    void ReadSystemParameters(std::int32_t& cx, std::int32_t& cy, std::int32_t& lines) override {
        cx = cy = 4;
        lines = 3;
    }
    Size MeasureText(const FontSpec& font, const std::wstring& text) override {
        // A font twice as large measures twice as wide and high.
        return {static_cast<std::int32_t>(text.size() * log_->charWidth * font.sizeCy / 90000),
                static_cast<std::int32_t>(log_->lineHeight * font.sizeCy / 90000)};
    }
    std::optional<std::uint32_t> TranslateColor(std::uint32_t c) override {
        if (c == 0x80000012) return 0x000000;  // button text: black
        if (c == 0x80000005) return 0xFFFFFF;  // window: white
        if (c & 0x80000000u) return std::nullopt;
        return c;
    }
    void AttachWindow(WindowHandle) override {
        log_->calls.push_back("attach");
        log_->subclassed = true;
    }
    void DetachWindow(WindowHandle) override {
        log_->calls.push_back("detach");
        log_->subclassed = false;
    }
    void FrameChanged(WindowHandle h) override {
        log_->calls.push_back("frame");
        if (log_->paintOnFrameChange && log_->subclassed) log_->bar->PaintBar(h, false);
    }
    void PaintBar(WindowHandle, bool exact) override { log_->calls.push_back(exact ? "paint-exact" : "paint"); }
    Rect WindowRect(WindowHandle) override { return {0, 0, log_->width, 400}; }
    Point ScreenToClient(WindowHandle, Point p) override { return {p.x - 100, p.y - 200}; }
    void SetCapture(WindowHandle) override {
        log_->calls.push_back("capture");
        log_->captured = true;
    }
    void ReleaseCapture() override {
        log_->calls.push_back("release");
        // As the window system does: losing the capture tells the window.
        if (log_->captured) log_->LoseCapture();
    }
    void TrackMouseLeave(WindowHandle, bool on) override { log_->calls.push_back(on ? "track" : "untrack"); }
    void StartTimer(std::int32_t interval) override {
        log_->calls.push_back("timer " + std::to_string(interval));
        log_->timerRunning = true;
    }
    void StopTimer() override {
        log_->calls.push_back("stop-timer");
        log_->timerRunning = false;
    }

private:
    Log* log_;
};

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
    void TabQueryClose(std::int16_t i, bool& c, std::int32_t m) override {
        Add("QueryClose", i, m);
        c = cancelClose;
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

// A bar on the fake port whose events the sink records.
class BarTest : public ::testing::Test {
protected:
    FakePort::Log log;
    TabEvents sink;
    CMDITab bar{std::make_unique<FakePort>(&log)};
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
