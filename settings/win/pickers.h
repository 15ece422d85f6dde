#pragma once
// The system's colour and font dialogs behind plain value-passing calls, for
// the settings dialog's colour and font buttons. Each call is modal.
#include <windows.h>

#include <cstdint>
#include <string>

#include "common/font.h"
#include "settings/picker_values.h"

namespace brisko {

// lColor (RGB) is the colour the dialog starts from and, on OK, the chosen
// one. False (cancel, or the dialog could not be shown) leaves it untouched.
bool ShowColorDialog(std::uint32_t& lColor, HWND hWndOwner);

// Every reference is in/out and changes only on OK. lSize is in whole points;
// the byte flags are non-zero for on. lSizeMin/lSizeMax bound the sizes the
// dialog offers when lFlags holds CF_LIMITSIZE.
bool ShowFontDialog(HWND hWndOwner, DWORD lFlags, std::wstring& sName, std::int32_t& lSize, std::uint32_t& lColor,
                    std::int32_t& lWeight, std::uint8_t& bItalic, std::uint8_t& bStrikeOut, std::uint8_t& bUnderline,
                    std::int32_t& lCharset, std::int32_t lSizeMin, std::int32_t lSizeMax);

// ShowFontDialog on a font value. The dialog starts from the font's size in
// whole points (halves to even); on OK the font takes the chosen face, size,
// weight, style flags and character set, and lColor the chosen colour. On
// cancel neither changes.
bool EditFont(FontSpec& fnt, std::uint32_t& lColor, HWND hWndOwner, DWORD lFlags, std::int32_t lSizeMin,
              std::int32_t lSizeMax);

}  // namespace brisko
