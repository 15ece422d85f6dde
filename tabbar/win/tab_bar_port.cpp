// The Win32 side of the bar: the window system's services behind
// ITabBarPort, the attachment to the MDI client (class and extended style,
// subclassing, the reserved strip) and the painting of the strip.
#include "tabbar/win/tab_bar_port.h"

#include <olectl.h>
#include <windows.h>

#include <array>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <unordered_map>

#include "common/rounding.h"
#include "common/win/ansi.h"
#include "common/win/handles.h"
#include "tabbar/win/mem_dc.h"
#include "tabbar/win/tab_tips.h"
#include "winsvc/hookey.h"
#include "winsvc/subclass.h"
#include "winsvc/timer.h"

namespace brisko {
namespace {

constexpr std::uint32_t kOleBtnFace = 0x8000000F;
constexpr std::uint32_t kOleBtnText = 0x80000012;
constexpr std::uint32_t kOleWindow = 0x80000005;
constexpr UINT kMeasureFlags = DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE;                  // 0x0C20
constexpr UINT kTitleFlags = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_WORD_ELLIPSIS;  // 0x40824
constexpr UINT kGlyphFlags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;                       // 0x25

// Draws connected lines with a fresh solid 1-pixel pen, which is selected
// back out and deleted before returning.
void Lines(HDC dc, COLORREF color, std::initializer_list<POINT> pts) {
    if (!dc || pts.size() < 2) return;
    UniqueGdi pen(CreatePen(PS_SOLID, 1, color));
    SelectInDC sel(dc, pen.Get());
    auto it = pts.begin();
    MoveToEx(dc, it->x, it->y, nullptr);
    for (++it; it != pts.end(); ++it) LineTo(dc, it->x, it->y);
}

RECT ToRECT(const Rect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

// One GDI font made from the bar's font value, remade only when the value
// changes, with the sizes of the texts measured in it. Fit-width layout
// measures every visible title on every paint; under Wine one measurement
// costs tens of microseconds, so a bar of 100 tabs would spend milliseconds
// per paint re-measuring titles that rarely change.
class FontCache {
public:
    // A measured size, or nullptr when the text has not been measured in the
    // current font.
    const Size* Measured(const std::wstring& text) const {
        auto it = m_sizes.find(text);
        return it == m_sizes.end() ? nullptr : &it->second;
    }
    void Remember(const std::wstring& text, Size size) {
        if (m_sizes.size() >= 4096) m_sizes.clear();  // titles come and go; stay bounded
        m_sizes.emplace(text, size);
    }

    HFONT Get(const FontSpec& wanted, int dpi) {
        if (!m_font || !(wanted == m_wanted)) {
            m_sizes.clear();
            LOGFONTA lf{};
            lf.lfHeight = -static_cast<LONG>(RoundHalfEven(static_cast<double>(wanted.sizeCy) * dpi / 720000.0));
            lf.lfWeight = wanted.weight;
            lf.lfItalic = wanted.italic;
            lf.lfUnderline = wanted.underline;
            lf.lfStrikeOut = wanted.strikethrough;
            lf.lfCharSet = static_cast<BYTE>(wanted.charset);
            const std::string face = ToAnsi(wanted.name);
            lstrcpynA(lf.lfFaceName, face.c_str(), LF_FACESIZE);
            m_font.Reset(CreateFontIndirectA(&lf));
            m_wanted = wanted;
        }
        return static_cast<HFONT>(m_font.Get());
    }

private:
    FontSpec m_wanted;
    UniqueGdi m_font;
    std::unordered_map<std::wstring, Size> m_sizes;
};

class Win32TabBarPort : public ITabBarPort, private iSubclass, private iTimer, private IHooKeyEvents {
public:
    Win32TabBarPort() : m_cHookKey(this) {
        // The hook is switched on first and stays on for the bar's life:
        // Esc must reach a drag whichever window has the keyboard.
        m_cHookKey.SetActive(true);
        HDC screen = GetDC(nullptr);
        m_iDpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
        if (screen) ReleaseDC(nullptr, screen);
        if (m_iDpi <= 0) m_iDpi = 96;
    }
    ~Win32TabBarPort() override {
        m_cHookKey.SetActive(false);
        m_cTimer.TmrStop();
        m_cSubclass.UnSubclass();
    }

    void Bind(CMDITab& bar) override { m_pBar = &bar; }

    void ReadSystemParameters(std::int32_t& dragCX, std::int32_t& dragCY, std::int32_t& wheelLines) override {
        dragCX = GetSystemMetrics(SM_CXDRAG);
        dragCY = GetSystemMetrics(SM_CYDRAG);
        UINT lines = 0;
        if (SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) wheelLines = static_cast<std::int32_t>(lines);
    }

    Size MeasureText(const FontSpec& font, const std::wstring& text) override {
        HDC dc = m_cMemDC.hdc();
        if (!dc) return {};
        FontCache& cache = CacheFor(font);
        HFONT hFont = cache.Get(font, m_iDpi);
        if (const Size* known = cache.Measured(text)) return *known;
        SelectInDC sel(dc, hFont);
        RECT rc{};
        const std::string ansi = ToAnsi(text);
        DrawTextA(dc, ansi.c_str(), -1, &rc, kMeasureFlags);
        const Size size{rc.right - rc.left, rc.bottom - rc.top};
        cache.Remember(text, size);
        return size;
    }

    std::optional<std::uint32_t> TranslateColor(std::uint32_t oleColor) override {
        COLORREF rgb = 0;
        if (OleTranslateColor(static_cast<OLE_COLOR>(oleColor), nullptr, &rgb) != S_OK) return std::nullopt;
        return static_cast<std::uint32_t>(rgb);
    }

    void AttachWindow(WindowHandle h) override {
        HWND hwnd = ToHwnd(h);
        // Double clicks must arrive as double-click messages; this is the
        // class's whole style, shared by every window of the class.
        SetClassLongPtrA(hwnd, GCL_STYLE, CS_DBLCLKS);
        // The bar draws its own frame in place of the system's client edge.
        const LONG_PTR ex = GetWindowLongPtrA(hwnd, GWL_EXSTYLE);
        SetWindowLongPtrA(hwnd, GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE));
        for (const auto& m : kWatchedMessages) m_cSubclass.AddMsg(m.uMsg, static_cast<std::uint32_t>(m.when));
        m_cSubclass.SubClass(h, this);
        m_cTips.Create(hwnd);
        // The surface exists from now on, so the first layout measures
        // titles and line heights for real.
        RECT wr{};
        if (GetWindowRect(hwnd, &wr)) m_cMemDC.EnsureSize(wr.right - wr.left, wr.bottom - wr.top + 1);
    }

    void DetachWindow(WindowHandle) override {
        m_cTips.Destroy();
        for (const auto& m : kWatchedMessages) m_cSubclass.DelMsg(m.uMsg, static_cast<std::uint32_t>(m.when));
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

    void PaintBar(WindowHandle hWnd, bool) override;

private:
    FontCache& CacheFor(const FontSpec& wanted) {
        // Four fonts are in use; each keeps its own GDI font.
        const CMDITab& b = *m_pBar;
        if (wanted == b.Font()) return m_fonts[0];
        if (wanted == b.SelFont()) return m_fonts[1];
        if (wanted == b.CloseGlyphFont()) return m_fonts[2];
        if (wanted == b.ScrollGlyphFont()) return m_fonts[3];
        return m_fonts[4];
    }
    HFONT FontFor(const FontSpec& wanted) { return CacheFor(wanted).Get(wanted, m_iDpi); }
    COLORREF Rgb(std::uint32_t ole) { return static_cast<COLORREF>(m_pBar->TranslateColor(ole) & 0x00FFFFFF); }

    void DrawFrame(HDC dc, const Rect& W);
    void DrawTabs(HDC M);
    void DrawButton(HDC M, std::int32_t n);

    void iSubclass_Proc(bool bBefore, bool& bHandled, std::intptr_t& lReturn, WindowHandle& hWnd, std::uint32_t& uMsg,
                        std::uintptr_t& wParam, std::intptr_t& lParam) override;
    void iTimer_Proc(std::int32_t lElapsedMS, std::int32_t lTimerID) override {
        try {
            m_pBar->iTimer_Proc(lElapsedMS, lTimerID);
        } catch (...) {
            // A tick that fails changes nothing; the next one tries again.
        }
    }
    void KeyPress(const std::wstring& sKey, bool bInjected) override {
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
    CMemDC m_cMemDC;
    CTabTips m_cTips;
    std::array<FontCache, 5> m_fonts;
    int m_iDpi = 96;
};

void Win32TabBarPort::iSubclass_Proc(bool bBefore, bool& bHandled, std::intptr_t& lReturn, WindowHandle& hWnd,
                                     std::uint32_t& uMsg, std::uintptr_t& wParam, std::intptr_t& lParam) {
    try {
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
        m_pBar->HandleMessage(bBefore, bHandled, lReturn, hWnd, uMsg, wParam, lParam);
    } catch (...) {
        // A failure (an event handler's included) ends this message's
        // handling; the window goes on with what was decided so far.
    }
    try {
        m_cTips.OnMessage(*m_pBar, bBefore, uMsg, wParam, lParam);
    } catch (...) {
        // A tip that cannot be shown is simply not shown.
    }
}

void Win32TabBarPort::DrawFrame(HDC dc, const Rect& W) {
    const CMDITab& b = *m_pBar;
    const std::int32_t h = b.TabHeight();
    switch (b.BorderStyle()) {
        case 1:
            Lines(dc, GetSysColor(COLOR_3DDKSHADOW),
                  {{W.left, W.top},
                   {W.right - 1, W.top},
                   {W.right - 1, W.bottom - 1},
                   {W.left, W.bottom - 1},
                   {W.left, W.top}});
            break;
        case 2:
            Lines(dc, GetSysColor(COLOR_BTNSHADOW), {{W.left, W.bottom - 1}, {W.left, W.top}, {W.right - 1, W.top}});
            Lines(dc, GetSysColor(COLOR_BTNHIGHLIGHT),
                  {{W.right - 1, W.top}, {W.right - 1, W.bottom - 1}, {W.left, W.bottom - 1}});
            if (b.Visible() && b.Align() == 0) {
                Lines(dc, GetSysColor(COLOR_3DDKSHADOW), {{W.left + 1, W.bottom - 2}, {W.left + 1, W.top + h + 1}});
                Lines(dc, GetSysColor(COLOR_BTNFACE),
                      {{W.right - 2, W.top + h + 1}, {W.right - 2, W.bottom - 2}, {W.left, W.bottom - 2}});
            } else if (b.Visible()) {
                Lines(dc, GetSysColor(COLOR_3DDKSHADOW),
                      {{W.left + 1, W.bottom - h}, {W.left + 1, W.top + 1}, {W.right - 2, W.top + 1}});
                Lines(dc, GetSysColor(COLOR_BTNFACE), {{W.right - 2, W.top + 1}, {W.right - 2, W.bottom - h - 1}});
            } else {
                Lines(dc, GetSysColor(COLOR_3DDKSHADOW),
                      {{W.left + 1, W.bottom - 2}, {W.left + 1, W.top + 1}, {W.right - 2, W.top + 1}});
                Lines(dc, GetSysColor(COLOR_BTNFACE),
                      {{W.right - 2, W.top + 1}, {W.right - 2, W.bottom - 2}, {W.left, W.bottom - 2}});
            }
            break;
        default:
            break;
    }
}

void Win32TabBarPort::DrawTabs(HDC M) {
    CMDITab& b = *m_pBar;
    const auto& tabs = b.Tabs();
    const std::int32_t pos = b.ScrollPos();
    const std::int32_t X = b.ButtonsRect().left;
    const std::int16_t sel = b.SelectedIndex();
    const bool top = b.Align() == 0;
    HFONT normal = FontFor(b.Font());
    HFONT selected = FontFor(b.SelFont());
    const COLORREF normalColor = Rgb(b.FontColor()), selColor = Rgb(b.SelFontColor());

    SelectInDC font(M, normal);
    UniqueGdi shadowPen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
    SelectInDC pen(M, shadowPen.Get());
    for (std::size_t j = 0; j < tabs.size(); ++j) {
        const TabItem& t = tabs[j];
        if (!t.bVisible) continue;
        RECT r = ToRECT(t.rcTab);
        r.left -= pos;
        r.right -= pos;
        if (r.left > X) break;
        if (r.right > X) r.right = X;
        const bool isSel = static_cast<std::int16_t>(j) == sel;
        if (isSel) {
            SelectObject(M, selected);
            RECT fill = r;
            if (top)
                fill.top += 1;
            else
                fill.bottom -= 1;
            if (fill.left < 0) fill.left = 1;
            FillRect(M, &fill, GetSysColorBrush(COLOR_WINDOW));
            UniqueGdi textPen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT)));
            SelectObject(M, textPen.Get());
            if (top) {
                MoveToEx(M, r.left, r.bottom - 1, nullptr);
                LineTo(M, r.left, r.top);
                MoveToEx(M, r.left + 1, r.top, nullptr);
                LineTo(M, r.right - 1, r.top);
                MoveToEx(M, r.right - 1, r.top + 1, nullptr);
                LineTo(M, r.right - 1, r.bottom);
            } else {
                MoveToEx(M, r.left + 1, r.bottom - 1, nullptr);
                LineTo(M, r.right - 1, r.bottom - 1);
                MoveToEx(M, r.right - 1, r.bottom - 2, nullptr);
                LineTo(M, r.right - 1, r.top);
                MoveToEx(M, r.left, r.top, nullptr);
                LineTo(M, r.left, r.bottom - 1);
            }
            SelectObject(M, shadowPen.Get());
        } else if (static_cast<std::int16_t>(j + 1) != sel) {
            MoveToEx(M, r.right - 1, r.top + 2, nullptr);
            LineTo(M, r.right - 1, r.bottom - 2);
        }
        if (r.right - r.left - 6 > 16) {
            const std::int16_t n = isSel && t.iSelectedIcon > 0 ? t.iSelectedIcon : t.iIcon;
            if (n > 0) {
                if (const TabIcon* icon = b.IconPicture(n)) {
                    const auto y = static_cast<int>(RoundHalfEven(r.top + (r.bottom - r.top) / 2.0 - 8));
                    DrawIconEx(M, r.left + 6, y, reinterpret_cast<HICON>(icon->Handle()), 16, 16, 0, nullptr,
                               DI_NORMAL);
                }
            }
        }
        RECT text{r.left + (t.iIcon == 0 ? 6 : 26), r.top + 3, r.right - 6, r.bottom};
        SetTextColor(M, isSel ? selColor : normalColor);
        const std::string title = ToAnsi(t.sTitle);
        DrawTextA(M, title.c_str(), -1, &text, kTitleFlags);
        if (isSel) SelectObject(M, normal);
    }
}

void Win32TabBarPort::DrawButton(HDC M, std::int32_t n) {
    const CMDITab& b = *m_pBar;
    const Rect box = b.ButtonBox(n);
    const bool enabled = b.ButtonEnabled(n);
    RECT glyph = ToRECT(box);
    if (enabled) {
        const bool hot = b.HotButton() == n, pressed = b.PressedButton() == n;
        COLORREF lit = 0, dark = 0;
        bool edge = true;
        if (hot && !pressed) {
            lit = GetSysColor(COLOR_BTNHIGHLIGHT);
            dark = GetSysColor(COLOR_3DDKSHADOW);
        } else if (hot && pressed) {
            lit = GetSysColor(COLOR_3DDKSHADOW);
            dark = GetSysColor(COLOR_BTNHIGHLIGHT);
            OffsetRect(&glyph, 1, 1);
        } else {
            edge = false;
        }
        if (edge) {
            Lines(M, lit, {{box.left, box.bottom - 1}, {box.left, box.top}, {box.right - 1, box.top}});
            Lines(M, dark,
                  {{box.right - 1, box.top + 1}, {box.right - 1, box.bottom - 1}, {box.left + 1, box.bottom - 1}});
        }
    }
    SelectInDC font(M, FontFor(n == kCloseButton ? b.CloseGlyphFont() : b.ScrollGlyphFont()));
    SetTextColor(M, enabled ? GetSysColor(COLOR_BTNTEXT)
                            : static_cast<COLORREF>(m_pBar->BlendColor(kOleBtnText, kOleWindow, 90)));
    glyph.left += 1;
    glyph.top += 1;
    const char* text = n == kScrollLeftButton ? "3" : n == kScrollRightButton ? "4" : "r";
    DrawTextA(M, text, -1, &glyph, kGlyphFlags);
}

void Win32TabBarPort::PaintBar(WindowHandle hWnd, bool) {
    CMDITab& b = *m_pBar;
    HWND hwnd = ToHwnd(hWnd);
    try {
        m_cTips.Recheck(b);
    } catch (...) {
    }
    const Rect W = b.WindowArea();
    const Rect B = b.BarRect();
    WindowDC window(hwnd, true);
    HDC dc = window.Get();
    if (!dc) return;
    SetBkMode(dc, TRANSPARENT);
    m_cMemDC.EnsureSize(std::abs(W.right - W.left), std::abs(W.bottom - W.top) + 1);
    HDC M = m_cMemDC.hdc();
    if (M) SetBkMode(M, TRANSPARENT);

    DrawFrame(dc, W);
    // A hidden bar has no strip: drawing it would paint over the client area.
    if (!b.Visible() || !M) return;

    {
        UniqueGdi bg(CreateSolidBrush(b.BlendColor(kOleBtnFace, kOleWindow, 45)));
        RECT rb = ToRECT(B);
        FillRect(M, &rb, static_cast<HBRUSH>(bg.Get()));
    }
    const std::int32_t f = b.FrameWidth(), h = b.TabHeight();
    if (b.Align() == 0) {
        Lines(M, GetSysColor(COLOR_BTNSHADOW), {{W.right - f, W.top + 1}, {W.right - f, W.top + h + 1}});
        {
            UniqueGdi pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW)));
            SelectInDC sel(M, pen.Get());
            MoveToEx(M, B.left, B.bottom - 1, nullptr);
            LineTo(M, B.right, B.bottom - 1);
            MoveToEx(M, B.left, B.bottom + 1, nullptr);
            LineTo(M, B.right, B.bottom + 1);
        }
        Lines(M, GetSysColor(COLOR_3DLIGHT), {{B.left, B.bottom}, {B.right, B.bottom}});
    } else {
        Lines(M, GetSysColor(COLOR_BTNSHADOW), {{W.right - f, W.bottom - h - 1}, {W.right - f, W.bottom - 1}});
        {
            UniqueGdi pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW)));
            SelectInDC sel(M, pen.Get());
            MoveToEx(M, B.left, B.top - 2, nullptr);
            LineTo(M, B.right, B.top - 2);
            MoveToEx(M, B.left, B.top, nullptr);
            LineTo(M, B.right, B.top);
        }
        Lines(M, GetSysColor(COLOR_3DLIGHT), {{B.left, B.top - 1}, {B.right, B.top - 1}});
    }

    if (b.Count() > 0) DrawTabs(M);

    if (b.ScrollButton()) {
        DrawButton(M, kScrollLeftButton);
        DrawButton(M, kScrollRightButton);
    }
    if (b.CloseButton()) DrawButton(M, kCloseButton);

    const int y = b.Align() == 0 ? B.top : B.top - 2;
    BitBlt(dc, B.left, y, B.right - B.left, B.bottom - B.top + 2, M, B.left, y, SRCCOPY);
}

}  // namespace

std::unique_ptr<CMDITab> CreateTabBar() {
    return std::make_unique<CMDITab>(std::make_unique<Win32TabBarPort>());
}

}  // namespace brisko
