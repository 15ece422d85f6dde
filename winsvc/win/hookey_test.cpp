#include "winsvc/hookey.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "common/win/handles.h"
#include "testing/pump.h"
#include "winsvc/win/slot_pool.h"

namespace brisko {
namespace {

using test::Pump;

// Records the key texts; a throwing sink also throws after recording.
struct Sink : IHooKeyEvents {
    std::vector<std::wstring> keys;
    bool injected = false, throws = false;
    void KeyPress(const std::wstring& sKey, bool bInjected) override {
        keys.push_back(sKey);
        injected = bInjected;
        if (throws) throw 1;
    }
};

// The keys used: virtual key, scan code (set 1) and whether it is an extended key.
using ScanKey = std::array<WORD, 3>;
constexpr ScanKey kEsc{VK_ESCAPE, 0x01, 0}, kA{'A', 0x1E, 0}, kQ{'Q', 0x10, 0}, kLShift{VK_LSHIFT, 0x2A, 0},
    kLCtrl{VK_LCONTROL, 0x1D, 0}, kRCtrl{VK_RCONTROL, 0x1D, 1}, kLAlt{VK_LMENU, 0x38, 0}, kCaps{VK_CAPITAL, 0x3A, 0},
    kF5{VK_F5, 0x3F, 0};

// Presses the keys in order and releases them in reverse, as a user would
// for a chord, letting the hook run (it runs on this thread) after each
// step. The virtual key and the scan code go together, as a keyboard driver
// reports them (Wine leaves the virtual key of scan-code-only input at 0).
void Chord(const std::vector<ScanKey>& keys) {
    for (int up = 0; up < 2; ++up) {
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const auto [vk, scan, extended] = keys[up ? keys.size() - 1 - i : i];
            INPUT in{INPUT_KEYBOARD, {}};
            in.ki = {vk, scan, (extended ? KEYEVENTF_EXTENDEDKEY : 0u) | (up ? KEYEVENTF_KEYUP : 0u), 0, 0};
            SendInput(1, &in, sizeof(INPUT));
            Pump(30);
        }
    }
}

// The platform's own name of a key, as the hook must use it (Wine's layout
// names keys by their X keysyms, Windows' by words like "Ctrl").
std::wstring LayoutName(ScanKey k) {
    char name[32];
    const int n = GetKeyNameTextA((k[1] << 16) | (k[2] << 24) | 0x2000000, name, sizeof name);  // either side
    return std::wstring(name, name + (n > 0 ? n : 0));
}

// Counts the keys that reach the focused window.
int g_keyDowns = 0;
LRESULT CALLBACK CountingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    g_keyDowns += m == WM_KEYDOWN;
    return DefWindowProcA(h, m, w, l);
}

class HooKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A focused window of this thread, so that the keys are applied to
        // this thread's key state as they would be to the IDE's.
        m_wnd.Reset(test::NewTestWindow("BriskoHooKeyTest", CountingProc, WS_OVERLAPPEDWINDOW | WS_VISIBLE));
        ASSERT_TRUE(m_wnd);
        SetForegroundWindow(m_wnd.Get());
        SetFocus(m_wnd.Get());
        Pump(50);
        if (GetKeyState(VK_CAPITAL) & 1) Chord({kCaps});  // Caps Lock off whatever an earlier test did
        g_keyDowns = 0;
    }
    UniqueWindow m_wnd;
};

TEST_F(HooKeyTest, KeyTextsOfRealKeyDowns) {
    Sink sink;
    CHooKey key(&sink);
    ASSERT_TRUE(key.Hooked());
    key.SetActive(true);
    for (const auto& chord : std::vector<std::vector<ScanKey>>{
             {kEsc}, {kLShift, kA}, {kCaps}, {kA}, {kCaps}, {kLCtrl}, {kRCtrl, kQ}, {kLCtrl, kLAlt, kF5}})
        Chord(chord);
    const std::wstring caps = LayoutName(kCaps);
    EXPECT_EQ(sink.keys,
              (std::vector<std::wstring>{L"Esc", L"A", caps + L"+", L"A", caps + L"-", LayoutName(kRCtrl) + L"+Q",
                                         LayoutName(kLAlt) + L"+" + LayoutName(kLCtrl) + L"+F5"}));
    EXPECT_TRUE(sink.injected);
    key.SetActive(false);
    Chord({kEsc});
    EXPECT_EQ(sink.keys.size(), 7u) << "inactive";
    // Keys go on to their target even when the key sink throws.
    sink.throws = true;
    key.SetActive(true);
    g_keyDowns = 0;
    Chord({kA});
    EXPECT_EQ(sink.keys.size(), 8u);
    EXPECT_EQ(g_keyDowns, 1);
}

// The hook service itself, below the keyboard hook.
struct RecordingHookOwner : iHook {
    int before = 0, after = 0;
    bool handle = false;
    void iHook_Proc(bool bBefore, bool& bHandled, std::intptr_t& lReturn, std::int32_t& nCode, std::uintptr_t&,
                    std::intptr_t&) override {
        if (nCode != HC_ACTION) return;
        ++(bBefore ? before : after);
        if (bBefore && handle) bHandled = true, lReturn = 1;  // swallow the key
    }
};

TEST_F(HooKeyTest, HookServiceBeforeAfterAndHandled) {
    RecordingHookOwner owner;
    CHook hook;
    EXPECT_FALSE(hook.UnHook()) << "not hooked";
    ASSERT_TRUE(hook.Hook(&owner, WH_KEYBOARD_LL));
    EXPECT_FALSE(hook.Hook(&owner, WH_KEYBOARD_LL)) << "already hooked";
    Chord({kA});
    EXPECT_EQ(std::pair(owner.before, owner.after), std::pair(2, 2)) << "down and up, both phases";
    EXPECT_EQ(g_keyDowns, 1);
    owner.handle = true;
    Chord({kA});
    EXPECT_EQ(std::pair(owner.before, owner.after), std::pair(4, 2))
        << "handled calls skip the chain and the after phase";
    EXPECT_EQ(g_keyDowns, 1) << "a handled key is swallowed";
    EXPECT_TRUE(hook.UnHook());
    Chord({kA});
    EXPECT_EQ(std::pair(owner.before, g_keyDowns), std::pair(4, 2)) << "unhooked";
    ASSERT_TRUE(hook.Hook(&owner, WH_KEYBOARD_LL)) << "hooked again after UnHook";
    EXPECT_TRUE(hook.UnHook());
    EXPECT_EQ(winsvc_detail::HookSlotsInUse(), 0);
    // A null address reads as an empty structure instead of a crash.
    EXPECT_EQ(CHook::xKBDLLHOOKSTRUCT(0).vkCode, 0u);
}

}  // namespace
}  // namespace brisko
