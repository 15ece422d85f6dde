// Tabs that follow the IDE, end to end: the add-in connected to the stand-in
// IDE, driven with real window messages and real input.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "settings/dialog/config_form.h"
#include "tests/addin_fixture.h"
#include "tools/idehost/scenario.h"
#include "tracking/mdi_child.h"

namespace brisko {
namespace {

using idehost::IdeHost;
using test::AddIn;
using test::H;
using test::kCode;
namespace input = idehost::input;
using namespace config;

const auto* const kOle = ::testing::AddGlobalTestEnvironment(new test::OleEnvironment);

class Tabs : public ::testing::Test {
protected:
    IdeHost ide;
    AddIn addin;
    idehost::Project* project = nullptr;
    std::vector<HWND> windows;  // Module1, Class1, Form1 code windows, in opening order

    void SetUp() override {
        test::ClearStoredSettings();
        project = &ide.Model().AddProject(L"Project1");
        project->AddComponent(L"Form1", idehost::vbext_ct_VBForm);
        project->AddComponent(L"Module1", idehost::vbext_ct_StdModule);
        project->AddComponent(L"Class1", idehost::vbext_ct_ClassModule);
        ide.Model().SetActiveProject(project);
        for (auto name : {L"Module1", L"Class1", L"Form1"}) windows.push_back(Open(name));
        ASSERT_EQ(addin.Connect(static_cast<IDispatch*>(&ide.Model()), ext_cm_AfterStartup), S_OK);
        addin.Bar().SetLockUpdate(false);
        IdeHost::Pump(50);
    }
    void TearDown() override { addin.Disconnect(); }

    HWND Open(const std::wstring& component) { return ide.OpenCodeWindow(L"Project1 - " + component + kCode); }
    CMDITab& Bar() { return addin.Bar(); }
    std::int16_t TabOf(HWND w) { return Bar().Index(WindowKey(H(w))); }
    static void Settle() { IdeHost::Pump(80); }

