// The system's own conversions at code page 932 (wine-run.sh's locale), which
// libFuzzer cannot run: text a window or the registry may hold, malformed
// double-byte sequences and random bytes among it, converts within bounds.
#include "common/win/ansi.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <random>

namespace brisko {
namespace {

TEST(Ansi, CodePage932TextWellFormedOrNotConvertsWithinBounds) {
    ASSERT_EQ(GetACP(), 932u);
    const std::pair<std::string, std::wstring> exact[] = {
        {"\x82\xA0\x82\xA2", L"\u3042\u3044"},
        {"\xBA\xB0\xC4\xDE", L"\uFF7A\uFF70\uFF84\uFF9E"},  // half-width katakana, one byte each
        {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
    };
    for (const auto& [bytes, text] : exact) {
        EXPECT_EQ(FromAnsi(bytes), text);
        EXPECT_EQ(ToAnsi(text), bytes);
    }
    // A lead byte at the end or before a byte that cannot follow it, bytes
    // that lead nothing, and random runs of bytes; text the code page lacks
    // and unpaired surrogates the other way.
    std::vector<std::string> bytes = {"ab\x82", "\x82\x20z", "\x80\xA0\xFD\xFE\xFF", "\x81"};
    std::mt19937 random(24);
    for (int i = 0; i < 3000; ++i) {
        std::string b(random() % 40, '\0');
        for (char& c : b) c = static_cast<char>(random());
        bytes.push_back(b);
    }
    for (const std::string& b : bytes) {
        const std::wstring w = FromAnsi(b);
        ASSERT_LE(w.size(), b.size());
        ASSERT_EQ(w.empty(), b.empty());
        ASSERT_LE(ToAnsi(w).size(), 2 * w.size());
    }
    for (const std::wstring& w : {std::wstring(L"\u00E9\U0001F600"), std::wstring(1, L'\xD800'), std::wstring(L"x\xDC00")})
        EXPECT_LE(ToAnsi(w).size(), 2 * w.size());
}

}  // namespace
}  // namespace brisko
