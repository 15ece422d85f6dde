#pragma once
// The spin edit box's stored properties: what a form keeps of each instance,
// written key by key in a fixed order, each only when it differs from its
// default. Pictures (mouse and drag icons) and the data-link and drag-and-drop
// behaviour belong to the control's form-hosted surface and travel through
// the same store there; the values below are everything the control itself
// needs outside a form.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "common/font.h"
#include "spinedit/spin_styles.h"

namespace brisko {

using PropertyValue = std::variant<bool, std::uint8_t, std::int16_t, std::int32_t, std::wstring, FontSpec>;

// The host's store of control properties.
class PropertyStore {
public:
    virtual ~PropertyStore() = default;
    virtual void Write(std::wstring_view key, const PropertyValue& value) = 0;
    virtual std::optional<PropertyValue> Read(std::wstring_view key) const = 0;
};

// A store kept in memory in write order; also the form a stored instance
// takes inside the program.
class MemoryPropertyStore : public PropertyStore {
public:
    void Write(std::wstring_view key, const PropertyValue& value) override;
    std::optional<PropertyValue> Read(std::wstring_view key) const override;
    const std::vector<std::pair<std::wstring, PropertyValue>>& Entries() const { return entries_; }

private:
    std::vector<std::pair<std::wstring, PropertyValue>> entries_;
};

constexpr std::uint32_t kColorWindow = 0x80000005;  // window background
constexpr std::uint32_t kColorButtonFace = 0x8000000F;
constexpr std::uint32_t kColorWindowText = 0x80000008;
constexpr std::uint32_t kColorGrayText = 0x80000011;  // disabled text

// Every stored property with its default. Value, Max, Min and Increment are
// the scaled integers whose unit DecFig gives.
struct SpinEditProperties {
    std::optional<FontSpec> font;  // none: the host's ambient font
    std::int32_t alignment = kAlignRight, vAlign = kVAlignMiddle;
    std::int16_t leftMargin = 1, rightMargin = 1, vMargin = 1;
    bool autoRedraw = false;
    std::int32_t appearance = kAppearance3D, borderStyle = kBorderStyleFixedSingle;
    std::uint32_t foreColor = kColorWindowText, focusColor = kColorWindow;
    std::uint32_t backColor = kColorWindow, disableColor = kColorButtonFace;
    bool raiseEvents = true, enabled = true;
    std::wstring caption{};
    std::int32_t mousePointer = 0;
    bool rightToLeft = false;
    std::wstring accessKeys{};
    bool keyPreview = false;
    std::int32_t imeMode = static_cast<std::int32_t>(ImeMode::Disable);
    bool arrowSpin = true, silence = false;
    std::int32_t beepSound = static_cast<std::int32_t>(BeepSound::Default);
    std::int32_t value = 0, max = 100, min = 0, increment = 1;  // scaled by DecFig
    std::uint8_t decFig = 0;
    bool wrap = false, multiple = false, enabledSpin = true, visibleSpin = true;
    std::int32_t spinMousePointer = 0;
    std::wstring text = L"0";
    bool textSelection = false, inputControl = true;
    std::int16_t maxLength = 0;
    std::wstring passwordChar{};
    bool locked = false, causesValidation = true;
    std::wstring linkItem{}, linkTopic{};
    std::int32_t linkMode = 0;
    std::int16_t linkTimeout = 50;
    std::int32_t dragMode = 0, oleDragMode = 0, oleDropMode = 0;

    friend bool operator==(const SpinEditProperties&, const SpinEditProperties&) = default;
};

// The keys in the order they are written.
const std::vector<std::wstring_view>& SpinEditPropertyKeys();

// What a stored key holds. Colours are 32-bit numbers; pictures are kept by
// the form-hosted control itself and have no place in SpinEditProperties.
enum class StoredKind { Font, Bool, Byte, Int16, Int32, Text, Picture };
// The kind of a stored key; nothing for a key the control does not store.
std::optional<StoredKind> SpinEditPropertyKind(std::wstring_view key);
// Whether a value that came from outside is one the control takes for the
// key: exactly the key's kind, within the range its setter accepts. Pictures
// are never PropertyValues and so never accepted here.
bool SpinEditPropertyAccepted(std::wstring_view key, const PropertyValue& value);

void SaveSpinEditProperties(const SpinEditProperties& p, PropertyStore& store);
// Keys that are missing keep their defaults. A stored value of the wrong type
// throws Error(TypeMismatch).
SpinEditProperties LoadSpinEditProperties(const PropertyStore& store);

// The stored instance of the settings dialog's tab width field.
MemoryPropertyStore TabWidthFieldStore();

// The About box's text and title.
constexpr std::int32_t kSpinEditVersion = 14600;
// name is the control's name as its host gives it.
std::wstring SpinEditAboutText(std::wstring_view name = L"SpinEditBox");
std::wstring SpinEditAboutTitle(std::wstring_view name = L"SpinEditBox");

}  // namespace brisko
