#include "winsvc/key_text.h"

#include <iterator>
#include <utility>

#include "winsvc/shift.h"

namespace brisko {
namespace {

constexpr std::uint32_t kVkShift = 16, kVkControl = 17, kVkMenu = 18, kVkCapital = 20, kVkEscape = 27, kVkSpace = 32;
constexpr std::uint32_t kVkLShift = 160, kVkRShift = 161, kVkLControl = 162, kVkRControl = 163, kVkLMenu = 164,
                        kVkRMenu = 165;
constexpr std::uintptr_t kWmKeyDown = 0x100, kWmSysKeyDown = 0x104;
constexpr std::int32_t kNoLeftRight = 0x2000000;

bool IsDown(std::int16_t state) {
    return (static_cast<std::uint16_t>(state) & 0x8000u) != 0;
}
bool IsToggled(std::int16_t state) {
    return (state & 1) != 0;
}

// Each modifier that is held goes in front, so the one tested last stands first.
std::wstring PrefixHeldModifiers(std::wstring text, const std::uint32_t* vks, std::size_t n, bool bShowLR,
                                 KeyboardPort& port) {
    for (std::size_t i = 0; i < n; ++i) {
        if (IsDown(port.AsyncKeyState(static_cast<std::int32_t>(vks[i])))) {
            text = KeyName(ModifierRecord(vks[i], port), bShowLR, port) + L'+' + text;
        }
    }
    return text;
}

}  // namespace

bool IsReportedKeyDown(bool bActive, bool bBefore, std::int32_t nCode, std::uintptr_t wParam, std::uint32_t vkCode) {
    if (!bActive || !bBefore || nCode != 0) return false;
    if (wParam != kWmKeyDown && wParam != kWmSysKeyDown) return false;
    const bool modifier =
        vkCode == kVkShift || vkCode == kVkControl || vkCode == kVkMenu || (vkCode >= kVkLShift && vkCode <= kVkRMenu);
    return !modifier;
}

std::wstring KeyName(const KeyRecord& rec, bool bShowLR, KeyboardPort& port) {
    if (rec.vkCode == kVkSpace) return L" ";
    // Layouts disagree on Escape ("Escape" under Wine), and "Esc" is the text
    // that cancels a tab drag.
    if (rec.vkCode == kVkEscape) return L"Esc";
    std::int32_t lParam = CShift::ShiftLeft(static_cast<std::int32_t>(rec.scanCode), 16);
    lParam = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(lParam) + 1u +
        static_cast<std::uint32_t>(CShift::ShiftLeft(static_cast<std::int32_t>(rec.flags), 24)));
    if (!bShowLR) lParam |= kNoLeftRight;
    return port.KeyNameText(lParam);
}

KeyRecord ModifierRecord(std::uint32_t vk, KeyboardPort& port) {
    KeyRecord rec;
    rec.vkCode = vk;
    rec.scanCode = port.ScanCodeOf(vk);
    const bool extended = vk == 3 || vk == 17 || vk == 18 || (vk >= 33 && vk <= 40) || (vk >= 44 && vk <= 46) ||
                          vk == 111 || vk == kVkRControl;
    if (extended) {
        rec.flags = kKeyExtended;
    } else if (vk == kVkLMenu || vk == kVkRMenu) {
        rec.flags = kKeyAltDown;
    }
    rec.time = port.TickCount();
    return rec;
}

std::wstring BuildKeyText(const KeyRecord& rec, bool bShowLR, KeyboardPort& port) {
    const std::wstring name = KeyName(rec, bShowLR, port);
    if (name.empty()) return L"[UNRECOGNISED-" + std::to_wstring(rec.vkCode) + L"]";

    if (name.size() == 1) {
        // A character key: the character it types with Shift and Caps Lock as
        // this thread last saw them.
        std::uint8_t state[256];
        port.KeyboardState(state);
        state[kVkCapital] = IsToggled(port.KeyState(kVkCapital)) ? 1 : 0;
        state[kVkShift] = IsDown(port.KeyState(kVkShift)) ? 128 : 0;
        std::uint16_t chars = 0;
        const std::int32_t n = port.ToAscii(rec.vkCode, rec.scanCode, state, chars, rec.flags & kKeyAltDown);
        std::wstring text = name;
        if (n >= 1) {
            text.assign(1, port.CharOfByte(static_cast<std::uint8_t>(chars & 0xFF)));
            if (n == 2) text += port.CharOfByte(static_cast<std::uint8_t>(CShift::ShiftRight(chars, 8) & 0xFF));
        }
        // Ctrl turns letters into control characters; give the letter back.
        if (IsDown(port.AsyncKeyState(kVkControl)) && text[0] < 32) text.assign(1, static_cast<wchar_t>(text[0] + 64));
        static constexpr std::uint32_t kPrefixes[] = {kVkLControl, kVkRControl, kVkLMenu, kVkRMenu};
        return PrefixHeldModifiers(std::move(text), kPrefixes, std::size(kPrefixes), bShowLR, port);
    }

    std::wstring text = name;
    switch (rec.vkCode) {
        case 19:
        case 20:
        case 45:
        case 144:
        case 145:
            // The toggle state before this press takes effect.
            text += IsToggled(port.KeyState(static_cast<std::int32_t>(rec.vkCode))) ? L'-' : L'+';
            break;
        default:
            break;
    }
    static constexpr std::uint32_t kPrefixes[] = {kVkLControl, kVkRControl, kVkLShift, kVkRShift, kVkLMenu, kVkRMenu};
    return PrefixHeldModifiers(std::move(text), kPrefixes, std::size(kPrefixes), bShowLR, port);
}

}  // namespace brisko
