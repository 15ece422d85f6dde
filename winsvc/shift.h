#pragma once
// 32-bit logical shifts: the shift count is taken modulo 32 and bits pushed
// out are dropped, so no shift ever overflows or depends on the sign.
#include <cstdint>

namespace brisko {

class CShift {
public:
    static constexpr std::int32_t ShiftLeft(std::int32_t lngValue, std::int32_t lngShift) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(lngValue) << (lngShift & 31));
    }
    static constexpr std::int32_t ShiftRight(std::int32_t lngValue, std::int32_t lngShift) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(lngValue) >> (lngShift & 31));
    }
};

}  // namespace brisko
