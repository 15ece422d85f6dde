#include "winsvc/win/keyboard_port.h"

#include <windows.h>

#include <cstring>

namespace brisko {

std::wstring Win32KeyboardPort::KeyNameText(std::int32_t lParam) {
    char name[32];
    const int n = GetKeyNameTextA(lParam, name, static_cast<int>(sizeof name));
    if (n <= 0) return {};
    wchar_t wide[32];
    const int w = MultiByteToWideChar(CP_ACP, 0, name, n, wide, 32);
    return std::wstring(wide, w > 0 ? static_cast<std::size_t>(w) : 0);
}

void Win32KeyboardPort::KeyboardState(std::uint8_t (&state)[256]) {
    if (!GetKeyboardState(state)) std::memset(state, 0, sizeof state);
}

std::int16_t Win32KeyboardPort::KeyState(std::int32_t vk) {
    return GetKeyState(vk);
}

std::int16_t Win32KeyboardPort::AsyncKeyState(std::int32_t vk) {
    return GetAsyncKeyState(vk);
}

std::int32_t Win32KeyboardPort::ToAscii(std::uint32_t vk, std::uint32_t scanCode, const std::uint8_t (&state)[256],
                                        std::uint16_t& chars, std::uint32_t menuFlag) {
    WORD out = 0;
    const int n = ::ToAscii(vk, scanCode, state, &out, menuFlag);
    chars = out;
    return n;
}

wchar_t Win32KeyboardPort::CharOfByte(std::uint8_t b) {
    if (b < 0x80) return static_cast<wchar_t>(b);
    const char c = static_cast<char>(b);
    wchar_t w = L'?';
    return MultiByteToWideChar(CP_ACP, 0, &c, 1, &w, 1) == 1 ? w : L'?';
}

std::uint32_t Win32KeyboardPort::ScanCodeOf(std::uint32_t vk) {
    return MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
}

std::uint32_t Win32KeyboardPort::TickCount() {
    return GetTickCount();
}

}  // namespace brisko
