// The mouse wheel in code windows: a turn over the selected window scrolls
// it through its own scroll bar, as the bar's arrows would.
#include <windows.h>

#include "host/tab_commands.h"
#include "host/win/loader.h"

namespace brisko {
namespace {

// Shared between the wheel handler and its enumeration callback; written
// before each enumeration.
struct WheelContext {
    HWND target = nullptr;
    LONG y = 0;
    WheelScroll scroll{};
} g_wheel;

// The scroll bar notification codes, in the order of ScrollRequest.
constexpr WPARAM kScrollCodes[] = {SB_LINEUP,   SB_LINEDOWN,  SB_PAGEUP,   SB_PAGEDOWN,
                                   SB_LINELEFT, SB_LINERIGHT, SB_PAGELEFT, SB_PAGERIGHT};

bool FactsOf(HWND bar, ScrollBarFacts& facts) {
    WINDOWINFO wi{};
    wi.cbSize = sizeof wi;
    if (!GetWindowInfo(bar, &wi)) return false;
    facts = {(wi.dwStyle & WS_CHILD) != 0, (wi.dwStyle & WS_VISIBLE) != 0, (wi.dwStyle & WS_CLIPSIBLINGS) != 0,
             wi.rcWindow.top, wi.rcWindow.bottom};
    return true;
}

BOOL CALLBACK WheelScrollProc(HWND child, LPARAM) {
    char cls[260] = {};
    const int n = GetClassNameA(child, cls, sizeof cls);
    if (n != 9 || lstrcmpA(cls, "ScrollBar") != 0) return TRUE;
    ScrollBarFacts facts{};
    const WheelScroll& s = g_wheel.scroll;
    if (!FactsOf(child, facts) || !TakesWheel(s.vertical, facts, g_wheel.y)) return TRUE;
    const LPARAM bar = reinterpret_cast<LPARAM>(child);
    const UINT msg = s.vertical ? WM_VSCROLL : WM_HSCROLL;
    const bool lines = s.request == ScrollRequest::LineUp || s.request == ScrollRequest::LineDown;
    for (long long k = 0; k < s.count; ++k) {
        // Line by line, as the bar's arrow sends them, a moment apart.
        if (lines) SleepEx(1, FALSE);
        PostMessageA(g_wheel.target, msg, kScrollCodes[static_cast<int>(s.request)], bar);
    }
    return FALSE;
}

}  // namespace

void Loader::MDIClientMouseWheel(std::int32_t lDelta, std::int32_t x, std::int32_t y, std::int32_t lScrollLine, bool&) {
    if (!m_bMouseWheel || !m_pMDITab || m_pMDITab->SelectedIndex() == -1) return;
    const HWND target = WindowOfTab(m_pMDITab->SelectedIndex());
    if (!target) return;
    RECT rc{};
    if (!GetWindowRect(target, &rc)) return;
    // Borders included on all four sides.
    if (x < rc.left || x > rc.right || y < rc.top || y > rc.bottom) return;
    g_wheel = {target, y, PlanWheelScroll(GetKeyState(VK_CONTROL) < 0, lDelta, lScrollLine)};
    EnumChildWindows(target, WheelScrollProc, 0);
}

}  // namespace brisko
