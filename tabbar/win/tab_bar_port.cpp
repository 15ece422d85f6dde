// The Win32 side of the bar: the window system's services behind
// ITabBarPort, the attachment to the MDI client (class and extended style,
// subclassing, the reserved strip) and the painting of the strip.
#include "tabbar/win/tab_bar_port.h"

#include <olectl.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <initializer_list>
#include <map>
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

// Draws connected horizontal and vertical lines in a system colour: the
// pixels a solid 1-pixel pen would draw from each point to the next, its end
// point left out, filled with the colour's system brush. Under Wine making,
// selecting and deleting a pen for every run of lines costs several times
// what the lines themselves do.
// One such line from a to b with the brush selected in dc.
void Segment(HDC dc, POINT a, POINT b) {
    if (a.x == b.x) {
        const LONG top = a.y < b.y ? a.y : b.y + 1, bottom = a.y < b.y ? b.y : a.y + 1;
        if (bottom > top) PatBlt(dc, a.x, top, 1, bottom - top, PATCOPY);
    } else if (a.y == b.y) {
        const LONG left = a.x < b.x ? a.x : b.x + 1, right = a.x < b.x ? b.x : a.x + 1;
        if (right > left) PatBlt(dc, left, a.y, right - left, 1, PATCOPY);
    }
}

