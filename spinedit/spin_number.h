#pragma once
// The numeric side of the spin edit box, free of any window: numbers are held
// as 32-bit integers in units of 10^-DecFig ("scaled"), so that stepping and
// range checks are exact and only the public double properties round.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brisko::spin {

// Result codes of the checks; a check reports exactly one of them.
// Each is a bit of its own, as ErrCheck reports them.
enum Code : std::int32_t {
    kOk = 0,
    kAboveMax = 1 << 0,
    kBelowMin = 1 << 1,
    kTooManyDecimals = 1 << 2,
    kNotMultiple = 1 << 3,
    kNotInteger = 1 << 4,
    kEmpty = 1 << 5,
    kNotNumber = 1 << 6,
    kTwoPoints = 1 << 7,
    kOutOfLimits = 1 << 8,
    kInternal = 1 << 9
};

constexpr std::int16_t kMaxDecFig = 9;

// 10^n for n in 0..9.
std::int32_t PowerOfTen(std::int16_t n);

// double -> scaled, rounding halves to even; nullopt when it does not fit.
std::optional<std::int32_t> ToScaled(double v, std::int16_t decFig);
double FromScaled(std::int32_t scaled, std::int16_t decFig);

// A double as the host language writes it by default: up to 15 significant
// digits, no trailing zeros, "." as the decimal point, exponent form only for
// very large or very small magnitudes ("1E+16", "1E-05").
std::wstring NumberText(double v);

// Syntax of a typed number: kOk, kTooManyDecimals, kNotInteger, kEmpty,
// kNotNumber, kTwoPoints or kOutOfLimits.
std::int32_t SyntaxCheck(std::wstring_view s, std::int16_t decFig);

// A text that passed SyntaxCheck (any decimals beyond decFig are ignored) to a
// scaled number; nullopt when it cannot be read or does not fit.
std::optional<std::int32_t> ParseScaled(std::wstring_view s, std::int16_t decFig);

// Keeps at most decFig characters after the first ".", so that a text with too
// many decimals can still be stepped or taken as a value.
std::wstring CutDecimals(std::wstring_view s, std::int16_t decFig);

// "-123.4" style text of a scaled number with exactly decFig decimals.
std::wstring FormatScaled(std::int32_t v, std::int16_t decFig);

// The bounds and step of the value model, all scaled.
struct Limits {
    std::int32_t max = 100;
    std::int32_t min = 0;
    std::int32_t increment = 1;
    bool multiple = false;

    // Max and Min may come in either order.
    std::int32_t Upper() const { return max > min ? max : min; }
    std::int32_t Lower() const { return max > min ? min : max; }
};

// kAboveMax, kBelowMin, kNotMultiple or kOk. An increment of 0 makes every
// number a multiple rather than dividing by zero.
std::int32_t RangeCheck(std::int32_t x, const Limits& limits);

// One spin step from x (upDown 0 = up, 1 = down). `stored` is the value the
// model holds now: only a step from a value already sitting on a bound wraps.
// With an increment of 0 and Multiple on the step moves by nothing.
std::int32_t Step(std::int32_t x, int upDown, std::int32_t stored, const Limits& limits, bool wrap);

// The message for one result code. Empty caption: the sentence stands alone.
std::wstring ErrorMessage(std::int32_t code, std::wstring_view caption, const Limits& limits, std::int16_t decFig);

// Whether a key-down is refused by the input filter (the caller has already
// ruled out Ctrl and Alt). `shift` has bit 1 for Shift.
struct KeyContext {
    std::wstring_view text;
    std::int32_t selStart = 0;
    std::int32_t selLength = 0;
    std::int16_t decFig = 0;
    std::int32_t max = 100;
    std::int32_t min = 0;
};
bool KeyRefused(std::int32_t keyCode, std::int32_t shift, const KeyContext& ctx);

}  // namespace brisko::spin
