#include "spinedit/spin_number.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "common/rounding.h"

namespace brisko::spin {

namespace {

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

std::int16_t ClampDecFig(std::int16_t n) {
    return n < 0 ? 0 : (n > kMaxDecFig ? kMaxDecFig : n);
}

// Division rounding toward minus / plus infinity (C++ rounds toward zero).
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) == (b < 0))) ? q + 1 : q;
}

std::wstring Widen(std::string_view s) {
    return std::wstring(s.begin(), s.end());
}

}  // namespace

std::int32_t PowerOfTen(std::int16_t n) {
    static constexpr std::int32_t kPowers[] = {1,      10,      100,      1000,      10000,
                                               100000, 1000000, 10000000, 100000000, 1000000000};
    return kPowers[ClampDecFig(n)];
}

std::optional<std::int32_t> ToScaled(double v, std::int16_t decFig) {
    return ToInt32(v * static_cast<double>(PowerOfTen(decFig)));
}

double FromScaled(std::int32_t scaled, std::int16_t decFig) {
    return static_cast<double>(scaled) / static_cast<double>(PowerOfTen(decFig));
}

std::wstring NumberText(double v) {
    if (v == 0.0 || std::isnan(v)) return L"0";  // never "-0"
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
    std::string s(buf, r.ptr);
    // to_chars writes "1e-05"; the host language writes the exponent in capitals.
    for (auto& c : s)
        if (c == 'e') c = 'E';
    return Widen(s);
}

std::int32_t SyntaxCheck(std::wstring_view s, std::int16_t decFig) {
    decFig = ClampDecFig(decFig);
    if (s.empty()) return kEmpty;
    bool signPending = true;  // no digit seen yet
    int points = 0;
    std::size_t decimals = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        wchar_t c = s[i];
        if (i == 0 && (c == L'+' || c == L'-')) {
            if (s.size() == 1) return kNotNumber;
            continue;
        }
        if (points > 0) ++decimals;
        if (IsDigit(c)) {
            signPending = false;
        } else if (c == L'.' && !signPending) {
            ++points;
        } else {
            return kNotNumber;
        }
    }
    if (points >= 2) return kTwoPoints;

    // Everything left is ASCII: an optional sign, digits, at most one point.
    std::string narrow;
    narrow.reserve(s.size());
    for (wchar_t c : s)
        if (c != L'+') narrow.push_back(static_cast<char>(c));
    if (!narrow.empty() && narrow.back() == '.') narrow.pop_back();
    double d = 0;
    auto r = std::from_chars(narrow.data(), narrow.data() + narrow.size(), d);
    if (r.ec != std::errc() || r.ptr != narrow.data() + narrow.size()) return kOutOfLimits;
    if (!ToScaled(d, decFig)) return kOutOfLimits;

    if (decimals <= static_cast<std::size_t>(decFig)) return kOk;
    return decFig == 0 ? kNotInteger : kTooManyDecimals;
}

std::optional<std::int32_t> ParseScaled(std::wstring_view s, std::int16_t decFig) {
    decFig = ClampDecFig(decFig);
    const std::size_t dot = s.find(L'.');
    std::wstring_view intPart = s.substr(0, dot);
    const bool negative = !s.empty() && s[0] == L'-';
    if (!intPart.empty() && (intPart[0] == L'+' || intPart[0] == L'-')) intPart.remove_prefix(1);
    if (intPart.empty()) return std::nullopt;

    // 64-bit throughout, so that the most negative number, whose absolute
    // value does not fit 32 bits, still reads back.
    std::int64_t whole = 0;
    for (wchar_t c : intPart) {
        if (!IsDigit(c)) return std::nullopt;
        whole = whole * 10 + (c - L'0');
        if (whole > -kInt32Min) return std::nullopt;
    }
    std::int64_t fraction = 0;
    std::wstring_view digits = dot == std::wstring_view::npos ? std::wstring_view{} : s.substr(dot + 1);
    for (std::int16_t i = 0; i < decFig; ++i) {
        wchar_t c = i < static_cast<std::int16_t>(digits.size()) ? digits[i] : L'0';
        if (!IsDigit(c)) return std::nullopt;
        fraction = fraction * 10 + (c - L'0');
    }
    std::int64_t scaled = whole * PowerOfTen(decFig) + fraction;
    if (negative) scaled = -scaled;
    if (scaled > kInt32Max || scaled < kInt32Min) return std::nullopt;
    return static_cast<std::int32_t>(scaled);
}

std::wstring CutDecimals(std::wstring_view s, std::int16_t decFig) {
    const std::size_t dot = s.find(L'.');
    if (dot == std::wstring_view::npos) return std::wstring(s);
    return std::wstring(s.substr(0, dot + 1 + static_cast<std::size_t>(ClampDecFig(decFig))));
}

std::wstring FormatScaled(std::int32_t v, std::int16_t decFig) {
    decFig = ClampDecFig(decFig);
    const std::int64_t a = std::llabs(static_cast<std::int64_t>(v));
    const std::int64_t p = PowerOfTen(decFig);
    std::wstring out = v < 0 ? L"-" : L"";
    out += std::to_wstring(a / p);
    if (decFig > 0) {
        std::wstring frac = std::to_wstring(a % p);
        out += L'.';
        out.append(static_cast<std::size_t>(decFig) - frac.size(), L'0');
        out += frac;
    }
    return out;
}

