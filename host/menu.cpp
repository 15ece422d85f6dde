// The tab context menu: built once at connection, enabled for each use,
// shown at the pointer, and its five commands.
#include <windows.h>

#include <string>

#include "host/loader.h"
#include "host/module.h"

namespace brisko {
namespace {

enum MenuCommand : std::int32_t { kCmdClose = 1, kCmdCloseAll = 2, kCmdCloseLeft = 3, kCmdCloseRight = 4, kCmdSettings = 5 };

std::wstring ResourceString(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW answers a pointer into the resource.
    const int n = LoadStringW(ModuleInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
    return n > 0 && text ? std::wstring(text, static_cast<size_t>(n)) : std::wstring();
}

void Enable(HMENU menu, UINT id, bool on) { EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); }

}  // namespace

void Loader::CreateTabMenu() {
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    for (UINT id = 1; id <= 4; ++id) AppendMenuW(menu, MF_STRING, id, ResourceString(100 + id).c_str());
    AppendMenuW(menu, MF_SEPARATOR, 0, L"");
    AppendMenuW(menu, MF_STRING, kCmdSettings, ResourceString(105).c_str());
    m_hMenu = menu;
}

std::int32_t Loader::ShowTabMenu(std::int16_t i) {
    if (!m_hMenu || !m_pMDITab) return 0;
    const std::int16_t n = m_pMDITab->Count();
    Enable(m_hMenu, kCmdClose, n >= 1 && i >= 0);
    Enable(m_hMenu, kCmdCloseAll, n >= 1);
    if (n < 2 || i == -1) {
        Enable(m_hMenu, kCmdCloseLeft, false);
        Enable(m_hMenu, kCmdCloseRight, false);
    } else {
        Enable(m_hMenu, kCmdCloseLeft, i >= 1);
        Enable(m_hMenu, kCmdCloseRight, i + 1 < n);
    }
    POINT pt{};
    GetCursorPos(&pt);
    return static_cast<std::int32_t>(
        TrackPopupMenu(m_hMenu, TPM_NONOTIFY | TPM_RETURNCMD, pt.x, pt.y, 0, Client(), nullptr));
}

void Loader::TabBarClick(std::int16_t iIndex, std::int32_t eButton, std::int32_t, std::int32_t, std::int32_t) {
    if (!m_pMDITab) return;
    m_pMDITab->ForceRefresh();
    if (eButton != 2) return;
    RunMenuCommand(ShowTabMenu(iIndex), iIndex);
}

void Loader::RunMenuCommand(std::int32_t cmd, std::int16_t iIndex) {
    if (!m_pMDITab) return;
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
    switch (cmd) {
        case kCmdClose:
            if (iIndex < 0 || iIndex >= m_pMDITab->Count()) return;
            PrepareClose(iIndex);
            if (const HWND w = WindowOfTab(iIndex)) PostMessageA(w, WM_CLOSE, 0, 0);
            break;
        case kCmdCloseAll: {
            const std::wstring question = ResourceString(106);
            const HWND owner = GetAncestor(Client(), GA_ROOT);
            if (MessageBoxW(owner, question.c_str(), L"Brisko", MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return;
            run.Begin();
            const std::int16_t n = m_pMDITab->Count();
            for (std::int16_t k = static_cast<std::int16_t>(n - 1); k >= 0 && m_pMDITab; --k) closeTab(k);
            break;
        }
        case kCmdCloseLeft:
            run.Begin();
            for (std::int16_t k = static_cast<std::int16_t>(iIndex - 1); k >= 0 && m_pMDITab; --k) closeTab(k);
            break;
        case kCmdCloseRight: {
            run.Begin();
            const std::int16_t n = m_pMDITab->Count();
            for (std::int16_t k = static_cast<std::int16_t>(n - 1); k > iIndex && m_pMDITab; --k) closeTab(k);
            break;
        }
        case kCmdSettings: {
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
        default: break;
    }
}

}  // namespace brisko
