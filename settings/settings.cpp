#include "settings/settings.h"

#include <cmath>
#include <vector>

#include "common/rounding.h"

namespace brisko {

namespace {

// One row at a time; every reader answers nullopt for "take the default".
class RowReader {
public:
    explicit RowReader(CRegistry& reg) : reg_(reg) {}

    RegValue Read(size_t row) {
        reg_.SetValueKey(std::wstring(kSettingsRows[row].name));
        reg_.SetValueType(kSettingsRows[row].type);
        return reg_.Value();
    }
    std::optional<double> Number(size_t row) { return RegValueNumber(Read(row)); }
    std::optional<std::int32_t> Int32(size_t row) {
        auto n = Number(row);
        return n ? ToInt32(*n) : std::nullopt;
    }
    std::optional<std::int32_t> InRange(size_t row, double lo, double hi) {
        auto n = Number(row);
        if (!n || *n < lo || *n > hi) return std::nullopt;
        return ToInt32(*n);
    }
    std::optional<bool> Switch(size_t row) {
        auto n = Number(row);
        return n ? std::optional<bool>(*n != 0) : std::nullopt;
    }
    std::optional<float> Size(size_t row) {
        auto n = Number(row);
        return n ? std::optional<float>(StoredToFontSize(*n)) : std::nullopt;
    }
    std::optional<std::wstring> Text(size_t row) {
        RegValue v = Read(row);
        // Empty is a missing value; binary data is nobody's font name.
        if (IsEmpty(v) || std::holds_alternative<RegBytes>(v)) return std::nullopt;
        return RegValueText(v);
    }

private:
    CRegistry& reg_;
};

template <class T>
void Take(std::optional<T> v, T& field) {
    if (v) field = *v;
}

void TakeColor(std::optional<std::int32_t> v, std::optional<std::uint32_t>& field) {
    if (v) field = static_cast<std::uint32_t>(*v);
}

}  // namespace

std::int32_t FontSizeToStored(float points) {
    return ToInt32(static_cast<double>(points) * 100.0).value_or(0);
}

float StoredToFontSize(double hundredths) {
    return static_cast<float>(hundredths / 100.0);
}

namespace {

// The rows of the two fonts: name, size, colour, bold, italic, strike-out, underline.
constexpr size_t kFontRow = 3;
constexpr size_t kSelFontRow = 10;

void ReadFont(RowReader& r, size_t first, TabFontSettings& f) {
    Take(r.Text(first), f.name);
    Take(r.Size(first + 1), f.size);
    TakeColor(r.Int32(first + 2), f.color);
    Take(r.Switch(first + 3), f.bold);
    Take(r.Switch(first + 4), f.italic);
    Take(r.Switch(first + 5), f.strikethru);
    Take(r.Switch(first + 6), f.underline);
}

RegValue Flag(bool b) {
    return std::int32_t{b ? 1 : 0};
}

void AppendFont(std::vector<RegValue>& values, const TabFontSettings& f) {
    values.insert(values.end(), {f.name, FontSizeToStored(f.size), static_cast<std::int32_t>(f.color.value_or(0)),
                                 Flag(f.bold), Flag(f.italic), Flag(f.strikethru), Flag(f.underline)});
}

}  // namespace

Settings ReadSettings(CRegistry& reg) {
    Settings s;
    RowReader r(reg);
    Take(r.Int32(0), s.align);
    Take(r.Int32(1), s.style);
    if (auto w = r.InRange(2, kTabWidthMin, kTabWidthMax)) s.tabWidth = static_cast<std::int16_t>(*w);
    ReadFont(r, kFontRow, s.font);
    ReadFont(r, kSelFontRow, s.selFont);
    Take(r.InRange(17, 0, kIconStyleLast), s.iconStyle);
    Take(r.Switch(18), s.closeButton);
    Take(r.Switch(19), s.scrollButton);
    Take(r.Switch(20), s.scrollFit);
    Take(r.Switch(21), s.autoDrag);
    Take(r.Switch(22), s.mouseWheel);
    return s;
}

void WriteSettings(CRegistry& reg, const Settings& s) {
    std::vector<RegValue> values{s.align, s.style, s.tabWidth};
    AppendFont(values, s.font);
    AppendFont(values, s.selFont);
    values.insert(values.end(), {s.iconStyle, Flag(s.closeButton), Flag(s.scrollButton), Flag(s.scrollFit),
                                 Flag(s.autoDrag), Flag(s.mouseWheel)});
    for (size_t i = 0; i < kSettingsRows.size(); ++i) {
        reg.SetValueKey(std::wstring(kSettingsRows[i].name));
        // A read may have changed the type; every write sets it again.
        reg.SetValueType(kSettingsRows[i].type);
        reg.SetValue(values[i]);
    }
}

}  // namespace brisko
