#pragma once
// A recording stand-in for the window side of the bar, for native tests.
#include <sstream>
#include <string>
#include <vector>

#include "tabbar/mdi_tab.h"

namespace brisko::test {

class FakePort : public ITabBarPort {
public:
    struct Log {
        std::vector<std::string> calls;
        std::int32_t lineHeight = 0;             // what MeasureText answers for the height
        std::int32_t charWidth = 0;              // width per character
        std::int32_t width = 600, height = 400;  // the window's size
        Point screenOrigin{100, 200};            // client (0, 0) on the screen
        std::int32_t timerInterval = 0;
        bool timerRunning = false;
        bool captured = false;
        bool paintOnFrameChange = false;
        bool subclassed = false;
        CMDITab* bar = nullptr;
        // Another window takes the capture.
        void ReleaseFromOutside(CMDITab& b) {
            captured = false;
            bool handled = false;
            std::intptr_t ret = 0;
            b.HandleMessage(true, handled, ret, b.hClientWnd(), msg::kCaptureChanged, 0, 0);
        }
    };
    explicit FakePort(Log* log) : log_(log) {}
    void Bind(CMDITab& bar) override { log_->bar = &bar; }
    void ReadSystemParameters(std::int32_t& cx, std::int32_t& cy, std::int32_t& lines) override {
        cx = 4;
        cy = 4;
        lines = 3;
    }
    Size MeasureText(const FontSpec& font, const std::wstring& text) override {
        // A font twice as large measures twice as high.
        return {static_cast<std::int32_t>(text.size() * log_->charWidth * font.sizeCy / 90000),
                static_cast<std::int32_t>(log_->lineHeight * font.sizeCy / 90000)};
    }
    std::optional<std::uint32_t> TranslateColor(std::uint32_t c) override {
        if (c == 0x80000012) return 0x000000;  // button text: black
        if (c == 0x80000005) return 0xFFFFFF;  // window: white
        if (c == 0x8000000F) return 0xF0F0F0;  // button face
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
        // The window repaints its frame, and with it the bar.
        if (log_->paintOnFrameChange && log_->subclassed && log_->bar) log_->bar->PaintBar(h, false);
    }
    void PaintBar(WindowHandle, bool exact) override { log_->calls.push_back(exact ? "paint-exact" : "paint"); }
    Rect WindowRect(WindowHandle) override { return {0, 0, log_->width, log_->height}; }
    Point ScreenToClient(WindowHandle, Point p) override {
        return {p.x - log_->screenOrigin.x, p.y - log_->screenOrigin.y};
    }
    void SetCapture(WindowHandle) override {
        log_->calls.push_back("capture");
        log_->captured = true;
    }
    void ReleaseCapture() override {
        log_->calls.push_back("release");
        // As the window system does: losing the capture tells the window.
        if (log_->captured && log_->bar) {
            log_->captured = false;
            bool handled = false;
            std::intptr_t ret = 0;
            log_->bar->HandleMessage(true, handled, ret, log_->bar->hClientWnd(), msg::kCaptureChanged, 0, 0);
        }
    }
    void TrackMouseLeave(WindowHandle, bool on) override { log_->calls.push_back(on ? "track" : "untrack"); }
    void StartTimer(std::int32_t interval) override {
        log_->calls.push_back("timer " + std::to_string(interval));
        log_->timerInterval = interval;
        log_->timerRunning = true;
    }
    void StopTimer() override {
        log_->calls.push_back("stop-timer");
        log_->timerRunning = false;
    }

private:
    Log* log_;
};

// Every event of the bar as a line; mouse events as "Name index button x y",
// or "Name index button" without the points.
struct TabEvents : ITabBarEvents {
    std::vector<std::string> ev;
    bool points = true;
    bool cancelClose = false;
    bool wheelLeavesUnhandled = false;
    void Add(const std::string& s) { ev.push_back(s); }
    std::string M(const char* n, std::int16_t i, std::int32_t b, std::int32_t x, std::int32_t y) {
        std::ostringstream o;
        o << n << " " << i << " " << b;
        if (points) o << " " << x << " " << y;
        return o.str();
    }
    void MDIClientResize(std::int32_t w, std::int32_t h) override {
        Add("Resize " + std::to_string(w) + " " + std::to_string(h));
    }
    void MDIClientMouseWheel(std::int32_t d, std::int32_t x, std::int32_t y, std::int32_t l, bool& h) override {
        Add("Wheel " + std::to_string(d) + " " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(l));
        if (wheelLeavesUnhandled) h = false;
    }
    void MDIChildCreate(WindowHandle h) override { Add("Create " + std::to_string(h)); }
    void MDIChildDestroy(WindowHandle h) override { Add("Destroy " + std::to_string(h)); }
    void MDIChildActive(WindowHandle h) override { Add("Active " + std::to_string(h)); }
    void TabQueryClose(std::int16_t i, bool& c, std::int32_t m) override {
        Add("QueryClose " + std::to_string(i) + " " + std::to_string(m));
        c = cancelClose;
    }
    void TabClosed() override { Add("Closed"); }
    void TabChanged(std::int16_t a, std::int16_t i, std::int32_t m) override {
        Add("Changed " + std::to_string(a) + " " + std::to_string(i) + " " + std::to_string(m));
    }
    void TabExchange(std::int16_t f, std::int16_t t) override {
        Add("Exchange " + std::to_string(f) + " " + std::to_string(t));
    }
#define EV(name)                                                                                       \
    void name(std::int16_t i, std::int32_t b, std::int32_t, std::int32_t x, std::int32_t y) override { \
        Add(M(#name, i, b, x, y));                                                                     \
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
    void CancelDrag(std::int16_t i) override {
        Add("CancelDrag " + std::to_string(i));
    }
    // The events since the last call, without the drag-overs of every move
    // when asked.
    std::vector<std::string> Take(bool withDragOver = true) {
        std::vector<std::string> out;
        for (auto& e : ev)
            if (withDragOver || e.rfind("DragOver", 0) != 0) out.push_back(e);
        ev.clear();
        return out;
    }
};

}  // namespace brisko::test
