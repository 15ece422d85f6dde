// Many windows: connection, "すべて閉じる" and painting near their limits,
// each against a reference measured in the same run.
//
//   wine-run.sh many_windows_bench.exe [rounds] [paint]
//
// Every round measures each compared pair back to back, so that a busy
// machine disturbs both sides alike; what is printed is the median over the
// rounds of the per-round figure, with its spread (half the distance between
// the first and third quartile). A goal counts as met only when the median
// clears it by more than that spread.
//
//   connection  OnConnection (after start-up) with 200 code and designer
//               windows open, in ms, and as a ratio to the same with 20;
//   close-all   "すべて閉じる" on 200 tabs, from the confirmation (the first
//               WM_CLOSE sent after it) to the last tab gone, minus a plain WM_CLOSE loop over the same windows
//               with no add-in (the windows' own closing time), in ms; and,
//               far less noisy, the add-in's share alone: the time the MDI
//               client spends on its children's destruction notices and its
//               frame, with the add-in minus without;
//   paint       one full paint of a 100-tab bar, as a ratio to a bare BitBlt
//               of the same strip through the window's DC;
//   idle        timer and paint messages while nothing happens, after
//               connecting with 200 windows: both must stay 0.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/win/gdi.h"
#include "tests/addin_fixture.h"

using namespace brisko;

namespace {

double Now() {
    static const double freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / freq;
}

struct Spread {
    double median = 0, half = 0;
};

Spread Summarise(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    auto at = [&](double q) {
        const double pos = q * static_cast<double>(v.size() - 1);
        const auto lo = static_cast<std::size_t>(pos);
        const std::size_t hi = std::min(lo + 1, v.size() - 1);
        return v[lo] + (v[hi] - v[lo]) * (pos - static_cast<double>(lo));
    };
    return {at(0.5), (at(0.75) - at(0.25)) / 2};
}

void Report(const char* what, const std::vector<double>& v, double goal, const char* unit) {
    const Spread s = Summarise(v);
    const char* verdict = s.median + s.half < goal ? "met" : s.median < goal ? "unclear (spread)" : "NOT met";
    std::printf("  %-44s %9.2f %-2s +/- %6.2f  goal <= %6.1f  %s\n", what, s.median, unit, s.half, goal, verdict);
}

void ReportPlain(const char* what, const std::vector<double>& v, const char* unit) {
    const Spread s = Summarise(v);
    std::printf("  %-44s %9.2f %-2s +/- %6.2f\n", what, s.median, unit, s.half);
}

// The sample project group: 60 forms (code window and designer each), 40
// standard and 40 class modules in Project1, and a second project, so that
// every caption is matched against the project names as in a real session.
struct Workspace {
    idehost::IdeHost ide;
    std::vector<std::wstring> classes, captions;

    Workspace() {
        auto& p1 = ide.Model().AddProject(L"Project1");
        auto& p2 = ide.Model().AddProject(L"Project2");
        for (int i = 1; i <= 10; ++i) p2.AddComponent(L"Helper" + std::to_wstring(i), idehost::vbext_ct_StdModule);
        for (int i = 1; i <= 60; ++i) p1.AddComponent(L"Form" + std::to_wstring(i), idehost::vbext_ct_VBForm);
        for (int i = 1; i <= 40; ++i) p1.AddComponent(L"Module" + std::to_wstring(i), idehost::vbext_ct_StdModule);
        for (int i = 1; i <= 40; ++i) p1.AddComponent(L"Class" + std::to_wstring(i), idehost::vbext_ct_ClassModule);
        ide.Model().SetActiveProject(&p1);
        // Interleaved kinds, so that the first 20 windows are a fair sample.
        for (int i = 1; i <= 60; ++i) {
            Add(L"VbaWindow", L"Project1 - Form" + std::to_wstring(i) + test::kCode);
            Add(L"DesignerWindow", L"Project1 - Form" + std::to_wstring(i) + L" (Form)");
            if (i <= 40) {
                Add(L"VbaWindow", L"Project1 - Module" + std::to_wstring(i) + test::kCode);
                Add(L"VbaWindow", L"Project1 - Class" + std::to_wstring(i) + test::kCode);
            }
        }
    }
    void Add(const wchar_t* cls, std::wstring caption) {
        classes.push_back(cls);
        captions.push_back(std::move(caption));
    }
    IDispatch* Vbe() { return static_cast<IDispatch*>(&ide.Model()); }

