// The bar's tooltips and the context menu's list of windows, end to end: the
// add-in connected to the stand-in IDE, driven with real input.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/addin_fixture.h"
#include "tools/idehost/scenario.h"

namespace brisko {
namespace {

using idehost::IdeHost;
using test::AddIn;
using test::H;
using test::kCode;
namespace input = idehost::input;

const auto* const kOle = ::testing::AddGlobalTestEnvironment(new test::OleEnvironment);

// This thread's tooltip windows.
std::vector<HWND> TipWindows() {
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            wchar_t cls[64] = {};
            GetClassNameW(w, cls, 64);
            if (lstrcmpiW(cls, L"tooltips_class32") == 0) reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The text of the tooltip on the screen, or "" when none shows.
std::wstring ShownTip() {
    for (HWND w : TipWindows()) {
        if (!IsWindowVisible(w)) continue;
        wchar_t text[512] = {};
        GetWindowTextW(w, text, 512);
        return text;
    }
    return {};
}

// Lets the IDE run until the tooltip shows `text` ("" for none; nullptr for
// any) or time is up; answers what shows then.
std::wstring TipAfter(const wchar_t* text, DWORD ms = 1500) {
    const DWORD end = GetTickCount() + ms;
    auto wanted = [&](const std::wstring& now) { return text ? now == text : !now.empty(); };
    std::wstring now = ShownTip();
    while (!wanted(now) && GetTickCount() < end) {
        IdeHost::Pump(20);
        now = ShownTip();
    }
    return now;
}
std::wstring TipAfter(const std::wstring& text) {
    return TipAfter(text.c_str());
}

void Mouse(DWORD flags, POINT p = {}) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    if (!flags) {
        in.mi.dx =
            static_cast<LONG>((p.x * 65536LL + GetSystemMetrics(SM_CXSCREEN) - 1) / GetSystemMetrics(SM_CXSCREEN));
        in.mi.dy =
            static_cast<LONG>((p.y * 65536LL + GetSystemMetrics(SM_CYSCREEN) - 1) / GetSystemMetrics(SM_CYSCREEN));
        flags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    }
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof(in));
    IdeHost::Pump(30);
}

class TipsAndList : public ::testing::Test {
protected:
    IdeHost ide;
    AddIn addin;
    std::vector<HWND> windows;  // in opening order

    void SetUp() override {
        test::ClearStoredSettings();
        auto& project = ide.Model().AddProject(L"Project1");
        ide.Model().SetActiveProject(&project);
        for (int i = 1; i <= 12; ++i) {
            const std::wstring name = L"Module" + std::to_wstring(i);
            project.AddComponent(name, idehost::vbext_ct_StdModule);
            windows.push_back(ide.OpenCodeWindow(L"Project1 - " + name + kCode));
        }
        ASSERT_EQ(addin.Connect(static_cast<IDispatch*>(&ide.Model()), ext_cm_AfterStartup), S_OK);
        IdeHost::Pump(80);
        ASSERT_TRUE(Bar().CanScrollRight() || Bar().CanScrollLeft()) << "the tabs must overflow the row";
    }
    void TearDown() override { addin.Disconnect(); }

