// The Win32 side of the bar: the window system's services, the attachment
// to the MDI client (class and extended style, subclassing, the reserved
// strip) and the painting of the strip.
#include "tabbar/win/tab_bar.h"

#include <olectl.h>
#include <windows.h>

#include <optional>

#include "common/win/gdi.h"
#include "tabbar/win/bar_messages.h"
#include "tabbar/win/bar_painter.h"
#include "tabbar/win/tab_tips.h"
#include "winsvc/hookey.h"
#include "winsvc/subclass.h"
#include "winsvc/timer.h"

namespace brisko {
namespace {

RECT ToRECT(const Rect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

// Every service of one bar, and the window system's calls back into it.
class Win32BarSide final : public ITextMeasure,
                           public IColorSource,
                           public IPointerServices,
                           public IBarWindow,
                           private iSubclass,
                           private iTimer,
                           private IHooKeyEvents {
public:
    Win32BarSide() : m_cHookKey(this) {
        // The hook is switched on first and stays on for the bar's life:
        // Esc must reach a drag whichever window has the keyboard.
        m_cHookKey.SetActive(true);
    }
    ~Win32BarSide() {
        m_cHookKey.SetActive(false);
        m_cTimer.TmrStop();
        m_cSubclass.UnSubclass();
    }
    Win32BarSide(const Win32BarSide&) = delete;
    Win32BarSide& operator=(const Win32BarSide&) = delete;

    // The bar these services serve, once it is made; the window system's
    // calls reach it from then on.
    void Serve(CMDITab& bar) { m_pBar = &bar; }

    void ReadSystemParameters(std::int32_t& dragCX, std::int32_t& dragCY, std::int32_t& wheelLines) override {
        dragCX = GetSystemMetrics(SM_CXDRAG);
        dragCY = GetSystemMetrics(SM_CYDRAG);
        UINT lines = 0;
        if (SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) wheelLines = static_cast<std::int32_t>(lines);
    }

    Size MeasureText(const FontSpec& font, const std::wstring& text) override { return m_cPainter.Measure(font, text); }

    std::optional<std::uint32_t> TranslateColor(std::uint32_t oleColor) override {
        const std::optional<COLORREF> rgb = TranslateOleColor(oleColor);
        if (!rgb) return std::nullopt;
        return static_cast<std::uint32_t>(*rgb);
    }

    void AttachWindow(WindowHandle h) override {
        HWND hwnd = ToHwnd(h);
        // Double clicks must arrive as double-click messages; this is the
        // class's whole style, shared by every window of the class.
        SetClassLongPtrA(hwnd, GCL_STYLE, CS_DBLCLKS);
        // The bar draws its own frame in place of the system's client edge.
        const LONG_PTR ex = GetWindowLongPtrA(hwnd, GWL_EXSTYLE);
        SetWindowLongPtrA(hwnd, GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE));
        for (const auto& m : kWatchedMessages) m_cSubclass.AddMsg(m.message, m.phase);
        m_cSubclass.SubClass(h, this);
        m_cTips.Create(hwnd);
        // The surface exists from now on, so the first layout measures
        // titles and line heights for real.
        RECT wr{};
        if (GetWindowRect(hwnd, &wr)) m_cPainter.Grow(wr.right - wr.left, wr.bottom - wr.top + 1);
    }

    void DetachWindow(WindowHandle) override {
        m_cTips.Destroy();
        for (const auto& m : kWatchedMessages) m_cSubclass.DelMsg(m.message, m.phase);
        m_cSubclass.UnSubclass();
    }

    void FrameChanged(WindowHandle hWnd) override {
        SetWindowPos(ToHwnd(hWnd), nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
    }

    Rect WindowRect(WindowHandle hWnd) override {
        RECT r{};
        if (!GetWindowRect(ToHwnd(hWnd), &r)) return {};
        return Rect{0, 0, r.right - r.left, r.bottom - r.top};
    }

    Point ScreenToClient(WindowHandle hWnd, Point p) override {
        POINT pt{p.x, p.y};
        MapWindowPoints(HWND_DESKTOP, ToHwnd(hWnd), &pt, 1);
        return {pt.x, pt.y};
    }

    void SetCapture(WindowHandle hWnd) override { ::SetCapture(ToHwnd(hWnd)); }
    void ReleaseCapture() override { ::ReleaseCapture(); }

    void TrackMouseLeave(WindowHandle hWnd, bool on) override {
        TRACKMOUSEEVENT tme{};
        tme.cbSize = sizeof(tme);
        tme.dwFlags = on ? TME_LEAVE : (TME_CANCEL | TME_LEAVE);
        tme.hwndTrack = ToHwnd(hWnd);
        tme.dwHoverTime = 50;
        if (tme.hwndTrack) TrackMouseEvent(&tme);
    }

    void StartTimer(std::int32_t intervalMS) override { m_cTimer.TmrStart(this, intervalMS, 0); }
    void StopTimer() override { m_cTimer.TmrStop(); }

    void PaintBar(WindowHandle hWnd, const BarView& view) override;

private:
    void iSubclass_Proc(bool bBefore, bool& bHandled, std::intptr_t& lReturn, WindowHandle& hWnd, std::uint32_t& uMsg,
                        std::uintptr_t& wParam, std::intptr_t& lParam) override;
    void iTimer_Proc(std::int32_t lElapsedMS, std::int32_t lTimerID) override {
        if (!m_pBar) return;
        try {
            m_pBar->iTimer_Proc(lElapsedMS, lTimerID);
        } catch (...) {
            // A tick that fails changes nothing; the next one tries again.
        }
    }
    void KeyPress(const std::wstring& sKey, bool bInjected) override {
        if (!m_pBar) return;
        try {
            m_pBar->m_cHookKey_KeyPress(sKey, bInjected);
        } catch (...) {
            // The key goes on to its window whatever the bar made of it.
        }
    }

    CMDITab* m_pBar = nullptr;
    CHooKey m_cHookKey;
    CTimer m_cTimer;
    CSubclass m_cSubclass;
    CTabTips m_cTips;
    BarPainter m_cPainter;
};

void Win32BarSide::iSubclass_Proc(bool bBefore, bool& bHandled, std::intptr_t& lReturn, WindowHandle& hWnd,
                                  std::uint32_t& uMsg, std::uintptr_t& wParam, std::intptr_t& lParam) {
    if (!m_pBar) return;
    const MsgPhase phase = bBefore ? MsgPhase::Before : MsgPhase::After;
    if (uMsg == WM_NCCALCSIZE) {
        // Only the form with a parameter record; a bare rectangle keeps
        // the window's own answer.
        if (bBefore || !wParam || !lParam) return;
        auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
        if (!params->lppos) return;
        const WINDOWPOS& wp = *params->lppos;
        params->rgrc[0] = ToRECT(m_pBar->ClientRectFor(wp.x, wp.y, wp.cx, wp.cy));
        params->rgrc[1] = params->rgrc[0];
        lReturn = WVR_VALIDRECTS;
        return;
    }
    const BarInput input = ReadBarInput(phase, ToHwnd(hWnd), uMsg, wParam, lParam);
    try {
        const BarReply reply = m_pBar->HandleInput(input);
        bHandled = reply.handled;
        lReturn = AnswerResult(reply.answer, lReturn);
    } catch (...) {
        // A failure (an event handler's included) ends this message's
        // handling; the window goes on with what was decided so far.
    }
    try {
        m_cTips.OnInput(*m_pBar, input);
    } catch (...) {
        // A tip that cannot be shown is simply not shown.
    }
}

void Win32BarSide::PaintBar(WindowHandle hWnd, const BarView& view) {
    try {
        m_cTips.Recheck(*m_pBar);
    } catch (...) {
        // A tip left up a moment longer is no reason to leave the bar unpainted.
    }
    m_cPainter.Paint(ToHwnd(hWnd), view);
}

}  // namespace

std::unique_ptr<CMDITab> CreateTabBar() {
    auto side = std::make_shared<Win32BarSide>();
    auto bar = std::make_unique<CMDITab>(TabBarServices{side.get(), side.get(), side.get(), side.get(), side});
    side->Serve(*bar);
    return bar;
}

}  // namespace brisko
