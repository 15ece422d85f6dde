#include "host/loader.h"

#include <olectl.h>

#include <utility>

#include "common/error.h"
#include "common/win/ansi.h"
#include "common/win/handles.h"
#include "host/dispatch.h"
#include "host/extensibility.h"
#include "host/ide_model.h"
#include "host/module.h"
#include "settings/settings.h"
#include "settings/win/win_registry.h"
#include "tabbar/win/tab_bar_port.h"
#include "tracking/classify.h"
#include "tracking/mdi_child.h"
#include "tracking/win/resource_picture.h"

namespace brisko {

std::wstring WindowKey(WindowHandle hWnd) { return L"#" + std::to_wstring(static_cast<long long>(hWnd)); }

// Receives the IDE's component events and hands ItemAdded to the loader it
// was made for, until the loader lets go of it.
class ComponentEventsSink final : public IDispatch {
public:
    explicit ComponentEventsSink(Loader* owner) : owner_(owner) { ModuleAddRef(); }
    ~ComponentEventsSink() { ModuleRelease(); }
    void Disown() { owner_ = nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, DIID_VBComponentsEvents)) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        if (n) *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        if (count >= 1 && lstrcmpiW(names[0], L"ItemAdded") == 0) {
            ids[0] = DISPID_ItemAdded;
            return S_OK;
        }
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        // Only ItemAdded matters; the IDE's other component events are ignored.
        if (id != DISPID_ItemAdded || !owner_) return S_OK;
        try {
            IDispatch* component = nullptr;
            if (params && params->cArgs >= 1) {
                const VARIANT& a = params->rgvarg[params->cArgs - 1];
                if (a.vt == VT_DISPATCH)
                    component = a.pdispVal;
                else if (a.vt == (VT_DISPATCH | VT_BYREF) && a.ppdispVal)
                    component = *a.ppdispVal;
            }
            owner_->ItemAdded(component);
        } catch (...) {
            // A notification the add-in cannot handle is dropped; the IDE goes on.
        }
        return S_OK;
    }

private:
    LONG refs_ = 1;
    Loader* owner_;
};

Loader::Loader() { ModuleAddRef(); }

Loader::~Loader() {
    OnDisconnection();
    ModuleRelease();
}

void Loader::OnConnection(IDispatch* Application, long ConnectMode) {
    m_pVBE = ComPtr<IDispatch>(Application);
    SubscribeComponentEvents();
    m_pMonitor = std::make_shared<CMDIMonitor>();
    m_pMonitor->SetEvents(this);
    m_pMDITab = CreateTabBar();
    m_pMDITab->SetEvents(this);
    // Icon numbers 1..14 stand for the resources 101..114.
    for (std::uint16_t i = 1; i <= 14; ++i)
        m_pMDITab->AddIcon(MakeTabIcon(LoadResourcePicture(static_cast<std::uint16_t>(i + 100), "ICON")));
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

    if (ConnectMode == ext_cm_AfterStartup) AddExistingWindows();
    if (ConnectMode == ext_cm_Startup) {
        // The bar shows as attached, and then stays frozen.
        drawn.End();
        m_pMDITab->SetLockUpdate(true);
    }
    {
        Win32Registry store;
        LoadSettings(store, *m_pMDITab, m_eIconStyle, m_bMouseWheel);
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

void Loader::OnDisconnection() {
    // Every step runs even when an earlier one failed, and each one looks at
    // what is really there: a connection that failed part-way, or none at
    // all, leaves some fields empty.
    try {
        // Only settings that were loaded are written back: a connection that
        // failed before loading them must not overwrite the user's stored
        // settings with the bar's built-in defaults.
        if (m_pMDITab && m_bSettingsLoaded) {
            Win32Registry store;
            SaveSettings(store, *m_pMDITab, m_eIconStyle, m_bMouseWheel);
        }
    } catch (...) {
    }
    try {
        if (m_hMenu) DestroyMenu(m_hMenu);
    } catch (...) {
    }
    m_hMenu = nullptr;
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
        ReleaseComponentEvents();
    } catch (...) {
    }
    m_pVBE.Reset();
}

void Loader::SubscribeComponentEvents() {
    const auto events = DispGetObject(m_pVBE.Get(), L"Events");
    const auto source = DispGetObject(events.Get(), L"VBComponentsEvents", {Variant::Object(nullptr)});
    if (!source) throw Error(ErrorNumber::ObjectRequired, "no component events");
    ComPtr<IConnectionPointContainer> container;
    if (FAILED(source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.Put()))))
        throw Error(ErrorNumber::Automation, "component events cannot be subscribed");
    ComPtr<IConnectionPoint> point;
    if (FAILED(container->FindConnectionPoint(DIID_VBComponentsEvents, point.Put())))
        throw Error(ErrorNumber::Automation, "component events cannot be subscribed");
    auto sink = ComPtr<ComponentEventsSink>::Attach(new ComponentEventsSink(this));
    DWORD cookie = 0;
    if (FAILED(point->Advise(sink.Get(), &cookie))) {
        sink->Disown();
        throw Error(ErrorNumber::Automation, "component events cannot be subscribed");
    }
    m_pVBEventPoint = point;
    m_pVBEventSink = sink;
    m_dwVBEventCookie = cookie;
}

