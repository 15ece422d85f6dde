// Many windows: connection, "すべて閉じる" and painting near their limits,
// each against a reference measured in the same run.
//
//   wine-run.sh many_windows_bench.exe [rounds] [paint | connect]
//
// Every round measures each compared pair back to back, so that a busy
// machine disturbs both sides alike; what is printed is the median over the
// rounds of the per-round figure, with its spread (half the distance between
// the first and third quartile). A goal counts as met only when the median
// clears it by more than that spread.
//
//   connection  OnConnection (after start-up) with 200 code and designer
//               windows open, in ms, and as a ratio to the same with 20;
//               and in the VBA editor with 20 workbooks of 50 components
//               each and 200 windows, their titles shared across workbooks,
//               in ms and as a ratio to the VB6 IDE's 200 of the same round;
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
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "common/win/gdi.h"
#include "tests/addin_fixture.h"

using namespace brisko;

namespace {

// Seconds on the performance counter.
double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Prints the median of v with half its interquartile range, and the verdict
// on a goal (none when goal is 0).
void Report(const char* what, std::vector<double> v, const char* unit, double goal = 0) {
    std::sort(v.begin(), v.end());
    auto at = [&](double q) {
        const double pos = q * static_cast<double>(v.size() - 1);
        const auto lo = static_cast<std::size_t>(pos);
        return v[lo] + (v[std::min(lo + 1, v.size() - 1)] - v[lo]) * (pos - static_cast<double>(lo));
    };
    const double median = at(0.5), half = (at(0.75) - at(0.25)) / 2;
    const char* verdict = median + half < goal ? "met" : median < goal ? "unclear (spread)" : "NOT met";
    std::printf("  %-44s %9.2f %-2s +/- %6.2f", what, median, unit, half);
    if (goal > 0) std::printf("  goal <= %6.1f  %s", goal, verdict);
    std::printf("\n");
}

// The sample project group: 60 forms (code window and designer each), 40
// standard and 40 class modules in Project1, and a second project, so that
// every caption is matched against the project names as in a real session.
struct Workspace {
    idehost::IdeHost ide;
    std::vector<std::pair<const wchar_t*, std::wstring>> windows;  // class, caption

    explicit Workspace(IdeKind kind = IdeKind::Vb6) : ide(idehost::IdeHostOptions{.ide = kind}) {
        if (kind == IdeKind::VbaEditor) {
            FillOffice();
            return;
        }
        auto& p1 = ide.Model().AddProject(L"Project1");
        auto& p2 = ide.Model().AddProject(L"Project2");
        for (int i = 1; i <= 10; ++i) p2.AddComponent(L"Helper" + std::to_wstring(i), idehost::vbext_ct_StdModule);
        for (int i = 1; i <= 60; ++i) p1.AddComponent(L"Form" + std::to_wstring(i), idehost::vbext_ct_VBForm);
        for (int i = 1; i <= 40; ++i) p1.AddComponent(L"Module" + std::to_wstring(i), idehost::vbext_ct_StdModule);
        for (int i = 1; i <= 40; ++i) p1.AddComponent(L"Class" + std::to_wstring(i), idehost::vbext_ct_ClassModule);
        // Interleaved kinds, so that the first 20 windows are a fair sample.
        for (int i = 1; i <= 60; ++i) {
            const std::wstring n = std::to_wstring(i);
            windows.emplace_back(L"VbaWindow", L"Project1 - Form" + n + test::kCode);
            windows.emplace_back(L"DesignerWindow", L"Project1 - Form" + n + L" (Form)");
            if (i > 40) continue;
            windows.emplace_back(L"VbaWindow", L"Project1 - Module" + n + test::kCode);
            windows.emplace_back(L"VbaWindow", L"Project1 - Class" + n + test::kCode);
        }
    }
    // A power user's Excel: 20 workbooks (half never saved) of 50
    // components each, all with the same names, and 10 windows of each.
    void FillOffice() {
        for (int b = 1; b <= 20; ++b) {
            auto& p = ide.Model().AddProject(L"VBAProject");
            const std::wstring doc = b <= 10 ? L"Book" + std::to_wstring(b) : L"Report" + std::to_wstring(b) + L".xlsm";
            p.SetDocument(doc, b <= 10 ? std::wstring() : L"C:\\Reports\\" + doc);
            const std::pair<const wchar_t*, std::pair<int, long>> kinds[] = {
                {L"ThisWorkbook", {1, idehost::vbext_ct_Document}}, {L"Sheet", {9, idehost::vbext_ct_Document}},
                {L"UserForm", {5, idehost::vbext_ct_MSForm}},       {L"Module", {20, idehost::vbext_ct_StdModule}},
                {L"Class", {15, idehost::vbext_ct_ClassModule}},
            };
            for (const auto& [name, kind] : kinds)
                for (int i = 1; i <= kind.first; ++i)
                    p.AddComponent(kind.first == 1 ? std::wstring(name) : name + std::to_wstring(i), kind.second);
            for (const wchar_t* c : {L"Sheet1", L"Module1", L"Module2", L"Module3", L"Module4", L"Class1", L"Class2",
                                     L"Class3", L"UserForm1"})
                windows.emplace_back(L"VbaWindow", doc + L" - " + c + L" (Code)");
            windows.emplace_back(L"DesignerWindow", doc + L" - UserForm1 (UserForm)");
        }
    }

