#include "settings/reg_value.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "common/text.h"

namespace brisko {

bool HasEnvironmentReference(std::wstring_view text) {
    auto first = text.find(L'%');
    if (first == std::wstring_view::npos) return false;
    return text.find(L'%', first + 2) != std::wstring_view::npos;
}

std::wstring RegValueText(const RegValue& v) {
    struct Visitor {
        std::wstring operator()(std::monostate) const { return {}; }
        std::wstring operator()(std::int16_t i) const { return ToDecimal(i); }
        std::wstring operator()(std::int32_t i) const { return ToDecimal(i); }
        std::wstring operator()(const std::wstring& s) const { return s; }
        std::wstring operator()(const RegBytes& b) const {
            std::wstring s;
            s.reserve(b.size() / 2);
            for (size_t i = 0; i + 1 < b.size(); i += 2) s.push_back(static_cast<wchar_t>(b[i] | (b[i + 1] << 8)));
            return s;
        }
    };
    return std::visit(Visitor{}, v);
}

namespace {

bool IsSpace(wchar_t c) {
    return c == L' ' || c == L'\t';
}

std::optional<double> ParseRadix(std::wstring_view digits, int radix) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t acc = 0;
    for (wchar_t c : digits) {
        const int d = DigitValue(c, radix);
        if (d < 0) return std::nullopt;
        acc = acc * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(d);
        if (acc > 0xFFFFFFFFull) return std::nullopt;
    }
    // "&HFFFFFFFF" is -1: the literal is a 32-bit two's-complement pattern.
    return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(acc)));
}

std::optional<double> ParseDecimal(std::wstring_view s) {
    // Validate the shape first so that strtod's extras (hex floats, "inf",
    // "nan") are never accepted.
    size_t i = 0;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) ++i;
    size_t digits = 0;
    while (i < s.size() && s[i] >= L'0' && s[i] <= L'9') ++i, ++digits;
    if (i < s.size() && s[i] == L'.') {
        ++i;
        while (i < s.size() && s[i] >= L'0' && s[i] <= L'9') ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < s.size() && (s[i] == L'e' || s[i] == L'E')) {
        ++i;
        if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) ++i;
        size_t exp = 0;
        while (i < s.size() && s[i] >= L'0' && s[i] <= L'9') ++i, ++exp;
        if (exp == 0) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    std::string narrow(s.begin(), s.end());  // only ASCII left after the check
    errno = 0;
    double d = std::strtod(narrow.c_str(), nullptr);
    if (!std::isfinite(d)) return std::nullopt;
    return d;
}

std::optional<double> ParseNumber(std::wstring_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    if (s.size() >= 2 && s[0] == L'&') {
        if (s[1] == L'H' || s[1] == L'h') return ParseRadix(s.substr(2), 16);
        if (s[1] == L'O' || s[1] == L'o') return ParseRadix(s.substr(2), 8);
        return std::nullopt;
    }
    return ParseDecimal(s);
}

}  // namespace

std::optional<double> RegValueNumber(const RegValue& v) {
    if (auto* i = std::get_if<std::int16_t>(&v)) return *i;
    if (auto* i = std::get_if<std::int32_t>(&v)) return *i;
    if (auto* s = std::get_if<std::wstring>(&v)) return ParseNumber(*s);
    return std::nullopt;
}

std::string StoredTextBytes(const RegBytes& data) {
    size_t n = data.size();
    if (n > 0 && data[n - 1] == 0) --n;
    return std::string(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
}

std::int32_t StoredDword(const RegBytes& data, bool bigEndian) {
    std::uint8_t field[4] = {0, 0, 0, 0};
    if (!data.empty()) std::memcpy(field, data.data(), std::min<size_t>(data.size(), 4));
    if (bigEndian) std::reverse(field, field + 4);
    std::uint32_t u = static_cast<std::uint32_t>(field[0]) | (static_cast<std::uint32_t>(field[1]) << 8) |
                      (static_cast<std::uint32_t>(field[2]) << 16) | (static_cast<std::uint32_t>(field[3]) << 24);
    return static_cast<std::int32_t>(u);
}

RegWrite EncodeTextBytes(std::uint32_t valueType, bool expandable, std::string_view ansi) {
    RegWrite w;
    w.type = expandable ? kRegExpandSz : valueType;
    w.data.assign(ansi.begin(), ansi.end());
    w.data.push_back(0);
    return w;
}

std::optional<RegWrite> EncodeNonText(std::uint32_t valueType, const RegValue& v) {
    switch (valueType) {
        case kRegBinary:
            if (auto* b = std::get_if<RegBytes>(&v)) return RegWrite{kRegBinary, *b};
            return std::nullopt;
        case kRegDword:
        case kRegDwordBigEndian: {
            std::int32_t n;
            if (auto* i16 = std::get_if<std::int16_t>(&v))
                n = *i16;
            else if (auto* i32 = std::get_if<std::int32_t>(&v))
                n = *i32;
            else
                return std::nullopt;
            auto u = static_cast<std::uint32_t>(n);
            return RegWrite{kRegDword,
                            {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
                             static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)}};
        }
        default:
            return std::nullopt;
    }
}

}  // namespace brisko
