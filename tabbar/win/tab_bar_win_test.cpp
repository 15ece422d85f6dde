// The bar on a real MDI client under the window system: the reserved strip,
// pixels read back and real input. The rules behind them are tested natively.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "common/win/handles.h"
#include "tabbar/fake_services_test.h"
#include "tabbar/win/bar_messages.h"
#include "tabbar/win/tabbar_paint_host.h"
#include "testing/pump.h"

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
    return static_cast<int>(std::count(g_seen.begin(), g_seen.end(), m));
}

class TabBarWin : public ::testing::Test, protected test::PaintHost {
protected:
    TabBarWin() : PaintHost(3, kWidthFixed) {}
    // The bar goes on top of the counting procedure, as it goes on top of the IDE's.
    void SetUp() override {
        bar->Detach();
        g_mdiProc =
            reinterpret_cast<WNDPROC>(SetWindowLongPtrA(mdi, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc)));
        sink.dragOvers = false;
        bar->SetEvents(&sink);
        bar->Attach(FromHwnd(mdi));
        SetForegroundWindow(frame.Get());
        Pump(50);
    }

    RECT ClientInParent() const {
        RECT r{};
        GetClientRect(mdi, &r);
        MapWindowPoints(mdi, frame.Get(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    COLORREF Pixel(int x, int y) const {
        WindowDC dc(mdi, DcArea::WholeWindow);
        return GetPixel(dc.Get(), x, y);
    }
    // The mouse at a point in the MDI client's window coordinates (the bar's).
    void Mouse(DWORD flags, int x, int y) const {
        RECT w{};
        GetWindowRect(mdi, &w);
        mouse_event(flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE,
                    MulDiv(w.left + x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1),
                    MulDiv(w.top + y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1), 0, 0);
        Pump(40);
    }
    void MoveTo(int x, int y) { Mouse(0, x, y); }
    void Down(int x, int y) { Mouse(MOUSEEVENTF_LEFTDOWN, x, y); }
    void Up(int x, int y) { Mouse(MOUSEEVENTF_LEFTUP, x, y); }
    void Click(int x, int y) {
        Down(x, y);
        Up(x, y);
    }

    test::TabEvents sink;
};

// One bar through its life on a real MDI client: the strip reserved, the bar
// painted into it, real clicks, a drag cancelled by the real Esc key, the
// buttons' looks under the pointer, the auto-repeat timer, and Detach. The
// bar's mouse messages never reach the client's own procedure.
TEST_F(TabBarWin, StripPixelsAndRealInput) {
    EXPECT_EQ(GetWindowLongPtrA(mdi, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE), 0);
    EXPECT_EQ(GetClassLongPtrA(mdi, GCL_STYLE), static_cast<ULONG_PTR>(CS_DBLCLKS));
    RECT client = ClientInParent(), expected{2, 79, 598, 448};
    EXPECT_TRUE(EqualRect(&client, &expected));
    // A bare-rectangle WM_NCCALCSIZE is the window's own business.
    RECT single{0, 50, 600, 450};
    SendMessageA(mdi, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&single));
    EXPECT_EQ(single.top, 50);

    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), lit = GetSysColor(COLOR_BTNHIGHLIGHT),
                   dark = GetSysColor(COLOR_3DDKSHADOW), text = GetSysColor(COLOR_BTNTEXT);
    const COLORREF background = bar->BlendColor(0x8000000F, 0x80000005, 45);
    const COLORREF dim = bar->BlendColor(0x80000012, 0x80000005, 90);
    for (auto [what, x, y, color] : {std::tuple{"outer frame left", 0, 200, shadow},
                                     {"outer frame right", 599, 200, lit},
                                     {"inner frame left", 1, 200, dark},
                                     {"background", 450, 10, background},
                                     {"edge below the bar", 450, 26, dark},
                                     {"separator after tab 2", 362, 12, shadow},
                                     {"no separator before the selected tab", 122, 12, background},
                                     {"selected fill covers the edge line", 200, 26, GetSysColor(COLOR_WINDOW)},
                                     {"selected outline left", 123, 12, text}})
        EXPECT_EQ(Pixel(x, y), color) << what;
    // Nothing to scroll: the scroll glyphs are dimmed; the close button (a
    // visible tab exists) is drawn in the text colour until the bar is disabled.
    auto count = [&](const RECT& box, COLORREF color) {
        int n = 0;
        WindowDC dc(mdi, DcArea::WholeWindow);
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x) n += GetPixel(dc.Get(), x, y) == color;
        return n;
    };
    const RECT left{539, 6, 555, 22}, close{578, 6, 596, 22};
    EXPECT_GT(count(left, dim), 0);
    EXPECT_EQ(count(left, text), 0);
    EXPECT_GT(count(close, text), 0);

    for (int i = 3; i < 10; ++i) bar->AddTab(-1, L"#" + std::to_wstring(i), L"Form", true);
    Pump(30);
    sink.Take();
    g_seen.clear();
    Click(300, 15);
    EXPECT_EQ(sink.Take(),
              "TabMouseDown 2 1, Changed 2 1 2, TabBarMouseUp 2 1, TabBarClick 2 1, TabMouseUp 2 1, TabClick 2 1");
    Click(300, 15);  // within the double-click time
    EXPECT_EQ(sink.Take(), "TabDblClick 2 1, TabBarMouseUp 2 1, TabBarClick 2 1, TabMouseUp 2 1, TabClick 2 1");
    // Below the strip the window is the window's own: the bar answers its
    // hit test with HTBORDER, so the click arrives there as a frame click.
    Click(300, 200);
    EXPECT_EQ(sink.Take(), "");
    EXPECT_EQ(Seen(WM_NCLBUTTONDOWN), 1);

    Down(300, 15);
    MoveTo(320, 15);
    MoveTo(420, 15);  // over tab 3: moves there
    EXPECT_EQ(GetCapture(), mdi);
    keybd_event(VK_ESCAPE, 0x01, 0, 0);
    keybd_event(VK_ESCAPE, 0x01, KEYEVENTF_KEYUP, 0);
    Pump(60);
    EXPECT_EQ(sink.Take(), "TabMouseDown 2 1, StartDrag 2 0, Exchange 2 3, Changed 2 3 3, CancelDrag 3");
    EXPECT_EQ(GetCapture(), nullptr);
    Up(420, 15);
    EXPECT_EQ(sink.Take().rfind("TabBarMouseUp 3 1", 0), 0u);  // an ordinary release now
    EXPECT_EQ(Seen(WM_LBUTTONDOWN) + Seen(WM_LBUTTONUP) + Seen(WM_LBUTTONDBLCLK), 0);

    // The close box by its top-left and bottom-right corners.
    MoveTo(586, 14);  // hovered: raised
    EXPECT_EQ(Pixel(578, 8), lit);
    EXPECT_EQ(Pixel(595, 21), dark);
    Down(586, 14);  // pressed: sunken
    EXPECT_EQ(Pixel(578, 8), dark);
    EXPECT_EQ(Pixel(595, 21), lit);
    Up(450, 14);  // released elsewhere: flat
    EXPECT_EQ(Pixel(578, 8), background);
    MoveTo(586, 14);
    MoveTo(300, -30);  // the system notices the leaving on its own tracking timer
    Pump(1000, [&] { return test::TabBarProbe::HotButton(*bar) == kNoButton; });
    EXPECT_EQ(Pixel(578, 8), background);

    Down(565, 14);  // the scroll-right button, held
    Pump(1000, [&] { return bar->ScrollPos() >= 40; });
    EXPECT_GE(bar->ScrollPos(), 40);
    Up(565, 14);
    const std::int16_t released = bar->ScrollPos();
    Pump(60);
    EXPECT_EQ(bar->ScrollPos(), released);
    EXPECT_EQ(sink.Take(), "");

    bar->SetEnable(false);
    Pump(30);
    EXPECT_GT(count(close, dim), 0);
    EXPECT_EQ(count(close, text), 0);
    bar->Detach();
    Pump(20);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(mdi, GWLP_WNDPROC)), &CountingProc);
    client = ClientInParent();
    EXPECT_EQ(client.top, 50);  // no strip, no client edge (not restored)
    EXPECT_EQ(client.bottom, 450);
}