    void Open(int n) {
        for (int i = 0; i < n; ++i)
            ide.Open(classes[static_cast<std::size_t>(i)], captions[static_cast<std::size_t>(i)]);
        idehost::IdeHost::Pump(20);
    }
    void CloseAll() {
        ide.DestroyAllChildren();
        idehost::IdeHost::Pump(20);
    }
};

// ---- Connection ----

double TimeConnection(Workspace& w, int windows) {
    w.Open(windows);
    double ms = 0;
    {
        test::AddIn addin;
        const double t0 = Now();
        const HRESULT hr = addin.Connect(w.Vbe(), ext_cm_AfterStartup);
        ms = (Now() - t0) * 1e3;
        if (hr != S_OK || addin.Bar().Count() != windows) std::printf("  connection with %d windows failed\n", windows);
        idehost::IdeHost::Pump(10);
        addin.Disconnect();
    }
    w.CloseAll();
    return ms;
}

// ---- Close-all ----

// Answers the confirmation with Yes as soon as it is shown. The figure runs
// from the first WM_CLOSE the add-in sends, which it does right after the
// answer: the message box's own going (a top-level window, and the main
// window active again) is no part of closing the windows, and varies by more
// than all of it.
HHOOK g_cbt = nullptr, g_firstClose = nullptr;
double g_confirmed = 0;
LRESULT CALLBACK AnswerYes(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        char cls[16] = {};
        GetClassNameA(reinterpret_cast<HWND>(wParam), cls, sizeof cls);
        if (lstrcmpA(cls, "#32770") == 0) PostMessageA(reinterpret_cast<HWND>(wParam), WM_COMMAND, IDYES, 0);
    }
    return CallNextHookEx(g_cbt, code, wParam, lParam);
}
LRESULT CALLBACK FirstClose(int code, WPARAM wParam, LPARAM lParam) {
    const LRESULT r = CallNextHookEx(g_firstClose, code, wParam, lParam);
    if (code == HC_ACTION && reinterpret_cast<const CWPSTRUCT*>(lParam)->message == WM_CLOSE && g_firstClose) {
        g_confirmed = Now();
        // Off at once, so that the closing itself pays nothing for the hook.
        UnhookWindowsHookEx(std::exchange(g_firstClose, nullptr));
    }
    return r;
}

// Times what the MDI client does with the notifications of its children's
// destruction and with its frame while the windows close: with the add-in
// attached that is the add-in's whole share of closing a window (removing
// its tab) and of the repaint, without the windows' own closing, which on a
// busy machine varies by far more than that share. Installed on top of
// whatever already subclasses the client, and removed before it goes.
struct ClientTimer {
    static inline WNDPROC prev = nullptr;
    static inline double seconds = 0;
    static inline int depth = 0;
    HWND client;
    explicit ClientTimer(HWND c) : client(c) {
        seconds = 0;
        prev = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(client, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ClientTimer::Proc)));
    }
    ~ClientTimer() { SetWindowLongPtrA(client, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prev)); }
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        const bool timed =
            (m == WM_PARENTNOTIFY && LOWORD(w) == WM_DESTROY) || m == WM_NCCALCSIZE || m == WM_NCPAINT || m == WM_PAINT;
        // Nested ones (a frame change inside a notice) count once.
        const bool outer = timed && depth++ == 0;
        const double t0 = outer ? Now() : 0;
        const LRESULT r = CallWindowProcA(prev, h, m, w, l);
        if (outer) seconds += Now() - t0;
        if (timed) --depth;
        return r;
    }
};

struct CloseTimes {
    double total = 0;   // ms, the whole loop
    double client = 0;  // ms, inside the MDI client's handling (see ClientTimer)
};

