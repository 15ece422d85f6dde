#pragma once
// A recording stand-in for the window side of the bar, for native tests.
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

}  // namespace brisko::test