// Each watched message read once into the bar's typed input, and the bar's
// answers as the window's results.
TEST(BarMessages, ReadIntoTypedInput) {
    using Kind = BarInputKind;
    const HWND wnd = reinterpret_cast<HWND>(0x55);
    const struct {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        BarInput in;  // phase and window aside
    } cases[] = {
        {WM_RBUTTONUP, 0, MAKELPARAM(-3, 40), {.kind = Kind::ButtonUp, .button = kRightButton, .point = {-3, 40}}},
        {WM_MBUTTONDOWN, 0, MAKELPARAM(5, 6), {.kind = Kind::ButtonDown, .button = kMiddleButton, .point = {5, 6}}},
        {WM_XBUTTONDOWN, MAKEWPARAM(0, XBUTTON1), 0, {.kind = Kind::ButtonDown, .button = kXButton1}},
        {WM_XBUTTONUP, MAKEWPARAM(0, XBUTTON2), 0, {.kind = Kind::ButtonUp, .button = kXButton2}},
        {WM_XBUTTONDBLCLK, 0, 0, {.kind = Kind::DoubleClick}},  // names neither X button
        {WM_MOUSEMOVE, 0x10000, MAKELPARAM(7, -8), {.kind = Kind::MouseMove, .point = {7, -8}, .keys = 0x10000}},
        {WM_MOUSEWHEEL,
         0xFF880008,
         MAKELPARAM(148, 371),
         {.kind = Kind::Wheel, .point = {148, 371}, .keys = 8, .wheelDelta = -120}},
        {WM_SIZE, 0, static_cast<LPARAM>(0xFFFE0258u), {.kind = Kind::Resized, .point = {600, -2}}},
        {WM_PARENTNOTIFY, WM_CREATE, 4242, {.kind = Kind::ChildCreated, .child = 4242}},
        {WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, 7), 4243, {.kind = Kind::ChildDestroyed, .child = 4243}},
        {WM_PARENTNOTIFY, WM_LBUTTONDOWN, 4244, {.kind = Kind::Other, .child = 4244}},
        {WM_MDIACTIVATE, 777, 0, {.kind = Kind::ChildActivated, .child = 777}},
        {WM_NCPAINT, 1, 0, {.kind = Kind::Painted}},
        {WM_NCHITTEST, 0, MAKELPARAM(-100, 20), {.kind = Kind::HitTest, .point = {-100, 20}}},
        {WM_SETTEXT, 0, 0, {.kind = Kind::Other}},
    };
    const auto fields = [](const BarInput& in) {
        return std::tuple(in.kind, in.button, in.point, in.keys, in.wheelDelta, in.child);
    };
    for (const auto& c : cases) {
        const BarInput in = ReadBarInput(MsgPhase::Before, wnd, c.message, c.wParam, c.lParam);
        EXPECT_EQ(std::tuple(in.phase, in.window), std::tuple(MsgPhase::Before, FromHwnd(wnd)));
        EXPECT_EQ(fields(in), fields(c.in)) << std::hex << c.message;
    }
    EXPECT_EQ(ReadBarInput(MsgPhase::After, wnd, WM_LBUTTONDOWN, 0, MAKELPARAM(-1, -1)).PackedPoint(), -1);
    for (auto [answer, result] : {std::pair{BarAnswer::Unchanged, 9},
                                  {BarAnswer::Zero, 0},
                                  {BarAnswer::HitClient, HTCLIENT},
                                  {BarAnswer::HitBorder, HTBORDER}})
        EXPECT_EQ(AnswerResult(answer, 9), result);
}

}  // namespace
}  // namespace brisko
