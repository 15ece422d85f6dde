#include "spinedit/spin_layout.h"

#include <algorithm>

#include "common/rounding.h"

namespace brisko {

namespace {
std::int32_t Pixels(double twips, double twipsPerPixel) {
    if (twipsPerPixel <= 0) twipsPerPixel = 15.0;
    return ToInt32(twips / twipsPerPixel).value_or(0);
}
}  // namespace

SpinLayout ComputeSpinLayout(const SpinLayoutInput& in) {
    SpinLayout out;
    const std::int32_t w = std::max(in.innerWidth, 0), h = std::max(in.innerHeight, 0);
    std::int32_t spinWidth = 0;
    if (in.visibleSpin) {
        spinWidth = std::min(Pixels(kSpinWidthTwips, in.twipsPerPixel), w);
        out.spin = {w - spinWidth, 0, w, h};
    }
    const std::int32_t left = in.leftMargin;
    const std::int32_t width = std::max(w - spinWidth - (in.leftMargin + in.rightMargin), 0);
    std::int32_t top = 0, height = 0;
    switch (in.vAlign) {
        case 0:
            top = in.vMargin;
            height = h - top;
            break;
        case 1:
            top = h - in.lineHeight - in.vMargin;
            height = h - top;
            break;
        default:
            height = in.lineHeight;
            top = (h - in.lineHeight) / 2;
            break;
    }
    top = std::clamp(top, 0, h);
    height = std::clamp(height, 0, h - top);
    out.edit = {left, top, left + width, top + height};
    return out;
}

std::int32_t MinSpinEditWidth(double twipsPerPixel) {
    return Pixels(kMinWidthTwips, twipsPerPixel);
}

std::int32_t HitDirection(const Rect& text, std::int32_t x, std::int32_t y) {
    const int column = x < text.left ? 0 : (x >= text.right ? 2 : 1);
    if (y < text.top) return -1 - column;
    if (y >= text.bottom) {
        static constexpr std::int32_t kBelow[] = {-5, -7, -8};
        return kBelow[column];
    }
    static constexpr std::int32_t kLevel[] = {-4, 0, -6};
    return kLevel[column];
}

}  // namespace brisko
