// The bar on a real MDI client under the window system: the reserved strip,
// hit testing, pixels read back, real input and the client's notifications.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/win/handles.h"
#include "tabbar/fake_port_test.h"
#include "tabbar/win/tab_bar_port.h"
#include "winsvc/win/pump.h"

namespace brisko {
namespace {

using test::Pump;

// The MDI client's own procedure, counted: what the bar swallows never gets here.
WNDPROC g_mdiProc = nullptr;
std::vector<UINT> g_seen;
LRESULT CALLBACK CountingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if ((m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCXBUTTONDBLCLK))
        g_seen.push_back(m);
    return CallWindowProcA(g_mdiProc, h, m, w, l);
}
int Seen(UINT m) {
    int n = 0;
    for (UINT s : g_seen) n += s == m;
    return n;
}

using Seq = std::vector<std::string>;

class TabBarWin : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = GetSysColorBrush(COLOR_APPWORKSPACE);
        wc.lpszClassName = "BriskoTabBarTestFrame";
        RegisterClassA(&wc);
        WNDCLASSA child{};
        child.lpfnWndProc = DefMDIChildProcA;
        child.hInstance = GetModuleHandleA(nullptr);
        child.lpszClassName = "BriskoTabBarTestChild";
        RegisterClassA(&child);
    }

    void SetUp() override {
        frame.Reset(CreateWindowExA(0, "BriskoTabBarTestFrame", "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 700,
                                    560, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
        ASSERT_TRUE(frame);
        CLIENTCREATESTRUCT ccs{};
        ccs.idFirstChild = 100;
        mdi = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 50,
                              600, 400, frame.Get(), nullptr, GetModuleHandleA(nullptr), &ccs);
        ASSERT_TRUE(mdi);
        g_mdiProc =
            reinterpret_cast<WNDPROC>(SetWindowLongPtrA(mdi, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc)));
        SetForegroundWindow(frame.Get());
        Pump(50);
        bar = CreateTabBar();
        sink.points = false;
        bar->SetEvents(&sink);
    }
    void TearDown() override {
        bar.reset();
        frame.Reset();
        Pump(20);
    }

    void Attach(int tabs, std::int16_t selected = -1) {
        for (int i = 0; i < tabs; ++i) bar->AddTab(-1, L"#" + std::to_wstring(i), L"Form" + std::to_wstring(i), true);
        if (selected >= 0) bar->SetSelectedIndex(selected);
        bar->Attach(FromHwnd(mdi));
        Pump(30);
        sink.ev.clear();
        g_seen.clear();
    }
    RECT ClientInParent() const {
        RECT r{};
        GetClientRect(mdi, &r);
        MapWindowPoints(mdi, frame.Get(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    // A point in the MDI client's window coordinates (the bar's) on the screen.
    POINT Screen(int x, int y) const {
        RECT w{};
        GetWindowRect(mdi, &w);
        return POINT{w.left + x, w.top + y};
    }
    COLORREF Pixel(int x, int y) const {
        WindowDC dc(mdi, true);
        return GetPixel(dc.Get(), x, y);
    }
    void Paint() {
        bar->ForceRefresh();
        Pump(30);
    }

    static void Input(DWORD flags, POINT p, DWORD data = 0) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
        in.mi.dx = MulDiv(p.x, 65535, w - 1);
        in.mi.dy = MulDiv(p.y, 65535, h - 1);
        in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
        in.mi.mouseData = data;
        SendInput(1, &in, sizeof(in));
        Pump(40);
    }
    void MoveTo(int x, int y) { Input(0, Screen(x, y)); }
    void Down(int x, int y) { Input(MOUSEEVENTF_LEFTDOWN, Screen(x, y)); }
    void Up(int x, int y) { Input(MOUSEEVENTF_LEFTUP, Screen(x, y)); }
    void Click(int x, int y) {
        Down(x, y);
        Up(x, y);
    }
    static void Key(WORD vk, WORD scan) {
        INPUT in[2]{};
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki.wVk = in[1].ki.wVk = vk;
        in[0].ki.wScan = in[1].ki.wScan = scan;
        in[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, in, sizeof(INPUT));
        Pump(60);
    }

    UniqueWindow frame;
    HWND mdi = nullptr;
    test::TabEvents sink;
    std::unique_ptr<CMDITab> bar;
};

TEST_F(TabBarWin, StripIsReservedAndReleased) {
    Attach(0);
    EXPECT_EQ(GetWindowLongPtrA(mdi, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE), 0);
    EXPECT_EQ(GetClassLongPtrA(mdi, GCL_STYLE), static_cast<ULONG_PTR>(CS_DBLCLKS));
    struct Case {
        std::int32_t align;
        bool visible;
        RECT client;
    } cases[] = {{0, true, {2, 79, 598, 448}}, {1, true, {2, 52, 598, 421}}, {0, false, {2, 52, 598, 448}}};
    for (const auto& c : cases) {
        bar->SetAlign(c.align);
        bar->SetVisible(c.visible);
        Pump(20);
        const RECT r = ClientInParent();
        EXPECT_TRUE(EqualRect(&r, &c.client)) << c.align << c.visible;
    }
    // A bare-rectangle WM_NCCALCSIZE is the window's own business.
    RECT single{0, 50, 600, 450};
    SendMessageA(mdi, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&single));
    EXPECT_EQ(single.top, 50);

    bar->Detach();
    Pump(20);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(mdi, GWLP_WNDPROC)), &CountingProc);
    const RECT r = ClientInParent();
    EXPECT_EQ(r.top, 50);  // no strip, no client edge (not restored)
    EXPECT_EQ(r.bottom, 450);
    EXPECT_EQ(bar->hClientWnd(), 0);
}

