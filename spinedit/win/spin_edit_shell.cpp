// What the spin edit box asks of the shell: the clipboard's text, message
// boxes with their help, and sounds.
#include <string>

#include "spinedit/win/spin_edit.h"
#include "spinedit/win/spin_edit_internal.h"

namespace brisko {

namespace {

class ClipboardLock {
public:
    explicit ClipboardLock(HWND owner) {
        // Another program may hold the clipboard for a moment.
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

// The help file of the message box being shown, for its Help button.
thread_local const std::wstring* t_helpFile = nullptr;

void CALLBACK MessageHelp(LPHELPINFO info) {
    if (t_helpFile && info)
        WinHelpW(static_cast<HWND>(info->hItemHandle), t_helpFile->c_str(), HELP_CONTEXT,
                 static_cast<ULONG_PTR>(info->dwContextId));
}

}  // namespace

std::wstring SpinEdit::ClipboardText() const {
    ClipboardLock lock(hwnd_);
    if (!lock.Open()) return L"";
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return L"";
    const auto* p = static_cast<const wchar_t*>(GlobalLock(data));
    if (!p) return L"";
    const SIZE_T max = GlobalSize(data) / sizeof(wchar_t);
    std::wstring text(p, wcsnlen(p, max));
    GlobalUnlock(data);
    return text;
}

void SpinEdit::ShowMessage(const std::wstring& text, const std::wstring& title, const std::wstring& helpFile,
                           std::int32_t context) {
    MSGBOXPARAMSW params{};
    params.cbSize = sizeof params;
    params.hwndOwner = GetAncestor(hwnd_, GA_ROOT);
    params.hInstance = spin_edit_detail::Instance();
    params.lpszText = text.c_str();
    params.lpszCaption = title.c_str();
    params.dwStyle = MB_OK;
    if (!helpFile.empty()) {
        params.dwStyle |= MB_HELP;
        params.dwContextHelpId = static_cast<DWORD_PTR>(context);
        params.lpfnMsgBoxCallback = &MessageHelp;
    }
    const std::wstring* previous = t_helpFile;
    t_helpFile = &helpFile;
    MessageBoxIndirectW(&params);
    t_helpFile = previous;
}

void SpinEdit::PlaySound(std::int32_t kind, std::int32_t frequency, std::int32_t duration) {
    switch (static_cast<brisko::BeepSound>(kind)) {
        case brisko::BeepSound::Default:
            MessageBeep(MB_OK);
            break;
        case brisko::BeepSound::Tone:
            ::Beep(static_cast<DWORD>(frequency), static_cast<DWORD>(duration));
            break;
        case brisko::BeepSound::Simple:
            MessageBeep(0xFFFFFFFF);
            break;
        case brisko::BeepSound::Information:
            MessageBeep(MB_ICONASTERISK);
            break;
        case brisko::BeepSound::Question:
            MessageBeep(MB_ICONQUESTION);
            break;
        case brisko::BeepSound::Exclamation:
            MessageBeep(MB_ICONEXCLAMATION);
            break;
        case brisko::BeepSound::Critical:
            MessageBeep(MB_ICONHAND);
            break;
        default:
            return;
    }
    if (soundObserver_) soundObserver_(kind);
}

void SpinEdit::AboutBox() const {
    MessageBoxW(GetAncestor(hwnd_, GA_ROOT), SpinEditAboutText().c_str(), SpinEditAboutTitle().c_str(),
                MB_OK | MB_ICONINFORMATION);
}

}  // namespace brisko
