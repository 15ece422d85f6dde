// Tabs that follow the IDE, end to end: the add-in connected to the stand-in
// IDE, driven with real window messages and real input.
#include "tests/addin_fixture.h"

namespace brisko {
namespace {

namespace input = test::input;

// Which drag cursor the add-in shows, looked at each time the IDE's thread
// takes a message, so that no state between two messages is missed; and
// whether it is the thread's own cursor (not one put in the system's place,
// which this Wine accepts without showing).
Loader* g_dragging = nullptr;
std::vector<int> g_cursors;
int g_cursorsNotShown = 0;
void SeeCursor() {
    const int c = g_dragging->DragCursor();
    if (c && GetCursor() != LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(c))) ++g_cursorsNotShown;
    if (g_cursors.back() != c) g_cursors.push_back(c);
}
LRESULT CALLBACK SeeCursorOnEveryMessage(int code, WPARAM w, LPARAM l) {
    SeeCursor();
    return CallNextHookEx(nullptr, code, w, l);
}

using Tabs = test::IdeScenario;

TEST_F(Tabs, FollowTheIdeAndTheUsersClicksWheelDragsAndMenu) {
    OpenModule(L"Module1");
    OpenModule(L"Class1", idehost::vbext_ct_ClassModule);
    OpenModule(L"Form1", idehost::vbext_ct_VBForm);
    Connect();

    // Windows of any class opened after connection, their components,
    // activation, captions, hiding and closing.
    const HWND extra = ide.Open(L"SomeToolClass", L"Project1 - Form2 (Form)");
    project->AddComponent(L"Saved", idehost::vbext_ct_VBForm, L"C:\\src\\Saved.frm");
    EXPECT_EQ(Bar().Data(TabOf(extra)), 0);  // a component with a file touches no tab; Form2 is none yet
    project->AddComponent(L"Form2", idehost::vbext_ct_VBForm);
    EXPECT_EQ(Bar().Icon(TabOf(extra)), 1);
    ide.Activate(windows[0]);
    EXPECT_EQ(Bar().SelectedIndex(), TabOf(windows[0]));
    ide.Retitle(windows[0], L"Project1 - Form1 (Form)");
    EXPECT_EQ(Bar().Title(TabOf(windows[0])), L"Form1");
    ide.Hide(windows[1]);
    EXPECT_FALSE(Bar().TabVisible(TabOf(windows[1])));
    ide.Show(windows[1]);
    EXPECT_TRUE(Bar().TabVisible(TabOf(windows[1])));
    DestroyWindow(extra);
    EXPECT_EQ(TabOf(extra), -1);

    // The wheel scrolls the selected code window through its scroll bars.
    const HWND w = windows[2];
    ide.Activate(w);
    RECT bar{};
    GetWindowRect(ide.VerticalScrollBar(w), &bar);
    const POINT over{bar.left - 60, (bar.top + bar.bottom) / 2};  // over the text, level with the bar
    input::Wheel(over, -2);
    Settle();
    EXPECT_EQ(ide.ScrollCountFrom(w, reinterpret_cast<LPARAM>(ide.VerticalScrollBar(w))), 2 * Bar().WheelLines());
    EXPECT_EQ(ide.ScrollCount(w, WM_VSCROLL, SB_LINEDOWN), 2 * Bar().WheelLines());
    ide.ClearScrollLog(w);
    input::Sequence().KeyDown(VK_CONTROL).Wheel(over, -3).KeyUp(VK_CONTROL).Run();
    Settle();
    EXPECT_EQ(std::pair(ide.ScrollCount(w, WM_HSCROLL, SB_LINERIGHT), ide.ScrollCount(w, WM_VSCROLL)), std::pair(1, 0));

    // A click activates and restores; double clicks on the tab and on the
    // empty bar (for the selected tab's window) maximise and restore.
    ide.Minimize(windows[0]);
    input::Click(TabPoint(TabOf(windows[0])));
    Settle();
    EXPECT_EQ(std::tuple(ide.ActiveChild(), Bar().SelectedIndex(), IsIconic(windows[0])),
              std::tuple(windows[0], TabOf(windows[0]), FALSE));
    input::DoubleClick(TabPoint(TabOf(windows[0])));
    Settle();
    EXPECT_TRUE(IsZoomed(windows[0]));
    input::DoubleClick(EmptyBarPoint());
    Settle();
    EXPECT_FALSE(IsZoomed(windows[0]));
    // The close button closes the selected window, here maximised and the
    // last tab, and selects its left neighbour first.
    ASSERT_EQ(TabOf(windows[0]), 2);
    ide.Maximize(windows[0]);
    Bar().LayoutBar(Bar().hClientWnd());
    input::Click(Mid(Bar().ButtonBox(kCloseButton)));
    Settle();
    EXPECT_EQ(std::tuple(IsWindow(windows[0]), Bar().SelectedIndex(), ide.ActiveChild()),
              std::tuple(FALSE, TabOf(windows[1]), windows[1]));

    // Dragging reorders, with the drag cursor shown over the tabs.
    Bar().SetStyle(0);  // fixed width: tabs move while dragging
    Settle();
    const std::wstring first = Bar().Key(0);
    g_dragging = &addin.Impl();
    g_cursors = {0};
    const HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, SeeCursorOnEveryMessage, nullptr, GetCurrentThreadId());
    input::Sequence().Drag(TabPoint(0), TabPoint(1)).Run();
    Settle();
    UnhookWindowsHookEx(hook);
    SeeCursor();
    EXPECT_EQ(Bar().Index(first), 1);
    EXPECT_EQ(g_cursors, (std::vector<int>{0, 101, 0}));  // over the tabs, then the window's own again
    EXPECT_EQ(g_cursorsNotShown, 0);

    // "すべて閉じる" from the menu asks first and spares windows that refuse.
    ide.SetCloseBehaviour(windows[1], idehost::CloseBehaviour::Refuse);
    for (int answer : {IDNO, IDYES}) {
        test::TickAction answering([answer] {
            const HWND box = FindWindowW(L"#32770", L"Brisko");
            return box && PostMessageW(box, WM_COMMAND, answer, 0);
        });
        Choose(0, {VK_DOWN, VK_DOWN, VK_RETURN});
        EXPECT_TRUE(answering.done) << "no question asked";
        EXPECT_EQ(Bar().Count(), answer == IDNO ? 2 : 1);
    }
    EXPECT_EQ(Bar().Key(0), KeyOf(windows[1]));

    // Off the tabs, and disconnected in the middle of a drag.
    Loader& loader = addin.Impl();
    loader.StartDrag(0, 0, 0, 0, 0);
    loader.DragOver(-1, 0, 0, -100, -100);
    ASSERT_EQ(loader.DragCursor(), 102);
    addin.Disconnect();
    EXPECT_EQ(loader.DragCursor(), 0);
}

}  // namespace
}  // namespace brisko
