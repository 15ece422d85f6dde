#include "common/text_convert.h"

#include <climits>

namespace brisko {
namespace {

template <class From, class To>
std::basic_string<To> Convert(std::basic_string_view<From> in, const TextConverter<From, To>& convert,
                              long long unitsPerInput) {
    // The system counts in int.
    if (in.empty() || !convert || in.size() > static_cast<std::size_t>(INT_MAX) / unitsPerInput) return {};
    const int length = static_cast<int>(in.size());
    const int need = convert(in.data(), length, nullptr, 0);
    if (need <= 0 || need > length * unitsPerInput) return {};
    std::basic_string<To> out(static_cast<std::size_t>(need), To{});
    const int wrote = convert(in.data(), length, out.data(), need);
    if (wrote <= 0 || wrote > need) return {};
    out.resize(static_cast<std::size_t>(wrote));
    return out;
}

}  // namespace

std::wstring WidenText(std::string_view bytes, const TextConverter<char, wchar_t>& convert) {
    return Convert<char, wchar_t>(bytes, convert, 1);
}

std::string NarrowText(std::wstring_view text, const TextConverter<wchar_t, char>& convert) {
    return Convert<wchar_t, char>(text, convert, 4);
}

}  // namespace brisko