TEST_F(TabBarWin, PixelsOfFrameBackgroundTabsAndButtons) {
    Attach(3, 1);
    Paint();
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT),
                   dark = GetSysColor(COLOR_3DDKSHADOW), face = GetSysColor(COLOR_BTNFACE),
                   window = GetSysColor(COLOR_WINDOW), text = GetSysColor(COLOR_BTNTEXT);
    const COLORREF background = bar->BlendColor(0x8000000F, 0x80000005, 45);
    const COLORREF dim = bar->BlendColor(0x80000012, 0x80000005, 90);
    struct Case {
        const char* what;
        int x, y;
        COLORREF color;
    } cases[] = {
        {"outer frame left", 0, 200, shadow},
        {"outer frame right", 599, 200, light},
        {"inner frame left", 1, 200, dark},
        {"inner frame right", 598, 200, face},
        {"background", 450, 10, background},
        {"edge below the bar", 450, 26, dark},
        {"light edge", 450, 27, GetSysColor(COLOR_3DLIGHT)},
        {"separator after tab 2", 362, 12, shadow},
        {"no separator before the selected tab", 122, 12, background},
        {"selected fill", 127, 25, window},
        {"selected fill covers the edge line", 200, 26, window},
        {"selected outline left", 123, 12, text},
        {"selected outline right", 242, 12, text},
        {"above the selected tab", 180, 2, background},
    };
    for (const auto& c : cases) EXPECT_EQ(Pixel(c.x, c.y), c.color) << c.what;

    // Scroll buttons: nothing to scroll, so their glyphs are dimmed; the
    // close button (a visible tab exists) is drawn in the text colour.
    auto count = [&](const RECT& box, COLORREF color) {
        int n = 0;
        WindowDC dc(mdi, true);
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x) n += GetPixel(dc.Get(), x, y) == color;
        return n;
    };
    const RECT left{539, 6, 555, 22}, right{557, 6, 573, 22}, close{578, 6, 596, 22};
    EXPECT_GT(count(left, dim), 0);
    EXPECT_EQ(count(left, text), 0);
    EXPECT_GT(count(right, dim), 0);
    EXPECT_GT(count(close, text), 0);
    EXPECT_EQ(count(close, dim), 0);
    bar->SetEnable(false);
    Pump(30);
    EXPECT_GT(count(close, dim), 0);
    EXPECT_EQ(count(close, text), 0);
}

