#include "spinedit/spin_bag.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <type_traits>

#include "common/rounding.h"
#include "common/text.h"
#include "spinedit/spin_number.h"

namespace brisko {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// "&H..." or "&O...": at most 32 bits, the width of the host language's
// literal of that many digits deciding how the top bit reads.
std::optional<double> ParseRadix(std::wstring_view digits, int base) {
    const std::size_t shortDigits = base == 16 ? 4 : 6;
    const std::size_t maxDigits = base == 16 ? 8 : 11;
    if (!digits.empty() && digits.back() == L'&') digits.remove_suffix(1);  // the Long suffix
    if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
    std::uint64_t v = 0;
    for (wchar_t c : digits) {
        const int d = DigitValue(c, base);
        if (d < 0) return std::nullopt;
        v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
    }
    if (v > 0xFFFFFFFFu) return std::nullopt;
    if (digits.size() <= shortDigits && v <= 0xFFFF)
        return static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(v)));
    return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)));
}

std::optional<double> ParseDecimal(std::wstring_view s) {
    std::string ascii;
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t from = i;
        while (i < s.size() && s[i] >= L'0' && s[i] <= L'9') ascii.push_back(static_cast<char>(s[i++]));
        return i - from;
    };
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) ascii.push_back(static_cast<char>(s[i++]));
    std::size_t mantissa = digits();
    if (i < s.size() && s[i] == L'.') {
        ascii.push_back('.');
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return std::nullopt;
    if (i < s.size() && (s[i] == L'e' || s[i] == L'E')) {
        ascii.push_back('e');
        ++i;
        if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) ascii.push_back(static_cast<char>(s[i++]));
        if (digits() == 0) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    const double v = std::strtod(ascii.c_str(), nullptr);
    return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::wstring_view Trimmed(std::wstring_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

using Coerced = std::variant<PropertyValue, BagProblem>;

// A number as one of the stored integer types: rounded half to even, then
// checked against the type's range.
template <class T>
Coerced Integer(double v) {
    if (std::isnan(v)) return BagProblem::Overflow;
    const double r = RoundHalfEven(v);
    if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
        r > static_cast<double>(std::numeric_limits<T>::max()))
        return BagProblem::Overflow;
    return PropertyValue(static_cast<T>(r));
}

// The value as a number, for the numeric and boolean kinds; booleans count
// as the host's -1 and 0.
std::variant<double, BagProblem> NumberOf(const BagValue& value) {
    if (const auto* b = std::get_if<bool>(&value)) return *b ? -1.0 : 0.0;
    if (const auto* i = std::get_if<std::int64_t>(&value)) return static_cast<double>(*i);
    if (const auto* d = std::get_if<double>(&value)) return *d;
    if (const auto* t = std::get_if<std::wstring>(&value)) {
        if (auto n = ParseBagNumber(*t)) return *n;
    }
    return BagProblem::TypeMismatch;
}

Coerced Coerce(StoredKind kind, const BagValue& value) {
    if (kind == StoredKind::Text) {
        if (const auto* t = std::get_if<std::wstring>(&value)) return PropertyValue(*t);
        if (const auto* b = std::get_if<bool>(&value)) return PropertyValue(std::wstring(*b ? L"-1" : L"0"));
        if (const auto* i = std::get_if<std::int64_t>(&value)) return PropertyValue(std::to_wstring(*i));
        if (const auto* d = std::get_if<double>(&value))
            return std::isfinite(*d) ? Coerced(PropertyValue(spin::NumberText(*d))) : Coerced(BagProblem::Overflow);
        return BagProblem::TypeMismatch;
    }
    if (kind == StoredKind::Bool) {
        if (const auto* t = std::get_if<std::wstring>(&value)) {
            const std::wstring_view s = Trimmed(*t);
            if (EqualsNoCase(s, L"True")) return PropertyValue(true);
            if (EqualsNoCase(s, L"False")) return PropertyValue(false);
        }
        const auto n = NumberOf(value);
        if (const auto* p = std::get_if<BagProblem>(&n)) return *p;
        return PropertyValue(std::get<double>(n) != 0.0);
    }
    const auto n = NumberOf(value);
    if (const auto* p = std::get_if<BagProblem>(&n)) return *p;
    const double v = std::get<double>(n);
    switch (kind) {
        case StoredKind::Byte:
            return Integer<std::uint8_t>(v);
        case StoredKind::Int16:
            return Integer<std::int16_t>(v);
        case StoredKind::Int32:
            return Integer<std::int32_t>(v);
        default:
            return BagProblem::TypeMismatch;
    }
}

BagDecision Report(BagProblem problem) {
    return {BagDecision::Action::Report, std::nullopt, problem};
}

}  // namespace

std::optional<double> ParseBagNumber(std::wstring_view text) {
    const std::wstring_view s = Trimmed(text);
    if (s.size() >= 2 && s[0] == L'&') {
        if (s[1] == L'H' || s[1] == L'h') return ParseRadix(s.substr(2), 16);
        if (s[1] == L'O' || s[1] == L'o') return ParseRadix(s.substr(2), 8);
        return std::nullopt;
    }
    return ParseDecimal(s);
}

BagDecision DecideBagValue(std::wstring_view key, const BagValue& value) {
    const auto kind = SpinEditPropertyKind(key);
    if (!kind) return Report(BagProblem::TypeMismatch);
    // Nothing stored, and for an object "Nothing": the default.
    const bool nothing =
        std::holds_alternative<std::monostate>(value) ||
        ((*kind == StoredKind::Picture || *kind == StoredKind::Font) && std::holds_alternative<BagNull>(value));
    if (nothing) return {};
    if (*kind == StoredKind::Picture) {
        if (std::holds_alternative<BagPicture>(value)) return {BagDecision::Action::TakePicture, std::nullopt};
        return Report(BagProblem::TypeMismatch);
    }
    Coerced coerced = BagProblem::TypeMismatch;
    if (*kind == StoredKind::Font) {
        if (const auto* f = std::get_if<FontSpec>(&value)) coerced = PropertyValue(*f);
    } else {
        coerced = Coerce(*kind, value);
    }
    if (const auto* p = std::get_if<BagProblem>(&coerced)) return Report(*p);
    PropertyValue& v = std::get<PropertyValue>(coerced);
    if (!SpinEditPropertyAccepted(key, v)) return Report(BagProblem::InvalidValue);
    return {BagDecision::Action::Take, std::move(v)};
}

}  // namespace brisko