void Lines(HDC dc, int sysColor, std::initializer_list<POINT> pts) {
    if (!dc || pts.size() < 2) return;
    SelectInDC sel(dc, GetSysColorBrush(sysColor));
    for (auto a = pts.begin(), b = a + 1; b != pts.end(); a = b++) Segment(dc, *a, *b);
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Small pictures (tab icons, button faces) composed once on a solid
// background and copied from then on. Drawn over the same solid colour the
// copy has the very same pixels, and under Wine DrawIconEx and a change of
// font cost a hundred times what a BitBlt does.
class TileCache {
public:
    static constexpr int kSlotWidth = 20, kSlotHeight = 17, kSlots = 64;
    using Key = std::array<std::intptr_t, 8>;

    // Copies the part `part` (in target coordinates) of the w x h tile of
    // `key` placed at (x, y) of `target`, composing the tile first with
    // `draw(dc, x0)` at (x0, 0) of `dc` on a fill of `bg`. False when it
    // cannot (no surface for the tiles), and nothing is drawn.
    template <class Draw>
    bool Copy(HDC target, int x, int y, int w, int h, const RECT& part, const Key& key, COLORREF bg, Draw&& draw) {
        if (w > kSlotWidth || h > kSlotHeight || !Ready(target)) return false;
        auto it = m_slots.find(key);
        if (it == m_slots.end()) {
            if (m_slots.size() >= kSlots) m_slots.clear();
            const int x0 = static_cast<int>(m_slots.size()) * kSlotWidth;
            RECT r{x0, 0, x0 + w, h};
            UniqueGdi brush(CreateSolidBrush(bg));
            FillRect(m_dc.Get(), &r, static_cast<HBRUSH>(brush.Get()));
            draw(m_dc.Get(), x0);
            it = m_slots.emplace(key, x0).first;
        }
        return BitBlt(target, part.left, part.top, part.right - part.left, part.bottom - part.top, m_dc.Get(),
                      it->second + part.left - x, part.top - y, SRCCOPY) != FALSE;
    }
    void Clear() { m_slots.clear(); }
    ~TileCache() {
        if (m_prev) SelectObject(m_dc.Get(), m_prev);
    }

private:
    bool Ready(HDC like) {
        if (m_dc) return true;
        // Only a surface of true colours fills a solid colour without
        // dithering, the same wherever it lies.
        if (GetDeviceCaps(like, BITSPIXEL) * GetDeviceCaps(like, PLANES) < 15) return false;
        m_dc.Reset(CreateCompatibleDC(like));
        m_bitmap.Reset(CreateCompatibleBitmap(like, kSlotWidth * kSlots, kSlotHeight));
        if (!m_dc || !m_bitmap) {
            m_dc.Reset();
            m_bitmap.Reset();
            return false;
        }
        m_prev = SelectObject(m_dc.Get(), m_bitmap.Get());
        SetBkMode(m_dc.Get(), TRANSPARENT);
        return true;
    }

    UniqueGdi m_bitmap;
    UniqueMemDC m_dc;
    HGDIOBJ m_prev = nullptr;
    std::map<Key, int> m_slots;
};

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

    // Whether Get would make a new font (and delete the current one).
    bool Stale(const FontSpec& wanted) const { return !m_font || !(wanted == m_wanted); }
    HFONT Current() const { return static_cast<HFONT>(m_font.Get()); }

    HFONT Get(const FontSpec& wanted, int dpi) {
        if (Stale(wanted)) {
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
        ReleaseFont();
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
        HFONT hFont = FontFor(font);
        if (const Size* known = cache.Measured(text)) return *known;
        UseFont(dc, hFont);
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
        if (GetWindowRect(hwnd, &wr)) GrowSurface(wr.right - wr.left, wr.bottom - wr.top + 1);
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
        // Four fonts are in use; each keeps its own GDI font, and equal
        // normal and selected fonts share one.
        const CMDITab& b = *m_pBar;
        // Mostly asked with the bar's own fonts themselves.
        if (&wanted == &b.Font()) return m_fonts[0];
        if (&wanted == &b.SelFont()) return wanted == b.Font() ? m_fonts[0] : m_fonts[1];
        if (wanted == b.Font()) return m_fonts[0];
        if (wanted == b.SelFont()) return m_fonts[1];
        if (wanted == b.CloseGlyphFont()) return m_fonts[2];
        if (wanted == b.ScrollGlyphFont()) return m_fonts[3];
        return m_fonts[4];
    }
    HFONT FontFor(const FontSpec& wanted) {
        FontCache& cache = CacheFor(wanted);
        // A font is never deleted while the surface holds it.
        if (cache.Stale(wanted) && cache.Current() && cache.Current() == m_hFontInDC) ReleaseFont();
        return cache.Get(wanted, m_iDpi);
    }
    // The surface keeps the font last used in it: selecting a font costs
    // more under Wine than drawing a title, so it is selected only when
    // another one is wanted.
    void UseFont(HDC dc, HFONT font) {
        if (dc != m_hFontDC) {
            // A new surface comes with its own font.
            m_hFontDC = dc;
            m_hFontInDC = nullptr;
            m_hDCFont = nullptr;
        }
        if (!dc || !font || font == m_hFontInDC) return;
        HGDIOBJ old = SelectObject(dc, font);
        if (!m_hDCFont) m_hDCFont = old;
        m_hFontInDC = font;
    }
    void ReleaseFont() {
        if (m_hFontDC && m_hFontDC == m_cMemDC.hdc() && m_hDCFont) SelectObject(m_hFontDC, m_hDCFont);
        m_hFontDC = nullptr;
        m_hFontInDC = nullptr;
        m_hDCFont = nullptr;
    }
    COLORREF Rgb(std::uint32_t ole) { return static_cast<COLORREF>(m_pBar->TranslateColor(ole) & 0x00FFFFFF); }

    void DrawFrame(HDC dc, const Rect& W);
    // `plain` is where the strip shows only its background, `barColor`.
    void DrawTabs(HDC M, const RECT& plain, COLORREF barColor);
    void DrawButton(HDC M, std::int32_t n, const RECT& plain, COLORREF barColor);
    // `shown` is the left end of what the window gets of the strip.
    void DrawIcon(HDC M, const TabIcon& icon, int x, int y, const RECT& plain, int shown, int bgSysColor, COLORREF bg);
    // Grows the surface; a new surface first gets its own font back.
    void GrowSurface(std::int32_t w, std::int32_t h) {
        if (w > m_cMemDC.Width() || h > m_cMemDC.Height()) ReleaseFont();
        m_cMemDC.EnsureSize(w, h);
    }

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
    // The surface that holds one of our fonts, the font, and the one it had.
    HDC m_hFontDC = nullptr;
    HFONT m_hFontInDC = nullptr;
    HGDIOBJ m_hDCFont = nullptr;
    TileCache m_cTiles;
    std::int32_t m_lIconGeneration = -1;
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
            Lines(dc, COLOR_3DDKSHADOW,
                  {{W.left, W.top},
                   {W.right - 1, W.top},
                   {W.right - 1, W.bottom - 1},
                   {W.left, W.bottom - 1},
                   {W.left, W.top}});
            break;
        case 2:
            Lines(dc, COLOR_BTNSHADOW, {{W.left, W.bottom - 1}, {W.left, W.top}, {W.right - 1, W.top}});
            Lines(dc, COLOR_BTNHIGHLIGHT, {{W.right - 1, W.top}, {W.right - 1, W.bottom - 1}, {W.left, W.bottom - 1}});
            if (b.Visible() && b.Align() == 0) {
                Lines(dc, COLOR_3DDKSHADOW, {{W.left + 1, W.bottom - 2}, {W.left + 1, W.top + h + 1}});
                Lines(dc, COLOR_BTNFACE,
                      {{W.right - 2, W.top + h + 1}, {W.right - 2, W.bottom - 2}, {W.left, W.bottom - 2}});
            } else if (b.Visible()) {
                Lines(dc, COLOR_3DDKSHADOW,
                      {{W.left + 1, W.bottom - h}, {W.left + 1, W.top + 1}, {W.right - 2, W.top + 1}});
                Lines(dc, COLOR_BTNFACE, {{W.right - 2, W.top + 1}, {W.right - 2, W.bottom - h - 1}});
            } else {
                Lines(dc, COLOR_3DDKSHADOW,
                      {{W.left + 1, W.bottom - 2}, {W.left + 1, W.top + 1}, {W.right - 2, W.top + 1}});
                Lines(dc, COLOR_BTNFACE,
                      {{W.right - 2, W.top + 1}, {W.right - 2, W.bottom - 2}, {W.left, W.bottom - 2}});
            }
            break;
        default:
            break;
    }
}

