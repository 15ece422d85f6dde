#pragma once
// Which IDE windows get tabs, and how a tab's title, kind value and icon are
// derived from a window caption and the IDE's project model.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brisko {

// Kind value bits kept as a tab's Data.
enum KindBits : std::int32_t {
    kKindForm = 1,
    kKindMDIForm = 4,
    kKindDesigner = 8,
    kKindUserControl = 16,
    kKindPropertyPage = 32,
    kKindUserDocument = 64,
    kKindModule = 128,
    kKindClass = 256,
    kKindObjectBrowser = 512,
    // The VBA editor's own kinds: a document's module (ThisWorkbook, Sheet1)
    // and a UserForm.
    kKindDocument = 1024,
    kKindUserForm = 2048,
    kKindCodeView = 4096,
};

// The part of the IDE's object model the derivation reads. Collections are
// 1-based as the IDE's are; whatever the IDE raises propagates.
class IdeProject {
public:
    virtual ~IdeProject() = default;
    virtual std::wstring Name() = 0;
    virtual std::int32_t ComponentCount() = 0;
    virtual std::wstring ComponentName(std::int32_t i) = 0;
    virtual std::int32_t ComponentType(std::int32_t i) = 0;
    // The full path of the project's document; nullopt while it has never
    // been saved (the VBA editor raises then) and where the IDE has none.
    virtual std::optional<std::wstring> FileName() { return std::nullopt; }
};

class IdeModel {
public:
    virtual ~IdeModel() = default;
    virtual std::int32_t ProjectCount() = 0;
    virtual std::unique_ptr<IdeProject> Project(std::int32_t i) = 0;
    // nullptr when the IDE has no active project.
    virtual std::unique_ptr<IdeProject> ActiveProject() = 0;
    // The type of the IDE's window with exactly this caption in VBE.Windows
    // (kWindowType...); nullopt when no window has it or the IDE cannot say.
    virtual std::optional<std::int32_t> WindowType(const std::wstring& caption) {
        (void)caption;
        return std::nullopt;
    }
};

// VBE.Windows(i).Type values that the tabs tell apart.
inline constexpr std::int32_t kWindowTypeCode = 0;
inline constexpr std::int32_t kWindowTypeDesigner = 1;
inline constexpr std::int32_t kWindowTypeBrowser = 2;

// The IDE's captions: the Object Browser's and the marker of a code window,
// first in the Japanese IDE, then in the English VB6 IDE and VBA editor.
// Both languages' words are recognised whatever the display language, which
// need not be the IDE's.
inline constexpr const wchar_t* kObjectBrowserCaption = L"\uFF75\uFF8C\uFF9E\uFF7C\uFF9E\uFF6A\uFF78\uFF84 \uFF8C\uFF9E\uFF97\uFF73\uFF7B\uFF9E";
inline constexpr const wchar_t* kCodeViewMarker = L"(\uFF7A\uFF70\uFF84\uFF9E)";
inline constexpr const wchar_t* kObjectBrowserCaptions[] = {kObjectBrowserCaption, L"Object Browser"};
inline constexpr const wchar_t* kCodeViewMarkers[] = {kCodeViewMarker, L"(Code)"};

// Exactly one of the Object Browser's captions (case-sensitive).
bool IsObjectBrowserCaption(std::wstring_view caption);
// The caption holds a code window's marker (case-sensitive).
bool IsCodeViewCaption(std::wstring_view caption);
// The title of a tab whose caption is empty: one ideographic space.
inline constexpr const wchar_t* kEmptyTitle = L"\u3000";

// A model that answers from another one and remembers every answer, for a
// run of derivations during which the IDE cannot change its projects
// (nothing else runs on the IDE's thread meanwhile). Each question reaches
// `source` at most once, and only when a derivation first needs it, so a
// failure still comes from the call that would have failed. `source` must
// outlive the result.
std::unique_ptr<IdeModel> MakeRememberingModel(IdeModel& source);

// True for the three window classes that get tabs at connection.
bool IsTabWindowClass(const std::wstring& sClass);

// The kind bit of an IDE component type; 0 for types without one.
std::int32_t KindOfComponentType(std::int32_t type);
// The same in the VBA editor, whose UserForms (3) and document modules (100)
// have kinds of their own.
std::int32_t KindOfVbaComponentType(std::int32_t type);

// The tab icons are resources 101..116, icon numbers 1..16.
inline constexpr std::int16_t kIconCount = 16;

// Icon number (0..16) of a kind value under an icon style (0..3).
std::int16_t GetIconIndex(std::int32_t kind, std::int32_t iconStyle);

// The project of the given name: the only one when exactly one is loaded,
// else the first whose name matches exactly; nullptr when none does.
std::unique_ptr<IdeProject> FindProject(IdeModel& model, const std::wstring& name);

// The text before the first "(", without the spaces around it.
std::wstring TextBeforeParen(std::wstring_view s);
// The title that MakeTabTitle derives from a caption, without the IDE's
// project model (for when the model cannot be asked).
std::wstring TitleOfCaption(std::wstring_view caption);

// Derives the title from the caption in sTitle and updates the icon number
// and kind value; icon and kind stay as they are when no project is found.
void MakeTabTitle(std::wstring& sTitle, std::int16_t& iIcon, std::int32_t& lKind, IdeModel& model,
                  std::int32_t iconStyle);

}  // namespace brisko
