#pragma once
// Turning one key press seen by a low-level keyboard hook into a readable
// text: a key name ("Esc", "F5", "Enter") or the typed character, with the
// names of the held Ctrl and Alt keys in front ("Ctrl+A", "Alt+Ctrl+F5").
//
// The keyboard layout, the key states and the translation to characters come
// through KeyboardPort, so the composition rules are tested without a window
// system; the Win32 port asks user32.
#include <cstdint>
#include <string>

namespace brisko {

// The record a low-level keyboard hook receives (KBDLLHOOKSTRUCT).
struct KeyRecord {
    std::uint32_t vkCode = 0;
    std::uint32_t scanCode = 0;
    std::uint32_t flags = 0;
    std::uint32_t time = 0;
    std::uintptr_t dwExtraInfo = 0;
};

// Flag bits of KeyRecord::flags.
inline constexpr std::uint32_t kKeyExtended = 0x01;
inline constexpr std::uint32_t kKeyInjected = 0x10;
inline constexpr std::uint32_t kKeyAltDown = 0x20;

class KeyboardPort {
public:
    // GetKeyNameTextA with a 32-character buffer; empty when the layout has no name.
    virtual std::wstring KeyNameText(std::int32_t lParam) = 0;
    // GetKeyboardState; all zero when it fails.
    virtual void KeyboardState(std::uint8_t (&state)[256]) = 0;
    virtual std::int16_t KeyState(std::int32_t vk) = 0;       // GetKeyState
    virtual std::int16_t AsyncKeyState(std::int32_t vk) = 0;  // GetAsyncKeyState
    // ToAscii: the characters land in the low and the next byte of `chars`.
    virtual std::int32_t ToAscii(std::uint32_t vk, std::uint32_t scanCode, const std::uint8_t (&state)[256],
                                 std::uint16_t& chars, std::uint32_t menuFlag) = 0;
    // The character that one byte of ToAscii's output stands for in the ANSI code page.
    virtual wchar_t CharOfByte(std::uint8_t b) = 0;
    virtual std::uint32_t ScanCodeOf(std::uint32_t vk) = 0;  // MapVirtualKeyA(vk, 0)
    virtual std::uint32_t TickCount() = 0;

protected:
    ~KeyboardPort() = default;
};

// The text of a pressed key (never called for the modifier keys themselves).
// Empty never: an unknown key gives "[UNRECOGNISED-<vk>]".
std::wstring BuildKeyText(const KeyRecord& rec, bool bShowLR, KeyboardPort& port);

// The name of a key as the layout gives it; Space is " " and Escape is "Esc"
// on every system.
std::wstring KeyName(const KeyRecord& rec, bool bShowLR, KeyboardPort& port);

// The record that names a held modifier key.
KeyRecord ModifierRecord(std::uint32_t vk, KeyboardPort& port);

// Whether a call of the low-level keyboard hook is a key press to report.
bool IsReportedKeyDown(bool bActive, bool bBefore, std::int32_t nCode, std::uintptr_t wParam, std::uint32_t vkCode);

}  // namespace brisko