    // The middle of a tab, on the screen.
    POINT TabPoint(std::int16_t i) {
        Bar().LayoutBar(Bar().hClientWnd());
        const Rect& r = Bar().Tabs()[static_cast<size_t>(i)].rcTab;
        return ToScreen((r.left + r.right) / 2 - Bar().ScrollPos(), (r.top + r.bottom) / 2);
    }
    POINT CloseButtonPoint() {
        Bar().LayoutBar(Bar().hClientWnd());
        const Rect r = Bar().CloseBox();
        return ToScreen((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    POINT EmptyBarPoint() {
        Bar().LayoutBar(Bar().hClientWnd());
        const Rect& last = Bar().Tabs().back().rcTab;
        return ToScreen(last.right + 20 - Bar().ScrollPos(), (Bar().BarRect().top + Bar().BarRect().bottom) / 2);
    }
    POINT ToScreen(int x, int y) {
        RECT rc{};
        GetWindowRect(ide.MdiClient(), &rc);
        return {rc.left + x, rc.top + y};
    }
};

TEST_F(Tabs, FollowTheWindowsOfTheIde) {
    ASSERT_EQ(Bar().Count(), 3);
    // Created after connection: a tab, whatever the class.
    const HWND extra = ide.Open(L"SomeToolClass", L"\u30A6\u30A9\u30C3\u30C1");
    Settle();
    ASSERT_NE(TabOf(extra), -1);
    EXPECT_EQ(Bar().Count(), 4);
    // Activated: its tab is selected, and nothing else happens.
    ide.Activate(windows[0]);
    Settle();
    EXPECT_EQ(Bar().SelectedIndex(), TabOf(windows[0]));
    // Retitled: the tab is derived again.
    ide.Retitle(windows[0], L"Project1 - Form1 (Form)");
    Settle();
    EXPECT_EQ(Bar().Title(TabOf(windows[0])), L"Form1");
    EXPECT_EQ(Bar().Data(TabOf(windows[0])), 1);  // the found component replaces every bit
    // Hidden and shown.
    ide.Hide(windows[1]);
    Settle();
    EXPECT_FALSE(Bar().TabVisible(TabOf(windows[1])));
    ide.Show(windows[1]);
    Settle();
    EXPECT_TRUE(Bar().TabVisible(TabOf(windows[1])));
    // Destroyed: the tab goes.
    DestroyWindow(extra);
    Settle();
    EXPECT_EQ(TabOf(extra), -1);
    EXPECT_EQ(Bar().Count(), 3);
}

TEST_F(Tabs, ClicksActivateRestoreAndMaximise) {
    const HWND target = windows[0];
    ASSERT_NE(ide.ActiveChild(), target);
    input::Click(TabPoint(TabOf(target)));
    Settle();
    EXPECT_EQ(ide.ActiveChild(), target);
    EXPECT_EQ(Bar().SelectedIndex(), TabOf(target));

    ide.Minimize(windows[1]);
    Settle();
    ASSERT_TRUE(IsIconic(windows[1]));
    input::Click(TabPoint(TabOf(windows[1])));
    Settle();
    EXPECT_FALSE(IsIconic(windows[1]));
    // Double clicks, on the tab and on the empty bar (the selected tab's
    // window), maximise and restore.
    for (POINT p : {TabPoint(TabOf(windows[1])), EmptyBarPoint()}) {
        input::DoubleClick(p);
        Settle();
        EXPECT_TRUE(IsZoomed(windows[1]));
        input::DoubleClick(p);
        Settle();
        EXPECT_FALSE(IsZoomed(windows[1]));
    }
}

TEST_F(Tabs, CloseButtonClosesTheSelectedWindowUnlessItRefusesAndSelectsTheSecondFirst) {
    // A window that refuses to close keeps its tab.
    ide.Activate(windows[2]);
    Settle();
    ide.SetCloseBehaviour(windows[2], idehost::CloseBehaviour::Refuse);
    input::Click(CloseButtonPoint());
    Settle();
    EXPECT_TRUE(IsWindow(windows[2]));
    EXPECT_NE(TabOf(windows[2]), -1);
    ide.SetCloseBehaviour(windows[2], idehost::CloseBehaviour::Destroy);

    // The last of three tabs, selected and maximised: the second is selected
    // and activated before it closes.
    const std::int16_t last = static_cast<std::int16_t>(Bar().Count() - 1);
    const HWND w = reinterpret_cast<HWND>(std::dynamic_pointer_cast<CMDIChild>(Bar().DataObject(last))->hWnd());
    ide.Activate(w);
    ide.Maximize(w);
    Settle();
    ASSERT_EQ(Bar().SelectedIndex(), last);
    const std::int16_t second = static_cast<std::int16_t>(last - 1);
    const HWND secondWindow =
        reinterpret_cast<HWND>(std::dynamic_pointer_cast<CMDIChild>(Bar().DataObject(second))->hWnd());
    input::Click(CloseButtonPoint());
    Settle();
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(Bar().Count(), 2);
    EXPECT_EQ(Bar().SelectedIndex(), second);
    EXPECT_EQ(ide.ActiveChild(), secondWindow);
}

TEST_F(Tabs, WheelScrollsTheSelectedCodeWindow) {
    const HWND w = windows[2];
    ide.Activate(w);
    Settle();
    ASSERT_EQ(Bar().SelectedIndex(), TabOf(w));
    ASSERT_TRUE(addin.Impl().MouseWheel());
    // Over the text, level with the vertical scroll bar.
    RECT text{};
    GetWindowRect(ide.VerticalScrollBar(w), &text);
    const POINT over{text.left - 60, (text.top + text.bottom) / 2};
    const int lines = Bar().WheelLines();
    ASSERT_GT(lines, 0);

    ide.ClearScrollLog(w);
    input::Wheel(over, -2);  // two notches towards the user
    Settle();
    EXPECT_EQ(ide.ScrollCount(w, WM_VSCROLL, SB_LINEDOWN), 2 * lines);
    EXPECT_EQ(ide.ScrollCount(w, WM_VSCROLL), 2 * lines);
    EXPECT_EQ(ide.ScrollCountFrom(w, reinterpret_cast<LPARAM>(ide.VerticalScrollBar(w))), 2 * lines);

    ide.ClearScrollLog(w);
    input::Wheel(over, 1);
    Settle();
    EXPECT_EQ(ide.ScrollCount(w, WM_VSCROLL, SB_LINEUP), lines);

    ide.ClearScrollLog(w);
    input::KeyDown(VK_CONTROL);
    input::Wheel(over, -3);
    input::KeyUp(VK_CONTROL);
    Settle();
    EXPECT_EQ(ide.ScrollCount(w, WM_HSCROLL), 1);
    EXPECT_EQ(ide.ScrollCount(w, WM_HSCROLL, SB_LINERIGHT), 1);
    EXPECT_EQ(ide.ScrollCount(w, WM_VSCROLL), 0);

    // Page scrolling.
    UINT saved = 0;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &saved, 0);
    SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, WHEEL_PAGESCROLL, nullptr, 0);
    Bar().LoadSystemParameters();
    ide.ClearScrollLog(w);
    input::Wheel(over, -2);
    Settle();
    SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, saved, nullptr, 0);
    Bar().LoadSystemParameters();
    EXPECT_EQ(ide.ScrollCount(w, WM_VSCROLL, SB_PAGEDOWN), 1);
    EXPECT_EQ(ide.ScrollCount(w, WM_VSCROLL), 1);

