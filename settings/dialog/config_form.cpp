#include "settings/dialog/config_form.h"

#include <bit>
#include <cstring>

#include "common/rounding.h"
#include "spinedit/spin_number.h"

namespace brisko::config {

namespace {

constexpr ControlDef kControls[] = {
    {kBtnOK, "btnOK", Kind::DefaultButton, 0, 4800, 3780, 1095, 315, 0, false},
    {kBtnCancel, "btnCancel", Kind::CancelButton, 0, 6000, 3780, 1095, 315, 1, false},
    {kFraAlign, "fraAlign", Kind::Frame, 0, 120, 120, 3495, 690, 2, false},
    {kOptAlign0, "optAlign(0)", Kind::Option, kFraAlign, 120, 300, 1455, 180, 3, true},
    {kOptAlign1, "optAlign(1)", Kind::Option, kFraAlign, 1680, 300, 1455, 180, 4, false},
    {kFraWidth, "fraWidth", Kind::Frame, 0, 120, 960, 3495, 1335, 5, false},
    {kOptStyle0, "optStyle(0)", Kind::Option, kFraWidth, 120, 300, 3135, 255, 6, true},
    {kOptStyle1, "optStyle(1)", Kind::Option, kFraWidth, 120, 600, 3135, 255, 7, false},
    {kLblWidth, "lblWidth", Kind::LabelRight, kFraWidth, 120, 945, 2055, 180, 8, false},
    {kTxtWidth, "txtWidth", Kind::SpinEdit, kFraWidth, 2340, 900, 975, 270, 9, false},
    {kFraFont, "fraFont", Kind::Frame, 0, 120, 2445, 3495, 1185, 10, false},
    {kBtnNormalFont, "btnNormalFont", Kind::Button, kFraFont, 120, 315, 750, 315, 11, false},
    {kBtnNormalColor, "btnNormalColor", Kind::Button, kFraFont, 930, 315, 330, 315, 12, false},
    {kLblNormal, "lblNormal", Kind::Label, kFraFont, 1380, 375, 1995, 180, 13, false},
    {kBtnActiveFont, "btnActiveFont", Kind::Button, kFraFont, 120, 720, 750, 315, 14, false},
    {kBtnActiveColor, "btnActiveColor", Kind::Button, kFraFont, 930, 720, 330, 315, 15, false},
    {kLblActive, "lblActive", Kind::Label, kFraFont, 1380, 780, 1995, 180, 16, false},
    {kFraIcon, "fraIcon", Kind::Frame, 0, 3720, 120, 3495, 1545, 17, false},
    {kOptIcon0 + 0, "optIcon(0)", Kind::Option, kFraIcon, 120, 300, 3300, 255, 18, true},
    {kOptIcon0 + 1, "optIcon(1)", Kind::Option, kFraIcon, 120, 600, 3300, 255, 19, false},
    {kOptIcon0 + 2, "optIcon(2)", Kind::Option, kFraIcon, 120, 900, 3300, 255, 20, false},
    {kOptIcon0 + 3, "optIcon(3)", Kind::Option, kFraIcon, 120, 1200, 3300, 255, 21, false},
    {kFraEtc, "fraEtc", Kind::Frame, 0, 3720, 1770, 3495, 1855, 22, false},
    {kChkClose, "chkClose", Kind::Check, kFraEtc, 120, 300, 3300, 255, 23, false},
    {kChkScroll, "chkScroll", Kind::Check, kFraEtc, 120, 600, 3300, 255, 24, false},
    {kChkFit, "chkFit", Kind::Check, kFraEtc, 120, 900, 3300, 255, 25, false},
    {kChkDrag, "chkDrag", Kind::Check, kFraEtc, 120, 1200, 3300, 255, 26, false},
    {kChkWheel, "chkWheel", Kind::Check, kFraEtc, 120, 1500, 3300, 255, 27, false},
    {kBtnReset, "btnReset", Kind::Button, 0, 240, 3780, 1575, 315, 28, false},
};

// The English form's places where its longer words need more room than the
// Japanese ones: the font and colour buttons grow, the preview labels move
// right behind them.
constexpr std::int16_t kDefaultCharset = 1;

struct Place {
    int id;
    int left, top, width, height;
};
constexpr Place kEnglishPlaces[] = {
    {kBtnNormalFont, 120, 315, 900, 315}, {kBtnNormalColor, 1080, 315, 600, 315}, {kLblNormal, 1800, 375, 1575, 180},
    {kBtnActiveFont, 120, 720, 900, 315}, {kBtnActiveColor, 1080, 720, 600, 315}, {kLblActive, 1800, 780, 1575, 180},
};

}  // namespace

std::span<const ControlDef> Controls() {
    return kControls;
}

const ControlDef* FindControl(int id) {
    for (const auto& c : kControls) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

int TwipsToPixels(double twips) {
    return static_cast<int>(RoundHalfEven(twips / kTwipsPerPixel));
}

Rect ClientRectPixels(const ControlDef& c, Language language) {
    Place p{c.id, c.left, c.top, c.width, c.height};
    if (language == Language::English) {
        for (const Place& moved : kEnglishPlaces) {
            if (moved.id == c.id) p = moved;
        }
    }
    // No control has the id 0 of the client area.
    if (const ControlDef* frame = FindControl(c.container)) {
        p.left += frame->left;
        p.top += frame->top;
    }
    Rect r;
    r.left = TwipsToPixels(p.left);
    r.top = TwipsToPixels(p.top);
    r.right = r.left + TwipsToPixels(p.width);
    r.bottom = r.top + TwipsToPixels(p.height);
    return r;
}

unsigned CaptionTextId(const ControlDef& c) {
    if (c.kind == Kind::Label || c.kind == Kind::SpinEdit) return 0;
    return BRISKO_IDS_CONFIG + static_cast<unsigned>(c.id);
}

FontSpec DialogFont(Language language) {
    if (language == Language::Japanese) return FontSpec::Make(L"MS UI Gothic", 9);
    // The shell's dialog font, which every English Windows maps to its own.
    FontSpec f = FontSpec::Make(L"MS Shell Dlg 2", 8);
    f.charset = kDefaultCharset;
    return f;
}

FontSpec WidthFieldFont(Language language) {
    return language == Language::Japanese ? FontSpec::Make(L"ＭＳ Ｐゴシック", 9) : DialogFont(language);
}

unsigned WidthMessageTextId(std::int32_t code) {
    switch (code) {
        case spin::kAboveMax:
        case spin::kBelowMin:
        case spin::kNotInteger:
        case spin::kEmpty:
        case spin::kNotNumber:
        case spin::kTwoPoints:
        case spin::kOutOfLimits:
            return BRISKO_IDS_WIDTH_MESSAGE + 1 + static_cast<unsigned>(std::countr_zero(static_cast<unsigned>(code)));
        default:
            return BRISKO_IDS_WIDTH_MESSAGE + 1 + static_cast<unsigned>(std::countr_zero(unsigned{spin::kInternal}));
    }
}

std::wstring WindowCaption(const ModuleVersion& v) {
    return std::wstring(kProductName) + L" - " + std::to_wstring(v.major) + L"." + std::to_wstring(v.minor) +
           std::to_wstring(v.revision);
}

std::optional<ModuleVersion> ParseVersionResource(std::span<const std::uint8_t> bytes) {
    // VS_VERSIONINFO: three WORDs (length, value length, type), the key
    // L"VS_VERSION_INFO" with its NUL, padding to a DWORD boundary, then the
    // VS_FIXEDFILEINFO value.
    constexpr std::size_t kHeader = 6;
    constexpr char16_t kKey[] = u"VS_VERSION_INFO";
    constexpr std::size_t kKeyBytes = sizeof kKey;  // with the NUL
    constexpr std::size_t kFixedOffset = (kHeader + kKeyBytes + 3) & ~std::size_t{3};
    constexpr std::size_t kFixedSize = 52;
    if (bytes.size() < kFixedOffset + kFixedSize) return std::nullopt;
    auto word = [&](std::size_t at) { return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8)); };
    auto dword = [&](std::size_t at) {
        return static_cast<std::uint32_t>(word(at) | (std::uint32_t{word(at + 2)} << 16));
    };
    const std::uint16_t length = word(0), valueLength = word(2);
    if (length > bytes.size() || length < kFixedOffset + kFixedSize || valueLength < kFixedSize) return std::nullopt;
    for (std::size_t i = 0; i < kKeyBytes / 2; ++i) {
        if (word(kHeader + 2 * i) != kKey[i]) return std::nullopt;
    }
    if (dword(kFixedOffset) != 0xFEEF04BDu) return std::nullopt;
    const std::uint32_t ms = dword(kFixedOffset + 8), ls = dword(kFixedOffset + 12);
    ModuleVersion v;
    v.major = static_cast<std::uint16_t>(ms >> 16);
    v.minor = static_cast<std::uint16_t>(ms & 0xFFFF);
    v.build = static_cast<std::uint16_t>(ls >> 16);
    v.revision = static_cast<std::uint16_t>(ls & 0xFFFF);
    return v;
}

