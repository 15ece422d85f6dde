#pragma once
// The numbers of the spin edit box's modes and styles, as a form stores them
// and as the type library's constants name them (sebLeftJustify, sebFlat...).
// The properties stay plain numbers on the surface; these give them names.
#include <cstdint>

namespace brisko {

// Alignment: the text's place across the box.
inline constexpr std::int32_t kAlignLeft = 0, kAlignRight = 1, kAlignCenter = 2;
// VAlign: the text box's place in the control's height.
inline constexpr std::int32_t kVAlignTop = 0, kVAlignBottom = 1, kVAlignMiddle = 2;
inline constexpr std::int32_t kBorderStyleNone = 0, kBorderStyleFixedSingle = 1;
inline constexpr std::int32_t kAppearanceFlat = 0, kAppearance3D = 1;

// MousePointer and SpinMousePointer.
enum class PointerShape : std::int32_t {
    Default = 0,
    Arrow = 1,
    Crosshair = 2,
    Ibeam = 3,
    IconPointer = 4,
    SizePointer = 5,
    SizeNESW = 6,
    SizeNS = 7,
    SizeNWSE = 8,
    SizeWE = 9,
    UpArrow = 10,
    Hourglass = 11,
    NoDrop = 12,
    ArrowHourglass = 13,
    ArrowQuestion = 14,
    SizeAll = 15,
    Custom = 99
};
constexpr bool IsPointerShape(std::int32_t v) {
    return (v >= static_cast<std::int32_t>(PointerShape::Default) &&
            v <= static_cast<std::int32_t>(PointerShape::SizeAll)) ||
           v == static_cast<std::int32_t>(PointerShape::Custom);
}

// IMEMode: what the input method does while the text box has the focus.
enum class ImeMode : std::int32_t { NoOp, On, Off, Disable, Hiragana, KatakanaDbl, KatakanaSng, AlphaDbl, AlphaSng };

// BeepSound and the types of Beep.
enum class BeepSound : std::int32_t { Default = 1, Tone, Simple, Information, Question, Exclamation, Critical };
constexpr bool IsBeepSound(std::int32_t v) {
    return v >= static_cast<std::int32_t>(BeepSound::Default) && v <= static_cast<std::int32_t>(BeepSound::Critical);
}

}  // namespace brisko
