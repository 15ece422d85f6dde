#include "settings/dialog/config_form.h"

#include <cstring>

#include "common/rounding.h"

namespace brisko::config {

namespace {

constexpr ControlDef kControls[] = {
    {kBtnOK, "btnOK", Kind::DefaultButton, L"OK", 0, 4800, 3780, 1095, 315, 0, false},
    {kBtnCancel, "btnCancel", Kind::CancelButton, L"キャンセル", 0, 6000, 3780, 1095, 315, 1, false},
    {kFraAlign, "fraAlign", Kind::Frame, L"タブバーの表示位置", 0, 120, 120, 3495, 690, 2, false},
    {kOptAlign0, "optAlign(0)", Kind::Option, L"上に表示する", kFraAlign, 120, 300, 1455, 180, 3, true},
    {kOptAlign1, "optAlign(1)", Kind::Option, L"下に表示する", kFraAlign, 1680, 300, 1455, 180, 4, false},
    {kFraWidth, "fraWidth", Kind::Frame, L"タブの幅", 0, 120, 960, 3495, 1335, 5, false},
    {kOptStyle0, "optStyle(0)", Kind::Option, L"タイトルに合わせる", kFraWidth, 120, 300, 3135, 255, 6, true},
    {kOptStyle1, "optStyle(1)", Kind::Option, L"指定の幅で固定する", kFraWidth, 120, 600, 3135, 255, 7, false},
    {kLblWidth, "lblWidth", Kind::LabelRight, L"ピクセル (40 ～ 320)", kFraWidth, 600, 945, 1575, 180, 8, false},
    {kTxtWidth, "txtWidth", Kind::SpinEdit, L"", kFraWidth, 2340, 900, 975, 270, 9, false},
    {kFraFont, "fraFont", Kind::Frame, L"フォント", 0, 120, 2445, 3495, 1185, 10, false},
    {kBtnNormalFont, "btnNormalFont", Kind::Button, L"通常時", kFraFont, 120, 315, 750, 315, 11, false},
    {kBtnNormalColor, "btnNormalColor", Kind::Button, L"色", kFraFont, 930, 315, 330, 315, 12, false},
    {kLblNormal, "lblNormal", Kind::Label, L"MS UI Gothic 9pt", kFraFont, 1380, 375, 1320, 180, 13, false},
    {kBtnActiveFont, "btnActiveFont", Kind::Button, L"選択中", kFraFont, 120, 720, 750, 315, 14, false},
    {kBtnActiveColor, "btnActiveColor", Kind::Button, L"色", kFraFont, 930, 720, 330, 315, 15, false},
    {kLblActive, "lblActive", Kind::Label, L"MS UI Gothic 9pt", kFraFont, 1380, 780, 1320, 180, 16, false},
    {kFraIcon, "fraIcon", Kind::Frame, L"タブのアイコン", 0, 3720, 120, 3495, 1545, 17, false},
    {kOptIcon0 + 0, "optIcon(0)", Kind::Option, L"既定のアイコンを使用する", kFraIcon, 120, 300, 3300, 255, 18, true},
    {kOptIcon0 + 1, "optIcon(1)", Kind::Option, L"コンポーネントのアイコンを使用する", kFraIcon, 120, 600, 3300, 255,
     19, false},
    {kOptIcon0 + 2, "optIcon(2)", Kind::Option, L"表示モードのアイコンを使用する", kFraIcon, 120, 900, 3300, 255, 20,
     false},
    {kOptIcon0 + 3, "optIcon(3)", Kind::Option, L"アイコンを表示しない", kFraIcon, 120, 1200, 3300, 255, 21, false},
    {kFraEtc, "fraEtc", Kind::Frame, L"その他", 0, 3720, 1770, 3495, 1855, 22, false},
    {kChkClose, "chkClose", Kind::Check, L"閉じるボタンを隠す", kFraEtc, 120, 300, 3300, 255, 23, false},
    {kChkScroll, "chkScroll", Kind::Check, L"スクロールボタンを隠す", kFraEtc, 120, 600, 3300, 255, 24, false},
    {kChkFit, "chkFit", Kind::Check, L"スムーススクロールしない", kFraEtc, 120, 900, 3300, 255, 25, false},
    {kChkDrag, "chkDrag", Kind::Check, L"タブのドラッグを禁止する", kFraEtc, 120, 1200, 3300, 255, 26, false},
    {kChkWheel, "chkWheel", Kind::Check, L"コードウィンドウでホイールを使用しない", kFraEtc, 120, 1500, 3300, 255, 27,
     false},
    {kBtnReset, "btnReset", Kind::Button, L"規定値に戻す(&R)", 0, 240, 3780, 1575, 315, 28, false},
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

Rect ClientRectPixels(const ControlDef& c) {
    int left = c.left, top = c.top;
    if (c.container != 0) {
        if (const ControlDef* frame = FindControl(c.container)) {
            left += frame->left;
            top += frame->top;
        }
    }
    Rect r;
    r.left = TwipsToPixels(left);
    r.top = TwipsToPixels(top);
    r.right = r.left + TwipsToPixels(c.width);
    r.bottom = r.top + TwipsToPixels(c.height);
    return r;
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
