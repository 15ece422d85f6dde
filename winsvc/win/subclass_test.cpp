#include "winsvc/subclass.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/win/handles.h"
#include "winsvc/win/pump.h"
#include "winsvc/win/slot_pool.h"

namespace brisko {
namespace {

constexpr UINT kMsgA = WM_APP + 1, kMsgB = WM_APP + 2, kMsgC = WM_APP + 3;

struct Seen {
    HWND hWnd;
    UINT uMsg;
    WPARAM wParam;
    LPARAM lParam;
};

// Messages of the WM_APP range that reached the window's own procedure,
// which answers 1000 plus the offset of the message in that range.
std::vector<Seen> g_base;

LRESULT CALLBACK BaseProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m >= WM_APP && m < WM_APP + 100) {
        g_base.push_back({h, m, w, l});
        return 1000 + static_cast<LRESULT>(m - WM_APP);
    }
    return DefWindowProcA(h, m, w, l);
}

struct OwnerCall {
    bool bBefore;
    std::intptr_t lReturnIn;
    WindowHandle hWnd;
    std::uint32_t uMsg;
};

struct Owner : iSubclass {
    std::vector<OwnerCall> calls;
    std::function<void(bool, bool&, std::intptr_t&, WindowHandle&, std::uint32_t&, std::uintptr_t&, std::intptr_t&)>
        react;

    void iSubclass_Proc(bool bBefore, bool& bHandled, std::intptr_t& lReturn, WindowHandle& hWnd, std::uint32_t& uMsg,
                        std::uintptr_t& wParam, std::intptr_t& lParam) override {
        calls.push_back({bBefore, lReturn, hWnd, uMsg});
        if (react) react(bBefore, bHandled, lReturn, hWnd, uMsg, wParam, lParam);
    }
    std::size_t Count(std::uint32_t uMsg, bool bBefore) const {
        std::size_t n = 0;
        for (const OwnerCall& c : calls) n += c.uMsg == uMsg && c.bBefore == bBefore;
        return n;
    }
};

class SubclassTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_base.clear();
        m_wnd.Reset(NewWindow());
        ASSERT_TRUE(m_wnd);
    }
    static HWND NewWindow() { return test::NewTestWindow("BriskoSubclassTest", BaseProc); }
    void TearDown() override {
        m_wnd.Reset();
        // Every dispatcher slot comes back: detached, collapsed pass-through
        // or released with its window.
        EXPECT_EQ(winsvc_detail::SubclassSlotsInUse(), 0);
    }
    HWND Wnd() const { return m_wnd.Get(); }
    WindowHandle H() const { return FromHwnd(m_wnd.Get()); }
    LRESULT Send(UINT m, WPARAM w = 0, LPARAM l = 0) { return SendMessageA(Wnd(), m, w, l); }
    LONG_PTR CurrentProc() const { return GetWindowLongPtrA(Wnd(), GWLP_WNDPROC); }

    UniqueWindow m_wnd;
};

