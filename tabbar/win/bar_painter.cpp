#include "tabbar/win/bar_painter.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <utility>

#include "common/win/ansi.h"
#include "tabbar/mdi_tab.h"

namespace brisko {
namespace {

constexpr std::uint32_t kOleBtnFace = 0x8000000F;
constexpr std::uint32_t kOleBtnText = 0x80000012;
constexpr std::uint32_t kOleWindow = 0x80000005;
// The bar's background: button face blended towards the window colour.
constexpr std::int32_t kBarBlend = 45;
// Dimmed glyphs: button text blended towards the window colour.
constexpr std::int32_t kDimBlend = 90;
constexpr UINT kMeasureFlags = DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE;                  // 0x0C20
constexpr UINT kTitleFlags = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_WORD_ELLIPSIS;  // 0x40824
constexpr UINT kGlyphFlags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;                       // 0x25

// What a tile of the atlas holds.
enum class Tile : std::intptr_t { Icon = 1, Button = 2, Title = 3 };
// A button's look: flat, raised while hovered, sunken while pressed under the pointer.
enum class ButtonLook { Flat, Raised, Sunken };

// An OLE colour as RGB; an untranslatable one counts as white.
COLORREF Rgb(std::uint32_t ole) {
    return TranslateOleColor(ole).value_or(0xFFFFFF) & 0x00FFFFFF;
}

COLORREF Blend(std::uint32_t oleA, std::uint32_t oleB, std::int32_t weight) {
    return static_cast<COLORREF>(BlendRgb(Rgb(oleA), Rgb(oleB), weight));
}

RECT ToRECT(const Rect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The pixels a solid 1-pixel pen would draw from a to b, its end point left
// out, with the brush selected in dc. Under Wine making, selecting and
// deleting a pen for every run of lines costs several times what the lines
// themselves do.
void Segment(HDC dc, POINT a, POINT b) {
    if (a.x == b.x) {
        const LONG top = a.y < b.y ? a.y : b.y + 1, bottom = a.y < b.y ? b.y : a.y + 1;
        if (bottom > top) PatBlt(dc, a.x, top, 1, bottom - top, PATCOPY);
    } else if (a.y == b.y) {
        const LONG left = a.x < b.x ? a.x : b.x + 1, right = a.x < b.x ? b.x : a.x + 1;
        if (right > left) PatBlt(dc, left, a.y, right - left, 1, PATCOPY);
    }
}

// Connected horizontal and vertical lines in a system colour, through pts.
void Lines(HDC dc, int sysColor, std::initializer_list<POINT> pts) {
    if (!dc || pts.size() < 2) return;
    SelectInDC brush(dc, GetSysColorBrush(sysColor));
    for (auto a = pts.begin(), b = a + 1; b != pts.end(); a = b++) Segment(dc, *a, *b);
}

// Separate lines in one system colour, each from its first point to its second.
void Segments(HDC dc, int sysColor, std::initializer_list<std::pair<POINT, POINT>> lines) {
    if (!dc) return;
    SelectInDC brush(dc, GetSysColorBrush(sysColor));
    for (const auto& [a, b] : lines) Segment(dc, a, b);
}

}  // namespace

// ---- TileAtlas ----

void TileAtlas::Clear() {
    places_.clear();
    rows_.clear();
}

bool TileAtlas::Ready(HDC like) {
    if (dc_) return true;
    // Only a surface of true colours fills a solid colour without dithering,
    // the same wherever it lies.
    if (GetDeviceCaps(like, BITSPIXEL) * GetDeviceCaps(like, PLANES) < 15) return false;
    UniqueDC dc = MakeMemoryDC(like);
    UniqueBitmap bitmap(dc ? CreateCompatibleBitmap(like, kWidth, kHeight) : nullptr);
    if (!bitmap) return false;
    dc_ = std::move(dc);
    bitmap_ = std::move(bitmap);
    selected_.emplace(dc_.Get(), bitmap_.Get());
    SetBkMode(dc_.Get(), TRANSPARENT);
    return true;
}

std::optional<POINT> TileAtlas::Place(HDC like, int w, int h) {
    if (w <= 0 || h <= 0 || w > kWidth || h > kHeight || !Ready(like)) return std::nullopt;
    for (int attempt = 0; attempt < 2; ++attempt) {
        // Rows hold tiles of one height, so that they pack without gaps.
        for (Row& row : rows_) {
            if (row.height == h && row.used + w <= kWidth) {
                const POINT p{row.used, row.top};
                row.used += w;
                return p;
            }
        }
        const int top = rows_.empty() ? 0 : rows_.back().top + rows_.back().height;
        if (top + h <= kHeight) {
            rows_.push_back(Row{top, h, w});
            return POINT{0, top};
        }
        // Full: start afresh; what is on screen needs none of the old tiles.
        Clear();
    }
    return std::nullopt;
}

// ---- FontCache ----

HFONT FontCache::Get(const FontSpec& wanted, int dpi) {
    if (!font_ || !(wanted == wanted_)) {
        sizes_.clear();
        font_ = MakeFont(wanted, dpi);
        wanted_ = wanted;
        ++generation_;
    }
    return font_.Get();
}

void FontCache::Remember(const std::wstring& text, Size size) {
    if (sizes_.size() >= 4096) sizes_.clear();  // titles come and go; stay bounded
    sizes_.emplace(text, size);
}

// ---- BarPainter ----

BarPainter::BarPainter() : dpi_(ScreenDpi()) {}

BarPainter::Font BarPainter::FontFor(const FontSpec& wanted) {
    // Each font in use keeps its own GDI font, and equal fonts share one; a
    // font not held yet takes the cache used least lately.
    std::size_t i = 0;
    HFONT handle = nullptr;
    while (i < fonts_.size() && !(handle = fonts_[i].Holding(wanted))) ++i;
    if (!handle) {
        i = static_cast<std::size_t>(std::min_element(lastUse_.begin(), lastUse_.end()) - lastUse_.begin());
        handle = fonts_[i].Get(wanted, dpi_);
    }
    lastUse_[i] = ++uses_;
    return Font{handle, static_cast<std::uint32_t>(i << 28) | (fonts_[i].Generation() & 0x0FFFFFFF)};
}

Size BarPainter::Measure(const FontSpec& font, const std::wstring& text) {
    HDC dc = surface_.hdc();
    if (!dc) return {};
    const Font f = FontFor(font);
    FontCache& cache = fonts_[f.id >> 28];
    if (const Size* known = cache.Measured(text)) return *known;
    SelectInDC sel(dc, f.handle);
    RECT rc{};
    const std::string ansi = ToAnsi(text);
    DrawTextA(dc, ansi.c_str(), -1, &rc, kMeasureFlags);
    const Size size{rc.right - rc.left, rc.bottom - rc.top};
    cache.Remember(text, size);
    return size;
}

void BarPainter::DrawFrame(HDC dc) {
    const Rect& frame = view_->window;
    const std::int32_t h = view_->tabHeight;
    switch (view_->borderStyle) {
        case kBorderSingle:
            Lines(dc, COLOR_3DDKSHADOW,
                  {{frame.left, frame.top},
                   {frame.right - 1, frame.top},
                   {frame.right - 1, frame.bottom - 1},
                   {frame.left, frame.bottom - 1},
                   {frame.left, frame.top}});
            break;
        case kBorderSunken:
            Lines(dc, COLOR_BTNSHADOW,
                  {{frame.left, frame.bottom - 1}, {frame.left, frame.top}, {frame.right - 1, frame.top}});
            Lines(dc, COLOR_BTNHIGHLIGHT,
                  {{frame.right - 1, frame.top}, {frame.right - 1, frame.bottom - 1}, {frame.left, frame.bottom - 1}});
            // The inner ring leaves a gap where the strip meets the frame.
            if (view_->visible && view_->top) {
                Lines(dc, COLOR_3DDKSHADOW, {{frame.left + 1, frame.bottom - 2}, {frame.left + 1, frame.top + h + 1}});
                Lines(dc, COLOR_BTNFACE,
                      {{frame.right - 2, frame.top + h + 1},
                       {frame.right - 2, frame.bottom - 2},
                       {frame.left, frame.bottom - 2}});
            } else if (view_->visible) {
                Lines(dc, COLOR_3DDKSHADOW,
                      {{frame.left + 1, frame.bottom - h},
                       {frame.left + 1, frame.top + 1},
                       {frame.right - 2, frame.top + 1}});
                Lines(dc, COLOR_BTNFACE, {{frame.right - 2, frame.top + 1}, {frame.right - 2, frame.bottom - h - 1}});
            } else {
                Lines(dc, COLOR_3DDKSHADOW,
                      {{frame.left + 1, frame.bottom - 2},
                       {frame.left + 1, frame.top + 1},
                       {frame.right - 2, frame.top + 1}});
                Lines(dc, COLOR_BTNFACE,
                      {{frame.right - 2, frame.top + 1},
                       {frame.right - 2, frame.bottom - 2},
                       {frame.left, frame.bottom - 2}});
            }
            break;
        default:
            break;
    }
}

void BarPainter::DrawIcon(HDC m, const TabIcon& icon, const Rect& place, const RECT& plain, int shown, COLORREF bg) {
    const HICON h = reinterpret_cast<HICON>(icon.Handle());
    // Over a plain background the icon is copied from its tile. Of a tab cut
    // at the bar's left end only what lies inside the strip is ever shown:
    // the rest may be left out. Anywhere else it is drawn.
    RECT part = ToRECT(place);
    part.left = std::max<LONG>(part.left, shown);
    if (part.left >= part.right) return;
    if (Inside(part, plain)) {
        const TileAtlas::Key key{{static_cast<std::int64_t>(Tile::Icon), reinterpret_cast<std::intptr_t>(&icon),
                                  icon.Handle(), static_cast<std::int64_t>(bg)},
                                 {}};
        const auto tile = tiles_.Find(m, key, kIconSize, kIconSize, [&](HDC dc, int x0, int y0) {
            RECT r{x0, y0, x0 + kIconSize, y0 + kIconSize};
            UniqueBrush brush(CreateSolidBrush(bg));
            FillRect(dc, &r, brush.Get());
            DrawIconEx(dc, x0, y0, h, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
        });
        if (tile && BitBlt(m, part.left, part.top, part.right - part.left, part.bottom - part.top, tiles_.Dc(),
                           tile->x + part.left - place.left, tile->y + part.top - place.top, SRCCOPY))
            return;
    }
    DrawIconEx(m, place.left, place.top, h, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
}

void BarPainter::DrawTitle(HDC m, const TabFace& face, const RECT& clear, int shown, const Font& font, COLORREF color,
                           const std::array<std::int64_t, 2>& ground) {
    RECT text = ToRECT(face.title);
    const int w = text.right - text.left, h = text.bottom - text.top;
    // DrawText keeps inside the rectangle, and of a title cut at the strip's
    // left end only what lies inside the strip is ever shown.
    const LONG from = std::max<LONG>(text.left, shown);
    if (w <= 0 || h <= 0 || from >= text.right) return;
    const std::wstring& title = *face.text;
    // Where the tab's own background reaches the strip's left end, the title
    // lies over a background made only of the key's colours, the tab's state
    // and the rectangle's size, the same in every column: a tile composed
    // over a copy of it has the very pixels DrawText gives here. DrawText
    // blends each pixel with the one beneath, so the shown part of a cut
    // title is the same part of the whole one's tile.
    if (clear.left <= from) {
        const TileAtlas::Key key{{static_cast<std::int64_t>(Tile::Title), font.id, static_cast<std::int64_t>(color), w,
                                  h, (face.selected ? 1 : 0) | (view_->top ? 2 : 0), ground[0], ground[1]},
                                 title};
        const auto tile = tiles_.Find(m, key, w, h, [&](HDC dc, int x0, int y0) {
            // The background from what is shown of it; a cut title's hidden
            // columns repeat its first shown one.
            const int cut = static_cast<int>(from - text.left);
            BitBlt(dc, x0 + cut, y0, w - cut, h, m, from, text.top, SRCCOPY);
            if (cut > 0) StretchBlt(dc, x0, y0, cut, h, dc, x0 + cut, y0, 1, h, SRCCOPY);
            SelectInDC sel(dc, font.handle);
            SetTextColor(dc, color);
            RECT r{x0, y0, x0 + w, y0 + h};
            DrawTextA(dc, ToAnsi(title).c_str(), -1, &r, kTitleFlags);
        });
        if (tile &&
            BitBlt(m, from, text.top, text.right - from, h, tiles_.Dc(), tile->x + from - text.left, tile->y, SRCCOPY))
            return;
    }
    SelectInDC sel(m, font.handle);
    SetTextColor(m, color);
    DrawTextA(m, ToAnsi(title).c_str(), -1, &text, kTitleFlags);
}

void BarPainter::DrawTabs(HDC m, const RECT& plain, COLORREF barColor) {
    const bool top = view_->top;
    const Font normal = FontFor(*view_->font);
    const Font selected = FontFor(*view_->selFont);
    const COLORREF normalColor = Rgb(view_->fontColor), selColor = Rgb(view_->selFontColor);
    const COLORREF windowColor = GetSysColor(COLOR_WINDOW);
    // Only the strip from here rightwards is copied to the window.
    const int shown = view_->bar.left;
    const std::int16_t sel = view_->selectedIndex;
    const auto rgb = [](int sysColor) { return static_cast<std::int64_t>(GetSysColor(sysColor)); };
    const std::array<std::int64_t, 2> ground{static_cast<std::int64_t>(barColor) | rgb(COLOR_WINDOW) << 24,
                                             rgb(COLOR_3DDKSHADOW) | rgb(COLOR_BTNTEXT) << 24};

    // The separators' brush stays selected between tabs.
    SelectInDC shadow(m, GetSysColorBrush(COLOR_BTNSHADOW));
    for (const TabFace& f : view_->tabs) {
        const Rect& r = f.tab;
        // Where the tab shows nothing but its background.
        RECT clear = plain;
        if (f.selected) {
            RECT fill = ToRECT(r);
            if (top)
                fill.top += 1;
            else
                fill.bottom -= 1;
            if (fill.left < 0) fill.left = 1;
            FillRect(m, &fill, GetSysColorBrush(COLOR_WINDOW));
            if (top)
                Segments(m, COLOR_BTNTEXT,
                         {{{r.left, r.bottom - 1}, {r.left, r.top}},
                          {{r.left + 1, r.top}, {r.right - 1, r.top}},
                          {{r.right - 1, r.top + 1}, {r.right - 1, r.bottom}}});
            else
                Segments(m, COLOR_BTNTEXT,
                         {{{r.left + 1, r.bottom - 1}, {r.right - 1, r.bottom - 1}},
                          {{r.right - 1, r.bottom - 2}, {r.right - 1, r.top}},
                          {{r.left, r.top}, {r.left, r.bottom - 1}}});
            clear = RECT{std::max<LONG>(fill.left, r.left + 1), top ? r.top + 1 : r.top, r.right - 1,
                         top ? r.bottom : r.bottom - 1};
        } else if (f.index + 1 != sel) {
            // No separator at the selected tab's edge: its outline is there.
            Segment(m, {r.right - 1, r.top + 2}, {r.right - 1, r.bottom - 2});
        }
        if (f.picture) DrawIcon(m, *f.picture, f.icon, clear, shown, f.selected ? windowColor : barColor);
        DrawTitle(m, f, clear, shown, f.selected ? selected : normal, f.selected ? selColor : normalColor, ground);
    }
}

void BarPainter::DrawButton(HDC m, const ButtonFace& button, const RECT& plain, COLORREF barColor) {
    const std::int32_t n = button.button;
    const Rect& box = button.box;
    const ButtonLook look = !button.hot ? ButtonLook::Flat : button.pressed ? ButtonLook::Sunken : ButtonLook::Raised;
    const COLORREF glyphColor = button.enabled ? GetSysColor(COLOR_BTNTEXT) : Blend(kOleBtnText, kOleWindow, kDimBlend);
    const Font font = FontFor(n == kCloseButton ? *view_->closeGlyphFont : *view_->scrollGlyphFont);
    // The face in box coordinates at (x0, y0); the glyph's rectangle reaches
    // one pixel beyond the box when it is sunken.
    auto draw = [&](HDC dc, int x0, int y0) {
        const int w = box.right - box.left, h = box.bottom - box.top;
        RECT glyph{x0, y0, x0 + w, y0 + h};
        if (look != ButtonLook::Flat) {
            const int lit = look == ButtonLook::Raised ? COLOR_BTNHIGHLIGHT : COLOR_3DDKSHADOW;
            const int dark = look == ButtonLook::Raised ? COLOR_3DDKSHADOW : COLOR_BTNHIGHLIGHT;
            Lines(dc, lit, {{x0, y0 + h - 1}, {x0, y0}, {x0 + w - 1, y0}});
            Lines(dc, dark, {{x0 + w - 1, y0 + 1}, {x0 + w - 1, y0 + h - 1}, {x0 + 1, y0 + h - 1}});
            if (look == ButtonLook::Sunken) OffsetRect(&glyph, 1, 1);
        }
        SetTextColor(dc, glyphColor);
        glyph.left += 1;
        glyph.top += 1;
        // Marlett's arrows and cross.
        const char* text = n == kScrollLeftButton ? "3" : n == kScrollRightButton ? "4" : "r";
        SelectInDC sel(dc, font.handle);
        DrawTextA(dc, text, -1, &glyph, kGlyphFlags);
    };
    const int w = box.right - box.left + 1, h = box.bottom - box.top + 1;
    const RECT tile{box.left, box.top, box.left + w, box.top + h};
    if (Inside(tile, plain)) {
        const TileAtlas::Key key{
            {static_cast<std::int64_t>(Tile::Button), n, static_cast<std::int64_t>(look),
             static_cast<std::int64_t>(glyphColor), static_cast<std::int64_t>(GetSysColor(COLOR_BTNHIGHLIGHT)),
             static_cast<std::int64_t>(GetSysColor(COLOR_3DDKSHADOW)), static_cast<std::int64_t>(font.id),
             static_cast<std::int64_t>(barColor)},
            {}};
        const auto place = tiles_.Find(m, key, w, h, [&](HDC dc, int x0, int y0) {
            RECT r{x0, y0, x0 + w, y0 + h};
            UniqueBrush brush(CreateSolidBrush(barColor));
            FillRect(dc, &r, brush.Get());
            draw(dc, x0, y0);
        });
        if (place && BitBlt(m, box.left, box.top, w, h, tiles_.Dc(), place->x, place->y, SRCCOPY)) return;
    }
    draw(m, box.left, box.top);
}

void BarPainter::Paint(HWND hwnd, const BarView& view) {
    view_ = &view;
    const Rect& frame = view.window;
    const Rect& strip = view.bar;
    WindowDC window(hwnd, DcArea::WholeWindow);
    HDC dc = window.Get();
    if (!dc) return;
    SetBkMode(dc, TRANSPARENT);
    Grow(std::abs(frame.Width()), std::abs(frame.Height()) + 1);
    HDC m = surface_.hdc();
    if (m) SetBkMode(m, TRANSPARENT);

    DrawFrame(dc);
    // A hidden bar has no strip: drawing it would paint over the client area.
    if (!view.visible || !m) return;

    if (view.iconGeneration != iconGeneration_) {
        // Other pictures may now stand behind the same numbers and handles.
        tiles_.Clear();
        iconGeneration_ = view.iconGeneration;
    }
    const COLORREF barColor = Blend(kOleBtnFace, kOleWindow, kBarBlend);
    {
        UniqueBrush bg(CreateSolidBrush(barColor));
        RECT rb = ToRECT(strip);
        FillRect(m, &rb, bg.Get());
    }
    const std::int32_t f = view.frameWidth, h = view.tabHeight;
    const bool top = view.top;
    // The edge between strip and client area: dark, light, dark.
    if (top) {
        Lines(m, COLOR_BTNSHADOW, {{frame.right - f, frame.top + 1}, {frame.right - f, frame.top + h + 1}});
        Segments(m, COLOR_3DDKSHADOW,
                 {{{strip.left, strip.bottom - 1}, {strip.right, strip.bottom - 1}},
                  {{strip.left, strip.bottom + 1}, {strip.right, strip.bottom + 1}}});
        Lines(m, COLOR_3DLIGHT, {{strip.left, strip.bottom}, {strip.right, strip.bottom}});
    } else {
        Lines(m, COLOR_BTNSHADOW, {{frame.right - f, frame.bottom - h - 1}, {frame.right - f, frame.bottom - 1}});
        Segments(m, COLOR_3DDKSHADOW,
                 {{{strip.left, strip.top - 2}, {strip.right, strip.top - 2}},
                  {{strip.left, strip.top}, {strip.right, strip.top}}});
        Lines(m, COLOR_3DLIGHT, {{strip.left, strip.top - 1}, {strip.right, strip.top - 1}});
    }
    // The part of the bar that holds nothing but its background: inside the
    // strip, off the edge lines and off the vertical line at the frame.
    const RECT plain{strip.left, top ? strip.top : strip.top + 1, std::min(strip.right, frame.right - f),
                     top ? strip.bottom - 1 : strip.bottom};

    if (!view.tabs.empty()) DrawTabs(m, plain, barColor);
    for (const ButtonFace& button : view.buttons) DrawButton(m, button, plain, barColor);

    const int y = top ? strip.top : strip.top - 2;
    BitBlt(dc, strip.left, y, strip.Width(), strip.Height() + 2, m, strip.left, y, SRCCOPY);
}

}  // namespace brisko
