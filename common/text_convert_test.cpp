#include "common/text_convert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace brisko {
namespace {

// A system call that answers `need` when measuring and `wrote` when writing,
// writing as many units as it says, within the capacity it was given.
template <class From, class To>
TextConverter<From, To> Answering(int need, int wrote) {
    return [=](const From*, int, To* out, int capacity) {
        if (capacity == 0) return need;
        std::fill_n(out, std::clamp(wrote, 0, capacity), To('x'));
        return wrote;
    };
}

TEST(TextConvert, SystemAnswersAreBelievedOnlyWithinTheBuffersBounds) {
    // Measured, written; units widened from 4 bytes (5 units from 4 bytes are
    // more than any code page makes).
    const std::tuple<int, int, std::size_t> cases[] = {{4, 4, 4},  {1, 1, 1}, {4, 2, 2}, {0, 4, 0},
                                                       {-1, 4, 0}, {5, 5, 0}, {4, 0, 0}, {4, 5, 0}};
    for (auto [need, wrote, widened] : cases)
        EXPECT_EQ(WidenText("abcd", Answering<char, wchar_t>(need, wrote)), std::wstring(widened, L'x')) << need;
    EXPECT_EQ(NarrowText(L"ab", Answering<wchar_t, char>(8, 8)), std::string(8, 'x'));
    EXPECT_EQ(NarrowText(L"ab", Answering<wchar_t, char>(9, 9)), "");
    EXPECT_EQ(WidenText("", [](const char*, int, wchar_t*, int) -> int { throw 1; }), L"");
    EXPECT_EQ(WidenText("a", nullptr), L"");
}

}  // namespace
}  // namespace brisko
