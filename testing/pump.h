#pragma once
// Runs the thread's message loop in the tests, the demos and the stand-in
// IDE, as the IDE's would, and makes the top-level windows the tests watch.
#include <windows.h>

#include <functional>

namespace brisko::test {

// Pumps messages for `ms` milliseconds, or until `done()` is true.
inline void Pump(DWORD ms, const std::function<bool()>& done = {}) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // left for the outer loop
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done && done()) return;
        const DWORD spent = GetTickCount() - start;
        if (spent >= ms) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
    }
}

// A top-level ANSI window of the class `cls` (registered on first use) with `proc`.
inline HWND NewTestWindow(const char* cls, WNDPROC proc, DWORD style = WS_OVERLAPPEDWINDOW) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = cls;
    RegisterClassA(&wc);  // fails harmlessly when already registered
    return CreateWindowExA(0, cls, "", style, 0, 0, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
}

}  // namespace brisko::test