std::int32_t RangeCheck(std::int32_t x, const Limits& limits) {
    if (x > limits.Upper()) return kAboveMax;
    if (x < limits.Lower()) return kBelowMin;
    if (limits.multiple && limits.increment != 0 &&
        static_cast<std::int64_t>(x) % static_cast<std::int64_t>(limits.increment) != 0)
        return kNotMultiple;
    return kOk;
}

std::int32_t Step(std::int32_t x, int upDown, std::int32_t stored, const Limits& limits, bool wrap) {
    const std::int64_t inc = limits.increment;
    const bool forward = limits.max > limits.min;  // a reversed range runs the arrows the other way
    std::int64_t plain = upDown == 0 ? inc : -inc;
    if (!forward) plain = -plain;
    std::int64_t candidate = x;
    if (!limits.multiple) {
        candidate = static_cast<std::int64_t>(x) + plain;
    } else if (inc != 0) {
        const std::int64_t m = inc < 0 ? -inc : inc;
        candidate = plain > 0 ? FloorDiv(x, m) * m + m : CeilDiv(x, m) * m - m;
    }
    const std::int64_t hi = limits.Upper(), lo = limits.Lower();
    if (candidate > hi)
        candidate = (wrap && stored == hi) ? lo : hi;
    else if (candidate < lo)
        candidate = (wrap && stored == lo) ? hi : lo;
    return static_cast<std::int32_t>(candidate);
}

std::wstring ErrorMessage(std::int32_t code, std::wstring_view caption, const Limits& limits, std::int16_t decFig) {
    const std::wstring c(caption);
    const bool named = !c.empty();
    const std::wstring range = NumberText(FromScaled(limits.min, decFig)) + L" ～ " +
                               NumberText(FromScaled(limits.max, decFig)) + L" の範囲で入力して下さい。";
    switch (code) {
        case kAboveMax:
            return (named ? c + L"の入力" : L"入力") + L"が最大値を超えています。\r\n" + range;
        case kBelowMin:
            return (named ? c + L"の入力" : L"入力") + L"が最小値を下回っています。\r\n" + range;
        case kTooManyDecimals:
            return (named ? c + L"の" : L"") + L"小数点以下の桁数は " + std::to_wstring(decFig) + L" 桁までです。";
        case kNotMultiple:
            return (named ? c + L"の入力" : L"入力") + L"が倍数になっていません。\r\n" +
                   NumberText(FromScaled(limits.increment, decFig)) + L" の倍数で入力して下さい。";
        case kNotInteger:
            return (named ? c + L"には" : L"") + L"整数を入力して下さい。";
        case kEmpty:
            return (named ? c + L"には" : L"") + L"何も入力されていません。";
        case kNotNumber:
            return (named ? c + L"には" : L"") + L"数値を入力して下さい。";
        case kTwoPoints:
            return (named ? c + L"には" : L"") + L"小数点が2つ以上あります。";
        case kOutOfLimits:
            return (named ? c + L"の入力" : L"入力") + L"が限界値を超えています。\r\n" + range;
        case kInternal:
            return L"VisualBasic ランタイムエラーです。\r\nErrorNumber:512";
        default:
            return L"";
    }
}

bool KeyRefused(std::int32_t keyCode, std::int32_t shift, const KeyContext& ctx) {
    const std::int32_t len = static_cast<std::int32_t>(ctx.text.size());
    const std::int32_t p = ctx.selStart < 0 ? 0 : (ctx.selStart > len ? len : ctx.selStart);
    const std::int32_t selLen = ctx.selLength < 0 ? 0 : (ctx.selLength > len - p ? len - p : ctx.selLength);
    std::wstring rest(ctx.text.substr(0, static_cast<std::size_t>(p)));
    rest += ctx.text.substr(static_cast<std::size_t>(p + selLen));
    const wchar_t first = rest.empty() ? 0 : rest[0];

    if ((keyCode >= 'A' && keyCode <= 'Z') || keyCode == 0x20 || keyCode == 0x6A || keyCode == 0x6F) return true;
    switch (keyCode) {
        case 186:
        case 188:
        case 191:
        case 192:
        case 219:
        case 220:
        case 221:
        case 222:
        case 226:
            return true;
        default:
            break;
    }
    if ((keyCode >= '0' && keyCode <= '9') || (keyCode >= 0x60 && keyCode <= 0x69))
        return p == 0 && (first == L'+' || first == L'-');
    if (keyCode == 187 && !(shift & 1)) return true;
    if (keyCode == 0x6B || keyCode == 187) return first == L'+' || p >= 1 || (ctx.max < 1 && ctx.min < 1);
    if (keyCode == 0x6D || keyCode == 189) return first == L'-' || p >= 1 || !(ctx.max < 0 || ctx.min < 0);
    if (keyCode == 0x6E || keyCode == 190)
        return ctx.decFig == 0 || p == 0 || !IsDigit(ctx.text[static_cast<std::size_t>(p - 1)]) ||
               rest.find(L'.') != std::wstring::npos;
    return false;
}

}  // namespace brisko::spin
