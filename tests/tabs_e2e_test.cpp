// Tabs that follow the IDE, end to end: the add-in connected to the stand-in
// IDE, driven with real window messages and real input.
#include <atomic>
#include <thread>

#include "tests/addin_fixture.h"

namespace brisko {
namespace {

using idehost::IdeHost;
namespace input = idehost::input;

class Tabs : public test::IdeScenario {
protected:
    void SetUp() override {
        IdeScenario::SetUp();
        OpenModule(L"Module1");
        OpenModule(L"Class1", idehost::vbext_ct_ClassModule);
        OpenModule(L"Form1", idehost::vbext_ct_VBForm);
        Connect();
    }
};

TEST_F(Tabs, FollowTheWindowsOfTheIde) {
    const HWND extra = ide.Open(L"SomeToolClass", L"\u30A6\u30A9\u30C3\u30C1");  // any class, after connection
    Settle();
    EXPECT_NE(TabOf(extra), -1);
    ide.Activate(windows[0]);
    Settle();
    EXPECT_EQ(Bar().SelectedIndex(), TabOf(windows[0]));
    ide.Retitle(windows[0], L"Project1 - Form1 (Form)");
    Settle();
    EXPECT_EQ(Bar().Title(TabOf(windows[0])), L"Form1");
    EXPECT_EQ(Bar().Data(TabOf(windows[0])), 1);  // the found component replaces every bit
    ide.Hide(windows[1]);
    Settle();
    EXPECT_FALSE(Bar().TabVisible(TabOf(windows[1])));
    ide.Show(windows[1]);
    Settle();
    EXPECT_TRUE(Bar().TabVisible(TabOf(windows[1])));
    DestroyWindow(extra);
    Settle();
    EXPECT_EQ(TabOf(extra), -1);
}

TEST_F(Tabs, ClicksActivateRestoreAndMaximise) {
    ASSERT_NE(ide.ActiveChild(), windows[0]);
    input::Click(TabPoint(TabOf(windows[0])));
    Settle();
    EXPECT_EQ(ide.ActiveChild(), windows[0]);
    EXPECT_EQ(Bar().SelectedIndex(), TabOf(windows[0]));
    ide.Minimize(windows[1]);
    Settle();
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

TEST_F(Tabs, CloseButtonClosesTheSelectedMaximisedWindowAndSelectsItsNeighbourFirst) {
    const HWND last = windows[0];  // opened first: the last tab
    ASSERT_EQ(TabOf(last), 2);
    ide.Activate(last);
    ide.Maximize(last);
    Settle();
    ASSERT_EQ(Bar().SelectedIndex(), TabOf(last));
    input::Click(ButtonPoint(kCloseButton));
    Settle();
    EXPECT_FALSE(IsWindow(last));
    EXPECT_EQ(Bar().Count(), 2);
    EXPECT_EQ(Bar().SelectedIndex(), TabOf(windows[1]));
    EXPECT_EQ(ide.ActiveChild(), windows[1]);
}

TEST_F(Tabs, WheelScrollsTheSelectedCodeWindowThroughItsScrollBars) {
    const HWND w = windows[2];
    ide.Activate(w);
    Settle();
    RECT bar{}, rw{}, rc{};
    GetWindowRect(ide.VerticalScrollBar(w), &bar);
    const POINT over{bar.left - 60, (bar.top + bar.bottom) / 2};  // over the text, level with the bar
    input::Wheel(over, -2);
    Settle();
    EXPECT_EQ(ide.ScrollCount(w, WM_VSCROLL, SB_LINEDOWN), 2 * Bar().WheelLines());
    EXPECT_EQ(ide.ScrollCountFrom(w, reinterpret_cast<LPARAM>(ide.VerticalScrollBar(w))), 2 * Bar().WheelLines());
    ide.ClearScrollLog(w);
    input::Sequence().KeyDown(VK_CONTROL).Wheel(over, -3).KeyUp(VK_CONTROL).Run();
    // Outside the selected window nothing is scrolled.
    GetWindowRect(w, &rw);
    GetWindowRect(ide.MdiClient(), &rc);
    input::Wheel({rw.right + 20 < rc.right ? rw.right + 20 : rc.right - 4, rc.bottom - 6}, -1);
    Settle();
    EXPECT_EQ(ide.ScrollCount(w, WM_HSCROLL, SB_LINERIGHT), 1);
    EXPECT_EQ(ide.ScrollCount(w, WM_VSCROLL), 0);
}

TEST_F(Tabs, DraggingReordersAndShowsTheCursorsUntilDisconnection) {
    Bar().SetStyle(0);  // fixed width: tabs move while dragging
    Settle();
    const std::wstring first = Bar().Key(0);
    // Which drag cursor stands in for the arrow, watched while the drag runs
    // (this Wine accepts SetSystemCursor without showing it, so the add-in's
    // own record is what can be seen).
    std::atomic<bool> done{false};
    std::vector<int> seen{0};
    std::thread watch([&] {
        for (; !done; Sleep(2))
            if (const int c = addin.Impl().DragCursor(); seen.back() != c) seen.push_back(c);
    });
    input::Sequence().Drag(TabPoint(0), TabPoint(2)).Run();
    Settle();
    done = true;
    watch.join();
    EXPECT_EQ(Bar().Index(first), 2);
    EXPECT_EQ(seen, (std::vector<int>{0, 101, 0}));  // over the tabs, then the system's again

    // Off the tabs, and disconnected in the middle of the drag.
    Loader& loader = addin.Impl();
    loader.StartDrag(0, 0, 0, 0, 0);
    loader.DragOver(-1, 0, 0, -100, -100);
    ASSERT_EQ(loader.DragCursor(), 102);
    addin.Disconnect();
    EXPECT_EQ(loader.DragCursor(), 0);
}

TEST_F(Tabs, CloseAllFromTheMenuAsksFirstAndSparesWindowsThatRefuse) {
    ide.SetCloseBehaviour(windows[1], idehost::CloseBehaviour::Refuse);
    std::wstring question;
    for (int answer : {IDNO, IDYES}) {
        // The message box titled "Brisko" is answered from another thread.
        std::thread answering([&] {
            HWND box = nullptr;
            for (int i = 0; i < 400 && !(box = FindWindowW(L"#32770", L"Brisko")); ++i) Sleep(10);
            for (HWND label = nullptr;
                 box && question.empty() && (label = FindWindowExW(box, label, L"Static", nullptr));) {
                wchar_t text[256] = {};
                GetWindowTextW(label, text, 256);
                question = text;
            }
            PostMessageW(box, WM_COMMAND, answer, 0);
        });
        Choose(0, {VK_DOWN, VK_DOWN});  // "すべて閉じる"
        answering.join();
        EXPECT_EQ(Bar().Count(), answer == IDNO ? 3 : 1);
    }
    EXPECT_EQ(question,
              L"\u3059\u3079\u3066\u306E\u30A6\u30A3\u30F3\u30C9\u30A6\u3092\u9589\u3058\u3066"
              L"\u3088\u308D\u3057\u3044\u3067\u3059\u304B\uFF1F");
    EXPECT_EQ(Bar().Key(0), WindowKey(test::H(windows[1])));
}

}  // namespace
}  // namespace brisko
