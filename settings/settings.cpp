#include "settings/settings.h"

#include <cmath>

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

Settings ReadSettings(CRegistry& reg) {
    Settings s;
    RowReader r(reg);
    Take(r.Int32(0), s.align);
    Take(r.Int32(1), s.style);
    if (auto w = r.InRange(2, 40, 320)) s.tabWidth = static_cast<std::int16_t>(*w);
    Take(r.Text(3), s.font.name);
    Take(r.Size(4), s.font.size);
    TakeColor(r.Int32(5), s.font.color);
    Take(r.Switch(6), s.font.bold);
    Take(r.Switch(7), s.font.italic);
    Take(r.Switch(8), s.font.strikethru);
    Take(r.Switch(9), s.font.underline);
    Take(r.Text(10), s.selFont.name);
    Take(r.Size(11), s.selFont.size);
    TakeColor(r.Int32(12), s.selFont.color);
    Take(r.Switch(13), s.selFont.bold);
    Take(r.Switch(14), s.selFont.italic);
    Take(r.Switch(15), s.selFont.strikethru);
    Take(r.Switch(16), s.selFont.underline);
    Take(r.InRange(17, 0, 3), s.iconStyle);
    Take(r.Switch(18), s.closeButton);
    Take(r.Switch(19), s.scrollButton);
    Take(r.Switch(20), s.scrollFit);
    Take(r.Switch(21), s.autoDrag);
    Take(r.Switch(22), s.mouseWheel);
    return s;
}

void WriteSettings(CRegistry& reg, const Settings& s) {
    auto color = [](const std::optional<std::uint32_t>& c) { return static_cast<std::int32_t>(c.value_or(0)); };
    auto flag = [](bool b) { return std::int32_t{b ? 1 : 0}; };
    const RegValue values[23] = {
        s.align,
        s.style,
        s.tabWidth,
        s.font.name,
        FontSizeToStored(s.font.size),
        color(s.font.color),
        flag(s.font.bold),
        flag(s.font.italic),
        flag(s.font.strikethru),
        flag(s.font.underline),
        s.selFont.name,
        FontSizeToStored(s.selFont.size),
        color(s.selFont.color),
        flag(s.selFont.bold),
        flag(s.selFont.italic),
        flag(s.selFont.strikethru),
        flag(s.selFont.underline),
        s.iconStyle,
        flag(s.closeButton),
        flag(s.scrollButton),
        flag(s.scrollFit),
        flag(s.autoDrag),
        flag(s.mouseWheel),
    };
    for (size_t i = 0; i < kSettingsRows.size(); ++i) {
        reg.SetValueKey(std::wstring(kSettingsRows[i].name));
        // A read may have changed the type; every write sets it again.
        reg.SetValueType(kSettingsRows[i].type);
        reg.SetValue(values[i]);
    }
}

}  // namespace brisko
