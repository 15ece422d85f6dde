#include "common/text.h"

namespace brisko {

std::wstring TrimSpaces(std::wstring_view s) {
    size_t b = 0, e = s.size();
    while (b < e && s[b] == L' ') ++b;
    while (e > b && s[e - 1] == L' ') --e;
    return std::wstring(s.substr(b, e - b));
}

static wchar_t FoldChar(wchar_t c) {
    if (c >= L'A' && c <= L'Z') return static_cast<wchar_t>(c - L'A' + L'a');
    if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<wchar_t>(c - 0xFF21 + 0xFF41);
    return c;
}

std::wstring FoldCase(std::wstring_view s) {
    std::wstring out(s);
    for (auto& c : out) c = FoldChar(c);
    return out;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldChar(a[i]) != FoldChar(b[i])) return false;
    return true;
}

std::wstring ToDecimal(long long v) { return std::to_wstring(v); }

int DigitValue(wchar_t c, int base) {
    int d = -1;
    if (c >= L'0' && c <= L'9')
        d = c - L'0';
    else if (c >= L'a' && c <= L'f')
        d = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F')
        d = c - L'A' + 10;
    return d >= 0 && d < base ? d : -1;
}

}  // namespace brisko
