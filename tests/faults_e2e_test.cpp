// The add-in under faults, end to end: disconnected from inside each modal
// loop of its own, the IDE's MDI client destroyed under the bar, and a wheel
// turn far beyond any hand's. Each time the IDE must go on as before.
#include "settings/dialog/win/config_dialog.h"
#include "tests/addin_fixture.h"

namespace brisko {
namespace {

using idehost::CloseBehaviour;

using test::OwnProcedure;
using test::Traces;

using Faults = test::IdeScenario;

TEST_F(Faults, DisconnectedInsideItsOwnModalLoopsTheAddInGoesWhenTheyHaveReturned) {
    // The loop; the keys after the right click on the first of three tabs; the
    // loop's dialog box title (none for the menu itself) and its answer.
    const std::tuple<const char*, std::vector<WORD>, std::wstring, WPARAM> loops[] = {
        {"tab menu", {}, L"", 0},
        {"close-all question", {VK_DOWN, VK_DOWN, VK_RETURN}, L"Brisko", IDYES},
        {"settings dialog", {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}, frmConfig::LoadedCaption(), IDOK},
        {"close prompt", {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}, L"Microsoft Visual Basic", IDNO},
    };
    for (const auto& [name, keys, dialog, answer] : loops) {
        SCOPED_TRACE(name);
        while (ide.Children().size() < 3) OpenModule(L"Module" + std::to_wstring(windows.size() + 1));
        for (HWND w : ide.Children()) ide.SetCloseBehaviour(w, CloseBehaviour::Prompt);
        addin.Reset();
        const Traces before(ide.Model());
        addin = test::AddIn();
        Connect();
        Loader* const loader = &addin.Impl();
        const HMENU menu = loader->Menu();
        bool deferred = false;
        test::TickAction inside([&] {
            const bool isMenu = dialog.empty();
            const HWND shown = FindWindowW(isMenu ? L"#32768" : L"#32770", isMenu ? nullptr : dialog.c_str());
            if (!shown || !IsWindowVisible(shown)) return false;
            const long objects = ModuleRefCount();
            // As another add-in or the IDE's closing would; the IDE lets go at once.
            deferred = addin.Disconnect() == S_OK && (addin.Reset(), loader->TabBar()) && ModuleRefCount() == objects;
            return (isMenu ? EndMenu() : PostMessageW(shown, WM_COMMAND, answer, 0)) != FALSE;
        });
        Choose(0, keys);
        EXPECT_TRUE(inside.done && deferred) << "torn down under the loop";
        EXPECT_TRUE(Traces(ide.Model()) == before && !IsMenu(menu) && OwnProcedure(ide.MdiClient()));
        // Nothing more was asked of the IDE: only the window whose prompt was answered is gone.
        EXPECT_EQ(ide.Children().size(), answer == IDNO ? 2u : 3u);
        for (HWND w : ide.Children()) {
            EXPECT_TRUE(OwnProcedure(w));
            ide.SetCloseBehaviour(w, CloseBehaviour::Destroy);
        }
    }
    const HWND w = ide.Children().back();
    ide.Activate(w);
    EXPECT_EQ(ide.ActiveChild(), w);
    ide.Close(w);
    EXPECT_FALSE(IsWindow(w));
    test::input::MoveTo({0, 0});  // off where the next scenario's tabs will be
}

TEST_F(Faults, TheMdiClientDestroyedUnderTheBar) {
    OpenModule(L"Module1");
    const Traces before(ide.Model());
    Connect();
    // Its children first: this Wine fails in its own code when an MDI client
    // goes with children in it.
    ide.DestroyAllChildren();
    ASSERT_TRUE(DestroyWindow(ide.MdiClient()));
    Settle();
    EXPECT_EQ(Bar().hClientWnd(), 0) << "kept a handle that may name another window next";
    EXPECT_EQ(addin.Disconnect(), S_OK);
    EXPECT_TRUE(Traces(ide.Model()) == before);
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
    SCROLLINFO page{sizeof page, SIF_PAGE, 0, 0, 10, 0, 0};
    SetScrollInfo(ide.VerticalScrollBar(w), SB_CTL, &page, FALSE);
    RECT rc{};
    GetWindowRect(ide.VerticalScrollBar(w), &rc);
    const DWORD start = GetTickCount();
    SendMessageW(ide.MdiClient(), WM_MOUSEWHEEL, MAKEWPARAM(0, 0x8000), MAKELPARAM(rc.left - 60, rc.top + 20));
    EXPECT_LT(GetTickCount() - start, 100u);
    // Taken from the queue as posted, without the window's work of scrolling.
    int posted[4] = {};
    for (MSG m; PeekMessageW(&m, w, WM_VSCROLL, WM_VSCROLL, PM_REMOVE);) ++posted[std::min<WPARAM>(m.wParam, 3)];
    EXPECT_TRUE(posted[SB_LINEDOWN] == 100 && posted[SB_PAGEDOWN] == 400);
}

}  // namespace
}  // namespace brisko
