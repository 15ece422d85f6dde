// The add-in under faults, end to end: disconnected from inside each modal
// loop of its own, the IDE's MDI client destroyed under the bar, and a wheel
// turn far beyond any hand's. Each time the IDE must go on as before.
#include "host/win/module.h"
#include "settings/dialog/win/config_dialog.h"
#include "tests/addin_fixture.h"
#include "tests/tick_action.h"
#include "winsvc/win/slot_pool.h"

namespace brisko {
namespace {

using idehost::CloseBehaviour;
namespace input = idehost::input;

// What the add-in could leave in the process: its objects, windows,
// subclasses, hooks and timers.
struct Traces {
    long objects = ModuleRefCount();
    int windows = test::ThreadWindowCount(), subclasses = winsvc_detail::SubclassSlotsInUse(),
        hooks = winsvc_detail::HookSlotsInUse(), timers = winsvc_detail::TimerSlotsInUse();
    friend bool operator==(const Traces&, const Traces&) = default;
};

bool ProcedureIsTheClasss(HWND w) {
    return GetWindowLongPtrA(w, GWLP_WNDPROC) == static_cast<LONG_PTR>(GetClassLongPtrA(w, GCLP_WNDPROC));
}

// The stand-in IDE with the component event source made already, as the
// add-in's first connection makes it: the model's counts compare as a whole.
class Faults : public test::IdeScenario {
protected:
    void SetUp() override {
        IdeScenario::SetUp();
        ide.Model().GetEvents().VBComponentsEvents(0);
    }
};

TEST_F(Faults, DisconnectedInsideItsOwnModalLoopsTheAddInGoesWhenTheyHaveReturned) {
    struct Loop {
        const char* name;
        std::vector<WORD> keys;  // after the right click on the first of three tabs
        std::wstring dialog;     // the loop's dialog box title; none for the menu itself
        WPARAM answer;
    } const loops[] = {
        {"tab menu", {}, L"", 0},
        {"close-all question", {VK_DOWN, VK_DOWN, VK_RETURN}, L"Brisko", IDYES},
        {"settings dialog", {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}, frmConfig::LoadedCaption(), IDOK},
        {"close prompt of the rightmost window", {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN},
         L"Microsoft Visual Basic", IDNO},
    };
    for (const Loop& loop : loops) {
        SCOPED_TRACE(loop.name);
        while (ide.Children().size() < 3) OpenModule(L"Module" + std::to_wstring(windows.size() + 1));
        for (HWND w : ide.Children()) ide.SetCloseBehaviour(w, CloseBehaviour::Prompt);
        const auto refs = ide.Model().RefCounts();
        addin.Reset();
        const Traces before;
        addin = test::AddIn();
        Connect();
        Loader* const loader = &addin.Impl();
        const HMENU menu = loader->Menu();
        bool deferred = false;
        test::TickAction inside([&] {
            const HWND shown = FindWindowW(loop.dialog.empty() ? L"#32768" : L"#32770",
                                           loop.dialog.empty() ? nullptr : loop.dialog.c_str());
            if (!shown || !IsWindowVisible(shown)) return false;
            const long objects = ModuleRefCount();
            // As another add-in or the IDE's closing would; the IDE lets go at once.
            EXPECT_EQ(addin.Disconnect(), S_OK);
            addin.Reset();
            deferred = loader->TabBar() && ModuleRefCount() == objects;
            if (loop.dialog.empty())
                EndMenu();
            else
                PostMessageW(shown, WM_COMMAND, loop.answer, 0);
            return true;
        });
        input::Sequence seq;
        seq.Click(TabPoint(0), idehost::MouseButton::Right).Wait(150);
        for (WORD k : loop.keys) seq.Key(k);
        seq.Run();
        Settle();
        EXPECT_TRUE(inside.done && deferred) << "torn down under the loop";
        EXPECT_EQ(Traces(), before);
        EXPECT_FALSE(IsMenu(menu));
        EXPECT_EQ(ide.Model().RefCounts(), refs);
        // Nothing more was asked of the IDE: only the window whose prompt was answered is gone.
        EXPECT_EQ(ide.Children().size(), loop.answer == IDNO ? 2u : 3u);
        EXPECT_TRUE(ProcedureIsTheClasss(ide.MdiClient()));
        for (HWND w : ide.Children()) {
            EXPECT_TRUE(ProcedureIsTheClasss(w));
            ide.SetCloseBehaviour(w, CloseBehaviour::Destroy);
        }
    }
    const HWND w = ide.Children().back();
    ide.Activate(w);
    EXPECT_EQ(ide.ActiveChild(), w);
    ide.Close(w);
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(Faults, TheMdiClientDestroyedUnderTheBar) {
    OpenModule(L"Module1");
    const auto refs = ide.Model().RefCounts();
    const Traces before;
    Connect();
    // Its children first: this Wine fails in its own code when an MDI client
    // goes with children in it.
    ide.DestroyAllChildren();
    ASSERT_TRUE(DestroyWindow(ide.MdiClient()));
    Settle();
    EXPECT_EQ(Bar().hClientWnd(), 0) << "kept a handle that may name another window next";
    EXPECT_EQ(addin.Disconnect(), S_OK);
    EXPECT_EQ(Traces(), before);
    EXPECT_EQ(ide.Model().RefCounts(), refs);
    EXPECT_TRUE(SetWindowPos(ide.MainWindow(), nullptr, 10, 10, 800, 600, SWP_NOZORDER));
}

// The largest turn one wheel message carries, at 100 lines per notch: 27,300
// lines, which a line at a time with a pause before each would take the IDE
// half a minute and overflow the window's queue.
TEST_F(Faults, OneWheelMessageIsBoundedInTimeAndPosts) {
    const HWND w = OpenModule(L"Module1");
    Connect();
    UINT lines = 0;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, 100, nullptr, 0);
    Bar().LoadSystemParameters();
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, lines, nullptr, 0);
    ASSERT_EQ(Bar().WheelLines(), 100);
    const HWND bar = ide.VerticalScrollBar(w);
    SCROLLINFO page{sizeof page, SIF_PAGE, 0, 0, 10, 0, 0};
    SetScrollInfo(bar, SB_CTL, &page, FALSE);
    RECT rc{};
    GetWindowRect(bar, &rc);
    LARGE_INTEGER frequency{}, start{}, end{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    SendMessageW(ide.MdiClient(), WM_MOUSEWHEEL, MAKEWPARAM(0, 0x8000), MAKELPARAM(rc.left - 60, rc.top + 20));
    QueryPerformanceCounter(&end);
    EXPECT_LT((end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart, 100);
    // Taken from the queue as posted, without the window's work of scrolling.
    int posted[4] = {};
    for (MSG m; PeekMessageW(&m, w, WM_VSCROLL, WM_VSCROLL, PM_REMOVE);) ++posted[std::min<WPARAM>(m.wParam, 3)];
    EXPECT_EQ(posted[SB_LINEDOWN], 100);
    EXPECT_EQ(posted[SB_PAGEDOWN], 400);
}

}  // namespace
}  // namespace brisko
