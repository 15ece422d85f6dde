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
        std::int32_t lineHeight = 0;  // what MeasureText answers for the height
        std::int32_t charWidth = 0;   // width per character
    };
    explicit FakePort(Log* log) : log_(log) {}
    void Bind(CMDITab&) override {}
    void ReadSystemParameters(std::int32_t& cx, std::int32_t& cy, std::int32_t& lines) override {
        cx = 4;
        cy = 4;
        lines = 3;
    }
    Size MeasureText(const FontSpec& font, const std::wstring& text) override {
        // A font twice as large measures twice as high.
        return {static_cast<std::int32_t>(text.size()) * log_->charWidth,
                static_cast<std::int32_t>(log_->lineHeight * font.sizeCy / 90000)};
    }
    std::optional<std::uint32_t> TranslateColor(std::uint32_t c) override {
        if (c == 0x80000012) return 0x000000;  // button text: black
        if (c == 0x80000005) return 0xFFFFFF;  // window: white
        if (c == 0x8000000F) return 0xF0F0F0;  // button face
        if (c & 0x80000000u) return std::nullopt;
        return c;
    }
    void AttachWindow(WindowHandle) override { log_->calls.push_back("attach"); }
    void DetachWindow(WindowHandle) override { log_->calls.push_back("detach"); }
    void FrameChanged(WindowHandle) override { log_->calls.push_back("frame"); }
    void PaintBar(WindowHandle, bool exact) override { log_->calls.push_back(exact ? "paint-exact" : "paint"); }

private:
    Log* log_;
};

}  // namespace brisko::test
