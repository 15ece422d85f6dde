// Whatever the system answers about text from outside, the conversion reads
// and writes only within its buffers and gives text no longer than the
// system said it wrote, or none. The input picks the answers: the measured
// length, the written length, the direction, then the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/text_convert.h"

using namespace brisko;

namespace {

template <class From, class To>
void Check(std::basic_string_view<From> text, std::int32_t need, std::int32_t wrote, long long perUnit) {
    int calls = 0;
    bool wroteAll = false;
    const TextConverter<From, To> convert = [&](const From* in, int n, To* out, int capacity) {
        ++calls;
        // The text is passed whole, and is readable to its end.
        if (in != text.data() || n != static_cast<int>(text.size())) std::abort();
        volatile From last = in[n - 1];
        (void)last;
        if (capacity == 0) return need;
        // The whole capacity is written: a capacity beyond the buffer shows.
        std::fill_n(out, capacity, To('x'));
        wroteAll = true;
        return wrote;
    };
    std::basic_string<To> result;
    if constexpr (sizeof(To) == 1)
        result = NarrowText(text, convert);
    else
        result = WidenText(text, convert);
    const bool believable =
        need > 0 && need <= static_cast<long long>(text.size()) * perUnit && wrote > 0 && wrote <= need;
    if (text.empty() && calls != 0) std::abort();
    if (!believable && !result.empty()) std::abort();
    if (believable && (!wroteAll || result != std::basic_string<To>(static_cast<std::size_t>(wrote), To('x'))))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 9) return 0;
    std::int32_t need = 0, wrote = 0;
    std::memcpy(&need, data, 4);
    std::memcpy(&wrote, data + 4, 4);
    // Small answers are the interesting ones; keep most of them near the text's length.
    if (data[8] & 2) need %= 64;
    if (data[8] & 4) wrote %= 64;
    const std::uint8_t* rest = data + 9;
    const std::size_t n = size - 9;
    if (data[8] & 1) {
        std::wstring text(n / 2, L'\0');
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<wchar_t>(rest[2 * i] | rest[2 * i + 1] << 8);
        Check<wchar_t, char>(text, need, wrote, 4);
    } else {
        Check<char, wchar_t>(std::string_view(reinterpret_cast<const char*>(rest), n), need, wrote, 1);
    }
    return 0;
}
