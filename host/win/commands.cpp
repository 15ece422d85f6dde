// The handlers that turn what the user does on the tab bar into requests to
// the IDE's windows: activate, close, maximise, restore, scroll, and the drag
// cursors. Requests are posted wherever possible so that they cannot re-enter
// the bar while it is handling a message.
#include <windows.h>

#include <algorithm>
#include <string>

#include "common/win/ansi.h"
#include "comserver/win/module.h"
#include "host/tab_commands.h"
#include "host/win/loader.h"
#include "tracking/classify.h"
#include "tracking/mdi_child.h"

namespace brisko {

HWND Loader::WindowOfTabNoCheck(std::int16_t i) const {
    auto watcher = std::dynamic_pointer_cast<CMDIChild>(m_pMDITab->DataObject(i));
    return watcher ? reinterpret_cast<HWND>(watcher->hWnd()) : nullptr;
}

HWND Loader::WindowOfTab(std::int16_t i) {
    const HWND w = WindowOfTabNoCheck(i);
    if (w && IsWindow(w)) return w;
    // The window went without the MDI client telling us: drop its tab.
    m_pMDITab->CloseTab(i);
    return nullptr;
}

void Loader::TabChanged(std::int16_t iActive, std::int16_t, std::int32_t eChangeMode) {
    if (eChangeMode != kChangeByRemove && eChangeMode != kChangeByClick) return;
    if (iActive == -1 || !m_pMDITab) return;
    const HWND w = WindowOfTab(iActive);
    if (!w) return;
    if (IsIconic(w))
        ::ShowWindow(w, SW_SHOWNORMAL);
    else
        PostMessageA(Client(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(w), 0);
}

void Loader::PrepareClose(std::int16_t iIndex) {
    if (iIndex != m_pMDITab->SelectedIndex() || m_pMDITab->Count() < 2) return;
    LONG maximised = 0;
    const HWND active =
        reinterpret_cast<HWND>(SendMessageA(Client(), WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximised)));
    if (!active || !IsZoomed(active)) return;
    const std::int16_t next = NeighbourOnClose(iIndex, m_pMDITab->Count());
    m_pMDITab->SetLockUpdate(true);
    m_pMDITab->SetSelectedIndex(next);
    if (const HWND w = WindowOfTabNoCheck(next); w && IsWindow(w))
        PostMessageA(Client(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(w), 0);
    m_pMDITab->SetLockUpdate(false);
}

void Loader::TabQueryClose(std::int16_t iIndex, bool& bCancel, std::int32_t eCloseMode) {
    if (!m_pMDITab || iIndex < 0 || iIndex >= m_pMDITab->Count()) return;
    PrepareClose(iIndex);
    if (eCloseMode != kCloseByButton) return;
    const HWND w = WindowOfTabNoCheck(iIndex);
    // A tab whose window is gone is simply let go.
    if (!w || !IsWindow(w)) return;
    bCancel = true;
    PostMessageA(w, WM_CLOSE, 0, 0);
}

// The window list's choice: what a click on the tab does, and for the tab
// that is already selected (whose click does nothing) the same activation,
// so that its window comes forward and out of its minimised state too.
void Loader::ActivateFromList(std::int16_t i) {
    if (!m_pMDITab || i < 0 || i >= m_pMDITab->Count()) return;
    if (i != m_pMDITab->SelectedIndex()) {
        m_pMDITab->SelectTab(i, kChangeByClick);
        return;
    }
    m_pMDITab->EnsureVisible(i);
    m_pMDITab->Refresh();
    TabChanged(i, i, kChangeByClick);
}

void Loader::TabToolTip(std::int16_t iIndex, std::wstring& sText) {
    if (!m_pMDITab || iIndex < 0 || iIndex >= m_pMDITab->Count()) return;
    const HWND w = WindowOfTabNoCheck(iIndex);
    if (!w || !IsWindow(w)) return;
    // The whole caption, unlike the tab's title, within a bound: the tip
    // shows no more than a screenful. A caption that grows between the two
    // reads is cut to the buffer.
    const int n = (std::min)(GetWindowTextLengthA(w), 4096);
    if (n <= 0) return;
    std::string buf(static_cast<std::size_t>(n) + 1, '\0');
    const int got = GetWindowTextA(w, buf.data(), n + 1);
    if (got > 0) sText = FromAnsi(std::string_view(buf.data(), static_cast<std::size_t>(got)));
}

void Loader::TabDblClick(std::int16_t iIndex, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
    if (!m_pMDITab) return;
    const HWND w = WindowOfTab(iIndex);
    if (!w) return;
    // A window in its normal state is maximised; a maximised or minimised one restored.
    const UINT msg = (!IsZoomed(w) && !IsIconic(w)) ? WM_MDIMAXIMIZE : WM_MDIRESTORE;
    PostMessageA(Client(), msg, reinterpret_cast<WPARAM>(w), 0);
}

void Loader::TabBarDblClick(std::int16_t iIndex, std::int32_t eButton, std::int32_t lFlags, std::int32_t x,
                            std::int32_t y) {
    if (!m_pMDITab) return;
    const std::int16_t s = m_pMDITab->SelectedIndex();
    if (eButton == kLeftButton && iIndex == -1 && s != -1) TabDblClick(s, eButton, lFlags, x, y);
}

// ---- Drag cursors ----

void Loader::SetDragCursor(brisko::DragCursor cursor) {
    const int resourceId = static_cast<int>(cursor);
    const HCURSOR shared = LoadCursorA(ModuleInstance(), MAKEINTRESOURCEA(resourceId));
    if (!shared) return;
    // The bar's window holds the mouse while a tab is dragged, so no other
    // window sets the cursor until the capture ends; nothing outside this
    // thread's windows is touched, and nothing outlives the IDE.
    const HCURSOR before = SetCursor(shared);
    if (!m_bCursorReplaced) m_hCursorBefore = before;
    m_bCursorReplaced = true;
    m_iDragCursor = resourceId;
}

void Loader::RestoreCursors() {
    if (m_bCursorReplaced) SetCursor(m_hCursorBefore);
    m_bCursorReplaced = false;
    m_hCursorBefore = nullptr;
    m_iDragCursor = static_cast<int>(brisko::DragCursor::System);
}

void Loader::StartDrag(std::int16_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
    SetDragCursor(brisko::DragCursor::OverTab);
    m_bDropCursor = true;
}

void Loader::DragOver(std::int16_t, std::int32_t, std::int32_t, std::int32_t ClientX, std::int32_t ClientY) {
    if (!m_pMDITab) return;
    const bool overTab = m_pMDITab->HitTestTab(ClientX, ClientY) != -1;
    const auto meant = m_bDropCursor ? brisko::DragCursor::OverTab : brisko::DragCursor::OffTabs;
    if (const auto change = DragCursorChange(meant, overTab)) {
        SetDragCursor(*change);
        m_bDropCursor = *change == brisko::DragCursor::OverTab;
    }
}

void Loader::CompleteDrag(std::int16_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
    RestoreCursors();
}

void Loader::CancelDrag(std::int16_t) {
    RestoreCursors();
}

// ---- Icons ----

namespace {
// The icon style that shows no icons on the tabs.
constexpr std::int32_t kIconStyleNone = 3;
}  // namespace

void Loader::ApplyIconStyle(std::int32_t eIconStyle) {
    if (!m_pMDITab) return;
    const std::int16_t n = m_pMDITab->Count();
    for (std::int16_t i = 0; i < n && i < m_pMDITab->Count(); ++i)
        m_pMDITab->SetIcon(i, eIconStyle == kIconStyleNone ? 0 : GetIconIndex(m_pMDITab->Data(i), eIconStyle));
}

}  // namespace brisko
