// Mouse and keyboard handling of the bar: hit tests, presses and releases,
// hover tracking of the buttons, auto-repeat and drag reordering, and the
// dispatch of the attached window's messages.
#include <cmath>

#include "common/rounding.h"
#include "tabbar/mdi_tab.h"

namespace brisko {

const WatchedMessage kWatchedMessages[24] = {
    {msg::kPaint, kAfterWindow},        {msg::kParentNotify, kBeforeWindow},   {msg::kMdiActivate, kAfterWindow},
    {msg::kSize, kAfterWindow},         {msg::kNcHitTest, kAfterWindow},       {msg::kNcCalcSize, kAfterWindow},
    {msg::kNcPaint, kAfterWindow},      {msg::kMouseLeave, kAfterWindow},      {msg::kMouseMove, kAfterWindow},
    {msg::kLButtonDown, kBeforeWindow}, {msg::kLButtonUp, kBeforeWindow},      {msg::kLButtonDblClk, kBeforeWindow},
    {msg::kRButtonDown, kBeforeWindow}, {msg::kRButtonUp, kBeforeWindow},      {msg::kRButtonDblClk, kBeforeWindow},
    {msg::kMButtonDown, kBeforeWindow}, {msg::kMButtonUp, kBeforeWindow},      {msg::kMButtonDblClk, kBeforeWindow},
    {msg::kXButtonDown, kBeforeWindow}, {msg::kXButtonUp, kBeforeWindow},      {msg::kXButtonDblClk, kBeforeWindow},
    {msg::kMouseWheel, kBeforeWindow},  {msg::kCaptureChanged, kBeforeWindow}, {msg::kNcDestroy, kAfterWindow},
};

namespace {

std::int32_t LowSigned(std::intptr_t v) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(v & 0xFFFF));
}
std::int32_t HighSigned(std::intptr_t v) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((v >> 16) & 0xFFFF));
}
// Message parameters as the 32-bit values the events carry.
std::int32_t Low32(std::intptr_t v) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

bool IsDoubleClick(std::uint32_t m) {
    return m == msg::kLButtonDblClk || m == msg::kRButtonDblClk || m == msg::kMButtonDblClk || m == msg::kXButtonDblClk;
}
bool IsDown(std::uint32_t m) {
    return m == msg::kLButtonDown || m == msg::kRButtonDown || m == msg::kMButtonDown || m == msg::kXButtonDown;
}

}  // namespace

// A hidden bar takes no room, so nothing of the window counts as bar: with
// the bar at the bottom its last rectangle would otherwise lie over the
// client area and swallow clicks there.
bool CMDITab::HitTestTabBar(std::int32_t x, std::int32_t y) const {
    return m_bVisible && m_rcBar.Contains(x, y);
}

std::int16_t CMDITab::HitTestTab(std::int32_t x, std::int32_t y) const {
    const Rect row{m_rcBar.left + m_iScrollPos, m_rcBar.top, m_rcButtons.left + m_iScrollPos, m_rcBar.bottom};
    const std::int32_t xs = Wrap16(x + m_iScrollPos);
    if (!m_bVisible || !row.Contains(xs, y)) return -1;
    for (std::size_t j = 0; j < m_Tabs.size(); ++j)
        if (m_Tabs[j].bVisible && m_Tabs[j].rcTab.right >= xs) return static_cast<std::int16_t>(j);
    return -1;
}

std::int32_t CMDITab::HitTestButton(std::int32_t x, std::int32_t y) const {
    if (!m_bVisible) return kNoButton;
    if (m_bScrollButton) {
        if (CanScrollLeft() && ScrollLeftBox().Contains(x, y)) return kScrollLeftButton;
        if (CanScrollRight() && ScrollRightBox().Contains(x, y)) return kScrollRightButton;
    }
    if (m_bCloseButton && HasVisibleTab() && CloseBox().Contains(x, y)) return kCloseButton;
    return kNoButton;
}

