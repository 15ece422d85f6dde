#pragma once
// Small text helpers with the comparison rules the IDE's captions need.
#include <string>
#include <string_view>

namespace brisko {

// Removes leading and trailing U+0020 only (not tabs, not ideographic spaces).
std::wstring TrimSpaces(std::wstring_view s);

// Case-insensitive equality for component names and tab keys: ASCII and
// full-width Latin letters fold to one case; every other character compares
// exactly.
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
std::wstring FoldCase(std::wstring_view s);

// The value of one digit in base 2..16 (either letter case), or -1 when c
// is not a digit of that base.
int DigitValue(wchar_t c, int base);

// Decimal text of a signed integer.
std::wstring ToDecimal(long long v);

}  // namespace brisko
