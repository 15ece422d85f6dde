#pragma once
// For the Windows tests: a step run from a thread timer on every tick, also
// inside the modal loops of message boxes, menus and common dialogs, until
// the step says it is done.
#include <windows.h>

#include <functional>
#include <utility>

#include "common/non_copyable.h"

namespace brisko::test {

class TickAction : NonCopyable {
public:
    explicit TickAction(std::function<bool()> step) : step_(std::move(step)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 50, &TickAction::Tick);
    }
    ~TickAction() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool done = false;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        TickAction* self = current_;
        if (self && !self->done) self->done = self->step_();
    }
    static inline TickAction* current_ = nullptr;
    std::function<bool()> step_;
    UINT_PTR timer_ = 0;
};

// A visible dialog box (message box, common dialog) of this thread, or null.
inline HWND ThreadDialog() {
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32770", nullptr));)
        if (IsWindowVisible(w) && GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId()) return w;
    return nullptr;
}

}  // namespace brisko::test
