#pragma once
// Screen units: the host measures in twips (1/1440 inch) and OLE in HIMETRIC
// (1/100 mm); fonts are sized in points. Conversions to pixels take the dots
// per inch explicitly so that they stay portable and testable.
#include <cstdint>

#include "common/rounding.h"

namespace brisko {

constexpr int kDefaultDpi = 96;
constexpr int kTwipsPerInch = 1440;
constexpr int kHimetricPerInch = 2540;
constexpr int kPointsPerInch = 72;

// A usable dots-per-inch value: what the device said, or the default.
constexpr int UsableDpi(int dpi) { return dpi > 0 ? dpi : kDefaultDpi; }

inline double TwipsPerPixel(int dpi) { return static_cast<double>(kTwipsPerInch) / UsableDpi(dpi); }

// value * numerator / denominator with the product in 64 bits and halves
// rounded away from zero, as the window system's MulDiv rounds.
constexpr std::int32_t ScaleRounded(std::int32_t value, std::int32_t numerator, std::int32_t denominator) {
    if (denominator == 0) return 0;
    std::int64_t p = static_cast<std::int64_t>(value) * numerator;
    std::int64_t d = denominator;
    if (d < 0) p = -p, d = -d;
    const std::int64_t q = (p >= 0 ? p + d / 2 : p - d / 2) / d;
    return static_cast<std::int32_t>(q);
}

constexpr std::int32_t HimetricToPixels(std::int32_t himetric, int dpi) {
    return ScaleRounded(himetric, UsableDpi(dpi), kHimetricPerInch);
}
constexpr std::int32_t PixelsToHimetric(std::int32_t pixels, int dpi) {
    return ScaleRounded(pixels, kHimetricPerInch, UsableDpi(dpi));
}

// The character height in pixels of a font of sizeCy (points x 10000), as the
// positive number a LOGFONT takes negated.
inline std::int32_t FontPixelHeight(std::int64_t sizeCy, int dpi) {
    return static_cast<std::int32_t>(
        RoundHalfEven(static_cast<double>(sizeCy) * UsableDpi(dpi) / (10000.0 * kPointsPerInch)));
}

}  // namespace brisko
