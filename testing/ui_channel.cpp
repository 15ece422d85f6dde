#include "testing/ui_channel.h"

#include <exception>
#include <stdexcept>
#include <thread>

namespace brisko::test {
namespace {

struct KernelHandleTraits {
    static void Close(HANDLE h) { CloseHandle(h); }
};
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;

constexpr UINT kRunOnUiThread = WM_APP + 0x2B1;
constexpr const char* kChannelClass = "IdeHostScenarioChannel";

// Ends a modal loop that input left open on `thread` (a menu, a dialog):
// Esc first, as a user would, then a request to close the active window.
// False when the loop is still running.
bool CloseLeftOpenLoop(DWORD thread, HANDLE back) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (attempt < 3) {
            INPUT keys[2]{};
            keys[0].type = keys[1].type = INPUT_KEYBOARD;
            keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
            keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
            SendInput(2, keys, sizeof(INPUT));
        } else {
            GUITHREADINFO info{};
            info.cbSize = sizeof(info);
            if (GetGUIThreadInfo(thread, &info)) {
                if (info.hwndMenuOwner) PostMessageA(info.hwndMenuOwner, WM_CANCELMODE, 0, 0);
                if (info.hwndActive) PostMessageA(info.hwndActive, WM_CLOSE, 0, 0);
            }
        }
        if (WaitForSingleObject(back, 1000) == WAIT_OBJECT_0) return true;
    }
    return false;
}

}  // namespace

UiChannel::UiChannel() {
    static const bool registered = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &UiChannel::Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kChannelClass;
        return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    if (registered)
        hwnd_.Reset(CreateWindowExA(0, kChannelClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    GetModuleHandleA(nullptr), nullptr));
}

bool UiChannel::Run(const std::function<void()>& fn) const {
    DWORD_PTR result = 0;
    return hwnd_ && SendMessageTimeoutA(hwnd_.Get(), kRunOnUiThread, 0, reinterpret_cast<LPARAM>(&fn), SMTO_NORMAL,
                                        60000, &result) != 0;
}

void UiChannel::Sync() const {
    DWORD_PTR result = 0;
    if (hwnd_) SendMessageTimeoutA(hwnd_.Get(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
}

LRESULT CALLBACK UiChannel::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kRunOnUiThread) {
        try {
            (*reinterpret_cast<const std::function<void()>*>(lp))();
        } catch (...) {
        }
        return 1;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void RunWhilePumping(const std::function<void(const UiChannel&)>& work) {
    constexpr DWORD kModalGraceMs = 4000;
    UiChannel channel;
    UniqueKernelHandle done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    UniqueKernelHandle back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!done || !back) throw std::runtime_error("no event for the helper thread");
    const DWORD uiThread = GetCurrentThreadId();
    std::exception_ptr error;
    bool leftOpen = false;
    std::thread helper([&] {
        try {
            work(channel);
        } catch (...) {
            error = std::current_exception();
        }
        SetEvent(done.Get());
        if (WaitForSingleObject(back.Get(), kModalGraceMs) != WAIT_OBJECT_0) {
            leftOpen = true;
            CloseLeftOpenLoop(uiThread, back.Get());
        }
    });
    bool quit = false;
    WPARAM quitCode = 0;
    HANDLE wait = done.Get();
    for (;;) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) {
                quit = true;
                quitCode = m.wParam;
                continue;
            }
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        if (MsgWaitForMultipleObjects(1, &wait, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0) break;
    }
    SetEvent(back.Get());
    helper.join();
    if (quit) PostQuitMessage(static_cast<int>(quitCode));  // for the outer loop
    if (error) std::rethrow_exception(error);
    if (leftOpen)
        throw std::runtime_error(
            "the input left a modal loop open (a menu or a dialog); it was closed with Esc. Steps that act inside "
            "it belong in the same input sequence");
}

}  // namespace brisko::test
