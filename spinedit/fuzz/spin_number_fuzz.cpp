// Fuzzes the number side of the spin edit box: the syntax check, parsing,
// formatting, the range check and stepping must never crash or overflow, and
// formatting then parsing must give back every scaled number.
#include "spinedit/fuzz/fuzz_input.h"
#include "spinedit/spin_number.h"

using namespace brisko::spin;
using brisko::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    brisko::fuzz::Input in(data, size);
    const std::int16_t decFig = static_cast<std::int16_t>(in.Byte() % 10);
    const auto take32 = [&] { return static_cast<std::int32_t>(in.Bits(4)); };

    // Every scaled number formats to a text that checks clean and reads back.
    const std::int32_t v = take32();
    const std::wstring formatted = FormatScaled(v, decFig);
    Require(SyntaxCheck(formatted, decFig) == kOk);
    auto back = ParseScaled(formatted, decFig);
    Require(back && *back == v);

    // The range check and stepping take any numbers.
    const Limits limits{take32(), take32(), take32(), (v & 1) != 0};
    const std::int32_t stepped = Step(v, (v >> 1) & 1, take32(), limits, (v & 4) != 0);
    Require(stepped >= limits.Lower() && stepped <= limits.Upper());
    (void)RangeCheck(v, limits);
    (void)ErrorMessage(static_cast<std::int32_t>(1) << (v & 15), L"", limits, decFig);

    // The rest is typed text: mostly the characters that matter, some others.
    const std::wstring text = in.Text(in.Left(), L"0123456789.+-,e ");
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
