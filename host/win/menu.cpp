// The tab context menu: built once at connection, enabled for each use,
// shown at the pointer, its five commands and its list of every window.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/win/gdi.h"
#include "common/win/ui_text.h"
#include "comserver/win/module.h"
#include "host/tab_commands.h"
#include "host/win/loader.h"
#include "resources/texts.h"
#include "tabbar/tab_tip.h"

namespace brisko {
namespace {

// The menu's texts in the add-in's string tables: the four closing
// commands from kStrClose on, then the settings item, the question asked
// before every window is closed, and the list of windows.
constexpr UINT kStrClose = BRISKO_IDS_CLOSE;
constexpr UINT kStrSettings = BRISKO_IDS_SETTINGS;
constexpr UINT kStrCloseAllQuestion = BRISKO_IDS_CLOSE_ALL_QUESTION;
constexpr UINT kStrWindowList = BRISKO_IDS_WINDOW_LIST;

UINT Id(MenuCommand c) {
    return static_cast<UINT>(c);
}

void Enable(HMENU menu, UINT id, bool on) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

// Position of the list in the menu: the six fixed items and a separator first.
constexpr UINT kWindowListPos = 7;

// How many entries fit one column of the work area the menu opens on.
std::int32_t EntriesPerColumnAt(POINT at) {
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    RECT work{0, 0, 0, GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoW(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &mi)) work = mi.rcWork;
    return EntriesPerColumn(work.bottom - work.top, GetSystemMetrics(SM_CYMENUSIZE), GetSystemMetrics(SM_CYSMICON));
}

// A bitmap of an icon for a menu entry, drawn on the menu's own colour:
// menus without themes copy an entry's bitmap as it is, so transparent
// pixels would show black there.
HBITMAP MenuBitmap(HICON icon) {
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    // Two pixels more on the right keep the title off the icon.
    const int width = cx + 2;
    ScreenDC screen;
    if (!screen.Get()) return nullptr;
    UniqueDC dc = MakeMemoryDC(screen.Get());
    UniqueBitmap bmp(CreateCompatibleBitmap(screen.Get(), width, cy));
    if (!dc || !bmp) return nullptr;
    {
        SelectInDC sel(dc.Get(), bmp.Get());
        const RECT all{0, 0, width, cy};
        FillRect(dc.Get(), &all, GetSysColorBrush(COLOR_MENU));
        DrawIconEx(dc.Get(), 0, 0, icon, cx, cy, 0, nullptr, DI_NORMAL);
    }
    return bmp.Release();
}

}  // namespace

void Loader::CreateTabMenu() {
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    for (MenuCommand c : {MenuCommand::Close, MenuCommand::CloseAll, MenuCommand::CloseLeft, MenuCommand::CloseRight})
        AppendMenuW(menu, MF_STRING, Id(c), ResourceText(kStrClose + Id(c) - Id(MenuCommand::Close)).c_str());
    AppendMenuW(menu, MF_SEPARATOR, 0, L"");
    AppendMenuW(menu, MF_STRING, Id(MenuCommand::Settings), ResourceText(kStrSettings).c_str());
    AppendMenuW(menu, MF_SEPARATOR, 0, L"");
    HMENU list = CreatePopupMenu();
    if (list && !AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(list), ResourceText(kStrWindowList).c_str())) {
        DestroyMenu(list);
        list = nullptr;
    }
    m_hWindowMenu = list;
    m_hMenu = menu;
}

