// The bar's tooltip and the context menu's list of windows, end to end:
// more tabs than the row holds, driven with real input.
#include "tests/addin_fixture.h"

namespace brisko {
namespace {

using idehost::IdeHost;
using test::TipAfter;
namespace input = test::input;

using TipsAndList = test::IdeScenario;

TEST_F(TipsAndList, TheTipShowsTheWholeCaptionAndTheListJumpsToAScrolledOutWindow) {
    for (int i = 1; i <= 12; ++i) OpenModule(L"Module" + std::to_wstring(i));
    Connect();
    // The tip shows a caption longer than the tab holds, without taking
    // activation; leaving the bar takes it away.
    const HWND first = windows.back();  // the first tab's
    const std::wstring longCaption = IdeHost::CaptionOf(first) + L" - \u9577\u3044\u540D\u524D";
    ASSERT_TRUE(ide.Retitle(first, longCaption));
    Settle();
    const HWND active = GetActiveWindow();
    input::MoveTo(TabPoint(0));
    EXPECT_EQ(TipAfter(longCaption), longCaption);
    EXPECT_EQ(GetActiveWindow(), active);
    input::MoveTo(ToScreen(100, Bar().BarRect().bottom + 60));  // over the window below
    EXPECT_EQ(TipAfter(L""), L"");

    ide.Minimize(windows[0]);
    ide.Activate(first);
    Settle();
    const std::int16_t target = TabOf(windows[0]);
    const auto fullyShown = [&] {
        const Rect r = TabRect(target);
        return r.left >= Bar().BarRect().left && r.right <= Bar().ButtonsRect().left;
    };
    ASSERT_FALSE(fullyShown()) << "the tabs must overflow the row";
    // Down to the list (the sixth line that takes a choice), open it, take the target's entry.
    std::vector<WORD> keys(6, VK_DOWN);
    keys.push_back(VK_RIGHT);
    keys.insert(keys.end(), static_cast<size_t>(target), VK_DOWN);
    keys.push_back(VK_RETURN);
    Choose(Bar().SelectedIndex(), keys);
    EXPECT_EQ(ide.ActiveChild(), windows[0]);
    EXPECT_FALSE(IsIconic(windows[0]));
    EXPECT_EQ(Bar().SelectedIndex(), target);
    EXPECT_TRUE(fullyShown());

    // Without tabs the list is grayed.
    ide.DestroyAllChildren();
    Settle();
    const test::TickAction leave([] { return EndMenu() != FALSE; });
    EXPECT_EQ(addin.Impl().ShowTabMenu(-1), 0);
    EXPECT_TRUE(GetMenuState(addin.Impl().Menu(), 7, MF_BYPOSITION) & MF_GRAYED);
}

}  // namespace
}  // namespace brisko