std::int32_t CMDITab::ButtonFromMessage(std::uint32_t uMsg, std::uintptr_t wParam) {
    // The client and non-client messages of each button come in runs of
    // three: down, up, double click.
    constexpr std::uint32_t kNcLButtonDown = 0x00A1, kNcRButtonDown = 0x00A4, kNcMButtonDown = 0x00A7,
                            kNcXButtonDown = 0x00AB;
    const auto in = [uMsg](std::uint32_t first) { return uMsg >= first && uMsg < first + 3; };
    if (in(msg::kLButtonDown) || in(kNcLButtonDown)) return kLeftButton;
    if (in(msg::kRButtonDown) || in(kNcRButtonDown)) return kRightButton;
    if (in(msg::kMButtonDown) || in(kNcMButtonDown)) return kMiddleButton;
    if (in(msg::kXButtonDown) || in(kNcXButtonDown)) {
        if (wParam & 0x10000u) return kXButton1;
        if (wParam & 0x20000u) return kXButton2;
    }
    return 0;
}

Point CMDITab::ToBarPoint(std::int32_t x, std::int32_t y, bool bScreen) const {
    Point p{x + m_iFrameWidth, y + m_iFrameWidth};
    if (bScreen) p = m_pPort->ScreenToClient(m_hClientWnd, p);
    if (m_lAlign == kAlignTop) p.y += StripHeight();
    return p;
}

void CMDITab::TrackLeave(bool on) {
    if (on == m_bTrackLeave) return;
    m_bTrackLeave = on;
    m_pPort->TrackMouseLeave(m_hClientWnd, on);
}

bool CMDITab::OnButtonDown(WindowHandle hWnd, std::uint32_t uMsg, std::uintptr_t wParam, std::intptr_t lParam) {
    if (m_lPressedButton != kNoButton || m_eDragState == kDragging) return false;
    const Point p = ToBarPoint(LowSigned(lParam), HighSigned(lParam), false);
    const std::int32_t eButton = ButtonFromMessage(uMsg, wParam);
    const std::int32_t lFlags = Low32(lParam);
    if (!HitTestTabBar(p.x, p.y)) return false;

    const std::int16_t i = HitTestTab(p.x, p.y);
    if (i == -1) {
        const std::int32_t b = HitTestButton(p.x, p.y);
        if (b != kNoButton && (uMsg == msg::kLButtonDown || uMsg == msg::kLButtonDblClk)) {
            TrackLeave(false);
            m_pPort->SetCapture(hWnd);
            m_lHotButton = m_lPressedButton = b;
            Refresh();
            if (b == kScrollLeftButton || b == kScrollRightButton) {
                // The first step happens at once, the rest on the timer.
                iTimer_Proc(0, 0);
                m_pPort->StartTimer(AutoRepeatInterval());
            }
            return true;
        }
        if (m_pEvents) {
            if (IsDown(uMsg))
                m_pEvents->TabBarMouseDown(-1, eButton, lFlags, p.x, p.y);
            else if (IsDoubleClick(uMsg))
                m_pEvents->TabBarDblClick(-1, eButton, lFlags, p.x, p.y);
        }
        return true;
    }

    if (IsDown(uMsg)) {
        if (m_pEvents) m_pEvents->TabMouseDown(i, eButton, lFlags, p.x, p.y);
        if (uMsg == msg::kLButtonDown) {
            SelectTab(i, kChangeByClick);
            if (m_bAutoDrag && Count() >= 2) {
                m_eDragState = kDragArmed;
                m_rcDrag = Rect{p.x - m_lDragCX, p.y - m_lDragCY, p.x + m_lDragCX, p.y + m_lDragCY};
                m_iDragIndex = i;
                TrackLeave(false);
                m_pPort->SetCapture(hWnd);
            }
        }
    } else if (IsDoubleClick(uMsg) && m_pEvents) {
        m_pEvents->TabDblClick(i, eButton, lFlags, p.x, p.y);
    }
    return true;
}