    IDispatch* Vbe() { return static_cast<IDispatch*>(&ide.Model()); }
    void Open(int n) {
        for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) ide.Open(windows[i].first, windows[i].second);
        idehost::IdeHost::Pump(20);
    }
    void CloseAll() {
        ide.DestroyAllChildren();
        idehost::IdeHost::Pump(20);
    }
};

double TimeConnection(Workspace& w, int windows) {
    w.Open(windows);
    SetRunningIdeKindForTests(w.ide.Ide());
    test::AddIn addin;
    const double t0 = Now();
    const HRESULT hr = addin.Connect(w.Vbe(), ext_cm_AfterStartup);
    const double ms = (Now() - t0) * 1e3;
    if (hr != S_OK || addin.Bar().Count() != windows) std::printf("  connection with %d windows failed\n", windows);
    idehost::IdeHost::Pump(10);
    addin.Disconnect();
    SetRunningIdeKindForTests(IdeKind::Vb6);
    w.CloseAll();
    return ms;
}

// Answers the confirmation with Yes as it opens, and marks the first
// WM_CLOSE the add-in sends, which it does right after: the figure runs from
// there, since the message box's own going (a top-level window, and the main
// window active again) is no part of closing the windows, and varies by more
// than all of it.
HHOOK g_firstClose = nullptr;
double g_confirmed = 0;
LRESULT CALLBACK ConfirmAndMark(int code, WPARAM wParam, LPARAM lParam) {
    const LRESULT r = CallNextHookEx(g_firstClose, code, wParam, lParam);
    const CWPSTRUCT* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && m->message == WM_INITDIALOG) PostMessageA(m->hwnd, WM_COMMAND, IDYES, 0);
    if (code == HC_ACTION && m->message == WM_CLOSE && g_firstClose) {
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
// busy machine varies by far more than that share. It also counts the
// client's paint messages. Installed on top of whatever already subclasses
// the client, and removed before it goes.
struct ClientTimer {
    static inline WNDPROC prev = nullptr;
    static inline double seconds = 0;
    static inline int depth = 0, paints = 0;
    HWND client;
    explicit ClientTimer(HWND c) : client(c) {
        seconds = 0, paints = 0;
        prev = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(client, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ClientTimer::Proc)));
    }
    ~ClientTimer() { SetWindowLongPtrA(client, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prev)); }
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        const bool paint = m == WM_NCPAINT || m == WM_PAINT;
        paints += paint;
        const bool timed = (m == WM_PARENTNOTIFY && LOWORD(w) == WM_DESTROY) || m == WM_NCCALCSIZE || paint;
        // Nested ones (a frame change inside a notice) count once.
        const bool outer = timed && depth++ == 0;
        const double t0 = outer ? Now() : 0;
        const LRESULT r = CallWindowProcA(prev, h, m, w, l);
        if (outer) seconds += Now() - t0;
        if (timed) --depth;
        return r;
    }
};

