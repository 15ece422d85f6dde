#pragma once
// The clipboard's text, read under a lock that waits a moment for another
// program that holds the clipboard.
#include <windows.h>

#include <cwchar>
#include <string>

namespace brisko {

class ClipboardLock {
public:
    explicit ClipboardLock(HWND owner) {
        for (int i = 0; i < 5 && !open_; ++i) {
            open_ = OpenClipboard(owner) != FALSE;
            if (!open_) Sleep(10);
        }
    }
    ~ClipboardLock() {
        if (open_) CloseClipboard();
    }
    ClipboardLock(const ClipboardLock&) = delete;
    ClipboardLock& operator=(const ClipboardLock&) = delete;
    bool Open() const { return open_; }

private:
    bool open_ = false;
};

// The Unicode text on the clipboard, cut at its terminator or at the end of
// its memory, whichever comes first; empty when there is none.
inline std::wstring ReadClipboardText(HWND owner) {
    ClipboardLock lock(owner);
    if (!lock.Open()) return L"";
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return L"";
    const auto* p = static_cast<const wchar_t*>(GlobalLock(data));
    if (!p) return L"";
    std::wstring text(p, wcsnlen(p, GlobalSize(data) / sizeof(wchar_t)));
    GlobalUnlock(data);
    return text;
}

}  // namespace brisko
