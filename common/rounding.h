#pragma once
// Every conversion of a floating-point value to an integer in this system
// rounds to the nearest integer with halves to even (banker's rounding).
#include <cmath>
#include <cstdint>
#include <optional>

namespace brisko {

inline double RoundHalfEven(double v) {
    // Computed by hand so that a caller's floating-point rounding mode
    // cannot change the result.
    double f = std::floor(v), diff = v - f;
    if (diff > 0.5) return f + 1;
    if (diff < 0.5) return f;
    return std::fmod(f, 2.0) == 0.0 ? f : f + 1;
}

// Rounds and checks the 32-bit range; nullopt for overflow or NaN.
inline std::optional<std::int32_t> ToInt32(double v) {
    if (std::isnan(v)) return std::nullopt;
    double r = RoundHalfEven(v);
    if (r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
    return static_cast<std::int32_t>(r);
}

inline std::optional<std::int16_t> ToInt16(double v) {
    if (std::isnan(v)) return std::nullopt;
    double r = RoundHalfEven(v);
    if (r < -32768.0 || r > 32767.0) return std::nullopt;
    return static_cast<std::int16_t>(r);
}

}  // namespace brisko
