#include "spinedit/spin_properties.h"

#include <functional>
#include <limits>
#include <type_traits>

#include "common/error.h"
#include "spinedit/spin_number.h"

namespace brisko {

void MemoryPropertyStore::Write(std::wstring_view key, const PropertyValue& value) {
    for (auto& e : entries_) {
        if (e.first == key) {
            e.second = value;
            return;
        }
    }
    entries_.emplace_back(std::wstring(key), value);
}

std::optional<PropertyValue> MemoryPropertyStore::Read(std::wstring_view key) const {
    for (const auto& e : entries_)
        if (e.first == key) return e.second;
    return std::nullopt;
}

const std::vector<std::wstring_view>& SpinEditPropertyKeys() {
    static const std::vector<std::wstring_view> keys = {L"Font",
                                                        L"Alignment",
                                                        L"VAlign",
                                                        L"LeftMargin",
                                                        L"RightMargin",
                                                        L"VMargin",
                                                        L"AutoRedraw",
                                                        L"Appearance",
                                                        L"BorderStyle",
                                                        L"ForeColor",
                                                        L"FocusColor",
                                                        L"BackColor",
                                                        L"DisableColor",
                                                        L"RaiseEvents",
                                                        L"Enabled",
                                                        L"Caption",
                                                        L"MousePointer",
                                                        L"MouseIcon",
                                                        L"RightToLeft",
                                                        L"AccessKeys",
                                                        L"KeyPreview",
                                                        L"IMEMode",
                                                        L"ArrowSpin",
                                                        L"Silence",
                                                        L"BeepSound",
                                                        L"Value",
                                                        L"Max",
                                                        L"Min",
                                                        L"Increment",
                                                        L"DecFig",
                                                        L"Wrap",
                                                        L"Multiple",
                                                        L"EnabledSpin",
                                                        L"VisibleSpin",
                                                        L"SpinMousePointer",
                                                        L"SpinMouseIcon",
                                                        L"Text",
                                                        L"TextSelection",
                                                        L"InputControl",
                                                        L"MaxLength",
                                                        L"PasswordChar",
                                                        L"Locked",
                                                        L"CausesValidation",
                                                        L"LinkItem",
                                                        L"LinkMode",
                                                        L"LinkTimeout",
                                                        L"LinkTopic",
                                                        L"DragMode",
                                                        L"DragIcon",
                                                        L"OLEDragMode",
                                                        L"OLEDropMode"};
    return keys;
}

namespace {

using P = SpinEditProperties;

[[noreturn]] void Mismatch(std::wstring_view) {
    throw Error(ErrorNumber::TypeMismatch, "a stored spin edit property has the wrong type");
}

// Stores are allowed to widen or narrow whole numbers (a byte read back as a
// 32-bit integer, say); anything that does not fit is a type mismatch.
template <class T>
T Convert(std::wstring_view key, const PropertyValue& v) {
    if (auto* exact = std::get_if<T>(&v)) return *exact;
    if constexpr (std::is_integral_v<T>) {
        long long n = 0;
        if (auto* b = std::get_if<bool>(&v))
            n = *b ? -1 : 0;
        else if (auto* u8 = std::get_if<std::uint8_t>(&v))
            n = *u8;
        else if (auto* i16 = std::get_if<std::int16_t>(&v))
            n = *i16;
        else if (auto* i32 = std::get_if<std::int32_t>(&v))
            n = *i32;
        else
            Mismatch(key);
        if constexpr (std::is_same_v<T, bool>) {
            return n != 0;
        } else {
            if (n < static_cast<long long>(std::numeric_limits<T>::min()) ||
                n > static_cast<long long>(std::numeric_limits<T>::max()))
                Mismatch(key);
            return static_cast<T>(n);
        }
    }
    Mismatch(key);
}

struct Entry {
    std::wstring_view key;
    StoredKind kind;
    std::function<void(const P&, PropertyStore&)> save;
    std::function<void(P&, const PropertyStore&)> load;
    std::function<bool(const PropertyValue&)> accepts;
};

template <class T>
constexpr StoredKind KindOf() {
    if constexpr (std::is_same_v<T, bool>)
        return StoredKind::Bool;
    else if constexpr (std::is_same_v<T, std::uint8_t>)
        return StoredKind::Byte;
    else if constexpr (std::is_same_v<T, std::int16_t>)
        return StoredKind::Int16;
    else if constexpr (std::is_same_v<T, std::int32_t>)
        return StoredKind::Int32;
    else
        return StoredKind::Text;
}

// A value from outside passes when it has the key's own type and its setter
// would take it.
template <class T>
std::function<bool(const PropertyValue&)> Accepts(std::function<bool(const T&)> inRange) {
    return [inRange](const PropertyValue& v) {
        const T* t = std::get_if<T>(&v);
        return t && (!inRange || inRange(*t));
    };
}

template <class T>
std::function<bool(const T&)> Between(long long lo, long long hi) {
    return [lo, hi](const T& v) { return v >= lo && v <= hi; };
}

// The pointer shapes: the standard ones and the custom icon.
std::function<bool(const std::int32_t&)> Pointer() {
    return [](const std::int32_t& v) { return (v >= 0 && v <= 15) || v == 99; };
}

template <class T>
Entry Plain(std::wstring_view key, T P::*member, std::function<bool(const T&)> inRange = {}) {
    return {key, KindOf<T>(),
            [key, member](const P& p, PropertyStore& s) {
                if (p.*member != P{}.*member) s.Write(key, PropertyValue(p.*member));
            },
            [key, member](P& p, const PropertyStore& s) {
                if (auto v = s.Read(key)) p.*member = Convert<T>(key, *v);
            },
            Accepts<T>(std::move(inRange))};
}

// Colours are stored as the signed 32-bit numbers the host keeps them as.
Entry Color(std::wstring_view key, std::uint32_t P::*member) {
    return {key, StoredKind::Int32,
            [key, member](const P& p, PropertyStore& s) {
                if (p.*member != P{}.*member) s.Write(key, PropertyValue(static_cast<std::int32_t>(p.*member)));
            },
            [key, member](P& p, const PropertyStore& s) {
                if (auto v = s.Read(key)) p.*member = static_cast<std::uint32_t>(Convert<std::int32_t>(key, *v));
            },
            Accepts<std::int32_t>({})};
}

// A font GDI can make: a face name that fits a LOGFONT, a size between zero
// and the largest a font can be drawn at, a weight and a character set in
// their ranges.
bool FontUsable(const FontSpec& f) {
    return !f.name.empty() && f.name.size() < 32 && f.name.find(L'\0') == std::wstring::npos && f.sizeCy > 0 &&
           f.sizeCy <= 16384LL * 10000 && f.weight >= 0 && f.weight <= 1000 && f.charset >= 0 && f.charset <= 255;
}

Entry FontEntry() {
    return {L"Font", StoredKind::Font,
            [](const P& p, PropertyStore& s) {
                if (p.font) s.Write(L"Font", PropertyValue(*p.font));
            },
            [](P& p, const PropertyStore& s) {
                if (auto v = s.Read(L"Font")) {
                    if (auto* f = std::get_if<FontSpec>(&*v))
                        p.font = *f;
                    else
                        Mismatch(L"Font");
                }
            },
            Accepts<FontSpec>(FontUsable)};
}

const std::vector<Entry>& Entries() {
    static const std::vector<Entry> entries = {
        FontEntry(),
        Plain(L"Alignment", &P::alignment, Between<std::int32_t>(0, 2)),
        Plain(L"VAlign", &P::vAlign, Between<std::int32_t>(0, 2)),
        Plain(L"LeftMargin", &P::leftMargin, Between<std::int16_t>(0, 32767)),
        Plain(L"RightMargin", &P::rightMargin, Between<std::int16_t>(0, 32767)),
        Plain(L"VMargin", &P::vMargin, Between<std::int16_t>(0, 32767)),
        Plain(L"AutoRedraw", &P::autoRedraw),
        Plain(L"Appearance", &P::appearance, Between<std::int32_t>(0, 1)),
        Plain(L"BorderStyle", &P::borderStyle, Between<std::int32_t>(0, 1)),
        Color(L"ForeColor", &P::foreColor),
        Color(L"FocusColor", &P::focusColor),
        Color(L"BackColor", &P::backColor),
        Color(L"DisableColor", &P::disableColor),
        Plain(L"RaiseEvents", &P::raiseEvents),
        Plain(L"Enabled", &P::enabled),
        Plain(L"Caption", &P::caption),
        Plain(L"MousePointer", &P::mousePointer, Pointer()),
        Plain(L"RightToLeft", &P::rightToLeft),
        Plain(L"AccessKeys", &P::accessKeys),
        Plain(L"KeyPreview", &P::keyPreview),
        Plain(L"IMEMode", &P::imeMode, Between<std::int32_t>(0, 8)),
        Plain(L"ArrowSpin", &P::arrowSpin),
        Plain(L"Silence", &P::silence),
        Plain(L"BeepSound", &P::beepSound, Between<std::int32_t>(1, 7)),
        Plain(L"Value", &P::value),
        Plain(L"Max", &P::max),
        Plain(L"Min", &P::min),
        Plain(L"Increment", &P::increment),
        Plain(L"DecFig", &P::decFig, Between<std::uint8_t>(0, 9)),
        Plain(L"Wrap", &P::wrap),
        Plain(L"Multiple", &P::multiple),
        Plain(L"EnabledSpin", &P::enabledSpin),
        Plain(L"VisibleSpin", &P::visibleSpin),
        Plain(L"SpinMousePointer", &P::spinMousePointer, Pointer()),
        Plain(L"Text", &P::text),
        Plain(L"TextSelection", &P::textSelection),
        Plain(L"InputControl", &P::inputControl),
        Plain(L"MaxLength", &P::maxLength, Between<std::int16_t>(0, 32767)),
        Plain<std::wstring>(L"PasswordChar", &P::passwordChar, [](const std::wstring& v) { return v.size() <= 1; }),
        Plain(L"Locked", &P::locked),
        Plain(L"CausesValidation", &P::causesValidation),
        Plain(L"LinkItem", &P::linkItem),
        Plain(L"LinkMode", &P::linkMode),
        Plain(L"LinkTimeout", &P::linkTimeout),
        Plain(L"LinkTopic", &P::linkTopic),
        Plain(L"DragMode", &P::dragMode),
        Plain(L"OLEDragMode", &P::oleDragMode),
        Plain(L"OLEDropMode", &P::oleDropMode),
    };
    return entries;
}

}  // namespace

void SaveSpinEditProperties(const SpinEditProperties& p, PropertyStore& store) {
    for (const auto& e : Entries()) e.save(p, store);
}

std::optional<StoredKind> SpinEditPropertyKind(std::wstring_view key) {
    if (key == L"MouseIcon" || key == L"SpinMouseIcon" || key == L"DragIcon") return StoredKind::Picture;
    for (const auto& e : Entries())
        if (e.key == key) return e.kind;
    return std::nullopt;
}

bool SpinEditPropertyAccepted(std::wstring_view key, const PropertyValue& value) {
    for (const auto& e : Entries())
        if (e.key == key) return e.accepts(value);
    return false;
}

SpinEditProperties LoadSpinEditProperties(const PropertyStore& store) {
    SpinEditProperties p;
    for (const auto& e : Entries()) e.load(p, store);
    return p;
}

MemoryPropertyStore TabWidthFieldStore() {
    SpinEditProperties p;
    p.caption = L"タブの幅";
    p.value = 120;
    p.max = 320;
    p.min = 40;
    p.enabled = false;
    p.enabledSpin = false;
    p.spinMousePointer = 1;
    p.text = L"120";
    MemoryPropertyStore store;
    SaveSpinEditProperties(p, store);
    return store;
}

std::wstring SpinEditAboutText(std::wstring_view name) {
    return std::wstring(name) + L" - Version " + spin::NumberText(kSpinEditVersion / 10000.0) +
           L"\r\nCopyright (C) 2026 Brisko developers";
}

std::wstring SpinEditAboutTitle(std::wstring_view name) {
    return std::wstring(name) + L" コントロールのバージョン情報";
}

}  // namespace brisko
