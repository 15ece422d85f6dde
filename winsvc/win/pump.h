#pragma once
// Runs the thread's message loop in the tests, as the IDE's would.
#include <windows.h>

#include <functional>

namespace brisko::test {

// Pumps messages for `ms` milliseconds, or until `done()` is true.
inline void Pump(DWORD ms, const std::function<bool()>& done = {}) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done && done()) return;
        const DWORD spent = GetTickCount() - start;
        if (spent >= ms) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
    }
}

}  // namespace brisko::test
