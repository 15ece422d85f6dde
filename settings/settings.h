#pragma once
// The add-in's stored settings: 23 values in one key of the current user,
// read once when the add-in connects and written once when it disconnects.
// 21 of them are properties of the tab bar, two (icon style, wheel use) are
// fields of the connection class.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "comserver/addin_keys.h"
#include "settings/registry.h"

namespace brisko {

// The settings live in the add-in's entry of the IDE's add-in list: the VB6
// IDE's here; the VBA editor's entry of the DLL's bitness in that editor.
inline constexpr std::wstring_view kSettingsKey = kVb6AddinKey;

struct SettingsRow {
    std::wstring_view name;
    std::uint32_t type;
};

// Read and written in this order.
inline constexpr std::array<SettingsRow, 23> kSettingsRows = {{
    {L"Align", kRegDword},
    {L"Style", kRegDword},
    {L"Width", kRegDword},
    {L"FontName", kRegSz},
    {L"FontSize", kRegDword},
    {L"FontColor", kRegDword},
    {L"FontBold", kRegDword},
    {L"FontItalic", kRegDword},
    {L"FontStrikethru", kRegDword},
    {L"FontUnderline", kRegDword},
    {L"SelFontName", kRegSz},
    {L"SelFontSize", kRegDword},
    {L"SelFontColor", kRegDword},
    {L"SelFontBold", kRegDword},
    {L"SelFontItalic", kRegDword},
    {L"SelFontStrikethru", kRegDword},
    {L"SelFontUnderline", kRegDword},
    {L"Icon", kRegDword},
    {L"Close", kRegDword},
    {L"Scroll", kRegDword},
    {L"Smooth", kRegDword},
    {L"Drag", kRegDword},
    {L"Wheel", kRegDword},
}};

struct TabFontSettings {
    std::wstring name = L"MS UI Gothic";
    float size = 9.0f;  // points
    // An OLE colour; nullopt takes the bar's default colour for this font.
    std::optional<std::uint32_t> color;
    bool bold = false;
    bool italic = false;
    bool strikethru = false;
    bool underline = false;
    friend bool operator==(const TabFontSettings&, const TabFontSettings&) = default;
};

// The tab widths a stored value and the dialog's width field accept, and the
// highest icon style (0 default icons, 1 component icons, 2 view-mode icons,
// 3 no icons).
inline constexpr std::int16_t kTabWidthMin = 40;
inline constexpr std::int16_t kTabWidthMax = 320;
inline constexpr std::int32_t kIconStyleLast = 3;

// The bar's four switches and the host's wheel switch: stored with the
// settings and edited by the settings dialog.
struct BarSwitches {
    bool closeButton = true;
    bool scrollButton = true;
    bool scrollFit = false;
    bool autoDrag = true;
    bool mouseWheel = true;
    friend bool operator==(const BarSwitches&, const BarSwitches&) = default;
};

// The bar's four from the bar, the wheel switch from the host.
template <class Bar>
void CaptureSwitches(const Bar& bar, bool bMouseWheel, BarSwitches& s) {
    s.closeButton = bar.CloseButton();
    s.scrollButton = bar.ScrollButton();
    s.scrollFit = bar.ScrollFit();
    s.autoDrag = bar.AutoDrag();
    s.mouseWheel = bMouseWheel;
}

// The bar's four onto the bar, in table order; the wheel switch is the host's.
template <class Bar>
void ApplySwitches(const BarSwitches& s, Bar& bar) {
    bar.SetCloseButton(s.closeButton);
    bar.SetScrollButton(s.scrollButton);
    bar.SetScrollFit(s.scrollFit);
    bar.SetAutoDrag(s.autoDrag);
}

// The 23 values in memory. A default-constructed object holds the defaults of
// a first start (note Style 1: tabs fit their titles).
struct Settings : BarSwitches {
    std::int32_t align = 0;
    std::int32_t style = 1;
    std::int16_t tabWidth = 120;
    TabFontSettings font;
    TabFontSettings selFont;
    std::int32_t iconStyle = 0;
    friend bool operator==(const Settings&, const Settings&) = default;
};

// Reads the 23 values through an accessor whose ClassKey and SectionKey are
// set. A missing key or value takes the row's default, and so does a value
// that does not read as a number where one belongs (text, binary data): one
// bad value never keeps the others from loading.
Settings ReadSettings(CRegistry& reg);
// Writes all 23 values, also those equal to their defaults. Colours left
// unset are written as 0.
void WriteSettings(CRegistry& reg, const Settings& s);

// Font sizes are stored in hundredths of a point, rounded halves to even.
std::int32_t FontSizeToStored(float points);
float StoredToFontSize(double hundredths);

// Applies the settings to the bar one property at a time, in table order.
template <class Bar>
void ApplySettings(const Settings& s, Bar& bar, std::int32_t& eIconStyle, bool& bMouseWheel) {
    bar.SetAlign(s.align);
    bar.SetStyle(s.style);
    bar.SetTabWidth(s.tabWidth);
    bar.SetFontName(s.font.name);
    bar.SetFontSize(s.font.size);
    bar.SetFontColor(s.font.color ? *s.font.color : bar.DefaultFontColor());
    bar.SetFontBold(s.font.bold);
    bar.SetFontItalic(s.font.italic);
    bar.SetFontStrikethru(s.font.strikethru);
    bar.SetFontUnderline(s.font.underline);
    bar.SetSelFontName(s.selFont.name);
    bar.SetSelFontSize(s.selFont.size);
    bar.SetSelFontColor(s.selFont.color ? *s.selFont.color : bar.DefaultSelFontColor());
    bar.SetSelFontBold(s.selFont.bold);
    bar.SetSelFontItalic(s.selFont.italic);
    bar.SetSelFontStrikethru(s.selFont.strikethru);
    bar.SetSelFontUnderline(s.selFont.underline);
    eIconStyle = s.iconStyle;
    ApplySwitches(s, bar);
    bMouseWheel = s.mouseWheel;
}

template <class Bar>
Settings CaptureSettings(const Bar& bar, std::int32_t eIconStyle, bool bMouseWheel) {
    Settings s;
    s.align = bar.Align();
    s.style = bar.Style();
    s.tabWidth = bar.TabWidth();
    s.font = {std::wstring(bar.FontName()),
              bar.FontSize(),
              static_cast<std::uint32_t>(bar.FontColor()),
              bar.FontBold(),
              bar.FontItalic(),
              bar.FontStrikethru(),
              bar.FontUnderline()};
    s.selFont = {std::wstring(bar.SelFontName()),
                 bar.SelFontSize(),
                 static_cast<std::uint32_t>(bar.SelFontColor()),
                 bar.SelFontBold(),
                 bar.SelFontItalic(),
                 bar.SelFontStrikethru(),
                 bar.SelFontUnderline()};
    s.iconStyle = eIconStyle;
    CaptureSwitches(bar, bMouseWheel, s);
    return s;
}

inline CRegistry SettingsAccessor(RegistryStore& store, std::wstring_view key = kSettingsKey) {
    CRegistry reg(store);
    reg.SetClassKey(kHKeyCurrentUser);
    reg.SetSectionKey(std::wstring(key));
    return reg;
}

// The connection class's load: the stored settings into the bar and the two
// host fields. Never throws for stored data.
template <class Bar>
void LoadSettings(RegistryStore& store, Bar& bar, std::int32_t& eIconStyle, bool& bMouseWheel,
                  std::wstring_view key = kSettingsKey) {
    CRegistry reg = SettingsAccessor(store, key);
    ApplySettings(ReadSettings(reg), bar, eIconStyle, bMouseWheel);
}

// The connection class's save: every value from the bar and the host fields.
template <class Bar>
void SaveSettings(RegistryStore& store, const Bar& bar, std::int32_t eIconStyle, bool bMouseWheel,
                  std::wstring_view key = kSettingsKey) {
    CRegistry reg = SettingsAccessor(store, key);
    WriteSettings(reg, CaptureSettings(bar, eIconStyle, bMouseWheel));
}

}  // namespace brisko
