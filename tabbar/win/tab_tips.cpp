#include "tabbar/win/tab_tips.h"

#include <commctrl.h>

#include <string>

#include "common/win/ui_text.h"

namespace brisko {
namespace {

// The size every comctl32 version accepts: the IDE runs without the version 6
// manifest, whose larger record the older control refuses.
const UINT kToolInfoSize = TTTOOLINFOW_V2_SIZE;

TTTOOLINFOW ToolInfo(HWND hClient, UINT id) {
    TTTOOLINFOW ti{};
    ti.cbSize = kToolInfoSize;
    ti.hwnd = hClient;
    ti.uId = id;
    return ti;
}

// The longest text a tip shows; a caption is the IDE's, of any length.
constexpr std::size_t kMaxTipChars = 1023;

}  // namespace

void CTabTips::Create(HWND hClient) {
    Destroy();
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    // Owned by the IDE's main window; a tooltip never takes the activation.
    m_hTip.Reset(CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, hClient, nullptr, nullptr, nullptr));
    if (!m_hTip) return;
    m_hClient = hClient;
    for (UINT id : {1u, 2u}) {
        TTTOOLINFOW ti = ToolInfo(hClient, id);
        ti.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(m_hTip.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    // A long caption wraps rather than running off the screen.
    SendMessageW(m_hTip.Get(), TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXSCREEN) / 2);
}

void CTabTips::Destroy() {
    m_hTip.Reset();
    m_hClient = nullptr;
    m_Tip = TabTip{};
    m_bHaveLast = false;
}

void CTabTips::SetToolRect(UINT id, const Rect& r, const CMDITab& bar) {
    TTTOOLINFOW ti = ToolInfo(m_hClient, id);
    // Bar coordinates are the window's; the tool's are the client's.
    const Point origin = bar.ToBarPoint(Point{}, CMDITab::Coords::Client);
    ti.rect = RECT{r.left - origin.x, r.top - origin.y, r.right - origin.x, r.bottom - origin.y};
    SendMessageW(m_hTip.Get(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&ti));
}

void CTabTips::Retarget(const CMDITab& bar, const TabTip& tip) {
    if (tip == m_Tip) return;
    SetToolRect(m_uTool, Rect{}, bar);
    m_Tip = tip;
    if (tip.Empty()) return;
    m_uTool = m_uTool == 1 ? 2 : 1;
    std::wstring text = tip.button != kNoButton ? ResourceText(ButtonTipTextId(tip.button)) : TipText(bar, tip);
    if (text.size() > kMaxTipChars) text.resize(kMaxTipChars);
    TTTOOLINFOW ti = ToolInfo(m_hClient, m_uTool);
    ti.lpszText = text.data();
    SendMessageW(m_hTip.Get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    SetToolRect(m_uTool, tip.rc, bar);
}

void CTabTips::OnInput(const CMDITab& bar, const BarInput& in) {
    if (!m_hTip) return;
    switch (in.kind) {
        case BarInputKind::MouseMove: {
            if (in.Before()) break;
            m_ptLast = in.point;
            m_bHaveLast = true;
            const Point p = bar.ToBarPoint(m_ptLast, CMDITab::Coords::Client);
            Retarget(bar, TipAt(bar, p.x, p.y));
            // The control follows the pointer through the moves it is shown.
            MSG m{m_hClient,
                  WM_MOUSEMOVE,
                  in.keys,
                  MAKELPARAM(in.point.x, in.point.y),
                  static_cast<DWORD>(GetMessageTime()),
                  {}};
            GetCursorPos(&m.pt);
            SendMessageW(m_hTip.Get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
            break;
        }
        case BarInputKind::ButtonDown:
        case BarInputKind::DoubleClick:
        case BarInputKind::Wheel:
        case BarInputKind::MouseLeave:
            // A press, a scroll or the pointer going: the tip goes at once.
            SendMessageW(m_hTip.Get(), TTM_POP, 0, 0);
            break;
        default:
            break;
    }
}

void CTabTips::Recheck(const CMDITab& bar) {
    if (!m_hTip || !m_bHaveLast || m_Tip.Empty()) return;
    const Point p = bar.ToBarPoint(m_ptLast, CMDITab::Coords::Client);
    const TabTip now = TipAt(bar, p.x, p.y);
    if (now == m_Tip) return;
    Retarget(bar, now);
    SendMessageW(m_hTip.Get(), TTM_POP, 0, 0);
}

}  // namespace brisko
