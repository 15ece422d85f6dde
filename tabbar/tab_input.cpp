// Mouse and keyboard handling of the bar: hit tests, presses and releases,
// hover tracking of the buttons, auto-repeat and drag reordering, and the
// dispatch of the attached window's typed input.
#include <cmath>

#include "common/rounding.h"
#include "tabbar/mdi_tab.h"

namespace brisko {

namespace {

// The mouse events' lFlags: the packed position the message carried.
std::int32_t Flags(const BarInput& in) {
    return in.PackedPoint();
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
        if (CanScrollLeft() && ButtonBox(kScrollLeftButton).Contains(x, y)) return kScrollLeftButton;
        if (CanScrollRight() && ButtonBox(kScrollRightButton).Contains(x, y)) return kScrollRightButton;
    }
    if (m_bCloseButton && HasVisibleTab() && ButtonBox(kCloseButton).Contains(x, y)) return kCloseButton;
    return kNoButton;
}

Point CMDITab::ToBarPoint(Point p, Coords from) const {
    p = Point{p.x + m_iFrameWidth, p.y + m_iFrameWidth};
    if (from == Coords::Screen) p = m_Window.ScreenToClient(m_hClientWnd, p);
    if (m_lAlign == kAlignTop) p.y += StripHeight();
    return p;
}

void CMDITab::TrackLeave(bool on) {
    if (on == m_bTrackLeave) return;
    m_bTrackLeave = on;
    m_Pointer.TrackMouseLeave(m_hClientWnd, on);
}

bool CMDITab::OnButtonDown(const BarInput& in) {
    if (m_lPressedButton != kNoButton || m_eDragState == kDragging) return false;
    const Point p = ToBarPoint(in.point, Coords::Client);
    const std::int32_t eButton = in.button;
    const std::int32_t lFlags = Flags(in);
    const bool down = in.kind == BarInputKind::ButtonDown;
    if (!HitTestTabBar(p.x, p.y)) return false;

    const std::int16_t i = HitTestTab(p.x, p.y);
    if (i == -1) {
        const std::int32_t b = HitTestButton(p.x, p.y);
        if (b != kNoButton && in.LeftButton()) {
            TrackLeave(false);
            m_Pointer.SetCapture(in.window);
            m_lHotButton = m_lPressedButton = b;
            Refresh();
            if (b == kScrollLeftButton || b == kScrollRightButton) {
                // The first step happens at once, the rest on the timer.
                iTimer_Proc(0, 0);
                m_Pointer.StartTimer(AutoRepeatInterval());
            }
            return true;
        }
        if (m_pEvents) {
            if (down)
                m_pEvents->TabBarMouseDown(-1, eButton, lFlags, p.x, p.y);
            else
                m_pEvents->TabBarDblClick(-1, eButton, lFlags, p.x, p.y);
        }
        return true;
    }

    if (down) {
        if (m_pEvents) m_pEvents->TabMouseDown(i, eButton, lFlags, p.x, p.y);
        if (in.LeftButton()) {
            SelectTab(i, kChangeByClick);
            if (m_bAutoDrag && Count() >= 2) {
                m_eDragState = kDragArmed;
                m_rcDrag = Rect{p.x - m_lDragCX, p.y - m_lDragCY, p.x + m_lDragCX, p.y + m_lDragCY};
                m_iDragIndex = i;
                TrackLeave(false);
                m_Pointer.SetCapture(in.window);
            }
        }
    } else if (m_pEvents) {
        m_pEvents->TabDblClick(i, eButton, lFlags, p.x, p.y);
    }
    return true;
}

void CMDITab::OnMouseMove(const BarInput& in) {
    const Point p = ToBarPoint(in.point, Coords::Client);
    const std::int32_t lFlags = Flags(in);

    // A move with no button and no modifier held ends presses and armed drags
    // whose release happened where the bar did not see it.
    if (in.keys == 0) {
        if (m_eDragState != kDragIdle || m_lPressedButton != kNoButton) m_Pointer.ReleaseCapture();
        // The auto-repeat has nothing left to repeat.
        if (m_lPressedButton != kNoButton) m_Pointer.StopTimer();
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
}

bool CMDITab::OnButtonUp(const BarInput& in) {
    const Point p = ToBarPoint(in.point, Coords::Client);
    const std::int32_t eButton = in.button;
    const std::int32_t lFlags = Flags(in);
    if (m_eDragState != kDragging && !HitTestTabBar(p.x, p.y)) return false;

    if (m_lPressedButton == kNoButton) {
        if (m_eDragState != kDragging) {
            if (in.LeftButton()) {
                m_eDragState = kDragIdle;
                m_Pointer.ReleaseCapture();
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
        } else if (in.LeftButton()) {
            // Idle before the capture goes, so its loss is no cancellation.
            m_eDragState = kDragIdle;
            m_Pointer.ReleaseCapture();
            const std::int16_t i = HitTestTab(p.x, p.y);
            if (i != -1 && m_lStyle != kWidthFixed) MoveTab(m_iDragIndex, i);
            if (m_pEvents) m_pEvents->CompleteDrag(i, eButton, lFlags, p.x, p.y);
        }
        return true;
    }

    if (!in.LeftButton()) return true;
    m_Pointer.ReleaseCapture();
    m_Pointer.StopTimer();
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
    m_Pointer.ReleaseCapture();
    if (m_pEvents) m_pEvents->CancelDrag(m_iDragIndex);
}

void CMDITab::OnWheel(const BarInput& in, BarReply& reply) {
    if (in.window != m_hClientWnd) return;
    const Point p = ToBarPoint(in.point, Coords::Screen);
    if (HitTestTabBar(p.x, p.y)) {
        WheelOverBar(in.wheelDelta < 0);
    } else if (m_pEvents) {
        // The notches as the message's word pair read as one number: the
        // delta, with the key flags as its fraction, over 120.
        const double raw = in.wheelDelta + static_cast<std::uint16_t>(in.keys) / 65536.0;
        const auto notches = static_cast<std::int32_t>(RoundHalfEven(raw / 120.0));
        m_pEvents->MDIClientMouseWheel(notches, in.point.x, in.point.y, m_lWheelLines, reply.handled);
    }
    // The wheel message never reaches the window's own procedure.
    reply.answer = BarAnswer::Zero;
    reply.handled = true;
}

BarReply CMDITab::HandleInput(const BarInput& in) {
    BarReply reply;
    using Kind = BarInputKind;
    if (in.Before()) {
        switch (in.kind) {
            case Kind::ButtonDown:
            case Kind::DoubleClick:
                reply.handled = OnButtonDown(in);
                break;
            case Kind::ButtonUp:
                reply.handled = OnButtonUp(in);
                break;
            case Kind::Wheel:
                OnWheel(in, reply);
                break;
            case Kind::ChildCreated:
                if (m_pEvents) m_pEvents->MDIChildCreate(in.child);
                break;
            case Kind::ChildDestroyed:
                if (m_pEvents) m_pEvents->MDIChildDestroy(in.child);
                break;
            case Kind::CaptureChanged:
                if (m_eDragState == kDragging) {
                    m_eDragState = kDragIdle;
                    if (m_pEvents) m_pEvents->CancelDrag(m_iDragIndex);
                }
                break;
            default:
                break;
        }
        return reply;
    }
    switch (in.kind) {
        case Kind::Resized:
            if (m_pEvents) m_pEvents->MDIClientResize(in.point.x, in.point.y);
            break;
        case Kind::Painted:
            if (!m_bLockUpdate) PaintBar(in.window, false);
            break;
        case Kind::HitTest: {
            const Point p = ToBarPoint(in.point, Coords::Screen);
            reply.answer = HitTestTabBar(p.x, p.y) ? BarAnswer::HitClient : BarAnswer::HitBorder;
            break;
        }
        case Kind::MouseMove:
            OnMouseMove(in);
            break;
        case Kind::ChildActivated:
            if (m_pEvents) m_pEvents->MDIChildActive(in.child);
            break;
        case Kind::Destroyed:
            if (in.window == m_hClientWnd) ClientDestroyed();
            break;
        case Kind::MouseLeave:
            if (m_lHotButton != kNoButton) {
                TrackLeave(false);
                m_lHotButton = kNoButton;
                Refresh();
            }
            break;
        default:
            break;
    }
    return reply;
}

}  // namespace brisko
