// The stand-in IDE's windows, as the add-in finds them: ANSI windows of the
// IDE's classes under a direct "MDIClient" child of the main window,
// captioned in code page 932, code windows with real scroll bars.
#include "tools/idehost/ide_host.h"

#include <filesystem>

#include "tools/idehost/addin_client.h"
#include "tools/idehost/scenario.h"
#include "tools/idehost/test_util.h"

namespace brisko::idehost {
namespace {

const std::wstring kCode = L"(\uFF7A\uFF70\uFF84\uFF9E)";  // (ｺｰﾄﾞ)

std::string ClassA(HWND w) {
    char buf[256];
    const int n = GetClassNameA(w, buf, sizeof(buf));
    return std::string(buf, static_cast<size_t>(std::max(n, 0)));
}

std::string CaptionA(HWND w) {
    char buf[1024];
    const int n = GetWindowTextA(w, buf, sizeof(buf));
    return std::string(buf, static_cast<size_t>(std::max(n, 0)));
}

RECT ClientRectOf(HWND w) {
    RECT r{};
    GetClientRect(w, &r);
    return r;
}

// Where a child window sits inside its parent's client area.
RECT RectInParent(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class Windows : public ::testing::Test {
protected:
    IdeHost ide_;
};

TEST_F(Windows, MainWindowHoldsTheMdiClientAsADirectChild) {
    ASSERT_TRUE(IsWindow(ide_.MainWindow()));
    EXPECT_EQ(ClassA(ide_.MdiClient()), "MDIClient");
    EXPECT_EQ(GetParent(ide_.MdiClient()), ide_.MainWindow());
    EXPECT_EQ(FindWindowExA(ide_.MainWindow(), nullptr, "MDIClient", nullptr), ide_.MdiClient());
    EXPECT_TRUE(GetWindowLongPtrA(ide_.MdiClient(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_FALSE(IsWindowUnicode(ide_.MainWindow()));
    EXPECT_EQ(CaptionA(ide_.MainWindow()), "Project1 - Microsoft Visual Basic [\x90\xDD\x8C\x76]");
}

TEST_F(Windows, ChildrenHaveTheIdesClassesAndCaptionsInCodePage932) {
    ASSERT_EQ(GetACP(), 932u);
    struct Row {
        std::wstring cls;
        std::wstring caption;
        std::string classBytes;
        std::string captionBytes;
    };
    const Row rows[] = {
        {L"VbaWindow", L"Project1 - Module1 " + kCode, "VbaWindow", "Project1 - Module1 (\xBA\xB0\xC4\xDE)"},
        {L"DesignerWindow", L"Project1 - Form1 (Form)", "DesignerWindow", "Project1 - Form1 (Form)"},
        {L"DockingView", L"\u30A4\u30DF\u30C7\u30A3\u30A8\u30A4\u30C8", "DockingView",
         "\x83\x43\x83\x7E\x83\x66\x83\x42\x83\x47\x83\x43\x83\x67"},
        {L"ObjectBrowser", L"\uFF75\uFF8C\uFF9E\uFF7C\uFF9E\uFF6A\uFF78\uFF84 \uFF8C\uFF9E\uFF97\uFF73\uFF7B\uFF9E",
         "ObjectBrowser", "\xB5\xCC\xDE\xBC\xDE\xAA\xB8\xC4 \xCC\xDE\xD7\xB3\xBB\xDE"},
        {L"VbaWindow", L"", "VbaWindow", ""},
    };
    for (const Row& row : rows) {
        HWND w = ide_.Open(row.cls, row.caption);
        ASSERT_TRUE(w);
        EXPECT_EQ(GetParent(w), ide_.MdiClient());
        EXPECT_FALSE(IsWindowUnicode(w)) << row.classBytes;
        EXPECT_TRUE(GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_MDICHILD);
        EXPECT_EQ(ClassA(w), row.classBytes);
        EXPECT_EQ(CaptionA(w), row.captionBytes);
        EXPECT_EQ(IdeHost::CaptionOf(w), row.caption);
        EXPECT_EQ(IdeHost::ClassOf(w), row.cls);
    }
}

TEST_F(Windows, ALongCaptionStaysWhole) {
    // 20 double-byte characters and a code marker: well over 127 bytes.
    std::wstring name;
    for (int i = 0; i < 20; ++i) name += L"\u8A2D\u5B9A";
    const std::wstring caption = L"Project1 - " + name + L" " + kCode;
    HWND w = ide_.OpenCodeWindow(caption);
    ASSERT_TRUE(w);
    const std::string bytes = CaptionA(w);
    EXPECT_EQ(bytes.size(), 11u + 80u + 1u + 6u);
    EXPECT_EQ(GetWindowTextLengthA(w), static_cast<int>(bytes.size()));
    EXPECT_EQ(bytes.substr(bytes.size() - 6), "(\xBA\xB0\xC4\xDE)");
    EXPECT_EQ(IdeHost::CaptionOf(w), caption);
    ASSERT_TRUE(ide_.Retitle(w, caption + L"*"));
    EXPECT_EQ(CaptionA(w), bytes + "*");
}

TEST_F(Windows, CodeWindowsHaveVisibleScrollBarsOnTheirEdges) {
    HWND code = ide_.OpenCodeWindow(L"Project1 - Module1 " + kCode);
    HWND designer = ide_.OpenDesigner(L"Project1 - Form1 (Form)");
    ASSERT_TRUE(code && designer);
    HWND v = ide_.VerticalScrollBar(code), h = ide_.HorizontalScrollBar(code);
    ASSERT_TRUE(v && h);
    EXPECT_EQ(ide_.VerticalScrollBar(designer), nullptr);
    EXPECT_EQ(GetWindow(designer, GW_CHILD), nullptr);
    for (HWND bar : {v, h}) {
        EXPECT_EQ(ClassA(bar), "ScrollBar");
        EXPECT_EQ(GetParent(bar), code);
        EXPECT_TRUE(IsWindowVisible(bar));
    }
    EXPECT_TRUE(GetWindowLongPtrA(v, GWL_STYLE) & SBS_VERT);
    EXPECT_FALSE(GetWindowLongPtrA(h, GWL_STYLE) & SBS_VERT);
    const RECT client = ClientRectOf(code), rv = RectInParent(v), rh = RectInParent(h);
    EXPECT_EQ(rv.right, client.right);
    EXPECT_EQ(rv.top, 0);
    EXPECT_EQ(rh.bottom, client.bottom);
    EXPECT_EQ(rh.left, 0);
    EXPECT_GT(rv.bottom - rv.top, client.bottom / 2);
    EXPECT_GT(rh.right - rh.left, client.right / 2);
    // They follow the window's size.
    ide_.Maximize(code);
    const RECT grown = ClientRectOf(code);
    EXPECT_EQ(RectInParent(v).right, grown.right);
    EXPECT_EQ(RectInParent(h).bottom, grown.bottom);
}

TEST_F(Windows, CodeWindowsCountScrollMessagesByCodeAndSender) {
    HWND code = ide_.OpenCodeWindow(L"Project1 - Module1 " + kCode);
    HWND other = ide_.OpenCodeWindow(L"Project1 - Class1 " + kCode);
    HWND v = ide_.VerticalScrollBar(code), h = ide_.HorizontalScrollBar(code);
    const LPARAM lv = reinterpret_cast<LPARAM>(v), lh = reinterpret_cast<LPARAM>(h);
    for (int i = 0; i < 3; ++i) SendMessageA(code, WM_VSCROLL, SB_LINEDOWN, lv);
    PostMessageA(code, WM_VSCROLL, SB_PAGEUP, lv);
    PostMessageA(code, WM_HSCROLL, SB_LINEUP, lh);
    IdeHost::Pump(20);
    SendMessageA(code, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 40), 0);
    struct Row {
        UINT msg;
        int code;
        int expected;
    };
    const Row rows[] = {{WM_VSCROLL, SB_LINEDOWN, 3}, {WM_VSCROLL, SB_PAGEUP, 1},   {WM_VSCROLL, SB_LINEUP, 0},
                        {WM_HSCROLL, SB_LINEUP, 1},   {WM_HSCROLL, SB_LINEDOWN, 0}, {WM_VSCROLL, -1, 5},
                        {WM_HSCROLL, -1, 1}};
    for (const Row& r : rows) EXPECT_EQ(ide_.ScrollCount(code, r.msg, r.code), r.expected) << r.msg << " " << r.code;
    EXPECT_EQ(ide_.ScrollCountFrom(code, lv), 4);
    EXPECT_EQ(ide_.ScrollCountFrom(code, lh), 1);
    EXPECT_EQ(ide_.ScrollCountFrom(code, 0), 1);
    EXPECT_EQ(ide_.ScrollLog(code).back().position, 40);
    EXPECT_EQ(ide_.ScrollLog(other).size(), 0u);
    // The scroll bar shows where the text is.
    EXPECT_EQ(GetScrollPos(v, SB_CTL), 40);
    ide_.ClearScrollLog(code);
    EXPECT_EQ(ide_.ScrollCount(code, WM_VSCROLL), 0);
}

TEST_F(Windows, OperationsDoWhatTheIdeDoes) {
    HWND a = ide_.OpenCodeWindow(L"Project1 - Module1 " + kCode);
    HWND b = ide_.OpenDesigner(L"Project1 - Form1 (Form)");
    HWND tool = ide_.OpenToolWindow(L"\u30A4\u30DF\u30C7\u30A3\u30A8\u30A4\u30C8");
    // Newest on top of the z-order, and active.
    EXPECT_EQ(ide_.Children(), (std::vector<HWND>{tool, b, a}));
    EXPECT_EQ(ide_.ActiveChild(), tool);
    ide_.Activate(a);
    EXPECT_EQ(ide_.ActiveChild(), a);
    EXPECT_EQ(ide_.Children().front(), a);

    ide_.Maximize(b);
    EXPECT_TRUE(IsZoomed(b));
    ide_.Restore(b);
    EXPECT_FALSE(IsZoomed(b));
    ide_.Minimize(b);
    EXPECT_TRUE(IsIconic(b));
    ide_.Restore(b);
    EXPECT_FALSE(IsIconic(b));
    ide_.Hide(b);
    EXPECT_FALSE(IsWindowVisible(b));
    ide_.Show(b);
    EXPECT_TRUE(IsWindowVisible(b));

    ide_.Close(tool);  // tool windows hide
    EXPECT_TRUE(IsWindow(tool));
    EXPECT_FALSE(IsWindowVisible(tool));
    ide_.SetCloseBehaviour(b, CloseBehaviour::Refuse);
    ide_.Close(b);
    EXPECT_TRUE(IsWindow(b));
    EXPECT_TRUE(IsWindowVisible(b));
    ide_.SetCloseBehaviour(b, CloseBehaviour::Destroy);
    ide_.Close(b);
    EXPECT_FALSE(IsWindow(b));
    ide_.Close(a);
    EXPECT_FALSE(IsWindow(a));
    EXPECT_EQ(ide_.Children(), (std::vector<HWND>{tool}));
    // A closed window's state is gone with it.
    EXPECT_EQ(ide_.ScrollLog(a).size(), 0u);
    EXPECT_EQ(ide_.VerticalScrollBar(a), nullptr);
}

TEST_F(Windows, TheSampleProject) {
    ide_.LoadSample();
    Project* p = ide_.Model().VBProjects().Find(L"Project1");
    ASSERT_TRUE(p);
    EXPECT_EQ(ide_.Model().ActiveProject(), p);
    ASSERT_EQ(p->VBComponents().Count(), 3);
    EXPECT_EQ(p->VBComponents().Find(L"Form1")->Type(), vbext_ct_VBForm);
    EXPECT_EQ(p->VBComponents().Find(L"Module1")->Type(), vbext_ct_StdModule);
    EXPECT_EQ(p->VBComponents().Find(L"Class1")->Type(), vbext_ct_ClassModule);
    std::vector<std::string> seen;
    for (HWND w : ide_.Children()) seen.push_back(ClassA(w) + "|" + CaptionA(w));
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "VbaWindow|Project1 - Form1 (\xBA\xB0\xC4\xDE)",
                        "VbaWindow|Project1 - Module1 (\xBA\xB0\xC4\xDE)",
                        "VbaWindow|Project1 - Class1 (\xBA\xB0\xC4\xDE)",
                        "DesignerWindow|Project1 - Form1 (Form)",
                        "DockingView|\x83\x43\x83\x7E\x83\x66\x83\x42\x83\x47\x83\x43\x83\x67",
                    }));
}

TEST(IdeShutdown, AddInsHearOfItAroundTheWindowsClosing) {
    IdeHost ide;
    ide.LoadSample();
    HWND client = ide.MdiClient();
    std::vector<std::string> steps;
    ide.AddShutdownHook([&] { steps.push_back("begin children=" + std::to_string(ide.Children().size())); },
                        [&] {
                            steps.push_back("end children=" + std::to_string(ide.Children().size()) +
                                            (IsWindow(client) ? " client" : " no-client"));
                        });
    const int removed = ide.AddShutdownHook([&] { steps.push_back("removed"); }, nullptr);
    ide.RemoveShutdownHook(removed);
    // Closing the main window, as the user does.
    SendMessageA(ide.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(steps, (std::vector<std::string>{"begin children=5", "end children=0 client"}));
    EXPECT_FALSE(ide.Alive());
    EXPECT_FALSE(IsWindow(client));
    ide.Shutdown();  // nothing more happens
    EXPECT_EQ(steps.size(), 2u);
}

TEST(IdeShutdown, RunReturnsWhenTheMainWindowCloses) {
    IdeHost ide;
    ide.LoadSample();
    PostMessageA(ide.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(ide.Run(), 0);
    EXPECT_FALSE(ide.Alive());
}

// ---- The add-in manager against a real in-process server ---------------

std::filesystem::path TestAddInPath() {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    return std::filesystem::path(exe).parent_path() / L"idehost_test_addin.dll";
}

using LogFn = const wchar_t* (*)();
using ClearFn = void (*)();

// The recording add-in's log, read through its DLL's exports.
std::wstring TakeLog(HMODULE dll) {
    auto log = reinterpret_cast<LogFn>(reinterpret_cast<void*>(GetProcAddress(dll, "RecorderLog")));
    auto clear = reinterpret_cast<ClearFn>(reinterpret_cast<void*>(GetProcAddress(dll, "RecorderClear")));
    if (!log || !clear) return L"<no log>";
    std::wstring text = log();
    clear();
    return text;
}

class AddInManager : public ::testing::Test {
protected:
    void SetUp() override {
        // Keep the DLL mapped to read its log across the client's unloads.
        keep_ = LoadLibraryW(TestAddInPath().c_str());
        ASSERT_TRUE(keep_) << "idehost_test_addin.dll next to the test";
        TakeLog(keep_);
    }
    void TearDown() override {
        if (keep_) FreeLibrary(keep_);
    }
    HMODULE keep_ = nullptr;
};

TEST_F(AddInManager, ConnectionEventsInTheIdesOrder) {
    IdeHost ide;
    ide.LoadSample();
    const std::wstring main = std::to_wstring(static_cast<long>(reinterpret_cast<LONG_PTR>(ide.MainWindow())));
    {
        AddInClient addin(ide);
        ASSERT_EQ(
            addin.LoadFromDll(TestAddInPath().wstring(),
                              CLSID{0x8D0E7B41, 0x2C6A, 0x4F3B, {0x9E, 0x15, 0x6A, 0x7C, 0x0D, 0x4B, 0x2E, 0x83}}),
            S_OK);
        EXPECT_EQ(addin.Connect(ext_cm_Startup), S_OK);
        EXPECT_TRUE(addin.Connected());
        EXPECT_EQ(addin.StartupComplete(), S_OK);
        EXPECT_EQ(addin.AddInsUpdate(), S_OK);
        ide.Model().VBProjects().At(1)->AddComponent(L"Form2", vbext_ct_VBForm);
        EXPECT_EQ(TakeLog(keep_), L"OnConnection(1) main=" + main +
                                      L" children=5 inst;OnStartupComplete;"
                                      L"OnAddInsUpdate;ItemAdded(Form2);");
        // Closing the IDE: shutdown begins, the windows close, then the add-in is disconnected.
        ide.Shutdown();
        EXPECT_EQ(TakeLog(keep_), L"OnBeginShutdown children=5;OnDisconnection(0) children=0;");
        EXPECT_FALSE(addin.Connected());
        EXPECT_FALSE(addin.Loaded());
        EXPECT_EQ(addin.LastCanUnloadNow(), S_OK);
        EXPECT_FALSE(addin.DllLoaded());
    }
    EXPECT_EQ(TakeLog(keep_), L"");  // the client's end adds nothing once disconnected
}

TEST_F(AddInManager, TheClientsEndDisconnectsAConnectedAddIn) {
    IdeHost ide;
    {
        AddInClient addin(ide);
        ASSERT_EQ(
            addin.LoadFromDll(TestAddInPath().wstring(),
                              CLSID{0x8D0E7B41, 0x2C6A, 0x4F3B, {0x9E, 0x15, 0x6A, 0x7C, 0x0D, 0x4B, 0x2E, 0x83}}),
            S_OK);
        EXPECT_EQ(addin.Connect(ext_cm_AfterStartup), S_OK);
        TakeLog(keep_);
    }
    EXPECT_EQ(TakeLog(keep_), L"OnBeginShutdown children=0;OnDisconnection(0) children=0;");
    // The IDE's closing later does not reach the gone client.
    ide.Shutdown();
    EXPECT_EQ(TakeLog(keep_), L"");
}

TEST_F(AddInManager, AHundredConnectionsLeaveTheIdesObjectsAsTheyWere) {
    IdeHost ide;
    ide.LoadSample();
    AddInClient addin(ide);
    const CLSID clsid{0x8D0E7B41, 0x2C6A, 0x4F3B, {0x9E, 0x15, 0x6A, 0x7C, 0x0D, 0x4B, 0x2E, 0x83}};
    ASSERT_EQ(addin.LoadFromDll(TestAddInPath().wstring(), clsid), S_OK);
    ASSERT_EQ(addin.Connect(ext_cm_AfterStartup), S_OK);
    ASSERT_EQ(addin.Disconnect(ext_dm_UserClosed), S_OK);
    addin.Unload();
    const auto before = ide.Model().RefCounts();
    const long live = DispatchObject::LiveObjects();
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(addin.LoadFromDll(TestAddInPath().wstring(), clsid), S_OK);
        ASSERT_EQ(addin.Connect(ext_cm_AfterStartup), S_OK);
        ASSERT_EQ(ide.Model().GetEvents().VBComponentsEvents(0).SinkCount(), 1u);
        ASSERT_EQ(addin.Disconnect(ext_dm_UserClosed), S_OK);
        addin.Unload();
    }
    EXPECT_EQ(ide.Model().RefCounts(), before);
    EXPECT_EQ(DispatchObject::LiveObjects(), live);
    EXPECT_EQ(ide.Model().GetEvents().VBComponentsEvents(0).SinkCount(), 0u);
}

TEST_F(AddInManager, ByProgIdThroughTheRegistryAsTheIdeDoes) {
    const wchar_t* progId = L"IdeHostTest.Recorder";
    const wchar_t* clsidText = L"{8D0E7B41-2C6A-4F3B-9E15-6A7C0D4B2E83}";
    const std::wstring dll = TestAddInPath().wstring();
    auto setValue = [](const std::wstring& key, const wchar_t* name, const std::wstring& value) {
        return RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), name, REG_SZ, value.c_str(),
                               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    };
    const std::wstring clsidKey = std::wstring(L"CLSID\\") + clsidText;
    ASSERT_TRUE(setValue(std::wstring(progId) + L"\\CLSID", nullptr, clsidText));
    ASSERT_TRUE(setValue(clsidKey + L"\\InprocServer32", nullptr, dll));
    ASSERT_TRUE(setValue(clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"));
    {
        IdeHost ide;
        AddInClient addin(ide);
        EXPECT_EQ(addin.LoadByProgId(L"IdeHostTest.NoSuchAddIn"), CO_E_CLASSSTRING);
        ASSERT_EQ(addin.LoadByProgId(progId), S_OK);
        EXPECT_EQ(addin.Connect(ext_cm_AfterStartup), S_OK);
        EXPECT_EQ(addin.Disconnect(ext_dm_UserClosed), S_OK);
        addin.Unload();
        auto objects = reinterpret_cast<long (*)()>(reinterpret_cast<void*>(GetProcAddress(keep_, "RecorderObjects")));
        EXPECT_EQ(addin.LastCanUnloadNow(), S_OK) << "objects*1000+locks " << (objects ? objects() : -1);
        EXPECT_EQ(TakeLog(keep_), L"OnConnection(0) main=" +
                                      std::to_wstring(static_cast<long>(reinterpret_cast<LONG_PTR>(ide.MainWindow()))) +
                                      L" children=0 inst;OnDisconnection(1) children=0;");
    }
    RegDeleteTreeW(HKEY_CLASSES_ROOT, progId);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, clsidKey.c_str());
}

TEST_F(AddInManager, AnObjectMadeByTheCaller) {
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(keep_, "DllGetClassObject")));
    ASSERT_TRUE(get);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(get(CLSID{0x8D0E7B41, 0x2C6A, 0x4F3B, {0x9E, 0x15, 0x6A, 0x7C, 0x0D, 0x4B, 0x2E, 0x83}},
                  IID_IClassFactory, reinterpret_cast<void**>(factory.Put())),
              S_OK);
    ComPtr<IUnknown> object;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(object.Put())), S_OK);
    IdeHost ide;
    AddInClient addin(ide);
    ASSERT_EQ(addin.LoadObject(object.Get()), S_OK);
    object.Reset();
    EXPECT_EQ(addin.Connect(ext_cm_External), S_OK);
    EXPECT_EQ(addin.Disconnect(ext_dm_UserClosed), S_OK);
    addin.Unload();
    EXPECT_EQ(TakeLog(keep_).substr(0, 15), L"OnConnection(2)");
    auto objects = reinterpret_cast<long (*)()>(reinterpret_cast<void*>(GetProcAddress(keep_, "RecorderObjects")));
    ASSERT_TRUE(objects);
    EXPECT_EQ(objects(), 0);  // the client gave back the add-in and the sink
}

TEST_F(AddInManager, FailuresAreReportedNotHidden) {
    IdeHost ide;
    AddInClient addin(ide);
    EXPECT_EQ(addin.Connect(0), E_UNEXPECTED);  // nothing loaded
    EXPECT_EQ(addin.Disconnect(), E_UNEXPECTED);
    EXPECT_EQ(addin.LoadObject(nullptr), E_POINTER);
    // An object that is no add-in.
    EXPECT_EQ(addin.LoadObject(static_cast<IDispatch*>(&ide.Model())), E_NOINTERFACE);
    EXPECT_FALSE(addin.Loaded());
    EXPECT_TRUE(FAILED(addin.LoadFromDll(L"no-such-addin.dll")));
    // A DLL that is no server of the class asked for.
    const CLSID other{0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
    EXPECT_EQ(addin.LoadFromDll(TestAddInPath().wstring(), other), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_FALSE(addin.Loaded());
    EXPECT_FALSE(addin.DllLoaded());  // and it was let go again
}

}  // namespace
}  // namespace brisko::idehost
