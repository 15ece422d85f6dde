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

// Messages of the WM_APP range that reached the window's own procedure,
// which answers 1000 plus the offset of the message in that range.
std::vector<MSG> g_base;

LRESULT CALLBACK BaseProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m < WM_APP || m >= WM_APP + 100) return DefWindowProcA(h, m, w, l);
    g_base.push_back({h, m, w, l, 0, {}});
    return 1000 + static_cast<LRESULT>(m - WM_APP);
}

std::vector<UINT> BaseMessages() {
    std::vector<UINT> out;
    for (const MSG& m : g_base) out.push_back(m.message);
    return out;
}

// What an owner's callback may change.
struct Call {
    bool before;
    bool& handled;
    std::intptr_t& result;
    std::uint32_t& msg;
    std::uintptr_t& wParam;
};

struct Owner : iSubclass {
    struct Seen {
        bool before;
        std::intptr_t resultIn;
        WindowHandle hWnd;
        std::uint32_t msg;
    };
    std::vector<Seen> calls;
    std::function<void(Call&)> react;

    void iSubclass_Proc(bool bBefore, bool& bHandled, std::intptr_t& lReturn, WindowHandle& hWnd, std::uint32_t& uMsg,
                        std::uintptr_t& wParam, std::intptr_t&) override {
        calls.push_back({bBefore, lReturn, hWnd, uMsg});
        Call call{bBefore, bHandled, lReturn, uMsg, wParam};
        if (react) react(call);
    }
    std::size_t Count(std::uint32_t msg, bool before) const {
        std::size_t n = 0;
        for (const Seen& c : calls) n += c.msg == msg && c.before == before;
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
    WindowHandle H() const { return FromHwnd(m_wnd.Get()); }
    LRESULT Send(UINT m, WPARAM w = 0) { return SendMessageA(m_wnd.Get(), m, w, 0); }
    LONG_PTR CurrentProc() const { return GetWindowLongPtrA(m_wnd.Get(), GWLP_WNDPROC); }

    UniqueWindow m_wnd;
};

TEST_F(SubclassTest, PhasesHandledResultsAndRewrittenMessages) {
    // The answer, the messages that reached the window's procedure and the owner's calls.
    struct Outcome {
        LRESULT result;
        std::vector<UINT> reached;
        std::size_t calls;
        bool operator==(const Outcome&) const = default;
    };
    const auto run = [&](std::uint32_t when, std::function<void(CSubclass&, Call&)> react) {
        g_base.clear();
        Owner owner;
        CSubclass sc;
        sc.AddMsg(kMsgA, when);
        EXPECT_TRUE(sc.SubClass(H(), &owner));
        owner.react = [&](Call& call) { react(sc, call); };
        const LRESULT result = Send(kMsgA, 1);
        if (!owner.calls.empty()) {
            EXPECT_EQ(owner.calls[0].before, when != kMsgAfter);
            EXPECT_EQ(owner.calls[0].resultIn, when == kMsgAfter ? 1001 : 0);
            EXPECT_EQ(owner.calls[0].hWnd, H());
        }
        return Outcome{result, BaseMessages(), owner.calls.size()};
    };
    EXPECT_EQ(run(kMsgAfter, [](CSubclass&, Call& c) { c.result = 77; }), (Outcome{77, {kMsgA}, 1}))
        << "the after phase sees and replaces the result";
    EXPECT_EQ(run(kMsgBefore, [](CSubclass&, Call& c) { c.result = 5; }), (Outcome{1001, {kMsgA}, 1}))
        << "an unhandled before phase's result is overwritten";
    EXPECT_EQ(run(kMsgBeforeAndAfter, [](CSubclass&, Call& c) { c.handled = c.before, c.result = 5; }),
              (Outcome{5, {}, 1}))
        << "handled before skips the procedure and the after phase";
    EXPECT_EQ(run(kMsgBefore, [](CSubclass&, Call& c) { c.msg = kMsgB, c.wParam = 11; }), (Outcome{1002, {kMsgB}, 1}))
        << "the before phase rewrites the message";
    EXPECT_EQ(g_base[0].wParam, 11u);
    EXPECT_EQ(run(kMsgBefore,
                  [](CSubclass& sc, Call& c) { c.result = sc.CallOrigWndProc(kMsgC, 5, 6) + 1, c.handled = true; }),
              (Outcome{1004, {kMsgC}, 1}))
        << "CallOrigWndProc runs the previous procedure";
    EXPECT_EQ(run(kMsgBeforeAndAfter,
                  [](CSubclass&, Call& c) {
                      c.handled = true, c.result = 5, c.msg = kMsgC;
                      throw std::runtime_error("owner failed");
                  }),
              (Outcome{1001, {kMsgA}, 2}))
        << "a throwing owner leaves the message as it came";
    // Messages nobody registered pass untouched, sent or posted.
    g_base.clear();
    Owner owner;
    CSubclass sc;
    sc.AddMsg(kMsgA, kMsgAfter);
    ASSERT_TRUE(sc.SubClass(H(), &owner));
    EXPECT_EQ(Send(kMsgB), 1002);
    PostMessageA(m_wnd.Get(), kMsgC, 3, 4);
    test::Pump(0);
    EXPECT_EQ(BaseMessages(), (std::vector<UINT>{kMsgB, kMsgC}));
    EXPECT_TRUE(owner.calls.empty());
}

TEST_F(SubclassTest, NestedSendFromCallbackIsDispatchedOnItsOwn) {
    Owner owner;
    CSubclass sc;
    sc.AddMsg(kMsgA, kMsgBeforeAndAfter);
    sc.AddMsg(kMsgB, kMsgBefore);
    ASSERT_TRUE(sc.SubClass(H(), &owner));
    LRESULT nested = 0;
    owner.react = [&](Call& c) {
        if (c.msg == kMsgA && c.before) nested = Send(kMsgB);
        if (c.msg == kMsgB) c.handled = true, c.result = 9;
    };
    EXPECT_EQ(Send(kMsgA), 1001);
    EXPECT_EQ(nested, 9);
    ASSERT_EQ(owner.calls.size(), 3u);
    EXPECT_EQ(owner.calls[1].msg, kMsgB);
    EXPECT_FALSE(owner.calls[2].before);
    EXPECT_EQ(owner.calls[2].resultIn, 1001);
    EXPECT_EQ(BaseMessages(), std::vector<UINT>{kMsgA});
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
    EXPECT_FALSE(bad.SubClass(FromHwnd(GetDesktopWindow()), &owner)) << "not a window of this process";
}

// A subclasser that is not ours, installed after us.
LONG_PTR g_foreignPrev = 0;
int g_foreignSeen = 0;
LRESULT CALLBACK ForeignProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    g_foreignSeen += m == kMsgA;
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
    g_foreignPrev = SetWindowLongPtrA(m_wnd.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ForeignProc));
    ASSERT_EQ(g_foreignPrev, ours);

    EXPECT_TRUE(sc->UnSubclass());
    EXPECT_EQ(CurrentProc(), reinterpret_cast<LONG_PTR>(ForeignProc)) << "the later subclasser stays installed";
    sc.reset();  // our procedure must keep forwarding without its object
    EXPECT_EQ(Send(kMsgA), 1001);
    EXPECT_EQ(g_foreignSeen, 1);
    EXPECT_TRUE(owner.calls.empty());
    EXPECT_EQ(winsvc_detail::SubclassSlotsInUse(), 1) << "the pass-through stays while the window lives";

    // The later subclasser leaves and puts our procedure back; the next
    // message takes the pass-through out of the chain as well.
    SetWindowLongPtrA(m_wnd.Get(), GWLP_WNDPROC, g_foreignPrev);
    EXPECT_EQ(Send(kMsgA), 1001);
    EXPECT_EQ(CurrentProc(), base);
    EXPECT_EQ(g_base.size(), 2u);

    // A pass-through still in the chain ends with its window.
    sc = std::make_unique<CSubclass>();
    ASSERT_TRUE(sc->SubClass(H(), &owner));
    g_foreignPrev = SetWindowLongPtrA(m_wnd.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ForeignProc));
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
    owner.react = [&](Call& c) {
        if (c.msg == kMsgA) sc.reset();
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
    owner.react = [&](Call& c) {
        if (c.msg == WM_DESTROY) gone.reset();
    };
    const WindowHandle h = H();
    m_wnd.Reset();
    EXPECT_EQ(gone, nullptr);
    EXPECT_EQ(owner.Count(WM_DESTROY, false), 1u);
    EXPECT_EQ(owner.Count(WM_NCDESTROY, true), 1u);
    EXPECT_EQ(owner.Count(WM_NCDESTROY, false), 1u);
    // The handle stays recorded until the owner lets go, but is never used again.
    EXPECT_EQ(kept.hWnd(), h);
    EXPECT_EQ(kept.CallOrigWndProc(kMsgA, 0, 0), 0);
    EXPECT_TRUE(kept.UnSubclass());
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
    UniqueWindow w(
        CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 100, 100, nullptr, nullptr, wc.hInstance, nullptr));
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

}  // namespace
}  // namespace brisko