// The whole loop and the MDI client's part of it, in ms: with the add-in,
// "すべて閉じる" answered Yes; without, WM_CLOSE to each window from the
// bottom of the z-order up, as the add-in closes from its last tab.
std::pair<double, double> TimeClose(Workspace& w, int windows, bool withAddIn) {
    w.Open(windows);
    const auto children = w.ide.Children();
    test::AddIn addin;
    if (withAddIn) addin.Connect(w.Vbe(), ext_cm_AfterStartup);
    idehost::IdeHost::Pump(20);
    g_firstClose =
        withAddIn ? SetWindowsHookExA(WH_CALLWNDPROC, ConfirmAndMark, nullptr, GetCurrentThreadId()) : nullptr;
    std::pair<double, double> out;
    {
        ClientTimer timer(w.ide.MdiClient());
        g_confirmed = Now();
        if (withAddIn) addin.Impl().RunMenuCommand(2, -1);
        for (auto it = children.rbegin(); !withAddIn && it != children.rend(); ++it) SendMessageA(*it, WM_CLOSE, 0, 0);
        out = {(Now() - g_confirmed) * 1e3, ClientTimer::seconds * 1e3};
    }
    idehost::IdeHost::Pump(20);
    if (g_firstClose) UnhookWindowsHookEx(std::exchange(g_firstClose, nullptr));
    if (!w.ide.Children().empty()) std::printf("  close-all left %zu windows\n", w.ide.Children().size());
    if (withAddIn) addin.Disconnect();
    return out;
}

// One paint of the bar and one BitBlt of the same strip from a memory DC,
// with the window DC taken and released as the paint does, in s each.
std::pair<double, double> TimePaint(CMDITab& bar, int iterations) {
    const Rect b = bar.BarRect();
    ScreenDC screen;
    UniqueDC mem = MakeMemoryDC(screen.Get());
    UniqueBitmap bmp(CreateCompatibleBitmap(screen.Get(), b.right + 4, b.bottom + 4));
    SelectInDC sel(mem.Get(), bmp.Get());
    double t0 = Now();
    for (int i = 0; i < iterations; ++i) bar.PaintBar(bar.hClientWnd(), false);
    const double paint = (Now() - t0) / iterations;
    t0 = Now();
    for (int i = 0; i < iterations; ++i) {
        WindowDC dc(reinterpret_cast<HWND>(bar.hClientWnd()), DcArea::WholeWindow);
        BitBlt(dc.Get(), b.left, b.top, b.right - b.left, b.bottom - b.top + 2, mem.Get(), b.left, b.top, SRCCOPY);
    }
    return {paint, (Now() - t0) / iterations};
}