TEST_F(SubclassTest, PhasesHandledResultsAndRewrittenMessages) {
    using React = std::function<void(CSubclass&, bool, bool&, std::intptr_t&, std::uint32_t&, std::uintptr_t&)>;
    struct Case {
        const char* what;
        std::uint32_t when;
        React react;
        LRESULT result;
        std::vector<UINT> reachedBase;
        std::size_t calls;
    };
    const Case cases[] = {
        {"after phase sees and replaces the result",
         kMsgAfter,
         [](CSubclass&, bool, bool&, std::intptr_t& r, std::uint32_t&, std::uintptr_t&) { r = 77; },
         77,
         {kMsgA},
         1},
        {"an unhandled before phase's result is overwritten",
         kMsgBefore,
         [](CSubclass&, bool, bool&, std::intptr_t& r, std::uint32_t&, std::uintptr_t&) { r = 5; },
         1001,
         {kMsgA},
         1},
        {"handled before skips the procedure and the after phase",
         kMsgBeforeAndAfter,
         [](CSubclass&, bool before, bool& handled, std::intptr_t& r, std::uint32_t&, std::uintptr_t&) {
             handled = before;
             r = 5;
         },
         5,
         {},
         1},
        {"the before phase rewrites the message",
         kMsgBefore,
         [](CSubclass&, bool, bool&, std::intptr_t&, std::uint32_t& m, std::uintptr_t& w) {
             m = kMsgB;
             w = 11;
         },
         1002,
         {kMsgB},
         1},
        {"CallOrigWndProc runs the previous procedure",
         kMsgBefore,
         [](CSubclass& sc, bool, bool& handled, std::intptr_t& r, std::uint32_t&, std::uintptr_t&) {
             r = sc.CallOrigWndProc(kMsgC, 5, 6) + 1;
             handled = true;
         },
         1004,
         {kMsgC},
         1},
        {"a throwing owner leaves the message as it came",
         kMsgBeforeAndAfter,
         [](CSubclass&, bool, bool& handled, std::intptr_t& r, std::uint32_t& m, std::uintptr_t&) {
             handled = true;
             r = 5;
             m = kMsgC;
             throw std::runtime_error("owner failed");
         },
         1001,
         {kMsgA},
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_base.clear();
        Owner owner;
        CSubclass sc;
        sc.AddMsg(kMsgA, c.when);
        ASSERT_TRUE(sc.SubClass(H(), &owner));
        owner.react = [&](bool before, bool& handled, std::intptr_t& r, WindowHandle&, std::uint32_t& m,
                          std::uintptr_t& w, std::intptr_t&) { c.react(sc, before, handled, r, m, w); };
        EXPECT_EQ(Send(kMsgA, 1, 2), c.result);
        std::vector<UINT> reached;
        for (const Seen& seen : g_base) reached.push_back(seen.uMsg);
        EXPECT_EQ(reached, c.reachedBase);
        ASSERT_EQ(owner.calls.size(), c.calls);
        EXPECT_EQ(owner.calls[0].bBefore, c.when != kMsgAfter);
        EXPECT_EQ(owner.calls[0].lReturnIn, c.when == kMsgAfter ? 1001 : 0);
        EXPECT_EQ(owner.calls[0].hWnd, H());
        if (c.reachedBase == std::vector<UINT>{kMsgB}) {
            EXPECT_EQ(g_base[0].wParam, 11u);
        }
    }
    // Messages nobody registered pass untouched, sent or posted.
    g_base.clear();
    Owner owner;
    CSubclass sc;
    sc.AddMsg(kMsgA, kMsgAfter);
    ASSERT_TRUE(sc.SubClass(H(), &owner));
    EXPECT_EQ(Send(kMsgB, 1, 2), 1002);
    PostMessageA(Wnd(), kMsgC, 3, 4);
    test::Pump(0);
    ASSERT_EQ(g_base.size(), 2u);
    EXPECT_EQ(g_base[1].lParam, 4);
    EXPECT_TRUE(owner.calls.empty());
}

TEST_F(SubclassTest, NestedSendFromCallbackIsDispatchedOnItsOwn) {
    Owner owner;
    CSubclass sc;
    sc.AddMsg(kMsgA, kMsgBeforeAndAfter);
    sc.AddMsg(kMsgB, kMsgBefore);
    ASSERT_TRUE(sc.SubClass(H(), &owner));
    LRESULT nested = 0;
    owner.react = [&](bool bBefore, bool& bHandled, std::intptr_t& lReturn, WindowHandle& hWnd, std::uint32_t& uMsg,
                      std::uintptr_t&, std::intptr_t&) {
        if (uMsg == kMsgA && bBefore) {
            nested = SendMessageA(ToHwnd(hWnd), kMsgB, 0, 0);
        } else if (uMsg == kMsgB) {
            bHandled = true;
            lReturn = 9;
        }
    };
    EXPECT_EQ(Send(kMsgA), 1001);
    EXPECT_EQ(nested, 9);
    ASSERT_EQ(owner.calls.size(), 3u);
    EXPECT_EQ(owner.calls[0].uMsg, kMsgA);
    EXPECT_EQ(owner.calls[1].uMsg, kMsgB);
    EXPECT_FALSE(owner.calls[2].bBefore);
    EXPECT_EQ(owner.calls[2].lReturnIn, 1001);
    ASSERT_EQ(g_base.size(), 1u);
    EXPECT_EQ(g_base[0].uMsg, kMsgA);
}

TEST_F(SubclassTest, SecondSubClassFailsAndDetachingRestores) {
    const LONG_PTR base = CurrentProc();
    Owner owner, other;
    UniqueWindow second(NewWindow());
    {
        CSubclass sc;
        sc.AddMsg(kMsgA, kMsgBefore);
        ASSERT_TRUE(sc.SubClass(H(), &owner));
        EXPECT_NE(CurrentProc(), base);
        EXPECT_FALSE(sc.SubClass(FromHwnd(second.Get()), &other));
        EXPECT_EQ(sc.hWnd(), H());
        EXPECT_EQ(GetWindowLongPtrA(second.Get(), GWLP_WNDPROC), base);
        EXPECT_TRUE(sc.UnSubclass());
        EXPECT_FALSE(sc.UnSubclass());
        EXPECT_EQ(sc.hWnd(), 0);
        EXPECT_EQ(CurrentProc(), base);
        Send(kMsgA);
        EXPECT_TRUE(owner.calls.empty());
        ASSERT_TRUE(sc.SubClass(FromHwnd(second.Get()), &other));  // free again
    }
    // Destroying an attached object restores the window's procedure.
    EXPECT_EQ(GetWindowLongPtrA(second.Get(), GWLP_WNDPROC), base);

    CSubclass bad;
    EXPECT_FALSE(bad.SubClass(0, &owner));
    EXPECT_FALSE(bad.SubClass(FromHwnd(GetDesktopWindow()), &owner));
    EXPECT_EQ(bad.hWnd(), 0);
    EXPECT_FALSE(bad.UnSubclass());
}

// A subclasser that is not ours, installed after us.
LONG_PTR g_foreignPrev = 0;
int g_foreignSeen = 0;
LRESULT CALLBACK ForeignProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == kMsgA) ++g_foreignSeen;
    return CallWindowProcA(reinterpret_cast<WNDPROC>(g_foreignPrev), h, m, w, l);
}

