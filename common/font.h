#pragma once
// The bar's own font value: name, size in points as a four-decimal fixed-point
// number (as the standard font interface keeps it), attributes and character
// set. Kept as a value so that sizes survive exactly; GDI fonts are made from it.
#include <cstdint>
#include <string>

#include "common/rounding.h"

namespace brisko {

struct FontSpec {
    std::wstring name = L"MS UI Gothic";
    std::int64_t sizeCy = 90000;  // points x 10000
    std::int16_t weight = 400;
    bool italic = false;
    bool strikethrough = false;
    bool underline = false;
    std::int16_t charset = 128;  // SHIFTJIS_CHARSET: the IDE's fonts are Japanese

    static FontSpec Make(std::wstring name, double points, bool bold = false) {
        FontSpec f;
        f.name = std::move(name);
        f.SetSize(points);
        f.SetBold(bold);
        return f;
    }

    bool Bold() const { return weight >= 600; }
    void SetBold(bool b) { weight = b ? 700 : 400; }
    float Size() const { return static_cast<float>(static_cast<double>(sizeCy) / 10000.0); }
    void SetSize(double points) { sizeCy = static_cast<std::int64_t>(RoundHalfEven(points * 10000.0)); }

    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

}  // namespace brisko