bool CMDITab::OnMouseMove(WindowHandle /*hWnd*/, std::uintptr_t wParam, std::intptr_t lParam) {
    const Point p = ToBarPoint(LowSigned(lParam), HighSigned(lParam), false);
    const std::int32_t lFlags = Low32(lParam);

    // A move with no button and no modifier held ends presses and armed drags
    // whose release happened where the bar did not see it.
    if ((wParam & 0xFFFFFFFFu) == 0) {
        if (m_eDragState != kDragIdle || m_lPressedButton != kNoButton) m_pPort->ReleaseCapture();
        // The auto-repeat has nothing left to repeat.
        if (m_lPressedButton != kNoButton) m_pPort->StopTimer();
        m_eDragState = kDragIdle;
        m_lPressedButton = kNoButton;
    }

    switch (m_eDragState) {
        case kDragging: {
            const std::int16_t i = HitTestTab(p.x, p.y);
            if (m_lStyle == kWidthFixed && i != -1 && i != m_iDragIndex) {
                const std::int16_t from = m_iDragIndex;
                m_iDragIndex = i;
                MoveTab(from, i);
                // The moved rectangles must follow at once even when no
                // paint lays them out (LockUpdate), or the next move would
                // hit the old places and swap the tabs back.
                if (m_hClientWnd != 0) LayoutBar(m_hClientWnd);
            }
            if (m_pEvents) m_pEvents->DragOver(i, 0, lFlags, p.x, p.y);
            break;
        }
        case kDragArmed:
            if (!m_rcDrag.Contains(p.x, p.y)) {
                m_eDragState = kDragging;
                if (m_pEvents) m_pEvents->StartDrag(m_iDragIndex, 0, lFlags, p.x, p.y);
            }
            break;
        default: {
            const std::int32_t b = HitTestButton(p.x, p.y);
            if (m_lPressedButton != kNoButton) {
                if (b != m_lHotButton) {
                    m_lHotButton = b == m_lPressedButton ? m_lPressedButton : kNoButton;
                    Refresh();
                }
            } else if (m_lHotButton != kNoButton) {
                if (b != m_lHotButton) {
                    if (b == kNoButton) TrackLeave(false);
                    m_lHotButton = b;
                    Refresh();
                }
            } else if (b != kNoButton) {
                TrackLeave(true);
                m_lHotButton = b;
                Refresh();
            }
            break;
        }
    }
    return true;
}

bool CMDITab::OnButtonUp(WindowHandle /*hWnd*/, std::uint32_t uMsg, std::uintptr_t wParam, std::intptr_t lParam) {
    const Point p = ToBarPoint(LowSigned(lParam), HighSigned(lParam), false);
    const std::int32_t eButton = ButtonFromMessage(uMsg, wParam);
    const std::int32_t lFlags = Low32(lParam);
    if (m_eDragState != kDragging && !HitTestTabBar(p.x, p.y)) return false;

    if (m_lPressedButton == kNoButton) {
        if (m_eDragState != kDragging) {
            if (uMsg == msg::kLButtonUp) {
                m_eDragState = kDragIdle;
                m_pPort->ReleaseCapture();
            }
            const std::int16_t i = HitTestTab(p.x, p.y);
            if (m_pEvents) {
                m_pEvents->TabBarMouseUp(i, eButton, lFlags, p.x, p.y);
                m_pEvents->TabBarClick(i, eButton, lFlags, p.x, p.y);
                if (i != -1) {
                    m_pEvents->TabMouseUp(i, eButton, lFlags, p.x, p.y);
                    m_pEvents->TabClick(i, eButton, lFlags, p.x, p.y);
                }
            }
        } else if (uMsg == msg::kLButtonUp) {
            // Idle before the capture goes, so its loss is no cancellation.
            m_eDragState = kDragIdle;
            m_pPort->ReleaseCapture();
            const std::int16_t i = HitTestTab(p.x, p.y);
            if (i != -1 && m_lStyle != kWidthFixed) MoveTab(m_iDragIndex, i);
            if (m_pEvents) m_pEvents->CompleteDrag(i, eButton, lFlags, p.x, p.y);
        }
        return true;
    }

    if (uMsg != msg::kLButtonUp) return true;
    m_pPort->ReleaseCapture();
    m_pPort->StopTimer();
    const std::int32_t b = HitTestButton(p.x, p.y);
    if (b == m_lPressedButton && b == kCloseButton) {
        // The close button closes the selected tab; with none selected there
        // is nothing to close.
        const std::int16_t sel = m_iSelectedIndex;
        if (sel >= 0 && sel < Count()) {
            bool bCancel = false;
            if (m_pEvents) m_pEvents->TabQueryClose(sel, bCancel, kCloseByButton);
            // A handler may have changed the table meanwhile.
            if (!bCancel && sel < Count()) {
                RemoveTab(sel);
                if (m_pEvents) m_pEvents->TabClosed();
            }
        }
    }
    if (b != kNoButton) TrackLeave(true);
    m_lHotButton = b;
    m_lPressedButton = kNoButton;
    Refresh();
    return true;
}

