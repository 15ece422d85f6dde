// The system's own conversions at code page 932 (wine-run.sh's locale), which
// libFuzzer cannot run: text a window or the registry may hold, malformed or
// random, converts within the bounds the portable rules hold it to (a unit
// at most for each byte, two bytes at most for each unit); the well-formed
// is read exactly by every scenario with Japanese captions.
#include "common/win/ansi.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <random>

namespace brisko {
namespace {

TEST(Ansi, CodePage932TextOfAnyBytesConvertsWithinBounds) {
    ASSERT_EQ(GetACP(), 932u);
    // Lead bytes cut off or before a byte that cannot follow, bytes that lead nothing, random runs.
    std::vector<std::string> bytes = {"ab\x82", "\x82\x20z", "\x80\xA0\xFD\xFE\xFF", std::string("a\0\x82", 3)};
    std::mt19937 random(24);
    for (int i = 0; i < 3000; ++i) {
        bytes.emplace_back(random() % 40, '\0');
        for (char& c : bytes.back()) c = static_cast<char>(random());
    }
    for (const std::string& b : bytes) {
        const std::wstring w = FromAnsi(b);
        ASSERT_TRUE(w.size() <= b.size() && w.empty() == b.empty() && ToAnsi(w).size() <= 2 * w.size()) << b;
    }
    // Text the code page lacks, unpaired surrogates.
    for (const wchar_t* w : {L"\u00E9\U0001F600", L"\xD800", L"x\xDC00"}) EXPECT_LE(ToAnsi(w).size(), 2 * wcslen(w));
}

}  // namespace
}  // namespace brisko
