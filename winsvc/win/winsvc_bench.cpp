// Throughput of the subclass dispatcher and the cost of one key text.
//
//   winsvc_bench.exe [messages per round]
//
// Messages per second through a window that is (a) not subclassed, (b)
// subclassed with the message unregistered (the cost every message of every
// watched window pays), (c) subclassed with the message registered for the
// after phase. Rounds of the three alternate and the best round of each
// counts, so that a busy machine disturbs all three alike.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/win/handles.h"
#include "winsvc/key_text.h"
#include "winsvc/subclass.h"
#include "winsvc/win/keyboard_port.h"

namespace {

using namespace brisko;

constexpr UINT kBenchMsg = WM_APP + 1;

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == kBenchMsg) return static_cast<LRESULT>(w + 1);
    return DefWindowProcA(h, m, w, l);
}

struct Owner : iSubclass {
    std::intptr_t sum = 0;
    void iSubclass_Proc(bool, bool&, std::intptr_t& lReturn, WindowHandle&, std::uint32_t&, std::uintptr_t&,
                        std::intptr_t&) override {
        sum += lReturn;
    }
};

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
    static LARGE_INTEGER freq{};
    if (!freq.QuadPart) QueryPerformanceFrequency(&freq);
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(freq.QuadPart);
}

double TimeMessages(HWND h, int n) {
    LARGE_INTEGER t0, t1;
    LRESULT check = 0;
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < n; ++i) check += SendMessageA(h, kBenchMsg, static_cast<WPARAM>(i), 0);
    QueryPerformanceCounter(&t1);
    if (check == 0) std::printf("unexpected result\n");
    return Seconds(t0, t1);
}

// The handful of messages a child-window watcher registers.
void RegisterWatcherMessages(CSubclass& sc) {
    sc.AddMsg(WM_SETTEXT, kMsgAfter);
    sc.AddMsg(WM_SHOWWINDOW, kMsgAfter);
    sc.AddMsg(WM_MDIACTIVATE, kMsgAfter);
    sc.AddMsg(WM_DESTROY, kMsgBefore);
    sc.AddMsg(WM_SIZE, kMsgAfter);
}

// Microseconds per call of `fn`, best of many short rounds like the messages.
template <class Fn>
double BestMicroseconds(Fn&& fn) {
    constexpr int kPerRound = 50, kKeyRounds = 200;
    double best = 1e9;
    for (int r = 0; r < kKeyRounds; ++r) {
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        for (int i = 0; i < kPerRound; ++i) fn();
        QueryPerformanceCounter(&t1);
        best = std::min(best, Seconds(t0, t1) * 1e6 / kPerRound);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 2000;
    // Many short rounds, shorter than a time slice: the best of each is what
    // the code costs when no other process gets in the way.
    constexpr int kRounds = 500;

    WNDCLASSA wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "BriskoBench";
    RegisterClassA(&wc);
    // One window for all three, so that nothing but the subclass differs.
    HWND wnd = CreateWindowExA(0, "BriskoBench", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    Owner owner;
    CSubclass sc;

    double best[3] = {1e9, 1e9, 1e9};
    TimeMessages(wnd, n);  // warm up
    for (int r = 0; r < kRounds; ++r) {
        best[0] = std::min(best[0], TimeMessages(wnd, n));
        if (!sc.SubClass(FromHwnd(wnd), &owner)) {
            std::printf("subclassing failed\n");
            return 1;
        }
        RegisterWatcherMessages(sc);
        best[1] = std::min(best[1], TimeMessages(wnd, n));
        sc.AddMsg(kBenchMsg, kMsgAfter);
        best[2] = std::min(best[2], TimeMessages(wnd, n));
        sc.UnSubclass();
    }
    const char* names[3] = {"(a) not subclassed", "(b) subclassed, message unregistered",
                            "(c) subclassed, registered after"};
    std::printf("SendMessageA, %d messages per round, best of %d rounds\n", n, kRounds);
    for (int k = 0; k < 3; ++k) {
        std::printf("  %-40s %12.0f msg/s  %7.3f us/msg\n", names[k], n / best[k], best[k] * 1e6 / n);
    }
    std::printf("  overhead (b) over (a): %+.1f %%\n", (best[1] / best[0] - 1.0) * 100.0);
    std::printf("  overhead (c) over (a): %+.1f %%\n", (best[2] / best[0] - 1.0) * 100.0);

    std::printf("key text, best of 200 rounds of 50 builds\n");
    const struct {
        const char* name;
        KeyRecord rec;
    } recs[] = {
        {"letter A", {'A', 0x1E, 0, 0, 0}}, {"F5", {VK_F5, 0x3F, 0, 0, 0}}, {"Esc", {VK_ESCAPE, 0x01, 0, 0, 0}}};
    Win32KeyboardPort keyboard;
    std::size_t total = 0;
    for (const auto& r : recs) {
        const double us = BestMicroseconds([&] { total += BuildKeyText(r.rec, false, keyboard).size(); });
        std::printf("  %-10s %8.3f us per key\n", r.name, us);
    }
    if (total == 0) std::printf("empty key text\n");

    DestroyWindow(wnd);
    return 0;
}
