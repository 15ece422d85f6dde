// The connection end to end: what the add-in finds, makes and leaves behind
// across the IDE's connection events, in-process and as the shipped DLL.
#include "common/win/com_object.h"
#include "host/win/dispatch.h"
#include "tests/addin_fixture.h"

namespace brisko {
namespace {

using test::AddIn;
using test::kCode;

using Connection = test::IdeScenario;

TEST_F(Connection, AfterStartupTabsTheOpenCodeAndDesignerWindowsInZOrder) {
    const HWND module = OpenModule(L"Module1");
    project->AddComponent(L"Form1", idehost::vbext_ct_VBForm);
    ide.Open(L"ThunderRT6Other", L"Project1 - Module1" + kCode);  // another class: no tab
    const HWND form = ide.OpenDesigner(L"Project1 - Form1 (Form)");
    ide.Model().AddProject(L"Project2").AddComponent(L"Module1", idehost::vbext_ct_ClassModule);
    const HWND other = ide.OpenCodeWindow(L"Project2 - Module1" + kCode);
    const HWND cut = OpenModule(std::wstring(120, L'L'));  // a caption of 138 bytes: only 127 are read
    ide.Activate(form);
    Connect();
    // Top first: the active form, the cut caption, the other project's class, the module.
    const std::tuple<HWND, std::wstring, std::int16_t> wants[] = {
        {form, L"Form1", 1}, {cut, std::wstring(116, L'L'), 12}, {other, L"Module1", 10}, {module, L"Module1", 9}};
    ASSERT_EQ(Bar().Count(), 4);
    for (std::int16_t i = 0; i < 4; ++i) {
        const auto& [w, title, icon] = wants[i];
        EXPECT_EQ(std::tuple(Bar().Key(i), Bar().Title(i), Bar().Icon(i)), std::tuple(KeyOf(w), title, icon)) << i;
    }
    EXPECT_EQ(ide.ActiveChild(), form);  // nothing else was activated
}

// Late bound, as a script host calls it, in start-up mode: the IDE opens its
// windows after this, so the bar stays frozen until the start-up is complete.
TEST_F(Connection, LateBoundStartupConnectionFreezesTheBarUntilStartupComplete) {
    OpenModule(L"Module1");
    Variant mode, missing;  // ConnectMode as a short, custom missing
    VARIANT *m = mode.Put(), *e = missing.Put();
    m->vt = VT_I2, m->iVal = ext_cm_Startup, e->vt = VT_ERROR, e->scode = DISP_E_PARAMNOTFOUND;
    IDispatch* const late = addin.Get();
    // Arguments counted but not there are refused before anything is read.
    DISPPARAMS absent{nullptr, nullptr, 4, 0};
    EXPECT_EQ(late->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &absent, nullptr, nullptr, nullptr), E_INVALIDARG);
    ASSERT_NO_THROW(DispGet(late, L"onconnection", {Variant::Object(Vbe()), mode, Variant::Object(nullptr), missing}));
    EXPECT_EQ(Bar().Count(), 0);
    EXPECT_TRUE(Bar().LockUpdate());
    EXPECT_NO_THROW(DispGet(late, L"OnStartupComplete"));
    EXPECT_FALSE(Bar().LockUpdate());
    EXPECT_EQ(addin->OnBeginShutdown(nullptr), S_OK);
    EXPECT_TRUE(Bar().LockUpdate());
    EXPECT_NO_THROW(DispGet(late, L"OnDisconnection"));
    EXPECT_EQ(addin.Impl().TabBar(), nullptr);
}

// Forwards to the IDE's VBE but fails one member, to break a connection part-way.
struct FailingVbe final : UntypedDispatch<IDispatch> {
    FailingVbe(IDispatch* inner, const wchar_t* failing) : inner(inner), failing(failing) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        return AnswerQueryInterface(static_cast<IDispatch*>(this), riid, ppv, {&IID_IUnknown, &IID_IDispatch});
    }
    STDMETHODIMP GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l, DISPID* d) override {
        return lstrcmpiW(n[0], failing) == 0 ? DISP_E_UNKNOWNNAME : inner->GetIDsOfNames(r, n, c, l, d);
    }
    STDMETHODIMP Invoke(DISPID d, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v, EXCEPINFO* e, UINT* a) override {
        return inner->Invoke(d, r, l, f, p, v, e, a);
    }
    IDispatch* inner;
    const wchar_t* failing;
};

// Connected and disconnected in-process, part-way, never, and as the shipped
// DLL loaded as a COM server: the IDE is left as it was and its windows work.
TEST_F(Connection, DisconnectingLeavesNothingBehind) {
    const HWND code = OpenModule(L"Module1");
    const HWND form = ide.OpenDesigner(L"Project1 - Module1 (Form)");
    const test::Traces before(ide.Model());
    EXPECT_EQ(addin.Disconnect(), S_OK);  // never connected
    EXPECT_EQ(addin->OnStartupComplete(nullptr), S_OK);
    Connect();
    const HMENU first = addin.Impl().Menu();
    Connect();  // again without disconnecting: the first connection goes first
    EXPECT_FALSE(IsMenu(first));
    EXPECT_EQ(ide.Model().GetEvents().VBComponentsEvents(0).SinkCount(), 1u);
    ASSERT_EQ(addin.Disconnect(), S_OK);
    for (const wchar_t* failing : {L"Events", L"MainWindow"}) {
        const auto vbe = ComPtr<FailingVbe>::Attach(new FailingVbe(Vbe(), failing));
        {
            AddIn a;
            EXPECT_NE(a.Connect(vbe.Get(), ext_cm_AfterStartup), S_OK) << "failing " << failing;
            EXPECT_EQ(a.Disconnect(), S_OK);
            EXPECT_EQ(a.Disconnect(), S_OK);  // twice is harmless too
        }
        vbe->AddRef();
        EXPECT_EQ(vbe->Release(), 1u) << "the add-in holds no reference";
    }
    {
        idehost::AddInClient client(ide);
        ASSERT_EQ(client.LoadFromDll(L"Brisko.dll"), S_OK);
        ASSERT_EQ(client.Connect(ext_cm_AfterStartup), S_OK);
        Settle();
        ide.Activate(form);
        Settle();
        ASSERT_EQ(client.Disconnect(), S_OK);
        client.Unload();
        EXPECT_EQ(client.LastCanUnloadNow(), S_OK);
    }
    Settle();
    EXPECT_TRUE(test::Traces(ide.Model()) == before);
    for (auto& [id, source] : ide.Model().GetEvents().Sources()) EXPECT_EQ(source->SinkCount(), 0u);
    for (HWND w : {code, form, ide.MdiClient()}) EXPECT_TRUE(test::OwnProcedure(w));
    ide.Close(form);
    Settle();
    EXPECT_FALSE(IsWindow(form));
}

}  // namespace
}  // namespace brisko
