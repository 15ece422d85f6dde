#pragma once
// Where the spin edit box puts its text box and its arrows inside its client
// area, in pixels; the design sizes are in twips and are converted with the
// screen's twips per pixel.
#include <cstdint>

#include "common/types.h"

namespace brisko {

struct SpinLayoutInput {
    std::int32_t innerWidth = 0;
    std::int32_t innerHeight = 0;
    std::int32_t lineHeight = 0;  // one line of text in the text box's font
    double twipsPerPixel = 15.0;
    std::int16_t leftMargin = 1;
    std::int16_t rightMargin = 1;
    std::int16_t vMargin = 1;
    std::int32_t vAlign = 2;  // 0 top, 1 bottom, 2 middle
    bool visibleSpin = true;
};

struct SpinLayout {
    Rect edit;
    Rect spin;  // empty when the arrows are hidden
};

constexpr double kSpinWidthTwips = 240.0;
constexpr double kMinWidthTwips = 210.0;

SpinLayout ComputeSpinLayout(const SpinLayoutInput& in);

// The narrowest the control may be, in pixels, when it shows no arrows.
std::int32_t MinSpinEditWidth(double twipsPerPixel);

// HitTest outside the text: the direction in which a point misses the text
// box, -1 -2 -3 above (left, level, right of it), -4 and -6 beside it, -5 -7
// -8 below; 0 for a point inside.
std::int32_t HitDirection(const Rect& text, std::int32_t x, std::int32_t y);

}  // namespace brisko