CloseTimes TimePlainClose(Workspace& w, int windows) {
    w.Open(windows);
    const auto children = w.ide.Children();
    CloseTimes out;
    {
        ClientTimer timer(w.ide.MdiClient());
        const double t0 = Now();
        // The add-in closes from its last tab to its first: the bottom of the
        // z-order first.
        for (auto it = children.rbegin(); it != children.rend(); ++it) SendMessageA(*it, WM_CLOSE, 0, 0);
        out.total = (Now() - t0) * 1e3;
        out.client = ClientTimer::seconds * 1e3;
    }
    idehost::IdeHost::Pump(20);
    return out;
}

CloseTimes TimeCloseAll(Workspace& w, int windows) {
    w.Open(windows);
    CloseTimes out;
    {
        test::AddIn addin;
        addin.Connect(w.Vbe(), ext_cm_AfterStartup);
        idehost::IdeHost::Pump(20);
        g_cbt = SetWindowsHookExA(WH_CBT, AnswerYes, nullptr, GetCurrentThreadId());
        g_firstClose = SetWindowsHookExA(WH_CALLWNDPROC, FirstClose, nullptr, GetCurrentThreadId());
        g_confirmed = 0;
        {
            ClientTimer timer(w.ide.MdiClient());
            addin.Impl().RunMenuCommand(2, -1);
            const double t1 = Now();
            out.total = (t1 - g_confirmed) * 1e3;
            out.client = ClientTimer::seconds * 1e3;
        }
        UnhookWindowsHookEx(g_cbt);
        if (g_firstClose) UnhookWindowsHookEx(std::exchange(g_firstClose, nullptr));
        if (addin.Bar().Count() != 0 || !w.ide.Children().empty())
            std::printf("  close-all left %d tabs\n", addin.Bar().Count());
        idehost::IdeHost::Pump(20);
        addin.Disconnect();
    }
    w.CloseAll();
    return out;
}

// ---- Paint ----

struct PaintPair {
    double paint = 0, blit = 0;
};

PaintPair TimePaint(CMDITab& bar, int iterations) {
    const HWND client = reinterpret_cast<HWND>(bar.hClientWnd());
    const WindowHandle h = bar.hClientWnd();
    PaintPair out;
    double t0 = Now();
    for (int i = 0; i < iterations; ++i) bar.PaintBar(h, false);
    out.paint = (Now() - t0) / iterations;

    // The same strip copied from a memory DC, with the window DC taken and
    // released as the paint does.
    const Rect b = bar.BarRect();
    ScreenDC screen;
    UniqueDC mem = MakeMemoryDC(screen.Get());
    UniqueBitmap bmp(CreateCompatibleBitmap(screen.Get(), b.right + 4, b.bottom + 4));
    SelectInDC sel(mem.Get(), bmp.Get());
    t0 = Now();
    for (int i = 0; i < iterations; ++i) {
        WindowDC dc(client, true);
        BitBlt(dc.Get(), b.left, b.top, b.right - b.left, b.bottom - b.top + 2, mem.Get(), b.left, b.top, SRCCOPY);
    }
    out.blit = (Now() - t0) / iterations;
    return out;
}

// ---- Idle ----

int g_timers = 0, g_paints = 0;
HWND g_watched = nullptr;
HHOOK g_getMsg = nullptr, g_callWnd = nullptr;
LRESULT CALLBACK CountPosted(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const MSG* m = reinterpret_cast<const MSG*>(lParam);
        if (m->message == WM_TIMER) ++g_timers;
        if (m->message == WM_PAINT && m->hwnd == g_watched) ++g_paints;
    }
    return CallNextHookEx(g_getMsg, code, wParam, lParam);
}
LRESULT CALLBACK CountSent(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const CWPSTRUCT* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if ((m->message == WM_NCPAINT || m->message == WM_PAINT) && m->hwnd == g_watched) ++g_paints;
    }
    return CallNextHookEx(g_callWnd, code, wParam, lParam);
}