TEST_F(SubclassTest, UnsubclassUnderALaterSubclasserKeepsTheChain) {
    const LONG_PTR base = CurrentProc();
    Owner owner;
    auto sc = std::make_unique<CSubclass>();
    sc->AddMsg(kMsgA, kMsgBeforeAndAfter);
    ASSERT_TRUE(sc->SubClass(H(), &owner));
    const LONG_PTR ours = CurrentProc();
    g_foreignSeen = 0;
    g_foreignPrev = SetWindowLongPtrA(Wnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ForeignProc));
    ASSERT_EQ(g_foreignPrev, ours);

    EXPECT_TRUE(sc->UnSubclass());
    EXPECT_EQ(CurrentProc(), reinterpret_cast<LONG_PTR>(ForeignProc)) << "the later subclasser stays installed";
    sc.reset();  // our procedure must keep forwarding without its object
    EXPECT_EQ(Send(kMsgA), 1001);
    EXPECT_EQ(g_foreignSeen, 1);
    EXPECT_EQ(g_base.size(), 1u);
    EXPECT_TRUE(owner.calls.empty());

    EXPECT_EQ(winsvc_detail::SubclassSlotsInUse(), 1) << "the pass-through stays while the window lives";

    // The later subclasser leaves and puts our procedure back; the next
    // message takes the pass-through out of the chain as well.
    SetWindowLongPtrA(Wnd(), GWLP_WNDPROC, g_foreignPrev);
    EXPECT_EQ(Send(kMsgA), 1001);
    EXPECT_EQ(CurrentProc(), base);
    EXPECT_EQ(g_base.size(), 2u);

    // A pass-through still in the chain ends with its window.
    sc = std::make_unique<CSubclass>();
    ASSERT_TRUE(sc->SubClass(H(), &owner));
    g_foreignPrev = SetWindowLongPtrA(Wnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ForeignProc));
    EXPECT_TRUE(sc->UnSubclass());
    m_wnd.Reset();
    EXPECT_EQ(winsvc_detail::SubclassSlotsInUse(), 0);
}

