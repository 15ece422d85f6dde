#include "common/ui_language.h"

#include <gtest/gtest.h>

#include <vector>

namespace brisko {
namespace {

TEST(UiLanguage, JapaneseOnlyForAJapaneseDisplayLanguage) {
    for (std::uint16_t id : {0x0411, 0x0011, 0x7C11}) EXPECT_EQ(LanguageOfLangId(id), Language::Japanese) << id;
    for (std::uint16_t id : {0x0409, 0x0809, 0x0407, 0x0804, 0x0412, 0x0000, 0x0211})
        EXPECT_EQ(LanguageOfLangId(id), Language::English) << id;
    EXPECT_EQ(std::pair(ResourceLangId(Language::Japanese), ResourceLangId(Language::English)),
              std::pair(std::uint16_t{0x0411}, std::uint16_t{0x0409}));
}

// A block as the resource compiler writes it: entry 0 "AB", 1 empty, 2 "C",
// and after its sixteen entries what looks like one more.
std::vector<std::uint8_t> Block() {
    std::vector<std::uint8_t> b = {2, 0, 'A', 0, 'B', 0, 0, 0, 1, 0, 'C', 0x30};
    for (int i = 3; i < 16; ++i) b.insert(b.end(), {0, 0});
    b.insert(b.end(), {1, 0, 'Z', 0});
    return b;
}

TEST(UiLanguage, StringsOfABlockAndNothingBeyondIt) {
    std::vector<std::uint8_t> good = Block();
    EXPECT_EQ(StringOfBlock(good, 0), L"AB");
    EXPECT_EQ(StringOfBlock(good, 2), std::wstring(1, static_cast<wchar_t>(0x3043)));
    for (std::size_t empty : {1, 3, 15, 16}) EXPECT_EQ(StringOfBlock(good, empty), std::nullopt) << empty;
    // Cut inside the third entry's text, inside its count, and right after the first entry.
    for (std::size_t size : {11, 9, 6, 1, 0}) EXPECT_EQ(StringOfBlock(std::span(good.data(), size), 2), std::nullopt);
    EXPECT_EQ(StringOfBlock(std::span(good.data(), 6), 0), L"AB");
    good[1] = 0xFF;  // a count far beyond the block
    EXPECT_EQ(StringOfBlock(good, 0), std::nullopt);
}

TEST(UiLanguage, NumberedInsertsAndTheRestAsItIs) {
    const std::vector<std::wstring> args = {L"40", L"320"};
    for (auto [text, out] : {std::pair{L"From %1 to %2.", L"From 40 to 320."},
                             {L"%2%1", L"32040"},
                             {L"%3 %0 %a 100% %", L"%3 %0 %a 100% %"}})
        EXPECT_EQ(FormatText(text, args), out) << text;
    // A "%" at the end inserts nothing, whatever follows the text in memory.
    EXPECT_EQ(FormatText(std::wstring_view(L"a%1", 2), args), L"a%");
}

}  // namespace
}  // namespace brisko
