#pragma once
// What the settings dialog is made of, independent of the window system: its
// controls with their places in each language and the ids of their captions
// in the resources, how the dialog's choices map onto the bar's values, the
// preview labels' captions and the window caption.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "common/font.h"
#include "common/types.h"
#include "common/ui_language.h"
#include "resources/texts.h"
#include "settings/settings.h"
#include "tabbar/mdi_tab.h"  // the bar's Align and Style values

namespace brisko::config {

// Control ids. OK and Cancel carry the dialog manager's own ids, so Enter and
// Esc reach them without any help.
enum ControlId : int {
    kBtnOK = 1,      // IDOK
    kBtnCancel = 2,  // IDCANCEL
    kFraAlign = 100,
    kOptAlign0 = 101,
    kOptAlign1 = 102,
    kFraWidth = 110,
    kOptStyle0 = 111,
    kOptStyle1 = 112,
    kLblWidth = 113,
    kTxtWidth = 114,
    kFraFont = 120,
    kBtnNormalFont = 121,
    kBtnNormalColor = 122,
    kLblNormal = 123,
    kBtnActiveFont = 124,
    kBtnActiveColor = 125,
    kLblActive = 126,
    kFraIcon = 130,
    kOptIcon0 = 131,  // kOptIcon0 + i is optIcon(i), i = 0..3
    kFraEtc = 140,
    kChkClose = 141,
    kChkScroll = 142,
    kChkFit = 143,
    kChkDrag = 144,
    kChkWheel = 145,
    kBtnReset = 150,
};

enum class Kind {
    Frame,
    Option,  // the first of each group starts the group
    Check,
    Label,
    LabelRight,
    SpinEdit,
    Button,
    DefaultButton,
    CancelButton,
};

// Twips; positions are relative to the container (a frame or the client area).
// The places are the Japanese form's; the English one moves a few controls.
struct ControlDef {
    int id;
    const char* name;
    Kind kind;
    int container;  // a frame's id, or 0 for the client area
    int left, top, width, height;
    int tabIndex;
    bool startsGroup;  // first option of a group of option buttons
};

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kClientWidthTwips = 7320;
inline constexpr int kClientHeightTwips = 4200;

// Every control, in tab order (which is also the order of creation).
std::span<const ControlDef> Controls();
const ControlDef* FindControl(int id);

// A control's place in pixels relative to the client area, in the form of
// that language.
Rect ClientRectPixels(const ControlDef& c, Language language);
int TwipsToPixels(double twips);

// The id of a control's caption in the resources; 0 for the controls whose
// text the dialog sets itself (the preview labels, the width field).
unsigned CaptionTextId(const ControlDef& c);
// The design-time caption, before loading replaces it.
inline constexpr unsigned kDesignCaptionTextId = BRISKO_IDS_CONFIG;
inline constexpr wchar_t kProductName[] = L"Brisko";

// The font of the dialog's controls, and the width field's, in each
// language: the Japanese form's own, and an English Windows dialog's.
FontSpec DialogFont(Language language);
FontSpec WidthFieldFont(Language language);

// The width field's messages, by the result of its check: the title, and the
// id of the text for a result (the internal error's for any other result).
// The texts hold %1 and %2 for the smallest and largest width.
inline constexpr unsigned kWidthMessageTitleTextId = BRISKO_IDS_WIDTH_MESSAGE;
unsigned WidthMessageTextId(std::int32_t code);

struct ModuleVersion {
    std::uint16_t major = 0, minor = 0, build = 0, revision = 0;
};
// "Brisko - 1.28" for 1.2.x.8: the revision is written straight after the minor number.
std::wstring WindowCaption(const ModuleVersion& v);
// The fixed file version of a VS_VERSIONINFO resource; nullopt when the bytes
// are not one.
std::optional<ModuleVersion> ParseVersionResource(std::span<const std::uint8_t> bytes);

// The preview label's caption: name, space, whole points (size + 0.5, cut) and "pt".
std::wstring PreviewCaption(const FontSpec& font);
// The label's top so that it sits centred on its button (pixels, halves to even).
int CentredTop(int buttonTop, int buttonHeight, int labelHeight);

// The icon styles the four icon options stand for, in option order.
inline constexpr int kIconStyleCount = kIconStyleLast + 1;

// The bar's and the host's values the dialog edits, as the controls show them.
struct Values : BarSwitches {
    std::int32_t align = kAlignTop;
    std::int32_t style = kWidthFit;
    std::int16_t tabWidth = 120;
    FontSpec font;
    std::uint32_t fontColor = 0;
    FontSpec selFont;
    std::uint32_t selFontColor = 0;
    std::int32_t iconStyle = 0;
};

// Option index to value and back; nullopt where no option stands for the value.
std::optional<int> AlignOption(std::int32_t align);
std::optional<int> StyleOption(std::int32_t style);
std::optional<int> IconOption(std::int32_t iconStyle);
std::int32_t StyleFromOption(int index);      // 0 -> 1, 1 -> 0
std::int32_t IconStyleFromOption(int index);  // outside 0..3 -> 0
// The first checked icon option's style, 0 when none is checked.
std::int32_t IconStyleFromChecks(const std::array<bool, kIconStyleCount>& checked);

// The font buttons' flags for the font dialog (screen fonts, effects, limited
// sizes, existing fonts only, no script choice) and the size limits.
inline constexpr std::uint32_t kFontDialogFlags = 0x00812101;
inline constexpr std::int32_t kFontSizeMin = 7;
inline constexpr std::int32_t kFontSizeMax = 24;

}  // namespace brisko::config