// The window destroyed while subclassed, and the owner destroying the object
// inside its own callback, also while the window is being destroyed.
TEST_F(SubclassTest, DestroyingTheWindowOrTheObjectInsideACallback) {
    Owner owner;
    auto sc = std::make_unique<CSubclass>();
    sc->AddMsg(kMsgA, kMsgBeforeAndAfter);
    ASSERT_TRUE(sc->SubClass(H(), &owner));
    owner.react = [&](bool, bool&, std::intptr_t&, WindowHandle&, std::uint32_t& uMsg, std::uintptr_t&,
                      std::intptr_t&) {
        if (uMsg == kMsgA) sc.reset();
    };
    EXPECT_EQ(Send(kMsgA), 1001) << "the message still reaches the window";
    EXPECT_EQ(owner.calls.size(), 1u) << "no after phase for a destroyed object";

    CSubclass kept;
    kept.AddMsg(WM_DESTROY, kMsgAfter);
    kept.AddMsg(WM_NCDESTROY, kMsgBeforeAndAfter);
    ASSERT_TRUE(kept.SubClass(H(), &owner));
    auto gone = std::make_unique<CSubclass>();
    gone->AddMsg(WM_DESTROY, kMsgBefore);
    ASSERT_TRUE(gone->SubClass(H(), &owner));
    owner.react = [&](bool, bool&, std::intptr_t&, WindowHandle&, std::uint32_t& uMsg, std::uintptr_t&,
                      std::intptr_t&) {
        if (uMsg == WM_DESTROY) gone.reset();
    };
    const WindowHandle h = H();
    m_wnd.Reset();
    EXPECT_FALSE(IsWindow(ToHwnd(h)));
    EXPECT_EQ(gone, nullptr);
    EXPECT_EQ(owner.Count(WM_DESTROY, false), 1u);
    EXPECT_EQ(owner.Count(WM_NCDESTROY, true), 1u);
    EXPECT_EQ(owner.Count(WM_NCDESTROY, false), 1u);
    // The handle stays recorded until the owner lets go, but is never used again.
    EXPECT_EQ(kept.hWnd(), h);
    EXPECT_EQ(kept.CallOrigWndProc(kMsgA, 0, 0), 0);
    EXPECT_TRUE(kept.UnSubclass());
    EXPECT_EQ(kept.hWnd(), 0);
}

// A Unicode window: its procedure is reached from our ANSI dispatcher through
// the handle that only CallWindowProcA can call, which converts the text.
std::wstring g_unicodeText;
LRESULT CALLBACK UnicodeProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_SETTEXT && l) g_unicodeText = reinterpret_cast<const wchar_t*>(l);
    return DefWindowProcW(h, m, w, l);
}

TEST_F(SubclassTest, UnicodeWindowGetsConvertedMessages) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = UnicodeProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BriskoSubclassTestW";
    RegisterClassW(&wc);
    UniqueWindow w(CreateWindowExW(0, L"BriskoSubclassTestW", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                   nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(w);
    Owner owner;
    CSubclass sc;
    sc.AddMsg(WM_SETTEXT, kMsgAfter);
    ASSERT_TRUE(sc.SubClass(FromHwnd(w.Get()), &owner));
    EXPECT_TRUE(SendMessageA(w.Get(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("(\xBA\xB0\xC4\xDE)")));
    EXPECT_EQ(g_unicodeText, L"(\uFF7A\uFF70\uFF84\uFF9E)");
    EXPECT_EQ(owner.Count(WM_SETTEXT, false), 1u);
    EXPECT_TRUE(sc.UnSubclass());
    EXPECT_EQ(GetWindowLongPtrW(w.Get(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(UnicodeProc));
}

TEST_F(SubclassTest, RunningOutOfDispatchersFailsCleanly) {
    const LONG_PTR base = CurrentProc();
    Owner owner;
    std::vector<std::unique_ptr<CSubclass>> subs;
    for (;;) {
        auto sc = std::make_unique<CSubclass>();
        sc->AddMsg(kMsgA, kMsgAfter);
        if (!sc->SubClass(H(), &owner)) {
            EXPECT_EQ(sc->hWnd(), 0);
            EXPECT_FALSE(sc->UnSubclass());
            break;
        }
        subs.push_back(std::move(sc));
        ASSERT_LE(subs.size(), 100000u);
    }
    EXPECT_GE(subs.size(), 256u);
    // The whole chain still works, each object once.
    EXPECT_EQ(Send(kMsgA), 1001);
    EXPECT_EQ(owner.calls.size(), subs.size());
    while (!subs.empty()) subs.pop_back();  // last in, first out: each restores its predecessor
    EXPECT_EQ(CurrentProc(), base);
}

}  // namespace
}  // namespace brisko
