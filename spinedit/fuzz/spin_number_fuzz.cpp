// Fuzzes the number side of the spin edit box: the syntax check, parsing,
// formatting, the range check and stepping must never crash or overflow, and
// formatting then parsing must give back every scaled number.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "spinedit/spin_number.h"

using namespace brisko::spin;

namespace {

std::int32_t Take32(const std::uint8_t*& data, std::size_t& size) {
    std::uint32_t v = 0;
    const std::size_t n = size < 4 ? size : 4;
    std::memcpy(&v, data, n);
    data += n;
    size -= n;
    return static_cast<std::int32_t>(v);
}

void Require(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::int16_t decFig = static_cast<std::int16_t>(data[0] % 10);
    ++data;
    --size;

    // Every scaled number formats to a text that checks clean and reads back.
    const std::int32_t v = Take32(data, size);
    const std::wstring formatted = FormatScaled(v, decFig);
    Require(SyntaxCheck(formatted, decFig) == kOk);
    auto back = ParseScaled(formatted, decFig);
    Require(back && *back == v);

    // The range check and stepping take any numbers.
    const Limits limits{Take32(data, size), Take32(data, size), Take32(data, size), (v & 1) != 0};
    const std::int32_t stepped = Step(v, (v >> 1) & 1, Take32(data, size), limits, (v & 4) != 0);
    Require(stepped >= limits.Lower() && stepped <= limits.Upper());
    (void)RangeCheck(v, limits);
    (void)ErrorMessage(static_cast<std::int32_t>(1) << (v & 15), L"", limits, decFig);

    // The rest is typed text: mostly the characters that matter, some others.
    std::wstring text;
    for (std::size_t i = 0; i < size; ++i) {
        static const wchar_t kAlphabet[] = L"0123456789.+-,e ";
        const std::uint8_t b = data[i];
        text.push_back(b < 0xF0 ? kAlphabet[b % 16] : static_cast<wchar_t>(b));
    }
    const std::int32_t code = SyntaxCheck(text, decFig);
    if (code == kOk || code == kTooManyDecimals || code == kNotInteger) {
        // What the check accepts can be read, once cut to the precision.
        auto parsed = ParseScaled(CutDecimals(text, decFig), decFig);
        Require(parsed.has_value());
        Require(SyntaxCheck(FormatScaled(*parsed, decFig), decFig) == kOk);
    } else {
        Require(code == kEmpty || code == kNotNumber || code == kTwoPoints || code == kOutOfLimits);
    }
    (void)ParseScaled(text, decFig);
    return 0;
}