void Win32TabBarPort::DrawIcon(HDC M, const TabIcon& icon, int x, int y, const RECT& plain, int shown, int bgSysColor,
                               COLORREF bg) {
    const HICON h = reinterpret_cast<HICON>(icon.Handle());
    // Over a plain background the icon is copied from its tile. Of a tab cut
    // at the bar's left end only what lies inside the strip is ever shown:
    // the rest may be left out. Anywhere else it is drawn.
    const RECT tile{x, y, x + 16, y + 16};
    RECT part = tile;
    part.left = std::max<LONG>(part.left, shown);
    if (part.left >= part.right) return;
    if (Inside(part, plain)) {
        const TileCache::Key key{1, reinterpret_cast<std::intptr_t>(&icon), icon.Handle(), bgSysColor, 0, 0,
                                 0, static_cast<std::intptr_t>(bg)};
        if (m_cTiles.Copy(M, x, y, 16, 16, part, key, bg,
                          [h](HDC dc, int x0) { DrawIconEx(dc, x0, 0, h, 16, 16, 0, nullptr, DI_NORMAL); }))
            return;
    }
    DrawIconEx(M, x, y, h, 16, 16, 0, nullptr, DI_NORMAL);
}

void Win32TabBarPort::DrawTabs(HDC M, const RECT& plain, COLORREF barColor) {
    CMDITab& b = *m_pBar;
    const auto& tabs = b.Tabs();
    const std::int32_t pos = b.ScrollPos();
    const std::int32_t X = b.ButtonsRect().left;
    const std::int16_t sel = b.SelectedIndex();
    const bool top = b.Align() == 0;
    HFONT normal = FontFor(b.Font());
    HFONT selected = FontFor(b.SelFont());
    const COLORREF normalColor = Rgb(b.FontColor()), selColor = Rgb(b.SelFontColor());
    const COLORREF windowColor = GetSysColor(COLOR_WINDOW);
    // Only the strip from here rightwards is copied to the window.
    const int shown = b.BarRect().left;

    UseFont(M, normal);
    const HGDIOBJ oldBrush = GetCurrentObject(M, OBJ_BRUSH);
    bool shadowSelected = false;
    for (std::size_t j = 0; j < tabs.size(); ++j) {
        const TabItem& t = tabs[j];
        if (!t.bVisible) continue;
        RECT r = ToRECT(t.rcTab);
        r.left -= pos;
        r.right -= pos;
        if (r.left > X) break;
        if (r.right > X) r.right = X;
        // A tab scrolled out at the left draws nothing the window gets.
        if (r.right <= shown) continue;
        const bool isSel = static_cast<std::int16_t>(j) == sel;
        // Where the tab shows nothing but its background.
        RECT clear = plain;
        if (isSel) {
            UseFont(M, selected);
            RECT fill = r;
            if (top)
                fill.top += 1;
            else
                fill.bottom -= 1;
            if (fill.left < 0) fill.left = 1;
            if (shadowSelected) {
                SelectObject(M, oldBrush);
                shadowSelected = false;
            }
            FillRect(M, &fill, GetSysColorBrush(COLOR_WINDOW));
            if (top) {
                Lines(M, COLOR_BTNTEXT, {{r.left, r.bottom - 1}, {r.left, r.top}});
                Lines(M, COLOR_BTNTEXT, {{r.left + 1, r.top}, {r.right - 1, r.top}});
                Lines(M, COLOR_BTNTEXT, {{r.right - 1, r.top + 1}, {r.right - 1, r.bottom}});
            } else {
                Lines(M, COLOR_BTNTEXT, {{r.left + 1, r.bottom - 1}, {r.right - 1, r.bottom - 1}});
                Lines(M, COLOR_BTNTEXT, {{r.right - 1, r.bottom - 2}, {r.right - 1, r.top}});
                Lines(M, COLOR_BTNTEXT, {{r.left, r.top}, {r.left, r.bottom - 1}});
            }
            clear = RECT{std::max(fill.left, r.left + 1), top ? r.top + 1 : r.top, r.right - 1,
                         top ? r.bottom : r.bottom - 1};
        } else if (static_cast<std::int16_t>(j + 1) != sel) {
            // The separator: the shadow brush stays selected between tabs.
            if (!shadowSelected) {
                SelectObject(M, GetSysColorBrush(COLOR_BTNSHADOW));
                shadowSelected = true;
            }
            Segment(M, {r.right - 1, r.top + 2}, {r.right - 1, r.bottom - 2});
        }
        if (r.right - r.left - 6 > 16) {
            const std::int16_t n = isSel && t.iSelectedIcon > 0 ? t.iSelectedIcon : t.iIcon;
            if (n > 0) {
                if (const TabIcon* icon = b.IconPicture(n)) {
                    const auto y = static_cast<int>(RoundHalfEven(r.top + (r.bottom - r.top) / 2.0 - 8));
                    DrawIcon(M, *icon, r.left + 6, y, clear, shown, isSel ? COLOR_WINDOW : -1,
                             isSel ? windowColor : barColor);
                }
            }
        }
        RECT text{r.left + (t.iIcon == 0 ? 6 : 26), r.top + 3, r.right - 6, r.bottom};
        SetTextColor(M, isSel ? selColor : normalColor);
        const std::string title = ToAnsi(t.sTitle);
        DrawTextA(M, title.c_str(), -1, &text, kTitleFlags);
        if (isSel) UseFont(M, normal);
    }
    if (shadowSelected) SelectObject(M, oldBrush);
}

