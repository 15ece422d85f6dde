// What the spin edit box asks of the shell: the clipboard's text, message
// boxes with their help, and sounds.
#include <string>

#include "common/win/clipboard.h"
#include "spinedit/win/spin_edit.h"
#include "spinedit/win/spin_edit_internal.h"

namespace brisko {

namespace {

// The help file of the message box being shown, for its Help button.
thread_local const std::wstring* t_helpFile = nullptr;

void CALLBACK MessageHelp(LPHELPINFO info) {
    if (t_helpFile && info)
        WinHelpW(static_cast<HWND>(info->hItemHandle), t_helpFile->c_str(), HELP_CONTEXT,
                 static_cast<ULONG_PTR>(info->dwContextId));
}

}  // namespace

std::wstring SpinEdit::ClipboardText() const {
    return ReadClipboardText(hwnd_);
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
    // The system sound of each kind, by BeepSound; Tone is a tone of its own.
    static constexpr UINT kSounds[] = {
        0, MB_OK, 0, 0xFFFFFFFF, MB_ICONASTERISK, MB_ICONQUESTION, MB_ICONEXCLAMATION, MB_ICONHAND};
    if (!IsBeepSound(kind)) return;
    if (static_cast<brisko::BeepSound>(kind) == brisko::BeepSound::Tone)
        ::Beep(static_cast<DWORD>(frequency), static_cast<DWORD>(duration));
    else
        MessageBeep(kSounds[kind]);
    if (soundObserver_) soundObserver_(kind);
}

void SpinEdit::AboutBox() const {
    MessageBoxW(GetAncestor(hwnd_, GA_ROOT), SpinEditAboutText().c_str(), SpinEditAboutTitle().c_str(),
                MB_OK | MB_ICONINFORMATION);
}

}  // namespace brisko