    // Outside the selected window nothing is scrolled.
    ide.ClearScrollLog(w);
    RECT rw{};
    GetWindowRect(w, &rw);
    RECT rc{};
    GetWindowRect(ide.MdiClient(), &rc);
    input::Wheel({rw.right + 20 < rc.right ? rw.right + 20 : rc.right - 4, rc.bottom - 6}, -1);
    Settle();
    EXPECT_EQ(ide.ScrollCount(w, WM_VSCROLL), 0);
}

TEST_F(Tabs, DraggingReordersAndShowsTheCursors) {
    Bar().SetStyle(0);  // fixed width: tabs move while dragging
    Settle();
    const std::wstring first = Bar().Key(0);
    // Which drag cursor stands in for the arrow, watched while the drag runs
    // (this Wine accepts SetSystemCursor without showing it, so the add-in's
    // own record is what can be seen).
    std::atomic<bool> done{false};
    std::vector<int> seen{0};
    std::thread watch([&] {
        while (!done) {
            const int c = addin.Impl().DragCursor();
            if (seen.back() != c) seen.push_back(c);
            Sleep(2);
        }
    });
    RECT client{};
    GetWindowRect(ide.MdiClient(), &client);
    const POINT below{TabPoint(2).x, client.top + 120};  // off the tabs, inside the client
    input::Sequence().Drag(TabPoint(0), TabPoint(2)).Run();
    Settle();
    const std::wstring second = Bar().Key(0);
    // Pressed where the first drag began: wait out the double-click time.
    IdeHost::Pump(GetDoubleClickTime() + 100);
    input::Sequence().Drag(TabPoint(0), below).Run();
    Settle();
    done = true;
    watch.join();
    EXPECT_EQ(Bar().Key(2), first);
    EXPECT_EQ(Bar().Index(first), 2);
    // Over a tab, restored; over a tab, off the tabs, restored.
    EXPECT_EQ(seen, (std::vector<int>{0, 101, 0, 101, 102, 0}));
    EXPECT_EQ(Bar().Key(0), second);  // dropped off the tabs: nothing moved
}

TEST_F(Tabs, DisconnectingDuringADragRestoresTheCursors) {
    Loader& loader = addin.Impl();
    loader.StartDrag(0, 0, 0, 0, 0);
    loader.DragOver(-1, 0, 0, -100, -100);
    ASSERT_EQ(loader.DragCursor(), 102);
    addin.Disconnect();
    EXPECT_EQ(loader.DragCursor(), 0);
}

// Answers the next message box titled "Brisko" from another thread.
std::thread AnswerConfirmation(int answer, std::wstring* text) {
    return std::thread([answer, text] {
        for (int i = 0; i < 400; ++i) {
            if (HWND box = FindWindowW(L"#32770", L"Brisko")) {
                if (text) {
                    HWND label = FindWindowExW(box, nullptr, L"Static", nullptr);
                    while (label && GetWindowTextLengthW(label) == 0)
                        label = FindWindowExW(box, label, L"Static", nullptr);
                    wchar_t buf[256] = {};
                    if (label) GetWindowTextW(label, buf, 256);
                    *text = buf;
                }
                PostMessageW(box, WM_COMMAND, answer, 0);
                return;
            }
            Sleep(10);
        }
    });
}

class TabMenu : public Tabs {
protected:
    // Right-clicks tab i (or the empty bar for -1) and picks the item `downs`
    // presses of the Down key away from the top.
    void Choose(std::int16_t i, int downs) {
        // One sequence: the right click opens the menu's own modal loop, and
        // the keys reach it from the input thread.
        input::Sequence seq;
        seq.Click(i == -1 ? EmptyBarPoint() : TabPoint(i), idehost::MouseButton::Right).Wait(100);
        for (int k = 0; k < downs; ++k) seq.Key(VK_DOWN);
        seq.Key(VK_RETURN).Run();
        Settle();
    }
    std::vector<std::wstring> Keys() {
        std::vector<std::wstring> out;
        for (std::int16_t i = 0; i < Bar().Count(); ++i) out.push_back(Bar().Key(i));
        return out;
    }
};

TEST_F(TabMenu, EnablingFollowsTheClickedTab) {
    HMENU menu = addin.Impl().Menu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 8);  // the six items, a separator, the list of windows
    auto grayed = [&](UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0; };
    struct Case {
        std::int16_t tab;
        bool g1, g2, g3, g4;
    };
    for (auto c : {Case{-1, true, false, true, true}, Case{0, false, false, true, false},
                   Case{1, false, false, false, false}, Case{2, false, false, false, true}}) {
        // Dismissed at once: the enabling is what the menu showed.
        std::thread esc([] {
            Sleep(150);
            input::Key(VK_ESCAPE);
        });
        EXPECT_EQ(addin.Impl().ShowTabMenu(c.tab), 0);
        esc.join();
        EXPECT_EQ(grayed(1), c.g1) << c.tab;
        EXPECT_EQ(grayed(2), c.g2) << c.tab;
        EXPECT_EQ(grayed(3), c.g3) << c.tab;
        EXPECT_EQ(grayed(4), c.g4) << c.tab;
        EXPECT_FALSE(grayed(5));
    }
}

TEST_F(TabMenu, CloseLeftAndRightOfATab) {
    ide.OpenCodeWindow(L"Project1 - Form1 (Form)");
    Settle();
    ASSERT_EQ(Bar().Count(), 4);
    auto keys = Keys();
    Choose(2, 4);  // "このタブより右を閉じる" on the third of four
    EXPECT_EQ(Keys(), std::vector<std::wstring>(keys.begin(), keys.begin() + 3));
    Choose(2, 3);  // "このタブより左を閉じる" on the last of three
    EXPECT_EQ(Keys(), std::vector<std::wstring>{keys[2]});
}

TEST_F(TabMenu, CloseOneAndCloseAllWithConfirmation) {
    auto keys = Keys();
    Choose(1, 1);  // "閉じる"
    EXPECT_EQ(Bar().Count(), 2);
    EXPECT_EQ(Bar().Index(keys[1]), -1);

    std::wstring question;
    auto no = AnswerConfirmation(IDNO, &question);
    Choose(0, 2);  // "すべて閉じる", answered No
    no.join();
    EXPECT_EQ(question,
              L"\u3059\u3079\u3066\u306E\u30A6\u30A3\u30F3\u30C9\u30A6\u3092\u9589\u3058\u3066"
              L"\u3088\u308D\u3057\u3044\u3067\u3059\u304B\uFF1F");
    EXPECT_EQ(Bar().Count(), 2);

    ide.SetCloseBehaviour(windows[0], idehost::CloseBehaviour::Refuse);
    auto yes = AnswerConfirmation(IDYES, nullptr);
    Choose(0, 2);
    yes.join();
    // The window that refused keeps its tab; the others are gone.
    ASSERT_EQ(Bar().Count(), 1);
    EXPECT_EQ(Bar().Key(0), WindowKey(H(windows[0])));
}

// Drives the settings dialog from another thread once it shows: the bar at
// the bottom, icon style 2, wheel off, then OK.
std::thread ConfirmSettings(bool* seen) {
    return std::thread([seen] {
        for (int i = 0; i < 500; ++i) {
            HWND dlg = FindWindowW(nullptr, L"Brisko - 1.28");
            if (dlg && IsWindowVisible(dlg)) {
                *seen = true;
                SendMessageW(GetDlgItem(dlg, kOptAlign1), BM_CLICK, 0, 0);
                SendMessageW(GetDlgItem(dlg, kOptIcon0 + 2), BM_CLICK, 0, 0);
                SendMessageW(GetDlgItem(dlg, kChkWheel), BM_CLICK, 0, 0);
                SendMessageW(GetDlgItem(dlg, kBtnOK), BM_CLICK, 0, 0);
                return;
            }
            Sleep(10);
        }
    });
}

TEST_F(TabMenu, SettingsCommandEditsTheLiveBarAndTheChoiceIsStored) {
    const wchar_t* key = L"Software\\Microsoft\\Visual Basic\\6.0\\Addins\\Brisko.Loader";
    bool seen = false;
    auto driver = ConfirmSettings(&seen);
    Choose(1, 5);  // "設定..."
    driver.join();
    ASSERT_TRUE(seen) << "the settings dialog did not show";
    EXPECT_EQ(Bar().Align(), 1);
    EXPECT_EQ(addin.Impl().IconStyle(), 2);
    EXPECT_FALSE(addin.Impl().MouseWheel());
    for (std::int16_t i = 0; i < Bar().Count(); ++i) EXPECT_EQ(Bar().Icon(i), 13);  // code view icons

    addin.Disconnect();
    DWORD align = 99, icon = 99, wheel = 99, size = sizeof(DWORD);
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, key, L"Align", RRF_RT_REG_DWORD, nullptr, &align, &size), ERROR_SUCCESS);
    size = sizeof(DWORD);
    RegGetValueW(HKEY_CURRENT_USER, key, L"Icon", RRF_RT_REG_DWORD, nullptr, &icon, &size);
    size = sizeof(DWORD);
    RegGetValueW(HKEY_CURRENT_USER, key, L"Wheel", RRF_RT_REG_DWORD, nullptr, &wheel, &size);
    EXPECT_EQ(align, 1u);
    EXPECT_EQ(icon, 2u);
    EXPECT_EQ(wheel, 0u);

    AddIn again;
    ASSERT_EQ(again.Connect(static_cast<IDispatch*>(&ide.Model()), ext_cm_AfterStartup), S_OK);
    EXPECT_EQ(again.Bar().Align(), 1);
    EXPECT_EQ(again.Impl().IconStyle(), 2);
    EXPECT_FALSE(again.Impl().MouseWheel());
    again.Disconnect();
    test::ClearStoredSettings();
}

