#include "winsvc/subclass.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "common/win/handles.h"
#include "testing/pump.h"
#include "winsvc/win/slot_pool.h"

namespace brisko {
namespace {

constexpr UINT kMsgA = WM_APP + 1, kMsgB = WM_APP + 2, kMsgC = WM_APP + 3;

// Messages of the WM_APP range that reached the window's own procedure,
// which answers 1000 plus the offset of the message in that range.
std::vector<UINT> g_base;
WPARAM g_baseWParam = 0;

LRESULT CALLBACK BaseProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m < WM_APP || m >= WM_APP + 100) return DefWindowProcA(h, m, w, l);
    g_base.push_back(m);
    g_baseWParam = w;
    return 1000 + static_cast<LRESULT>(m - WM_APP);
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
    using Seen = std::pair<bool, std::intptr_t>;  // the phase and the result coming in
    std::vector<Seen> calls;
    std::function<void(Call&)> react;

    void iSubclass_Proc(bool bBefore, bool& bHandled, std::intptr_t& lReturn, WindowHandle&, std::uint32_t& uMsg,
                        std::uintptr_t& wParam, std::intptr_t&) override {
        calls.emplace_back(bBefore, lReturn);
        Call call{bBefore, bHandled, lReturn, uMsg, wParam};
        if (react) react(call);
    }
};

class SubclassTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_base.clear();
        m_wnd.Reset(test::NewTestWindow("BriskoSubclassTest", BaseProc));
        ASSERT_TRUE(m_wnd);
    }
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
    using Outcome = std::tuple<LRESULT, std::vector<UINT>, std::size_t>;
    const auto run = [&](MsgPhase when, std::function<void(CSubclass&, Call&)> react) {
        g_base.clear();
        Owner owner;
        CSubclass sc;
        sc.AddMsg(kMsgA, when);
        sc.AddMsg(kMsgB, MsgPhase::Before);
        EXPECT_TRUE(sc.SubClass(H(), &owner));
        owner.react = [&](Call& call) { react(sc, call); };
        const LRESULT result = Send(kMsgA, 1);
        if (!owner.calls.empty()) {
            EXPECT_EQ(owner.calls[0], Owner::Seen(when != MsgPhase::After, when == MsgPhase::After ? 1001 : 0));
        }
        return Outcome{result, g_base, owner.calls.size()};
    };
    // The after phase sees and replaces the result.
    EXPECT_EQ(run(MsgPhase::After, [](CSubclass&, Call& c) { c.result = 77; }), (Outcome{77, {kMsgA}, 1}));
    // An unhandled before phase's result is overwritten.
    EXPECT_EQ(run(MsgPhase::Before, [](CSubclass&, Call& c) { c.result = 5; }), (Outcome{1001, {kMsgA}, 1}));
    // Handled before skips the procedure and the after phase.
    EXPECT_EQ(run(MsgPhase::BeforeAndAfter, [](CSubclass&, Call& c) { c.handled = c.before, c.result = 5; }),
              (Outcome{5, {}, 1}));
    // The before phase rewrites the message.
    EXPECT_EQ(run(MsgPhase::Before, [](CSubclass&, Call& c) { c.msg = kMsgB, c.wParam = 11; }),
              (Outcome{1002, {kMsgB}, 1}));
    EXPECT_EQ(g_baseWParam, 11u);
    // CallOrigWndProc runs the previous procedure.
    EXPECT_EQ(run(MsgPhase::Before,
                  [](CSubclass& sc, Call& c) { c.result = sc.CallOrigWndProc(kMsgC, 5, 6) + 1, c.handled = true; }),
              (Outcome{1004, {kMsgC}, 1}));
    // A throwing owner leaves the message as it came.
    EXPECT_EQ(run(MsgPhase::BeforeAndAfter,
                  [](CSubclass&, Call& c) {
                      c.handled = true, c.result = 5, c.msg = kMsgC;
                      throw std::runtime_error("owner failed");
                  }),
              (Outcome{1001, {kMsgA}, 2}));
    LRESULT nested = 0;
    // A message sent from a callback is dispatched on its own.
    EXPECT_EQ(run(MsgPhase::BeforeAndAfter,
                  [&](CSubclass&, Call& c) {
                      if (c.msg == kMsgB) c.handled = true, c.result = 9;
                      if (c.msg == kMsgA && c.before) nested = Send(kMsgB);
                  }),
              (Outcome{1001, {kMsgA}, 3}));
    EXPECT_EQ(nested, 9);
    // A message nobody registered passes untouched.
    EXPECT_EQ(run(MsgPhase{}, [](CSubclass&, Call& c) { c.result = 5; }), (Outcome{1001, {kMsgA}, 0}));
}

// A subclasser that is not ours, installed after us.
LONG_PTR g_foreignPrev = 0;
LRESULT CALLBACK ForeignProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return CallWindowProcA(reinterpret_cast<WNDPROC>(g_foreignPrev), h, m, w, l) + (m == kMsgA ? 100 : 0);
}

