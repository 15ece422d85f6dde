#pragma once
// The conversions between the font pickers' values and the common dialogs'
// structures, kept apart from the dialogs so they are checked natively.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/rounding.h"

namespace brisko {

// The text up to its first NUL, or all of it when it holds none.
inline std::wstring StripNull(std::wstring_view s) {
    return std::wstring(s.substr(0, s.find(L'\0')));
}

// Whole points to a positive logical-font height, which the dialog takes as a
// cell height at 96 pixels per inch (9 points give 12).
inline std::int32_t PointsToLogHeight(std::int32_t points) {
    return ToInt32(static_cast<double>(points) / 0.75).value_or(0);
}

// A returned height back to whole points: -15 gives 11 (11.25), -14 gives 10
// (10.5, halves to even).
inline std::int32_t LogHeightToPoints(std::int32_t height) {
    return ToInt32(std::abs(static_cast<double>(height)) * 0.75).value_or(0);
}

// Flags of both font buttons of the settings dialog: screen fonts, effects
// (strike-out, underline, colour), size limits, existing fonts only, no
// script choice. The dialog adds CF_INITTOLOGFONTSTRUCT itself.
inline constexpr std::uint32_t kTabFontDialogFlags = 0x00812101u;
inline constexpr std::int32_t kTabFontSizeMin = 7;
inline constexpr std::int32_t kTabFontSizeMax = 24;

}  // namespace brisko
