#include "host/win/loader.h"

#include <olectl.h>

#include <utility>

#include "common/error.h"
#include "common/win/ansi.h"
#include "common/win/handles.h"
#include "common/win/ui_text.h"
#include "comserver/win/module.h"
#include "host/connect_mode.h"
#include "host/win/dispatch.h"
#include "host/win/extensibility.h"
#include "host/win/ide_model.h"
#include "host/win/running_ide.h"
#include "settings/settings.h"
#include "settings/win/win_registry.h"
#include "tabbar/win/tab_bar.h"
#include "tracking/classify.h"
#include "tracking/mdi_child.h"
#include "tracking/vba_titles.h"
#include "tracking/win/resource_picture.h"

namespace brisko {

Loader::Loader(IUnknown* owner) : owner_(owner) {
    ModuleAddRef();
}

Loader::~Loader() {
    finishDisconnection_.Cancel();
    TearDown();
    ModuleRelease();
}

void Loader::OnConnection(IDispatch* Application, long ConnectMode) {
    EndEarlierConnection();
    m_eIde = RunningIdeKind();
    // Every text of the session (menu, tips, dialog) in the display language of now.
    ChooseTextLanguage();
    m_pVBE = ComPtr<IDispatch>(Application);
    componentEvents_.Subscribe(m_pVBE.Get(), *this, m_eIde == IdeKind::VbaEditor);
    m_pMonitor = std::make_shared<CMDIMonitor>();
    m_pMonitor->SetEvents(this);
    m_pMDITab = CreateTabBar();
    m_pMDITab->SetEvents(this);
    // Icon numbers 1..16 stand for the icon resources 101..116.
    constexpr std::uint16_t kFirstIconResource = 101;
    for (std::int16_t i = 0; i < kIconCount; ++i)
        m_pMDITab->AddIcon(
            MakeTabIcon(LoadResourcePicture(static_cast<std::uint16_t>(kFirstIconResource + i), "ICON")));
    m_pMDITab->LoadSystemParameters();

    const auto mainWindow = DispGetObject(m_pVBE.Get(), L"MainWindow");
    const HWND hMain = reinterpret_cast<HWND>(static_cast<LONG_PTR>(DispGet(mainWindow.Get(), L"hWnd").AsLong()));
    const HWND hClient = FindWindowExA(hMain, nullptr, "MDIClient", nullptr);

    // From attaching to the end nothing else runs on the IDE's thread, so
    // nobody can see the bar in between: it is laid out and drawn once, when
    // the tabs and the settings are all in place (or when a step fails),
    // instead of once for every tab and every stored setting.
    struct Drawn {
        CMDITab* bar;
        explicit Drawn(CMDITab& b) : bar(&b) { bar->BeginBatch(); }
        void End() {
            if (bar) std::exchange(bar, nullptr)->EndBatch();
        }
        ~Drawn() {
            try {
                End();
            } catch (...) {
                // The bar is drawn with its next change instead.
            }
        }
    } drawn(*m_pMDITab);
    m_pMDITab->Attach(reinterpret_cast<WindowHandle>(hClient));

    const ConnectionSteps steps = StepsFor(ConnectMode);
    if (steps.addOpenWindows) AddExistingWindows();
    if (steps.freezeUntilStartupComplete) {
        // The bar shows as attached, and then stays frozen.
        drawn.End();
        m_pMDITab->SetLockUpdate(true);
    }
    {
        Win32Registry store;
        LoadSettings(store, *m_pMDITab, m_eIconStyle, m_bMouseWheel, AddinKey(m_eIde));
        m_bSettingsLoaded = true;
    }
    CreateTabMenu();
}

void Loader::OnStartupComplete() {
    try {
        if (!m_pMDITab) return;
        const std::int16_t s = m_pMDITab->SelectedIndex();
        if (m_pMDITab->Count() >= 1 && s > 0 && s < m_pMDITab->Count()) m_pMDITab->EnsureVisible(s);
        m_pMDITab->SetLockUpdate(false);
    } catch (...) {
    }
}

void Loader::OnBeginShutdown() {
    try {
        if (m_pMDITab) m_pMDITab->SetLockUpdate(true);
    } catch (...) {
    }
}

void Loader::TearDown() noexcept {
    // Every step runs even when an earlier one failed, and each one looks at
    // what is really there: a connection that failed part-way, or none at
    // all, leaves some fields empty.
    try {
        // Only settings that were loaded are written back: a connection that
        // failed before loading them must not overwrite the user's stored
        // settings with the bar's built-in defaults.
        if (m_pMDITab && m_bSettingsLoaded) {
            Win32Registry store;
            SaveSettings(store, *m_pMDITab, m_eIconStyle, m_bMouseWheel, AddinKey(m_eIde));
        }
    } catch (...) {
    }
    try {
        if (m_hMenu) DestroyMenu(m_hMenu);
    } catch (...) {
    }
    m_hMenu = nullptr;
    m_hWindowMenu = nullptr;
    m_bSettingsLoaded = false;
    // A drag may still be showing its cursor; the system's own comes back.
    if (m_bCursorReplaced) RestoreCursors();
    try {
        // The bar holds the watchers, which point at the monitor: it goes first.
        if (m_pMDITab) m_pMDITab->SetEvents(nullptr);
        m_pMDITab.reset();
    } catch (...) {
    }
    try {
        if (m_pMonitor) m_pMonitor->SetEvents(nullptr);
        m_pMonitor.reset();
    } catch (...) {
    }
    try {
        componentEvents_.Release();
    } catch (...) {
    }
    m_pVBE.Reset();
}

void Loader::AddExistingWindows() {
    // Nothing else runs on the IDE's thread until the last window is added:
    // the projects cannot change meanwhile, so they are read once for all
    // the windows, and nobody can see the bar between two additions, so it
    // is drawn once at the end.
    const auto source = MakeDispatchIdeModel(m_pVBE.Get());
    const auto remembered = MakeRememberingModel(*source);
    struct Run {
        Loader& loader;
        explicit Run(Loader& l, IdeModel* model) : loader(l) {
            loader.m_pBatchModel = model;
            loader.m_pMDITab->BeginBatch();
        }
        ~Run() {
            loader.m_pBatchModel = nullptr;
            try {
                loader.RefreshTitles();
                if (loader.m_pMDITab) loader.m_pMDITab->EndBatch();
            } catch (...) {
                // The bar is drawn with its next change instead.
            }
        }
    } run(*this, remembered.get());

    HWND child = GetWindow(reinterpret_cast<HWND>(m_pMDITab->hClientWnd()), GW_CHILD);
    while (child) {
        if (IsTabWindowClass(GetWindowClass(child))) {
            AddWindowTab(child);
            if (m_pMDITab->Count() == 1) m_pMDITab->SetSelectedIndex(m_pMDITab->Index(WindowKey(FromHwnd(child))));
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
}

std::wstring Loader::GetWindowClass(HWND hWnd) {
    m_lClassLen = GetClassNameA(hWnd, m_sClassBuf, sizeof m_sClassBuf);
    if (m_lClassLen <= 0) return {};
    return FromAnsi(std::string_view(m_sClassBuf, static_cast<size_t>(m_lClassLen)));
}

std::wstring Loader::GetWindowCaption(HWND hWnd) {
    m_lCaptionLen = GetWindowTextA(hWnd, m_sCaptionBuf, sizeof m_sCaptionBuf);
    if (m_lCaptionLen <= 0) return {};
    return FromAnsi(std::string_view(m_sCaptionBuf, static_cast<size_t>(m_lCaptionLen)));
}

void Loader::DeriveTitle(HWND hWnd, std::wstring& title, std::int16_t& icon, std::int32_t& kind, IdeModel& model,
                         TabTitleSource* source) {
    if (m_eIde == IdeKind::Vb6) {
        MakeTabTitle(title, icon, kind, model, m_eIconStyle);
        return;
    }
    std::wstring document;
    MakeVbaTabTitle(title, icon, kind, document, model, m_eIconStyle, GetWindowClass(hWnd));
    if (source) *source = {title, std::move(document)};
}

void Loader::AddWindowTab(HWND hWnd) {
    const std::wstring key = WindowKey(FromHwnd(hWnd));
    if (m_pMDITab->Index(key) != -1) return;
    std::wstring title = GetWindowCaption(hWnd);
    std::int16_t icon = 0;
    std::int32_t kind = 0;
    TabTitleSource source;
    {
        // One window's derivation asks the IDE each question once.
        std::unique_ptr<IdeModel> fresh, remembered;
        if (!m_pBatchModel) {
            fresh = MakeDispatchIdeModel(m_pVBE.Get());
            remembered = MakeRememberingModel(*fresh);
        }
        DeriveTitle(hWnd, title, icon, kind, m_pBatchModel ? *m_pBatchModel : *remembered, &source);
    }
    const bool visible = !title.empty();
    const std::int16_t index = m_pMDITab->AddTab(-1, key, title, visible, icon, 0, kind);
    auto watcher = m_pMonitor->AddNewWindow(FromHwnd(hWnd));
    watcher->SetTitleSource(std::move(source));
    m_pMDITab->SetDataObject(index, std::move(watcher));
    if (!m_pBatchModel) RefreshTitles();
}

void Loader::UpdateTab(std::int16_t iIndex) {
    auto watcher = std::dynamic_pointer_cast<CMDIChild>(m_pMDITab->DataObject(iIndex));
    const HWND hWnd = watcher ? reinterpret_cast<HWND>(watcher->hWnd()) : nullptr;
    std::wstring title = GetWindowCaption(hWnd);
    std::int16_t icon = m_pMDITab->Icon(iIndex);
    std::int32_t kind = m_pMDITab->Data(iIndex);
    auto fresh = MakeDispatchIdeModel(m_pVBE.Get());
    auto model = MakeRememberingModel(*fresh);
    TabTitleSource source;
    DeriveTitle(hWnd, title, icon, kind, *model, &source);
    if (m_eIde == IdeKind::Vb6) {
        m_pMDITab->SetTitle(iIndex, title);
        m_pMDITab->SetIcon(iIndex, icon);
        m_pMDITab->SetData(iIndex, kind);
        return;
    }
    m_pMDITab->SetIcon(iIndex, icon);
    m_pMDITab->SetData(iIndex, kind);
    if (watcher) watcher->SetTitleSource(std::move(source));
    RefreshTitles();
}

void Loader::RefreshTitles() {
    if (m_eIde == IdeKind::Vb6 || !m_pMDITab) return;
    const std::int16_t n = m_pMDITab->Count();
    std::vector<TabTitleSource> sources;
    sources.reserve(static_cast<std::size_t>(n));
    for (std::int16_t i = 0; i < n; ++i) {
        const auto watcher = std::dynamic_pointer_cast<CMDIChild>(m_pMDITab->DataObject(i));
        sources.push_back(watcher ? watcher->TitleSource() : TabTitleSource{m_pMDITab->Title(i), {}});
    }
    const std::vector<std::wstring> titles = DisambiguatedTitles(sources);
    m_pMDITab->BeginBatch();
    try {
        for (std::int16_t i = 0; i < n; ++i) m_pMDITab->SetTitle(i, titles[static_cast<std::size_t>(i)]);
    } catch (...) {
        m_pMDITab->EndBatch();
        throw;
    }
    m_pMDITab->EndBatch();
}

std::int16_t Loader::TabOfWindow(WindowHandle hWnd) const {
    return m_pMDITab->Index(WindowKey(hWnd));
}

void Loader::ItemAdded(IDispatch* component) {
    if (!m_pMDITab || !component) return;
    // A component read from its file has its windows titled already. The
    // VBA editor's components have no files of their own: every one added
    // is new.
    if (m_eIde == IdeKind::Vb6 && !DispGet(component, L"FileNames", {Variant::Int(1)}).AsString().empty()) return;
    const std::int16_t s = m_pMDITab->SelectedIndex();
    if (s != -1) UpdateTab(s);
}

// ---- Notifications from the tab bar and the watchers ----

void Loader::MDIChildCreate(WindowHandle hWnd) {
    if (m_pMDITab) AddWindowTab(reinterpret_cast<HWND>(hWnd));
}

void Loader::MDIChildDestroy(WindowHandle hWnd) {
    if (!m_pMDITab) return;
    const std::int16_t i = TabOfWindow(hWnd);
    if (i == -1) return;
    m_pMDITab->CloseTab(i);
    // A title shared with the closed tab may stand alone now.
    RefreshTitles();
}

void Loader::MDIChildActive(WindowHandle hActive) {
    if (m_pMDITab) m_pMDITab->SetSelectedIndex(TabOfWindow(hActive));
}

void Loader::ChangeTitle(WindowHandle hWnd) {
    if (!m_pMDITab) return;
    const std::int16_t i = TabOfWindow(hWnd);
    if (i != -1) UpdateTab(i);
}

void Loader::ActiveWindow(WindowHandle hWnd) {
    if (m_pMDITab) m_pMDITab->SetSelectedIndex(TabOfWindow(hWnd));
}

void Loader::ShowWindow(WindowHandle hWnd) {
    if (!m_pMDITab) return;
    const std::int16_t i = TabOfWindow(hWnd);
    if (i != -1) m_pMDITab->SetTabVisible(i, true);
}

void Loader::HideWindow(WindowHandle hWnd) {
    if (!m_pMDITab) return;
    const std::int16_t i = TabOfWindow(hWnd);
    if (i != -1) m_pMDITab->SetTabVisible(i, false);
}

}  // namespace brisko
