// Throughput of the subclass dispatcher and the cost of one key text.
//
//   winsvc_bench.exe [messages per round]
//
// Microseconds per message through a window that is (a) not subclassed, (b)
// subclassed with the message unregistered (the cost every message of every
// watched window pays), (c) subclassed with the message registered for the
// after phase. Many short rounds, shorter than a time slice, alternate; the
// best of each counts, so that a busy machine disturbs all three alike.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "common/win/handles.h"
#include "winsvc/key_text.h"
#include "winsvc/subclass.h"
#include "winsvc/win/keyboard_port.h"

namespace {

using namespace brisko;

constexpr UINT kBenchMsg = WM_APP + 1;

struct Owner : iSubclass {
    void iSubclass_Proc(bool, bool&, std::intptr_t&, WindowHandle&, std::uint32_t&, std::uintptr_t&,
                        std::intptr_t&) override {}
};

// Microseconds per call of `fn` in one round of `n` calls, folded into `best`.
template <class Fn>
void Round(double& best, int n, Fn&& fn) {
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < n; ++i) fn(i);
    QueryPerformanceCounter(&t1);
    best = std::min(best, static_cast<double>(t1.QuadPart - t0.QuadPart) * 1e6 / freq.QuadPart / n);
}

}  // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 2000;
    HWND wnd = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    const auto send = [wnd](int i) { SendMessageA(wnd, kBenchMsg, static_cast<WPARAM>(i), 0); };
    Owner owner;
    CSubclass sc;
    double best[3] = {1e9, 1e9, 1e9};
    for (int r = 0; r < 500; ++r) {
        Round(best[0], n, send);
        if (!sc.SubClass(FromHwnd(wnd), &owner)) return std::printf("subclassing failed\n"), 1;
        // The handful of messages a child-window watcher registers.
        for (UINT m : {WM_SETTEXT, WM_SHOWWINDOW, WM_MDIACTIVATE, WM_SIZE}) sc.AddMsg(m, MsgPhase::After);
        sc.AddMsg(WM_DESTROY, MsgPhase::Before);
        Round(best[1], n, send);
        sc.AddMsg(kBenchMsg, MsgPhase::After);
        Round(best[2], n, send);
        sc.UnSubclass();
    }
    std::printf("SendMessageA, %d messages per round, best of 500 rounds, us/msg\n", n);
    std::printf("  (a) not subclassed %.3f  (b) unregistered %.3f (%+.1f %%)  (c) registered after %.3f (%+.1f %%)\n",
                best[0], best[1], (best[1] / best[0] - 1) * 100, best[2], (best[2] / best[0] - 1) * 100);

    Win32KeyboardPort keyboard;
    for (const KeyRecord rec : {KeyRecord{'A', 0x1E, 0, 0, 0}, KeyRecord{VK_F5, 0x3F, 0, 0, 0}}) {
        double us = 1e9;
        for (int r = 0; r < 200; ++r) Round(us, 50, [&](int) { BuildKeyText(rec, false, keyboard); });
        std::printf("key text of vk %u: %.3f us\n", static_cast<unsigned>(rec.vkCode), us);
    }
    DestroyWindow(wnd);
    return 0;
}
