// The bar's tooltip and the context menu's list of windows, end to end:
// more tabs than the row holds, driven with real input.

#include <thread>

#include "tests/addin_fixture.h"

namespace brisko {
namespace {

using idehost::IdeHost;
namespace input = idehost::input;

// The text of the bar's tooltip while it shows, "" otherwise.
std::wstring ShownTip() {
    wchar_t text[512] = {};
    const HWND tip = FindWindowW(L"tooltips_class32", nullptr);
    if (tip && IsWindowVisible(tip)) GetWindowTextW(tip, text, 512);
    return text;
}

// Lets the IDE run until the tooltip shows `text` ("" for none) or time is
// up; answers what shows then.
std::wstring TipAfter(const std::wstring& text, DWORD ms = 1500) {
    const DWORD end = GetTickCount() + ms;
    std::wstring now = ShownTip();
    for (; now != text && GetTickCount() < end; now = ShownTip()) IdeHost::Pump(20);
    return now;
}

class TipsAndList : public test::IdeScenario {
protected:
    void SetUp() override {
        IdeScenario::SetUp();
        for (int i = 1; i <= 12; ++i) OpenModule(L"Module" + std::to_wstring(i));
        Connect();
        ASSERT_TRUE(Bar().CanScrollRight() || Bar().CanScrollLeft()) << "the tabs must overflow the row";
    }
};

TEST_F(TipsAndList, TooltipShowsTheWholeCaptionWithoutTakingActivationAndGoesWithThePointer) {
    const HWND first = windows.back();  // the first tab's
    const std::wstring longCaption =
        IdeHost::CaptionOf(first) + L" - \u9577\u3044\u540D\u524D";  // more than the tab holds
    ASSERT_TRUE(ide.Retitle(first, longCaption));
    ide.Activate(first);
    Settle();
    const HWND active = GetActiveWindow();
    input::MoveTo(TabPoint(0));
    EXPECT_EQ(TipAfter(longCaption), longCaption);
    EXPECT_EQ(GetActiveWindow(), active);  // the tip takes no activation

    // Leaving the bar for the window below takes the tip away; so does disconnection.
    input::MoveTo(TabPoint(Bar().SelectedIndex()));
    ASSERT_NE(TipAfter(IdeHost::CaptionOf(ide.ActiveChild())), L"");
    RECT client{};
    GetWindowRect(ide.MdiClient(), &client);
    input::MoveTo({client.left + 100, client.bottom - 40});
    EXPECT_EQ(TipAfter(L""), L"");
    ASSERT_NE(FindWindowW(L"tooltips_class32", nullptr), nullptr);
    addin.Disconnect();
    EXPECT_EQ(FindWindowW(L"tooltips_class32", nullptr), nullptr);
}

TEST_F(TipsAndList, WindowListJumpsToAScrolledOutWindow) {
    ide.Minimize(windows[0]);
    ide.Activate(windows.back());
    Settle();
    const std::int16_t target = TabOf(windows[0]);
    ASSERT_FALSE(FullyShown(target));

    // Down to the list (the sixth line that takes a choice), open it, take the target's entry.
    std::vector<WORD> keys(6, VK_DOWN);
    keys.push_back(VK_RIGHT);
    keys.insert(keys.end(), static_cast<size_t>(target), VK_DOWN);
    input::Sequence seq;
    seq.Click(TabPoint(Bar().SelectedIndex()), idehost::MouseButton::Right).Wait(300);
    for (WORD key : keys) seq.Key(key);
    seq.Key(VK_RETURN).Run();
    Settle();

    EXPECT_EQ(ide.ActiveChild(), windows[0]);
    EXPECT_FALSE(IsIconic(windows[0]));
    EXPECT_EQ(Bar().SelectedIndex(), target);
    EXPECT_TRUE(FullyShown(target));

    // Without tabs the list is grayed.
    ide.DestroyAllChildren();
    Settle();
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
