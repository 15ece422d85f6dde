// Whatever the system answers about text from outside, the conversion stays
// within its buffers and gives as much text as the system said it wrote, or
// none when the answers cannot be believed. The input picks the measured and
// the written length, the direction, then the text.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "common/text_convert.h"

using namespace brisko;

template <class From, class To>
std::basic_string<To> Run(std::basic_string_view<From> text, int need, int wrote) {
    const TextConverter<From, To> system = [&](const From* in, int n, To* out, int capacity) {
        // The text is passed whole and readable to its end; the whole
        // capacity is written, so a capacity beyond the buffer shows.
        if (in != text.data() || n != static_cast<int>(text.size()) || in[n - 1] == From(1) + in[n - 1]) std::abort();
        std::fill_n(out, capacity, To('x'));
        return capacity == 0 ? need : wrote;
    };
    if constexpr (sizeof(To) == 1)
        return NarrowText(text, system);
    else
        return WidenText(text, system);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 9) return 0;
    std::int32_t need = 0, wrote = 0;
    std::memcpy(&need, data, 4);
    std::memcpy(&wrote, data + 4, 4);
    // Mostly answers near the text's length, where the bounds are.
    if (data[8] & 2) need %= 64;
    if (data[8] & 4) wrote %= 64;
    const std::string bytes(reinterpret_cast<const char*>(data + 9), size - 9);
    const bool wide = data[8] & 1;
    const std::wstring text(bytes.begin(), bytes.end());
    const std::size_t got =
        wide ? Run<wchar_t, char>(text, need, wrote).size() : Run<char, wchar_t>(bytes, need, wrote).size();
    const bool believable =
        need > 0 && need <= static_cast<long long>(text.size()) * (wide ? 4 : 1) && wrote > 0 && wrote <= need;
    if (got != (believable ? static_cast<std::size_t>(wrote) : 0)) std::abort();
    return 0;
}
