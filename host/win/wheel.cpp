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
    LARGE_INTEGER start{};  // when the wheel message's handling began
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

long long ElapsedMs() {
    LARGE_INTEGER now{}, frequency{};
    if (!QueryPerformanceCounter(&now) || !QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0)
        return kWheelPauseBudgetMs;  // no clock: no pauses, rather than unbounded ones
    return (now.QuadPart - g_wheel.start.QuadPart) * 1000 / frequency.QuadPart;
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
    // A full queue takes nothing more; what was posted stands.
    const auto post = [&](ScrollRequest r) {
        return PostMessageA(g_wheel.target, msg, kScrollCodes[static_cast<int>(r)], bar) != FALSE;
    };
    const bool up = s.request == ScrollRequest::LineUp;
    if (!up && s.request != ScrollRequest::LineDown) {
        for (long long k = 0; k < s.count && k < kWheelPostLimit; ++k)
            if (!post(s.request)) break;
        return FALSE;
    }
    SCROLLINFO page{};
    page.cbSize = sizeof page;
    page.fMask = SIF_PAGE;
    const WheelSteps steps = SplitWheelLines(s.count, GetScrollInfo(child, SB_CTL, &page) ? page.nPage : 0);
    for (long long k = 0; k < steps.lines; ++k) {
        // Line by line, as the bar's arrow sends them, a moment apart.
        if (ElapsedMs() < kWheelPauseBudgetMs) SleepEx(1, FALSE);
        if (!post(s.request)) return FALSE;
    }
    for (long long k = 0; k < steps.pages; ++k)
        if (!post(up ? ScrollRequest::PageUp : ScrollRequest::PageDown)) break;
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
    g_wheel = {target, y, PlanWheelScroll(GetKeyState(VK_CONTROL) < 0, lDelta, lScrollLine), {}};
    QueryPerformanceCounter(&g_wheel.start);
    EnumChildWindows(target, WheelScrollProc, 0);
}

}  // namespace brisko