// A Unicode window: its procedure is reached from our ANSI dispatcher through
// the handle that only CallWindowProcA can call, which converts the text.
std::wstring g_unicodeText;
LRESULT CALLBACK UnicodeProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_SETTEXT && l) g_unicodeText = reinterpret_cast<const wchar_t*>(l);
    return DefWindowProcW(h, m, w, l);
}

TEST_F(SubclassTest, OneWindowPerObjectUnicodeWindowsAndDetachingKeepsTheChain) {
    const LONG_PTR base = CurrentProc();
    Owner owner;
    auto sc = std::make_unique<CSubclass>();
    sc->AddMsg(kMsgA, MsgPhase::Before);
    ASSERT_TRUE(sc->SubClass(H(), &owner));
    const WNDCLASSW wc{0, UnicodeProc, 0, 0, GetModuleHandleW(nullptr), {}, {}, {}, {}, L"BriskoSubclassTestW"};
    RegisterClassW(&wc);
    UniqueWindow unicode(CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 9, 9, {}, {}, wc.hInstance, {}));
    EXPECT_FALSE(sc->SubClass(FromHwnd(unicode.Get()), &owner)) << "one window per object";
    EXPECT_TRUE(sc->UnSubclass());
    EXPECT_FALSE(sc->UnSubclass());
    EXPECT_EQ(CurrentProc(), base);
    EXPECT_FALSE(sc->SubClass(FromHwnd(GetDesktopWindow()), &owner)) << "not a window of this process";
    sc->AddMsg(WM_SETTEXT, MsgPhase::After);
    ASSERT_TRUE(sc->SubClass(FromHwnd(unicode.Get()), &owner)) << "free again";
    EXPECT_TRUE(SendMessageA(unicode.Get(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("(\xBA\xB0\xC4\xDE)")));
    EXPECT_EQ(g_unicodeText, L"(\uFF7A\uFF70\uFF84\uFF9E)");
    EXPECT_EQ(owner.calls.size(), 1u);
    sc = std::make_unique<CSubclass>();  // destroying an attached object restores its window
    sc->AddMsg(kMsgA, MsgPhase::BeforeAndAfter);
    EXPECT_EQ(GetWindowLongPtrW(unicode.Get(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(UnicodeProc));
    owner.calls.clear();

    // Detached under a later subclasser, ours stays in the chain and forwards.
    ASSERT_TRUE(sc->SubClass(H(), &owner));
    g_foreignPrev = SetWindowLongPtrA(m_wnd.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ForeignProc));
    EXPECT_TRUE(sc->UnSubclass());
    EXPECT_EQ(CurrentProc(), reinterpret_cast<LONG_PTR>(ForeignProc)) << "the later subclasser stays installed";
    sc.reset();
    EXPECT_EQ(Send(kMsgA), 1101);
    EXPECT_TRUE(owner.calls.empty());
    EXPECT_EQ(winsvc_detail::SubclassSlotsInUse(), 1) << "the pass-through stays while the window lives";
    // The later subclasser leaves; the next message takes the pass-through out as well.
    SetWindowLongPtrA(m_wnd.Get(), GWLP_WNDPROC, g_foreignPrev);
    EXPECT_EQ(Send(kMsgA), 1001);
    EXPECT_EQ(CurrentProc(), base);
    // A pass-through still in the chain ends with its window (checked on tear-down).
    sc = std::make_unique<CSubclass>();
    ASSERT_TRUE(sc->SubClass(H(), &owner));
    g_foreignPrev = SetWindowLongPtrA(m_wnd.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ForeignProc));
    EXPECT_TRUE(sc->UnSubclass());
}

// The window destroyed while subclassed twice, one owner destroying its
// object inside its own callback: the message goes on down the chain, and a
// destroyed object gets no after phase.
TEST_F(SubclassTest, DestroyingTheWindowAndTheObjectInsideACallback) {
    Owner owner;
    CSubclass kept;
    kept.AddMsg(WM_DESTROY, MsgPhase::After);
    kept.AddMsg(WM_NCDESTROY, MsgPhase::BeforeAndAfter);
    ASSERT_TRUE(kept.SubClass(H(), &owner));
    auto gone = std::make_unique<CSubclass>();
    gone->AddMsg(WM_DESTROY, MsgPhase::BeforeAndAfter);
    ASSERT_TRUE(gone->SubClass(H(), &owner));
    owner.react = [&](Call& c) {
        if (c.msg == WM_DESTROY) gone.reset();
    };
    const WindowHandle h = H();
    m_wnd.Reset();
    EXPECT_EQ(gone, nullptr);
    EXPECT_EQ(owner.calls.size(), 4u) << "WM_DESTROY before (gone) and after (kept), WM_NCDESTROY both";
    // The handle stays recorded until the owner lets go, but is never used again.
    EXPECT_EQ(kept.hWnd(), h);
    EXPECT_EQ(kept.CallOrigWndProc(kMsgA, 0, 0), 0);
    EXPECT_TRUE(kept.UnSubclass());
}

}  // namespace
}  // namespace brisko