// The shipped DLL, loaded as a COM server and released again: the IDE's
// windows keep working once the add-in is gone.
TEST(TabsFromTheDll, WindowsWorkAfterTheDllIsReleased) {
    IdeHost ide;
    auto& project = ide.Model().AddProject(L"Project1");
    project.AddComponent(L"Module1", idehost::vbext_ct_StdModule);
    std::vector<HWND> windows{ide.OpenCodeWindow(L"Project1 - Module1" + kCode),
                              ide.OpenDesigner(L"Project1 - Module1 (Form)")};
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dll(exe);
    dll = dll.substr(0, dll.find_last_of(L"\\/") + 1) + L"Brisko.dll";
    {
        idehost::AddInClient client(ide);
        ASSERT_EQ(client.LoadFromDll(dll), S_OK);
        ASSERT_EQ(client.Connect(ext_cm_AfterStartup), S_OK);
        IdeHost::Pump(50);
        ide.Activate(windows[1]);
        IdeHost::Pump(50);
        ASSERT_EQ(client.Disconnect(), S_OK);
        client.Unload();
        EXPECT_EQ(client.LastCanUnloadNow(), S_OK);
    }
    for (HWND w : {windows[0], windows[1], ide.MdiClient()})
        EXPECT_EQ(GetWindowLongPtrA(w, GWLP_WNDPROC), GetClassLongPtrA(w, GCLP_WNDPROC));
    ide.Activate(windows[0]);
    EXPECT_TRUE(ide.Retitle(windows[0], L"Project1 - Other" + kCode));
    ide.Close(windows[1]);
    IdeHost::Pump(50);
    EXPECT_FALSE(IsWindow(windows[1]));
}

}  // namespace
}  // namespace brisko
