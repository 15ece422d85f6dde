#pragma once
// Plain value types shared by the portable code. Window handles travel as
// pointer-sized integers so the same code serves the 32-bit shipping build and
// the 64-bit test build; the portable code never dereferences them.
#include <cstdint>

namespace brisko {

using WindowHandle = std::intptr_t;

struct Rect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    constexpr std::int32_t Width() const { return right - left; }
    constexpr std::int32_t Height() const { return bottom - top; }
    // Right and bottom are exclusive.
    constexpr bool Contains(std::int32_t x, std::int32_t y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

struct Size {
    std::int32_t cx = 0, cy = 0;
    friend constexpr bool operator==(const Size&, const Size&) = default;
};

struct Point {
    std::int32_t x = 0, y = 0;
    friend constexpr bool operator==(const Point&, const Point&) = default;
};

// 16-bit arithmetic of the bar's indices, counts and pixel sizes wraps.
constexpr std::int16_t Wrap16(std::int32_t v) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(v)); }

}  // namespace brisko
