#pragma once
// The painting of the bar: the frame round the MDI client, and the strip
// composed off-screen (background, tabs, buttons) and copied into the
// window's whole-window DC. Where things go is the bar's layout; this only
// draws what the layout says.
#include <windows.h>

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/win/gdi.h"
#include "tabbar/bar_services.h"
#include "tabbar/win/mem_dc.h"

namespace brisko {

// Small pictures (tab icons, button faces, titles) composed once and copied
// from then on, packed in rows of one bitmap. Under Wine DrawIconEx, a change
// of font and DrawText cost many times what a BitBlt does.
class TileAtlas {
public:
    struct Key {
        std::array<std::int64_t, 8> values{};
        std::wstring text;
        friend auto operator<=>(const Key&, const Key&) = default;
    };
    // The place (in Dc()) of key's w x h tile, made first with
    // compose(dc, x0, y0) when missing; nullopt when the atlas cannot hold it.
    template <class Compose>
    std::optional<POINT> Find(HDC like, const Key& key, int w, int h, Compose&& compose) {
        if (auto it = places_.find(key); it != places_.end()) return it->second;
        const std::optional<POINT> place = Place(like, w, h);
        if (!place) return std::nullopt;
        compose(dc_.Get(), static_cast<int>(place->x), static_cast<int>(place->y));
        places_.emplace(key, *place);
        return place;
    }
    HDC Dc() const { return dc_.Get(); }
    void Clear();

private:
    static constexpr int kWidth = 1024, kHeight = 256;
    struct Row {
        int top, height, used;
    };
    std::optional<POINT> Place(HDC like, int w, int h);
    bool Ready(HDC like);

    UniqueDC dc_;
    UniqueBitmap bitmap_;
    std::optional<SelectInDC> selected_;
    std::vector<Row> rows_;
    std::map<Key, POINT> places_;
};

// One GDI font made from a font value, remade only when the value changes,
// with the sizes of the texts measured in it. Fit-width layout measures
// every visible title on every paint; under Wine one measurement costs tens
// of microseconds.
class FontCache {
public:
    HFONT Get(const FontSpec& wanted, int dpi);
    // The GDI font made from `font` when the cache holds it, else null.
    HFONT Holding(const FontSpec& font) const { return font_ && wanted_ == font ? font_.Get() : nullptr; }
    // Bumped whenever the font is remade, so that what was drawn in the
    // previous one can tell.
    std::uint32_t Generation() const { return generation_; }
    const Size* Measured(const std::wstring& text) const {
        auto it = sizes_.find(text);
        return it == sizes_.end() ? nullptr : &it->second;
    }
    void Remember(const std::wstring& text, Size size);

private:
    FontSpec wanted_;
    UniqueFont font_;
    std::uint32_t generation_ = 0;
    std::unordered_map<std::wstring, Size> sizes_;
};

class BarPainter {
public:
    BarPainter();
    // The surface at least w x h, so that measuring works before the first paint.
    void Grow(std::int32_t w, std::int32_t h) { surface_.EnsureSize(w, h); }
    // One line of text as DrawText measures it; 0 x 0 without a surface.
    Size Measure(const FontSpec& font, const std::wstring& text);
    // Draws the frame and the strip into the window, as the view shows them.
    void Paint(HWND hwnd, const BarView& view);

private:
    struct Font {
        HFONT handle;
        std::uint32_t id;  // which cache and which of its fonts
    };
    Font FontFor(const FontSpec& wanted);
    void DrawFrame(HDC dc);
    // `plain` is where the strip shows only its background, `barColor`.
    void DrawTabs(HDC m, const RECT& plain, COLORREF barColor);
    // `clear` is where the tab shows only its own background, `shown` as for
    // DrawIcon; `ground` the colours that make the background under titles.
    void DrawTitle(HDC m, const TabFace& face, const RECT& clear, int shown, const Font& font, COLORREF color,
                   const std::array<std::int64_t, 2>& ground);
    void DrawButton(HDC m, const ButtonFace& button, const RECT& plain, COLORREF barColor);
    // `shown` is the left end of what the window gets of the strip.
    void DrawIcon(HDC m, const TabIcon& icon, const Rect& place, const RECT& plain, int shown, COLORREF bg);

    const BarView* view_ = nullptr;  // the one being painted
    int dpi_;
    CMemDC surface_;
    TileAtlas tiles_;
    // The bar uses four fonts; a fifth cache spares the others while one changes.
    std::array<FontCache, 5> fonts_;
    std::array<std::uint64_t, 5> lastUse_{};
    std::uint64_t uses_ = 0;
    std::int32_t iconGeneration_ = -1;
};

}  // namespace brisko
