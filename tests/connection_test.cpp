// The connection class in-process against the stand-in IDE: what the add-in
// finds, makes and leaves behind across its connection events.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>

#include "host/extensibility.h"
#include "host/loader.h"
#include "host/loader_com.h"
#include "tests/addin_fixture.h"
#include "tools/idehost/ide_host.h"

namespace brisko {
namespace {

using idehost::IdeHost;

using test::AddIn;
using test::kCode;
const auto* const kOle = ::testing::AddGlobalTestEnvironment(new test::OleEnvironment);

// The IDE's objects hold the counts they had before: objects the IDE made on
// the add-in's request (its event source) are left with the IDE's own
// reference only.
void ExpectSameRefs(const std::map<std::wstring, ULONG>& before, const std::map<std::wstring, ULONG>& after) {
    for (const auto& [name, refs] : after) {
        const auto it = before.find(name);
        EXPECT_EQ(refs, it == before.end() ? 1u : it->second) << std::string(name.begin(), name.end());
    }
    EXPECT_GE(after.size(), before.size());
}

class Connection : public ::testing::Test {
protected:
    IdeHost ide;
    idehost::Project* p1 = nullptr;
    void SetUp() override {
        test::ClearStoredSettings();
        p1 = &ide.Model().AddProject(L"Project1");
        p1->AddComponent(L"Form1", idehost::vbext_ct_VBForm);
        p1->AddComponent(L"Module1", idehost::vbext_ct_StdModule);
        p1->AddComponent(L"Class1", idehost::vbext_ct_ClassModule);
        auto& p2 = ide.Model().AddProject(L"Project2");
        p2.AddComponent(L"Module1", idehost::vbext_ct_ClassModule);
        ide.Model().SetActiveProject(p1);
    }
    IDispatch* Vbe() { return static_cast<IDispatch*>(&ide.Model()); }
};

TEST_F(Connection, AfterStartupTabsTheOpenCodeAndDesignerWindowsOnly) {
    const std::wstring longName(120, L'L');
    p1->AddComponent(longName, idehost::vbext_ct_StdModule);
    ide.OpenCodeWindow(L"Project1 - Module1" + kCode);
    ide.Open(L"ThunderRT6Other", L"Project1 - Class1" + kCode);  // another class: no tab
    ide.OpenDesigner(L"Project1 - Form1 (Form)");
    ide.OpenCodeWindow(L"Project2 - Module1" + kCode);
    ide.OpenCodeWindow(L"Project1 - " + longName + kCode);  // 138 bytes: only 127 are read
    const HWND activeBefore = ide.ActiveChild();
    const auto children = ide.Children();

    AddIn addin;
    ASSERT_EQ(addin.Connect(Vbe(), ext_cm_AfterStartup), S_OK);
    CMDITab& bar = addin.Bar();

    // One tab per window of the three classes, in z-order, top first.
    std::vector<HWND> expected;
    for (HWND h : children)
        if (IdeHost::ClassOf(h) != L"ThunderRT6Other") expected.push_back(h);
    ASSERT_EQ(bar.Count(), 4);
    for (std::int16_t i = 0; i < 4; ++i)
        EXPECT_EQ(bar.Key(i), WindowKey(reinterpret_cast<WindowHandle>(expected[static_cast<size_t>(i)])));
    EXPECT_EQ(bar.SelectedIndex(), 0);
    EXPECT_EQ(ide.ActiveChild(), activeBefore);  // nothing was activated

    struct Want {
        std::wstring caption, title;
        std::int32_t kind;
        std::int16_t icon;
    };
    const Want wants[] = {
        {L"Project1 - Module1" + kCode, L"Module1", 128 + 4096, 9},
        {L"Project1 - Form1 (Form)", L"Form1", 1, 1},
        {L"Project2 - Module1" + kCode, L"Module1", 256 + 4096, 10},  // the other project's class
        // The cut caption names no component and lost its code marker.
        {L"Project1 - " + longName + kCode, std::wstring(116, L'L'), 0, 12},
    };
    for (const auto& w : wants) {
        const HWND h = ide.FindChild(w.caption);
        ASSERT_NE(h, nullptr);
        const std::int16_t i = bar.Index(WindowKey(reinterpret_cast<WindowHandle>(h)));
        ASSERT_NE(i, -1) << std::string(w.title.begin(), w.title.end());
        EXPECT_EQ(bar.Title(i), w.title);
        EXPECT_EQ(bar.Data(i), w.kind);
        EXPECT_EQ(bar.Icon(i), w.icon);
        EXPECT_TRUE(bar.TabVisible(i));
    }
    EXPECT_EQ(addin->OnDisconnection(1, nullptr), S_OK);
}

TEST_F(Connection, StartupModeFreezesTheBarUntilStartupComplete) {
    ide.OpenCodeWindow(L"Project1 - Module1" + kCode);
    AddIn addin;
    ASSERT_EQ(addin.Connect(Vbe(), ext_cm_Startup), S_OK);
    EXPECT_TRUE(addin.Bar().LockUpdate());
    EXPECT_EQ(addin.Bar().Count(), 0);  // the IDE opens its windows after this
    EXPECT_EQ(addin->OnStartupComplete(nullptr), S_OK);
    EXPECT_FALSE(addin.Bar().LockUpdate());
    EXPECT_EQ(addin->OnBeginShutdown(nullptr), S_OK);
    EXPECT_TRUE(addin.Bar().LockUpdate());
    EXPECT_EQ(addin->OnDisconnection(0, nullptr), S_OK);
}

TEST_F(Connection, OtherModesGetOnlyTheCommonSteps) {
    ide.OpenCodeWindow(L"Project1 - Module1" + kCode);
    AddIn addin;
    ASSERT_EQ(addin.Connect(Vbe(), ext_cm_External), S_OK);
    EXPECT_EQ(addin.Bar().Count(), 0);
    EXPECT_FALSE(addin.Bar().LockUpdate());
    EXPECT_EQ(addin->OnDisconnection(1, nullptr), S_OK);
}

TEST_F(Connection, LateBoundCallersReachTheSameEvents) {
    AddIn addin;
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"onconnection");
    ASSERT_EQ(addin->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    EXPECT_EQ(id, DISPID_OnConnection);
    VARIANT args[4];
    for (auto& a : args) VariantInit(&a);
    args[3].vt = VT_DISPATCH;  // Application, passed last to first
    args[3].pdispVal = Vbe();
    args[2].vt = VT_I2;  // ConnectMode, converted
    args[2].iVal = 0;
    args[1].vt = VT_DISPATCH;
    args[0].vt = VT_ERROR;
    args[0].scode = DISP_E_PARAMNOTFOUND;
    DISPPARAMS dp{args, nullptr, 4, 0};
    ASSERT_EQ(addin->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &dp, nullptr, nullptr, nullptr), S_OK);
    EXPECT_NE(addin.Bar().hClientWnd(), 0);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(addin->Invoke(DISPID_OnDisconnection, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(addin.Impl().TabBar(), nullptr);
}

// Forwards to the IDE's VBE but fails one member, to break a connection part-way.
class FailingVbe final : public IDispatch {
public:
    FailingVbe(IDispatch* inner, const wchar_t* failing) : inner_(inner), failing_(failing) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override { return inner_->GetTypeInfoCount(n); }
    STDMETHODIMP GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override { return inner_->GetTypeInfo(i, l, t); }
    STDMETHODIMP GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l, DISPID* d) override {
        if (lstrcmpiW(n[0], failing_) == 0) return DISP_E_UNKNOWNNAME;
        return inner_->GetIDsOfNames(r, n, c, l, d);
    }
    STDMETHODIMP Invoke(DISPID d, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v, EXCEPINFO* e, UINT* a) override {
        return inner_->Invoke(d, r, l, f, p, v, e, a);
    }
    ULONG refs_ = 1;

private:
    IDispatch* inner_;
    const wchar_t* failing_;
};

TEST_F(Connection, DisconnectionAfterAFailedOrMissingConnectionCompletes) {
    for (const wchar_t* failing : {L"Events", L"MainWindow"}) {
        const auto before = ide.Model().RefCounts();
        FailingVbe vbe(Vbe(), failing);
        {
            AddIn addin;
            EXPECT_NE(addin.Connect(&vbe, ext_cm_AfterStartup), S_OK) << "failing " << failing;
            EXPECT_EQ(addin->OnDisconnection(1, nullptr), S_OK);
            EXPECT_EQ(addin->OnDisconnection(1, nullptr), S_OK);  // twice is harmless too
        }
        EXPECT_EQ(vbe.refs_, 1u);
        ExpectSameRefs(before, ide.Model().RefCounts());
    }
    AddIn never;
    EXPECT_EQ(never->OnDisconnection(1, nullptr), S_OK);
    EXPECT_EQ(never->OnStartupComplete(nullptr), S_OK);
    EXPECT_EQ(never->OnBeginShutdown(nullptr), S_OK);
}

TEST_F(Connection, RepeatedCyclesLeaveNothingBehind) {
    ide.OpenCodeWindow(L"Project1 - Module1" + kCode);
    ide.OpenDesigner(L"Project1 - Form1 (Form)");
    const auto refsBefore = ide.Model().RefCounts();
    const int windowsBefore = test::ThreadWindowCount();
    const LONG_PTR procBefore = GetWindowLongPtrA(ide.MdiClient(), GWLP_WNDPROC);
    for (int cycle = 0; cycle < 25; ++cycle) {
        AddIn addin;
        ASSERT_EQ(addin.Connect(Vbe(), cycle % 2 ? ext_cm_Startup : ext_cm_AfterStartup), S_OK);
        if (cycle % 2) addin->OnStartupComplete(nullptr);
        IdeHost::Pump();
        ASSERT_EQ(addin->OnDisconnection(1, nullptr), S_OK);
    }
    IdeHost::Pump();
    ExpectSameRefs(refsBefore, ide.Model().RefCounts());
    EXPECT_EQ(test::ThreadWindowCount(), windowsBefore);
    EXPECT_EQ(GetWindowLongPtrA(ide.MdiClient(), GWLP_WNDPROC), procBefore);
    for (auto& [id, source] : ide.Model().GetEvents().Sources()) EXPECT_EQ(source->SinkCount(), 0u);
}

TEST_F(Connection, ItemAddedWithoutAFileRederivesTheSelectedTab) {
    const HWND w = ide.OpenDesigner(L"Project1 - Form2 (Form)");  // Form2 is not a component yet
    AddIn addin;
    ASSERT_EQ(addin.Connect(Vbe(), ext_cm_AfterStartup), S_OK);
    CMDITab& bar = addin.Bar();
    const std::int16_t i = bar.Index(WindowKey(reinterpret_cast<WindowHandle>(w)));
    ASSERT_EQ(bar.Data(i), 0);
    p1->AddComponent(L"Saved", idehost::vbext_ct_VBForm, L"C:\\src\\Saved.frm");
    EXPECT_EQ(bar.Data(i), 0);  // a component with a file touches no tab
    p1->AddComponent(L"Form2", idehost::vbext_ct_VBForm);
    EXPECT_EQ(bar.Data(i), 1);
    EXPECT_EQ(bar.Icon(i), 1);
    addin->OnDisconnection(1, nullptr);
}

}  // namespace
}  // namespace brisko