void CMDITab::m_cHookKey_KeyPress(const std::wstring& sKey, bool /*bInjected*/) {
    if (sKey != L"Esc" || m_eDragState != kDragging) return;
    m_eDragState = kDragIdle;
    m_pPort->ReleaseCapture();
    if (m_pEvents) m_pEvents->CancelDrag(m_iDragIndex);
}

void CMDITab::HandleMessage(bool bBefore, bool& bHandled, std::intptr_t& lReturn, WindowHandle hWnd, std::uint32_t uMsg,
                            std::uintptr_t wParam, std::intptr_t lParam) {
    if (bBefore) {
        switch (uMsg) {
            case msg::kLButtonDown:
            case msg::kLButtonDblClk:
            case msg::kRButtonDown:
            case msg::kRButtonDblClk:
            case msg::kMButtonDown:
            case msg::kMButtonDblClk:
            case msg::kXButtonDown:
            case msg::kXButtonDblClk:
                bHandled = OnButtonDown(hWnd, uMsg, wParam, lParam);
                break;
            case msg::kLButtonUp:
            case msg::kRButtonUp:
            case msg::kMButtonUp:
            case msg::kXButtonUp:
                bHandled = OnButtonUp(hWnd, uMsg, wParam, lParam);
                break;
            case msg::kMouseWheel: {
                if (hWnd != m_hClientWnd) break;
                const Point p = ToBarPoint(LowSigned(lParam), HighSigned(lParam), true);
                const std::int32_t w = Low32(static_cast<std::intptr_t>(wParam));
                if (HitTestTabBar(p.x, p.y)) {
                    WheelOverBar(w);
                } else {
                    const auto notches = static_cast<std::int32_t>(RoundHalfEven(w / 65536.0 / 120.0));
                    if (m_pEvents)
                        m_pEvents->MDIClientMouseWheel(notches, LowSigned(lParam), HighSigned(lParam), m_lWheelLines,
                                                       bHandled);
                }
                // The wheel message never reaches the window's own procedure.
                lReturn = 0;
                bHandled = true;
                break;
            }
            case msg::kParentNotify:
                if (!m_pEvents) break;
                if ((wParam & 0xFFFF) == msg::kCreate)
                    m_pEvents->MDIChildCreate(static_cast<WindowHandle>(lParam));
                else if ((wParam & 0xFFFF) == msg::kDestroy)
                    m_pEvents->MDIChildDestroy(static_cast<WindowHandle>(lParam));
                break;
            case msg::kCaptureChanged:
                if (m_eDragState == kDragging) {
                    m_eDragState = kDragIdle;
                    if (m_pEvents) m_pEvents->CancelDrag(m_iDragIndex);
                }
                break;
            default:
                break;
        }
        return;
    }
    switch (uMsg) {
        case msg::kSize:
            if (m_pEvents) m_pEvents->MDIClientResize(LowSigned(lParam), HighSigned(lParam));
            break;
        case msg::kPaint:
        case msg::kNcPaint:
            if (!m_bLockUpdate) PaintBar(hWnd, false);
            break;
        case msg::kNcHitTest: {
            const Point p = ToBarPoint(LowSigned(lParam), HighSigned(lParam), true);
            lReturn = HitTestTabBar(p.x, p.y) ? msg::kHtClient : msg::kHtBorder;
            break;
        }
        case msg::kMouseMove:
            OnMouseMove(hWnd, wParam, lParam);
            break;
        case msg::kMdiActivate:
            if (m_pEvents) m_pEvents->MDIChildActive(static_cast<WindowHandle>(wParam));
            break;
        case msg::kNcDestroy:
            if (hWnd == m_hClientWnd) ClientDestroyed();
            break;
        case msg::kMouseLeave:
            if (m_lHotButton != kNoButton) {
                TrackLeave(false);
                m_lHotButton = kNoButton;
                Refresh();
            }
            break;
        default:
            break;
    }
}

}  // namespace brisko