void IdleCheck(Workspace& w) {
    w.Open(200);
    test::AddIn addin;
    addin.Connect(w.Vbe(), ext_cm_AfterStartup);
    idehost::IdeHost::Pump(300);
    g_watched = w.ide.MdiClient();
    g_timers = g_paints = 0;
    g_getMsg = SetWindowsHookExA(WH_GETMESSAGE, CountPosted, nullptr, GetCurrentThreadId());
    g_callWnd = SetWindowsHookExA(WH_CALLWNDPROC, CountSent, nullptr, GetCurrentThreadId());
    idehost::IdeHost::Pump(1000);
    UnhookWindowsHookEx(g_getMsg);
    UnhookWindowsHookEx(g_callWnd);
    std::printf("  idle for 1 s after connecting with 200 windows: %d timer, %d paint messages (goal 0, 0)  %s\n",
                g_timers, g_paints, g_timers == 0 && g_paints == 0 ? "met" : "NOT met");
    addin.Disconnect();
    w.CloseAll();
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 9;
    // "paint" measures the paint alone.
    const bool paintOnly = argc > 2 && std::string(argv[2]) == "paint";
    OleInitialize(nullptr);
    test::ClearStoredSettings();
    {
        Workspace w;
        // The first connection of a process loads what later ones find ready.
        TimeConnection(w, 20);
        TimeCloseAll(w, 20);

        std::vector<double> c20, c200, cRatio, plain, addin, extra, share, paintFixed, paintFit, rFixed, rFit;
        for (int r = 0; r < (paintOnly ? 0 : rounds); ++r) {
            // Alternate which side goes first, so that neither always follows the other.
            double a = 0, b = 0;
            if (r % 2 == 0) {
                a = TimeConnection(w, 20);
                b = TimeConnection(w, 200);
            } else {
                b = TimeConnection(w, 200);
                a = TimeConnection(w, 20);
            }
            c20.push_back(a);
            c200.push_back(b);
            cRatio.push_back(b / a);

            CloseTimes p, q;
            if (r % 2 == 0) {
                p = TimePlainClose(w, 200);
                q = TimeCloseAll(w, 200);
            } else {
                q = TimeCloseAll(w, 200);
                p = TimePlainClose(w, 200);
            }
            plain.push_back(p.total);
            addin.push_back(q.total);
            extra.push_back(q.total - p.total);
            share.push_back(q.client - p.client);
        }

        // Paint: 100 tabs of the stand-in IDE's windows, with their icons,
        // in both width styles; paints and copies alternate in short runs.
        w.Open(100);
        {
            test::AddIn a;
            a.Connect(w.Vbe(), ext_cm_AfterStartup);
            idehost::IdeHost::Pump(50);
            CMDITab& bar = a.Bar();
            bar.SetSelectedIndex(50);
            idehost::IdeHost::Pump(50);
            for (int r = 0; r < rounds * 4; ++r) {
                for (std::int32_t style : {0, 1}) {
                    bar.SetStyle(style);
                    idehost::IdeHost::Pump(0);
                    const PaintPair pp = TimePaint(bar, 200);
                    (style == 0 ? paintFixed : paintFit).push_back(pp.paint * 1e6);
                    (style == 0 ? rFixed : rFit).push_back(pp.paint / pp.blit);
                }
            }
            a.Disconnect();
        }
        w.CloseAll();

        std::printf("Median over %d rounds, +/- half the interquartile range:\n", rounds);
        if (!paintOnly) {
            ReportPlain("OnConnection, 20 windows", c20, "ms");
            Report("OnConnection, 200 windows", c200, 50, "ms");
            Report("OnConnection, 200 / 20 windows", cRatio, 5, "x");
            ReportPlain("close 200 windows, plain WM_CLOSE loop", plain, "ms");
            ReportPlain("close-all of 200 tabs, confirmation to end", addin, "ms");
            Report("close-all, beyond the windows' own closing", extra, 100, "ms");
            Report("close-all, the add-in's share alone", share, 100, "ms");
        }
        ReportPlain("paint of 100 tabs, fixed width", paintFixed, "us");
        Report("paint of 100 tabs / BitBlt, fixed width", rFixed, 5, "x");
        ReportPlain("paint of 100 tabs, fitted width", paintFit, "us");
        Report("paint of 100 tabs / BitBlt, fitted width", rFit, 5, "x");
        if (!paintOnly) IdleCheck(w);
    }
    // The paint rounds stored the fitted style: leave the defaults behind.
    test::ClearStoredSettings();
    OleUninitialize();
    return 0;
}