int g_timers = 0;
LRESULT CALLBACK CountTimers(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE && reinterpret_cast<const MSG*>(lParam)->message == WM_TIMER)
        ++g_timers;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void IdleCheck(Workspace& w) {
    w.Open(200);
    test::AddIn addin;
    addin.Connect(w.Vbe(), ext_cm_AfterStartup);
    idehost::IdeHost::Pump(300);
    const HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, CountTimers, nullptr, GetCurrentThreadId());
    {
        ClientTimer paints(w.ide.MdiClient());
        idehost::IdeHost::Pump(1000);
    }
    UnhookWindowsHookEx(hook);
    std::printf("  idle for 1 s after connecting with 200 windows: %d timer, %d paint messages (goal 0, 0)  %s\n",
                g_timers, ClientTimer::paints, g_timers == 0 && ClientTimer::paints == 0 ? "met" : "NOT met");
    addin.Disconnect();
    w.CloseAll();
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 9;
    // "paint" measures the paint alone, "connect" the connections alone.
    const std::string only = argc > 2 ? argv[2] : "";
    const bool connections = only != "paint", rest = only.empty(), painting = only != "connect";
    OleInitialize(nullptr);
    SetRunningIdeKindForTests(IdeKind::Vb6);
    test::ClearStoredSettings();
    {
        Workspace w;
        Workspace office(IdeKind::VbaEditor);
        // The first connection of a process loads what later ones find ready.
        TimeConnection(w, 20);
        TimeConnection(office, 20);
        TimeClose(w, 20, true);

        std::vector<double> cOffice, cOfficeRatio, c20, c200, cRatio, plain, addin, extra, share, paintFixed, paintFit, rFixed, rFit;
        for (int r = 0; r < (connections ? rounds : 0); ++r) {
            // Each pair in both orders, alternately, so that neither side always follows the other.
            double c[2];
            std::pair<double, double> close[2];  // without, with the add-in
            for (int k : {r % 2, 1 - r % 2}) c[k] = TimeConnection(w, k ? 200 : 20);
            cOffice.push_back(TimeConnection(office, 200));
            cOfficeRatio.push_back(cOffice.back() / c[1]);
            c20.push_back(c[0]);
            c200.push_back(c[1]);
            cRatio.push_back(c[1] / c[0]);
            if (!rest) continue;
            for (int k : {r % 2, 1 - r % 2}) close[k] = TimeClose(w, 200, k == 1);
            plain.push_back(close[0].first);
            addin.push_back(close[1].first);
            extra.push_back(close[1].first - close[0].first);
            share.push_back(close[1].second - close[0].second);
        }

        // Paint: 100 tabs of the stand-in IDE's windows, with their icons,
        // in both width styles; paints and copies alternate in short runs.
        if (painting) {
            w.Open(100);
            test::AddIn a;
            a.Connect(w.Vbe(), ext_cm_AfterStartup);
            a.Bar().SetSelectedIndex(50);
            idehost::IdeHost::Pump(50);
            for (int r = 0; r < rounds * 4; ++r) {
                for (std::int32_t style : {0, 1}) {
                    a.Bar().SetStyle(style);
                    idehost::IdeHost::Pump(0);
                    const auto [paint, blit] = TimePaint(a.Bar(), 200);
                    (style == 0 ? paintFixed : paintFit).push_back(paint * 1e6);
                    (style == 0 ? rFixed : rFit).push_back(paint / blit);
                }
            }
            a.Disconnect();
            w.CloseAll();
        }

        std::printf("Median over %d rounds, +/- half the interquartile range:\n", rounds);
        if (connections) {
            Report("OnConnection, 20 windows", c20, "ms");
            Report("OnConnection, 200 windows", c200, "ms", 50);
            Report("OnConnection, 200 / 20 windows", cRatio, "x", 5);
            Report("OnConnection, VBA editor, 20 x 50, 200", cOffice, "ms", 50);
            Report("OnConnection, VBA editor / VB6 IDE, 200", cOfficeRatio, "x");
        }
        if (rest) {
            Report("close 200 windows, plain WM_CLOSE loop", plain, "ms");
            Report("close-all of 200 tabs, confirmation to end", addin, "ms");
            Report("close-all, beyond the windows' own closing", extra, "ms", 100);
            Report("close-all, the add-in's share alone", share, "ms", 100);
        }
        if (painting) {
            Report("paint of 100 tabs, fixed width", paintFixed, "us");
            Report("paint of 100 tabs / BitBlt, fixed width", rFixed, "x", 5);
            Report("paint of 100 tabs, fitted width", paintFit, "us");
            Report("paint of 100 tabs / BitBlt, fitted width", rFit, "x", 5);
        }
        if (rest) IdleCheck(w);
    }
    // The paint rounds stored the fitted style: leave the defaults behind.
    test::ClearStoredSettings();
    OleUninitialize();
    return 0;
}