void Loader::ReleaseComponentEvents() {
    if (m_pVBEventSink) m_pVBEventSink->Disown();
    if (m_pVBEventPoint && m_dwVBEventCookie) m_pVBEventPoint->Unadvise(m_dwVBEventCookie);
    m_dwVBEventCookie = 0;
    m_pVBEventPoint.Reset();
    m_pVBEventSink.Reset();
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

void Loader::AddWindowTab(HWND hWnd) {
    const std::wstring key = WindowKey(FromHwnd(hWnd));
    if (m_pMDITab->Index(key) != -1) return;
    std::wstring title = GetWindowCaption(hWnd);
    std::int16_t icon = 0;
    std::int32_t kind = 0;
    std::unique_ptr<IdeModel> fresh;
    if (!m_pBatchModel) fresh = MakeDispatchIdeModel(m_pVBE.Get());
    MakeTabTitle(title, icon, kind, fresh ? *fresh : *m_pBatchModel, m_eIconStyle);
    const bool visible = !title.empty();
    const std::int16_t index = m_pMDITab->AddTab(-1, key, title, visible, icon, 0, kind);
    m_pMDITab->SetDataObject(index, m_pMonitor->AddNewWindow(FromHwnd(hWnd)));
}

void Loader::UpdateTab(std::int16_t iIndex) {
    auto watcher = std::dynamic_pointer_cast<CMDIChild>(m_pMDITab->DataObject(iIndex));
    const HWND hWnd = watcher ? reinterpret_cast<HWND>(watcher->hWnd()) : nullptr;
    std::wstring title = GetWindowCaption(hWnd);
    std::int16_t icon = m_pMDITab->Icon(iIndex);
    std::int32_t kind = m_pMDITab->Data(iIndex);
    auto model = MakeDispatchIdeModel(m_pVBE.Get());
    MakeTabTitle(title, icon, kind, *model, m_eIconStyle);
    m_pMDITab->SetTitle(iIndex, title);
    m_pMDITab->SetIcon(iIndex, icon);
    m_pMDITab->SetData(iIndex, kind);
}

std::int16_t Loader::TabOfWindow(WindowHandle hWnd) const { return m_pMDITab->Index(WindowKey(hWnd)); }

void Loader::ItemAdded(IDispatch* component) {
    if (!m_pMDITab || !component) return;
    const std::wstring file = DispGet(component, L"FileNames", {Variant::Int(1)}).AsString();
    if (!file.empty()) return;
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
    if (i != -1) m_pMDITab->CloseTab(i);
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