    CMDITab& Bar() { return addin.Bar(); }
    std::int16_t TabOf(HWND w) { return Bar().Index(WindowKey(H(w))); }
    HWND WindowOf(std::int16_t i) {
        for (HWND w : windows)
            if (TabOf(w) == i) return w;
        return nullptr;
    }
    POINT ToScreen(int x, int y) {
        RECT rc{};
        GetWindowRect(ide.MdiClient(), &rc);
        return {rc.left + x, rc.top + y};
    }
    POINT Mid(const Rect& r) { return ToScreen((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
    POINT TabPoint(std::int16_t i) {
        Bar().LayoutBar(Bar().hClientWnd());
        Rect r = Bar().Tabs()[static_cast<size_t>(i)].rcTab;
        r.left -= Bar().ScrollPos();
        r.right -= Bar().ScrollPos();
        return Mid(r);
    }
    POINT ButtonPoint(std::int32_t b) {
        Bar().LayoutBar(Bar().hClientWnd());
        return Mid(Bar().ButtonBox(b));
    }
    bool FullyShown(std::int16_t i) {
        Bar().LayoutBar(Bar().hClientWnd());
        const Rect& r = Bar().Tabs()[static_cast<size_t>(i)].rcTab;
        return r.left - Bar().ScrollPos() >= Bar().BarRect().left &&
               r.right - Bar().ScrollPos() <= Bar().ButtonsRect().left;
    }
};

TEST_F(TipsAndList, TooltipsNameTabsAndButtonsAndKeepOutOfTheWay) {
    // The first tab's window, with a caption its tab cannot hold.
    const HWND first = WindowOf(0);
    const std::wstring longCaption =
        IdeHost::CaptionOf(first) + L" - \u9577\u3044\u540D\u524D\u306E\u30D7\u30ED\u30B8\u30A7\u30AF\u30C8";
    ASSERT_TRUE(ide.Retitle(first, longCaption));
    ide.Activate(first);
    IdeHost::Pump(80);
    ASSERT_EQ(TipWindows().size(), 1u);
    const HWND active = GetActiveWindow();

    Mouse(0, TabPoint(0));
    EXPECT_EQ(TipAfter(longCaption), longCaption);
    EXPECT_EQ(GetActiveWindow(), active);  // the tip takes no activation
    Mouse(0, TabPoint(1));
    const std::wstring nextCaption = IdeHost::CaptionOf(WindowOf(1));
    EXPECT_EQ(TipAfter(nextCaption), nextCaption);

    // Each button is named; pressing one (scrolling) takes the tip away.
    Mouse(0, ButtonPoint(kScrollRightButton));
    EXPECT_EQ(TipAfter(L"\u53F3\u3078\u30B9\u30AF\u30ED\u30FC\u30EB"), L"\u53F3\u3078\u30B9\u30AF\u30ED\u30FC\u30EB");
    Mouse(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(TipAfter(L"", 200), L"");
    IdeHost::Pump(300);
    Mouse(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(ShownTip(), L"");
    ASSERT_TRUE(Bar().CanScrollLeft());
    Mouse(0, ButtonPoint(kScrollLeftButton));
    EXPECT_EQ(TipAfter(L"\u5DE6\u3078\u30B9\u30AF\u30ED\u30FC\u30EB"), L"\u5DE6\u3078\u30B9\u30AF\u30ED\u30FC\u30EB");
    Mouse(0, ButtonPoint(kCloseButton));
    EXPECT_EQ(TipAfter(L"\u9589\u3058\u308B"), L"\u9589\u3058\u308B");

    // A press on a tab takes the tip away, and a drag shows none however long
    // the pointer rests.
    std::int16_t k = 0;
    while (k < Bar().Count() && !FullyShown(k)) ++k;
    ASSERT_LT(k, Bar().Count());
    Mouse(0, TabPoint(k));
    ASSERT_EQ(TipAfter(IdeHost::CaptionOf(WindowOf(k))), IdeHost::CaptionOf(WindowOf(k)));
    Mouse(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(TipAfter(L"", 200), L"");
    POINT p = TabPoint(k);
    for (int step = 0; step < 4; ++step) {
        p.x += 10;
        Mouse(0, p);
    }
    ASSERT_EQ(Bar().DragState(), kDragging);
    IdeHost::Pump(GetDoubleClickTime() + 300);
    EXPECT_EQ(ShownTip(), L"");
    Mouse(MOUSEEVENTF_LEFTUP);

    // Leaving the bar for the window below takes the tip away.
    Mouse(0, TabPoint(Bar().SelectedIndex()));
    ASSERT_NE(TipAfter(nullptr), L"");
    RECT client{};
    GetWindowRect(ide.MdiClient(), &client);
    Mouse(0, POINT{client.left + 100, client.bottom - 40});
    EXPECT_EQ(TipAfter(L""), L"");

    addin.Disconnect();
    EXPECT_TRUE(TipWindows().empty());
}

TEST_F(TipsAndList, WindowListJumpsToAScrolledOutWindow) {
    ide.Minimize(windows[0]);
    ide.Activate(windows.back());
    IdeHost::Pump(80);
    const std::int16_t target = TabOf(windows[0]);
    ASSERT_FALSE(FullyShown(target));
    ASSERT_TRUE(IsIconic(windows[0]));

    // The list as the open menu shows it.
    const HMENU list = addin.Impl().WindowListMenu();
    ASSERT_NE(list, nullptr);
    std::vector<std::wstring> titles;
    int checked = -1;
    std::atomic<bool> done{false};
    std::thread watch([&] {
        // Filled before the menu shows.
        while (!done && !IsWindowVisible(FindWindowW(L"#32768", nullptr))) Sleep(2);
        for (int k = 0; k < GetMenuItemCount(list); ++k) {
            wchar_t text[128] = {};
            GetMenuStringW(list, static_cast<UINT>(k), text, 128, MF_BYPOSITION);
            titles.push_back(text);
            if (GetMenuState(list, static_cast<UINT>(k), MF_BYPOSITION) & MF_CHECKED) checked = k;
        }
    });
    // Down to the list (the sixth line that takes a choice), open it, take
    // the target's entry.
    input::Sequence seq;
    seq.Click(TabPoint(Bar().SelectedIndex()), idehost::MouseButton::Right).Wait(300);
    for (int k = 0; k < 6; ++k) seq.Key(VK_DOWN);
    seq.Key(VK_RIGHT);
    for (int k = 0; k < target; ++k) seq.Key(VK_DOWN);
    seq.Key(VK_RETURN).Run();
    done = true;
    watch.join();
    IdeHost::Pump(100);

    std::vector<std::wstring> expected;
    for (std::int16_t i = 0; i < Bar().Count(); ++i) expected.push_back(Bar().Title(i));
    EXPECT_EQ(titles, expected);
    EXPECT_EQ(checked, TabOf(windows.back()));
    EXPECT_EQ(ide.ActiveChild(), windows[0]);
    EXPECT_FALSE(IsIconic(windows[0]));
    EXPECT_EQ(Bar().SelectedIndex(), target);
    EXPECT_TRUE(FullyShown(target));

    // Without tabs the list is grayed.
    ide.DestroyAllChildren();
    IdeHost::Pump(80);
    ASSERT_EQ(Bar().Count(), 0);
    std::thread esc([] {
        Sleep(150);
        input::Key(VK_ESCAPE);
    });
    EXPECT_EQ(addin.Impl().ShowTabMenu(-1), 0);
    esc.join();
    EXPECT_TRUE(GetMenuState(addin.Impl().Menu(), 7, MF_BYPOSITION) & MF_GRAYED);
}

}  // namespace
}  // namespace brisko
