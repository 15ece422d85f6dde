#include "common/win/gdi.h"

#include <ole2.h>
#include <olectl.h>

#include <cwchar>

#include "common/units.h"

namespace brisko {

UniqueDC MakeMemoryDC(HDC like) {
    if (like) return UniqueDC(CreateCompatibleDC(like));
    ScreenDC screen;
    return UniqueDC(CreateCompatibleDC(screen.Get()));
}

int ScreenDpi() {
    ScreenDC screen;
    return UsableDpi(screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0);
}

namespace {

LOGFONTW LogFontOf(const FontSpec& font, int dpi) {
    LOGFONTW lf{};
    lf.lfHeight = -FontPixelHeight(font.sizeCy, dpi);
    lf.lfWeight = font.weight;
    lf.lfItalic = font.italic;
    lf.lfUnderline = font.underline;
    lf.lfStrikeOut = font.strikethrough;
    lf.lfCharSet = static_cast<BYTE>(font.charset);
    std::wcsncpy(lf.lfFaceName, font.name.c_str(), LF_FACESIZE - 1);
    return lf;
}

}  // namespace

UniqueFont MakeFont(const FontSpec& font, int dpi) {
    const LOGFONTW lf = LogFontOf(font, dpi);
    return UniqueFont(CreateFontIndirectW(&lf));
}

std::optional<COLORREF> TranslateOleColor(std::uint32_t oleColor) {
    COLORREF rgb = 0;
    if (OleTranslateColor(static_cast<OLE_COLOR>(oleColor), nullptr, &rgb) != S_OK) return std::nullopt;
    return rgb;
}

COLORREF OleColorToRgb(std::uint32_t oleColor, COLORREF fallback) {
    const std::optional<COLORREF> rgb = TranslateOleColor(oleColor);
    return rgb ? *rgb & 0x00FFFFFF : fallback;
}

}  // namespace brisko