std::int32_t Loader::ShowTabMenu(std::int16_t i) {
    const ModalLoop loop(*this);
    if (!m_hMenu || !m_pMDITab || disconnecting_) return 0;
    const MenuEnabling on = EnablingFor(m_pMDITab->Count(), i);
    Enable(m_hMenu, Id(MenuCommand::Close), on.close);
    Enable(m_hMenu, Id(MenuCommand::CloseAll), on.closeAll);
    Enable(m_hMenu, Id(MenuCommand::CloseLeft), on.closeLeft);
    Enable(m_hMenu, Id(MenuCommand::CloseRight), on.closeRight);
    POINT pt{};
    GetCursorPos(&pt);

    // The list of windows, made afresh for this showing; its icons live until
    // the menu has closed.
    std::vector<UniqueBitmap> bitmaps;
    m_vWindowKeys.clear();
    if (m_hWindowMenu) {
        while (GetMenuItemCount(m_hWindowMenu) > 0) DeleteMenu(m_hWindowMenu, 0, MF_BYPOSITION);
        for (const TabListEntry& e : TabList(*m_pMDITab, EntriesPerColumnAt(pt))) {
            const UINT id = static_cast<UINT>(kWindowListBase) + static_cast<UINT>(m_vWindowKeys.size());
            MENUITEMINFOW mi{};
            mi.cbSize = sizeof(mi);
            mi.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE | MIIM_STATE;
            mi.fType = MFT_STRING | (e.bBreak ? MFT_MENUBARBREAK : 0);
            mi.fState = e.bChecked ? MFS_CHECKED : MFS_UNCHECKED;
            mi.wID = id;
            std::wstring label = e.sLabel;
            mi.dwTypeData = label.data();
            // Icons show where the icon style shows them on the tabs.
            if (const TabIcon* icon = m_pMDITab->IconPicture(e.iIcon)) {
                if (HBITMAP bmp = MenuBitmap(reinterpret_cast<HICON>(icon->Handle()))) {
                    bitmaps.emplace_back(bmp);
                    mi.fMask |= MIIM_BITMAP;
                    mi.hbmpItem = bmp;
                }
            }
            if (!InsertMenuItemW(m_hWindowMenu, GetMenuItemCount(m_hWindowMenu), TRUE, &mi)) continue;
            m_vWindowKeys.push_back(e.sKey);
        }
        EnableMenuItem(m_hMenu, kWindowListPos, MF_BYPOSITION | (m_vWindowKeys.empty() ? MF_GRAYED : MF_ENABLED));
    }
    const auto cmd = static_cast<std::int32_t>(
        TrackPopupMenu(m_hMenu, TPM_NONOTIFY | TPM_RETURNCMD, pt.x, pt.y, 0, Client(), nullptr));
    // The entries go before their bitmaps do.
    if (m_hWindowMenu)
        while (GetMenuItemCount(m_hWindowMenu) > 0) DeleteMenu(m_hWindowMenu, 0, MF_BYPOSITION);
    // Disconnected meanwhile: nothing more is done to the IDE.
    return disconnecting_ ? 0 : cmd;
}

void Loader::TabBarClick(std::int16_t iIndex, std::int32_t eButton, std::int32_t, std::int32_t, std::int32_t) {
    if (!m_pMDITab) return;
    m_pMDITab->ForceRefresh();
    if (eButton != kRightButton) return;
    const ModalLoop loop(*this);
    RunMenuCommand(ShowTabMenu(iIndex), iIndex);
}

void Loader::RunMenuCommand(std::int32_t cmd, std::int16_t iIndex) {
    const ModalLoop loop(*this);
    if (!m_pMDITab || disconnecting_) return;
    // Closing one window may close others (a designer and its code window):
    // every index is checked against the table as it is now, and a window
    // that is already gone is not sent anything.
    auto closeTab = [&](std::int16_t k) {
        if (k < 0 || k >= m_pMDITab->Count()) return;
        if (const HWND w = WindowOfTab(k)) SendMessageA(w, WM_CLOSE, 0, 0);
    };
    // The loops below close window after window without returning to the
    // message loop: the bar is drawn once when they are done, not after
    // every tab that goes.
    struct CloseRun {
        Loader& loader;
        CMDITab* bar = nullptr;
        void Begin() {
            bar = loader.m_pMDITab.get();
            bar->BeginBatch();
        }
        ~CloseRun() {
            try {
                // The bar may have gone with a disconnection meanwhile.
                if (bar && loader.m_pMDITab.get() == bar) bar->EndBatch();
            } catch (...) {
            }
        }
    } run{*this};
    switch (static_cast<MenuCommand>(cmd)) {
        case MenuCommand::Close:
            if (iIndex < 0 || iIndex >= m_pMDITab->Count()) return;
            PrepareClose(iIndex);
            if (const HWND w = WindowOfTab(iIndex)) PostMessageA(w, WM_CLOSE, 0, 0);
            break;
        case MenuCommand::CloseAll: {
            const std::wstring question = ResourceText(kStrCloseAllQuestion);
            const HWND owner = GetAncestor(Client(), GA_ROOT);
            if (MessageBoxW(owner, question.c_str(), L"Brisko", MB_YESNO | MB_ICONEXCLAMATION) != IDYES ||
                disconnecting_)
                return;
            [[fallthrough]];
        }
        case MenuCommand::CloseLeft:
        case MenuCommand::CloseRight:
            run.Begin();
            for (std::int16_t k : TabsToClose(static_cast<MenuCommand>(cmd), m_pMDITab->Count(), iIndex)) {
                // A close prompt may have seen the add-in disconnected.
                if (!m_pMDITab || disconnecting_) break;
                closeTab(k);
            }
            break;
        case MenuCommand::Settings: {
            // The dialog edits the live bar and writes the confirmed icon
            // style and wheel switch straight into the two fields.
            m_pConfig = std::make_unique<frmConfig>(GetAncestor(Client(), GA_ROOT), this);
            struct Release {
                std::unique_ptr<frmConfig>& dialog;
                ~Release() { dialog.reset(); }
            } release{m_pConfig};
            m_pConfig->ShowConfigWnd(*m_pMDITab, m_eIconStyle, m_bMouseWheel);
            break;
        }
        default:
            if (const auto k = WindowListEntry(cmd, m_vWindowKeys.size()))
                ActivateFromList(m_pMDITab->Index(m_vWindowKeys[*k]));
            break;
    }
}

}  // namespace brisko