std::wstring PreviewCaption(const FontSpec& font) {
    // The size plus a half, cut to whole points, on the exact fixed-point size.
    const std::int64_t points = font.sizeCy >= 0 ? (font.sizeCy + 5000) / 10000 : -((-font.sizeCy - 5000) / 10000);
    return font.name + L" " + std::to_wstring(points) + L"pt";
}

int CentredTop(int buttonTop, int buttonHeight, int labelHeight) {
    return static_cast<int>(RoundHalfEven(buttonTop + buttonHeight / 2.0 - labelHeight / 2.0));
}

std::optional<int> AlignOption(std::int32_t align) {
    if (align == kAlignTop || align == kAlignBottom) return align;
    return std::nullopt;
}

std::optional<int> StyleOption(std::int32_t style) {
    // The options list fitting the title first, then the fixed width.
    if (style == kWidthFit) return 0;
    if (style == kWidthFixed) return 1;
    return std::nullopt;
}

std::optional<int> IconOption(std::int32_t iconStyle) {
    if (iconStyle >= 0 && iconStyle < kIconStyleCount) return iconStyle;
    return std::nullopt;
}

std::int32_t StyleFromOption(int index) {
    return index == 0 ? kWidthFit : kWidthFixed;
}

std::int32_t IconStyleFromOption(int index) {
    return index >= 0 && index < kIconStyleCount ? index : 0;
}

std::int32_t IconStyleFromChecks(const std::array<bool, kIconStyleCount>& checked) {
    for (int i = 0; i < kIconStyleCount; ++i) {
        if (checked[static_cast<std::size_t>(i)]) return i;
    }
    return 0;
}

}  // namespace brisko::config
