#pragma once
// The add-in in-process, held as the IDE's add-in manager holds it, against
// the stand-in IDE; and the fixture the end-to-end scenarios share, with the
// tick action that runs their steps inside modal loops.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "common/win/com_ptr.h"
#include "comserver/win/module.h"
#include "host/win/extensibility.h"
#include "host/win/loader.h"
#include "host/win/loader_com.h"
#include "host/win/running_ide.h"
#include "settings/settings.h"
#include "tabbar/mdi_tab.h"
#include "testing/tick_action.h"
#include "tools/idehost/ide_host.h"
#include "tools/idehost/scenario.h"
#include "winsvc/win/slot_pool.h"

namespace brisko::test {

// These programs play the VB6 IDE unless a scenario says otherwise.
struct OleEnvironment : ::testing::Environment {
    void SetUp() override {
        OleInitialize(nullptr);
        SetRunningIdeKindForTests(IdeKind::Vb6);
    }
    void TearDown() override { OleUninitialize(); }
};
inline const auto* const kOle = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

inline const std::wstring kCode = L" (\uFF7A\uFF70\uFF84\uFF9E)";

struct AddIn : ComPtr<IDTExtensibility2> {
    AddIn() : ComPtr(ComPtr<IUnknown>::Attach(CreateLoaderObject()).As<IDTExtensibility2>(IID_IDTExtensibility2)) {}
    Loader& Impl() const { return *LoaderOf(Get()); }
    CMDITab& Bar() const { return *Impl().TabBar(); }
    HRESULT Connect(IDispatch* vbe, long mode) const { return Get()->OnConnection(vbe, mode, nullptr, nullptr); }
    HRESULT Disconnect() const { return Get()->OnDisconnection(1, nullptr); }
};

// So that a scenario starts from the defaults whatever ran before it in this
// prefix, and leaves them behind for the next: the VB6 IDE's and the VBA
// editor's settings.
inline void ClearStoredSettings() {
    for (const std::wstring& key : {std::wstring(kSettingsKey), std::wstring(AddinKey(IdeKind::VbaEditor))})
        RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
}

// The calling thread's top-level windows (the bar's tooltip is one of them
// while an add-in is connected).
inline int ThreadWindowCount() {
    int n = 0;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
        n += GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId();
    return n;
}

// What the add-in could leave: its objects, windows, subclasses, hooks and
// timers, references on the IDE's object model (whose component event source,
// made at the first connection, is made first here).
struct Traces {
    long objects = ModuleRefCount();
    int windows = ThreadWindowCount(), subclasses = winsvc_detail::SubclassSlotsInUse(),
        hooks = winsvc_detail::HookSlotsInUse(), timers = winsvc_detail::TimerSlotsInUse();
    std::map<std::wstring, ULONG> refs;
    explicit Traces(idehost::Vbe& vbe) {
        vbe.GetEvents().VBComponentsEvents(0);
        refs = vbe.RefCounts();
    }
    friend bool operator==(const Traces&, const Traces&) = default;
};

// Whether the window runs its class's procedure, subclassed by no one.
inline bool OwnProcedure(HWND w) {
    return GetWindowLongPtrA(w, GWLP_WNDPROC) == static_cast<LONG_PTR>(GetClassLongPtrA(w, GCLP_WNDPROC));
}

// Lets the IDE run until the bar's tooltip shows `text` ("" for none) or
// time is up; answers what shows then.
inline std::wstring TipAfter(const std::wstring& text) {
    for (const DWORD end = GetTickCount() + 1500;; idehost::IdeHost::Pump(20)) {
        wchar_t shown[512] = {};
        const HWND tip = FindWindowW(L"tooltips_class32", nullptr);
        if (tip && IsWindowVisible(tip)) GetWindowTextW(tip, shown, 512);
        if (shown == text || GetTickCount() >= end) return shown;
    }
}

// The stand-in IDE (the VB6 IDE with Project1, or the VBA editor with no
// project), code windows for the modules a scenario opens, and the add-in,
// which each scenario connects.
class IdeScenario : public ::testing::Test {
protected:
    explicit IdeScenario(IdeKind kind = IdeKind::Vb6) : ide(idehost::IdeHostOptions{.ide = kind}) {}
    idehost::IdeHost ide;
    AddIn addin;
    // The first project: the active one.
    idehost::Project* project = ide.Ide() == IdeKind::Vb6 ? &ide.Model().AddProject(L"Project1") : nullptr;
    std::vector<HWND> windows;  // the code windows, in opening order

    void SetUp() override {
        SetRunningIdeKindForTests(ide.Ide());
        ClearStoredSettings();
    }
    void TearDown() override {
        if (addin && addin.Impl().TabBar()) addin.Disconnect();
        ClearStoredSettings();
        SetRunningIdeKindForTests(IdeKind::Vb6);
    }
    HWND OpenModule(const std::wstring& name, long type = idehost::vbext_ct_StdModule) {
        project->AddComponent(name, type);
        windows.push_back(ide.OpenCodeWindow(L"Project1 - " + name + kCode));
        return windows.back();
    }
    IDispatch* Vbe() { return static_cast<IDispatch*>(&ide.Model()); }
    void Connect() {
        ASSERT_EQ(addin.Connect(Vbe(), ext_cm_AfterStartup), S_OK);
        Settle();
    }
    CMDITab& Bar() { return addin.Bar(); }
    static std::wstring KeyOf(HWND w) { return WindowKey(reinterpret_cast<WindowHandle>(w)); }
    std::int16_t TabOf(HWND w) { return Bar().Index(KeyOf(w)); }
    static void Settle(DWORD ms = 80) { idehost::IdeHost::Pump(ms); }

    // Points on the screen: of the MDI client's window, the middle of a
    // rectangle of the bar, the empty bar right of the last tab.
    POINT ToScreen(int x, int y) {
        RECT rc{};
        GetWindowRect(ide.MdiClient(), &rc);
        return {rc.left + x, rc.top + y};
    }
    POINT Mid(Rect r) { return ToScreen((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
    Rect TabRect(std::int16_t i) {
        Bar().LayoutBar(Bar().hClientWnd());
        Rect r = Bar().Tabs()[static_cast<size_t>(i)].rcTab;
        r.left -= Bar().ScrollPos();
        r.right -= Bar().ScrollPos();
        return r;
    }
    POINT TabPoint(std::int16_t i) { return Mid(TabRect(i)); }
    POINT EmptyBarPoint() {
        const Rect last = TabRect(static_cast<std::int16_t>(Bar().Count() - 1));
        return ToScreen(last.right + 20, (Bar().BarRect().top + Bar().BarRect().bottom) / 2);
    }
    // Right-clicks tab i and presses these keys in its menu, in one input
    // sequence: the menu runs its own modal loop.
    void Choose(std::int16_t i, const std::vector<WORD>& keys) {
        input::Sequence seq;
        seq.Click(TabPoint(i), MouseButton::Right).Wait(150);
        for (WORD k : keys) seq.Key(k);
        seq.Run();
        Settle();
    }
};

}  // namespace brisko::test
