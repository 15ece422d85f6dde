#include "tabbar/win/tab_bar_port.h"

#include <windows.h>
#include <olectl.h>

namespace brisko {
namespace {

class Win32TabBarPort : public ITabBarPort {
public:
    void Bind(CMDITab& bar) override { bar_ = &bar; }

    void ReadSystemParameters(std::int32_t& dragCX, std::int32_t& dragCY, std::int32_t& wheelLines) override {
        dragCX = GetSystemMetrics(SM_CXDRAG);
        dragCY = GetSystemMetrics(SM_CYDRAG);
        UINT lines = 0;
        if (SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) wheelLines = static_cast<std::int32_t>(lines);
    }

    Size MeasureText(const FontSpec&, const std::wstring&) override { return {}; }

    std::optional<std::uint32_t> TranslateColor(std::uint32_t oleColor) override {
        COLORREF rgb = 0;
        if (OleTranslateColor(static_cast<OLE_COLOR>(oleColor), nullptr, &rgb) != S_OK) return std::nullopt;
        return static_cast<std::uint32_t>(rgb);
    }

    void AttachWindow(WindowHandle) override {}
    void DetachWindow(WindowHandle) override {}

    void FrameChanged(WindowHandle hWnd) override {
        SetWindowPos(reinterpret_cast<HWND>(hWnd), nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
    }

    void PaintBar(WindowHandle, bool) override {}

private:
    CMDITab* bar_ = nullptr;
};

}  // namespace

std::unique_ptr<CMDITab> CreateTabBar() { return std::make_unique<CMDITab>(std::make_unique<Win32TabBarPort>()); }

}  // namespace brisko
