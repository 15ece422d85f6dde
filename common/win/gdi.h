#pragma once
// One way to do each GDI chore: typed owners, fonts from a FontSpec, OLE
// colours, the screen's DPI and device contexts. Painters select objects with
// SelectInDC, which nests and restores in reverse order.
#include <windows.h>

#include <cstdint>
#include <optional>

#include "common/font.h"
#include "common/win/handles.h"

namespace brisko {

template <class H>
struct GdiTraits {
    static void Close(H h) { DeleteObject(h); }
};

using UniqueFont = UniqueHandle<HFONT, GdiTraits<HFONT>>;
using UniquePen = UniqueHandle<HPEN, GdiTraits<HPEN>>;
using UniqueBrush = UniqueHandle<HBRUSH, GdiTraits<HBRUSH>>;
using UniqueBitmap = UniqueHandle<HBITMAP, GdiTraits<HBITMAP>>;
// A device context made with CreateDC or CreateCompatibleDC.
using UniqueDC = UniqueMemDC;

// The screen's DC for a scope.
class ScreenDC : public WindowDC {
public:
    ScreenDC() : WindowDC(nullptr, DcArea::Client) {}
};

// A DC compatible with the screen (or with `like`), for off-screen drawing.
UniqueDC MakeMemoryDC(HDC like = nullptr);

// Vertical dots per inch of the screen; the default when it cannot be read.
int ScreenDpi();

// A GDI font for a FontSpec at a DPI: height from the point size, rounded
// half to even, and the face name cut to what LOGFONT holds.
UniqueFont MakeFont(const FontSpec& font, int dpi);
inline UniqueFont MakeFont(const FontSpec& font) {
    return MakeFont(font, ScreenDpi());
}

// An OLE_COLOR (RGB, system colour 0x800000nn, palette index) as RGB, by
// OleTranslateColor's rules; `fallback` for a value those rules reject.
COLORREF OleColorToRgb(std::uint32_t oleColor, COLORREF fallback = 0);
// The same translation unmasked, and nothing for a value the rules reject:
// for callers where every RGB value is valid, so no fallback can say "none".
std::optional<COLORREF> TranslateOleColor(std::uint32_t oleColor);

}  // namespace brisko
