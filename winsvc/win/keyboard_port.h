#pragma once
// The key-text port over user32's keyboard functions.
#include "winsvc/key_text.h"

namespace brisko {

class Win32KeyboardPort final : public KeyboardPort {
public:
    std::wstring KeyNameText(std::int32_t lParam) override;
    void KeyboardState(std::uint8_t (&state)[256]) override;
    std::int16_t KeyState(std::int32_t vk) override;
    std::int16_t AsyncKeyState(std::int32_t vk) override;
    std::int32_t ToAscii(std::uint32_t vk, std::uint32_t scanCode, const std::uint8_t (&state)[256],
                         std::uint16_t& chars, std::uint32_t menuFlag) override;
    wchar_t CharOfByte(std::uint8_t b) override;
    std::uint32_t ScanCodeOf(std::uint32_t vk) override;
    std::uint32_t TickCount() override;
};

}  // namespace brisko
