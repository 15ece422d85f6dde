#include "common/win/ansi.h"

#include <windows.h>
#include <gtest/gtest.h>

namespace brisko {

// The IDE's captions are code page 932; every Wine process of the tests runs
// with that ANSI code page, and the marker of a code window survives the trip.
TEST(Ansi, CodePage932RoundTrip) {
    ASSERT_EQ(GetACP(), 932u);
    const std::string bytes = "(\xBA\xB0\xC4\xDE)";
    EXPECT_EQ(FromAnsi(bytes), L"(\uFF7A\uFF70\uFF84\uFF9E)");
    EXPECT_EQ(ToAnsi(L"(\uFF7A\uFF70\uFF84\uFF9E)"), bytes);
    EXPECT_EQ(ToAnsi(L"\u8A2D\u5B9A"), "\x90\xDD\x92\xE8");  // two double-byte characters
    EXPECT_EQ(FromAnsi(""), L"");
}

}  // namespace brisko