TEST_F(TabBarWin, ClicksAndDoubleClicksNeverReachTheClient) {
    Attach(3, 0);
    Click(180, 15);
    EXPECT_EQ(sink.Take(false), (Seq{"TabMouseDown 1 1", "Changed 1 0 2", "TabBarMouseUp 1 1", "TabBarClick 1 1",
                                     "TabMouseUp 1 1", "TabClick 1 1"}));
    EXPECT_EQ(Seen(WM_LBUTTONDOWN) + Seen(WM_LBUTTONUP), 0);
    EXPECT_EQ(GetCapture(), nullptr);

    Pump(GetDoubleClickTime() + 50);  // the next click starts afresh
    Click(180, 15);
    Click(180, 15);  // within the double-click time
    Seq dbl = sink.Take(false);
    ASSERT_EQ(dbl.size(), 10u);
    EXPECT_EQ(dbl[5], "TabDblClick 1 1");
    EXPECT_EQ(dbl[9], "TabClick 1 1");
    EXPECT_EQ(Seen(WM_LBUTTONDBLCLK), 0);

    // Below the strip the window is the window's own: the bar answers its
    // hit test with HTBORDER, so the click arrives there as a frame click.
    Click(300, 200);
    EXPECT_TRUE(sink.Take(false).empty());
    EXPECT_EQ(Seen(WM_NCLBUTTONDOWN), 1);
    EXPECT_EQ(Seen(WM_LBUTTONDOWN), 0);
}

TEST_F(TabBarWin, DragAndEscape) {
    Attach(4, 0);
    Down(50, 15);
    MoveTo(70, 15);
    MoveTo(180, 15);  // over tab 1: moves there
    MoveTo(300, 15);  // over tab 2
    EXPECT_EQ(GetCapture(), mdi);
    Key(VK_ESCAPE, 0x01);
    EXPECT_EQ(sink.Take(false), (Seq{"TabMouseDown 0 1", "StartDrag 0 0", "Exchange 0 1", "Changed 0 1 3",
                                     "Exchange 1 2", "Changed 1 2 3", "CancelDrag 2"}));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(bar->Key(2), L"#0");
    Up(300, 15);
    Seq up = sink.Take(false);
    EXPECT_EQ(up.front(), "TabBarMouseUp 2 1");  // an ordinary release now

    EXPECT_EQ(Seen(WM_LBUTTONDOWN) + Seen(WM_LBUTTONUP), 0);
}

TEST_F(TabBarWin, ButtonLooksFollowHoverAndPress) {
    Attach(2, 0);
    Paint();
    const COLORREF lit = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_3DDKSHADOW);
    const COLORREF background = bar->BlendColor(0x8000000F, 0x80000005, 45);
    // The close box is (578, 6, 596, 22): top-left and bottom-right corners.
    struct Look {
        COLORREF topLeft, bottomRight;
    };
    auto look = [&] { return Look{Pixel(578, 8), Pixel(595, 21)}; };
    MoveTo(450, 14);
    MoveTo(586, 14);  // hovered: raised
    EXPECT_EQ(bar->HotButton(), kCloseButton);
    EXPECT_EQ(look().topLeft, lit);
    EXPECT_EQ(look().bottomRight, dark);
    Down(586, 14);  // pressed: sunken
    EXPECT_EQ(look().topLeft, dark);
    EXPECT_EQ(look().bottomRight, lit);
    MoveTo(450, 14);  // pressed but the pointer left: flat
    EXPECT_EQ(look().topLeft, background);
    MoveTo(587, 15);  // back: sunken again
    EXPECT_EQ(look().topLeft, dark);
    Up(450, 14);  // released elsewhere: nothing closes, flat
    EXPECT_EQ(bar->Count(), 2);
    EXPECT_EQ(look().topLeft, background);
    // Leaving the window clears the hover look.
    MoveTo(586, 14);
    EXPECT_EQ(look().topLeft, lit);
    MoveTo(300, -30);
    // The system notices the leaving on its own tracking timer.
    Pump(1000, [&] { return bar->HotButton() == kNoButton; });
    EXPECT_EQ(bar->HotButton(), kNoButton);
    EXPECT_EQ(look().topLeft, background);
    EXPECT_TRUE(sink.Take(false).empty());
}

// The auto-repeat timer runs through the message loop while the button is held.
TEST_F(TabBarWin, ScrollButtonRepeatsWhileHeld) {
    Attach(10, 0);
    Paint();
    Down(565, 14);
    Pump(1000, [&] { return bar->ScrollPos() >= 40; });
    EXPECT_GE(bar->ScrollPos(), 40);
    Up(565, 14);
    EXPECT_EQ(GetCapture(), nullptr);
    const std::int16_t released = bar->ScrollPos();
    Pump(60);
    EXPECT_EQ(bar->ScrollPos(), released);
    EXPECT_TRUE(sink.Take(false).empty());
}

}  // namespace
}  // namespace brisko