void Win32TabBarPort::DrawButton(HDC M, std::int32_t n, const RECT& plain, COLORREF barColor) {
    const CMDITab& b = *m_pBar;
    const Rect box = b.ButtonBox(n);
    const bool enabled = b.ButtonEnabled(n);
    const bool hot = enabled && b.HotButton() == n, pressed = b.PressedButton() == n;
    // 0 flat, 1 raised (hovered), 2 sunken (pressed under the pointer).
    const int look = !hot ? 0 : pressed ? 2 : 1;
    const COLORREF glyphColor =
        enabled ? GetSysColor(COLOR_BTNTEXT) : static_cast<COLORREF>(m_pBar->BlendColor(kOleBtnText, kOleWindow, 90));
    HFONT font = FontFor(n == kCloseButton ? b.CloseGlyphFont() : b.ScrollGlyphFont());
    // The face in box coordinates at (x0, y0); the glyph's rectangle reaches
    // one pixel beyond the box when it is sunken.
    auto draw = [&](HDC dc, int x0, int y0, bool keepFont) {
        const int w = box.right - box.left, h = box.bottom - box.top;
        RECT glyph{x0, y0, x0 + w, y0 + h};
        if (look != 0) {
            const int lit = look == 1 ? COLOR_BTNHIGHLIGHT : COLOR_3DDKSHADOW;
            const int dark = look == 1 ? COLOR_3DDKSHADOW : COLOR_BTNHIGHLIGHT;
            Lines(dc, lit, {{x0, y0 + h - 1}, {x0, y0}, {x0 + w - 1, y0}});
            Lines(dc, dark, {{x0 + w - 1, y0 + 1}, {x0 + w - 1, y0 + h - 1}, {x0 + 1, y0 + h - 1}});
            if (look == 2) OffsetRect(&glyph, 1, 1);
        }
        SetTextColor(dc, glyphColor);
        glyph.left += 1;
        glyph.top += 1;
        const char* text = n == kScrollLeftButton ? "3" : n == kScrollRightButton ? "4" : "r";
        if (keepFont) {
            DrawTextA(dc, text, -1, &glyph, kGlyphFlags);
        } else {
            SelectInDC sel(dc, font);
            DrawTextA(dc, text, -1, &glyph, kGlyphFlags);
        }
    };
    const int w = box.right - box.left + 1, h = box.bottom - box.top + 1;
    const RECT tile{box.left, box.top, box.left + w, box.top + h};
    if (Inside(tile, plain)) {
        const TileCache::Key key{2,
                                 n,
                                 look,
                                 static_cast<std::intptr_t>(glyphColor),
                                 static_cast<std::intptr_t>(GetSysColor(COLOR_BTNHIGHLIGHT)),
                                 static_cast<std::intptr_t>(GetSysColor(COLOR_3DDKSHADOW)),
                                 reinterpret_cast<std::intptr_t>(font),
                                 static_cast<std::intptr_t>(barColor)};
        if (m_cTiles.Copy(M, box.left, box.top, w, h, tile, key, barColor,
                          [&](HDC dc, int x0) { draw(dc, x0, 0, false); }))
            return;
    }
    UseFont(M, font);
    draw(M, box.left, box.top, true);
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
    GrowSurface(std::abs(W.right - W.left), std::abs(W.bottom - W.top) + 1);
    HDC M = m_cMemDC.hdc();
    if (M) SetBkMode(M, TRANSPARENT);

    DrawFrame(dc, W);
    // A hidden bar has no strip: drawing it would paint over the client area.
    if (!b.Visible() || !M) return;

    if (b.IconGeneration() != m_lIconGeneration) {
        // Other pictures may now stand behind the same numbers and handles.
        m_cTiles.Clear();
        m_lIconGeneration = b.IconGeneration();
    }
    const COLORREF barColor = b.BlendColor(kOleBtnFace, kOleWindow, 45);
    {
        UniqueGdi bg(CreateSolidBrush(barColor));
        RECT rb = ToRECT(B);
        FillRect(M, &rb, static_cast<HBRUSH>(bg.Get()));
    }
    const std::int32_t f = b.FrameWidth(), h = b.TabHeight();
    if (b.Align() == 0) {
        Lines(M, COLOR_BTNSHADOW, {{W.right - f, W.top + 1}, {W.right - f, W.top + h + 1}});
        Lines(M, COLOR_3DDKSHADOW, {{B.left, B.bottom - 1}, {B.right, B.bottom - 1}});
        Lines(M, COLOR_3DDKSHADOW, {{B.left, B.bottom + 1}, {B.right, B.bottom + 1}});
        Lines(M, COLOR_3DLIGHT, {{B.left, B.bottom}, {B.right, B.bottom}});
    } else {
        Lines(M, COLOR_BTNSHADOW, {{W.right - f, W.bottom - h - 1}, {W.right - f, W.bottom - 1}});
        Lines(M, COLOR_3DDKSHADOW, {{B.left, B.top - 2}, {B.right, B.top - 2}});
        Lines(M, COLOR_3DDKSHADOW, {{B.left, B.top}, {B.right, B.top}});
        Lines(M, COLOR_3DLIGHT, {{B.left, B.top - 1}, {B.right, B.top - 1}});
    }
    // The part of the bar that holds nothing but its background: inside the
    // strip, off the edge lines and off the vertical line at the frame.
    const RECT plain{B.left, b.Align() == 0 ? B.top : B.top + 1, std::min(B.right, W.right - f),
                     b.Align() == 0 ? B.bottom - 1 : B.bottom};

    if (b.Count() > 0) DrawTabs(M, plain, barColor);

    if (b.ScrollButton()) {
        DrawButton(M, kScrollLeftButton, plain, barColor);
        DrawButton(M, kScrollRightButton, plain, barColor);
    }
    if (b.CloseButton()) DrawButton(M, kCloseButton, plain, barColor);

    const int y = b.Align() == 0 ? B.top : B.top - 2;
    BitBlt(dc, B.left, y, B.right - B.left, B.bottom - B.top + 2, M, B.left, y, SRCCOPY);
}

}  // namespace

std::unique_ptr<CMDITab> CreateTabBar() {
    return std::make_unique<CMDITab>(std::make_unique<Win32TabBarPort>());
}

}  // namespace brisko
