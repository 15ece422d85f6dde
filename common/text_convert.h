#pragma once
// The two calls by which the system converts text between its ANSI code page
// and UTF-16 (one to measure, one to write), apart from the system itself so
// that the rules around them are tested and fuzzed natively. The text comes
// from outside (window captions, class names, registry values); what the
// system answers about it is believed only within bounds: a length beyond
// the buffer it was given, or beyond what any code page makes of the input,
// counts as a failure, and every failure gives empty text.
#include <functional>
#include <string>
#include <string_view>

namespace brisko {

// The system's call: (source, its length, target, target capacity) answers
// the units written, or with a zero capacity (and no target) the units
// needed; 0 or less on failure.
template <class From, class To>
using TextConverter = std::function<int(const From*, int, To*, int)>;

// ANSI bytes to UTF-16: one unit at most for each byte.
std::wstring WidenText(std::string_view bytes, const TextConverter<char, wchar_t>& convert);
// UTF-16 to ANSI bytes: four bytes at most for each unit, more than any
// code page needs (UTF-8 among them).
std::string NarrowText(std::wstring_view text, const TextConverter<wchar_t, char>& convert);

}  // namespace brisko
