#include "settings/dialog/config_form.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace brisko::config {
namespace {

TEST(ConfigForm, ControlsComeInTabOrderWithUniqueIdsAfterTheirFrames) {
    const auto controls = Controls();
    ASSERT_EQ(controls.size(), 29u);
    std::set<int> ids, groups;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const ControlDef& c = controls[i];
        EXPECT_EQ(c.tabIndex, static_cast<int>(i)) << c.name;
        EXPECT_TRUE(ids.insert(c.id).second) << c.name;
        const ControlDef* frame = FindControl(c.container);
        EXPECT_TRUE(c.container == 0 || (frame && frame->kind == Kind::Frame && frame->tabIndex < c.tabIndex))
            << c.name;
        // Every option group starts exactly once, at its first option.
        EXPECT_TRUE(c.kind != Kind::Option || c.startsGroup == groups.insert(c.container).second) << c.name;
    }
    EXPECT_EQ(groups.size(), 3u);
}

TEST(ConfigForm, TwipsBecomePixelsInsideTheirFrame) {
    // 1855 twips is 123.67 pixels; the width field sits in fraWidth at 8, 64.
    EXPECT_EQ(ClientRectPixels(*FindControl(kFraEtc)), (Rect{248, 118, 481, 242}));
    EXPECT_EQ(ClientRectPixels(*FindControl(kTxtWidth)), (Rect{164, 124, 229, 142}));
    EXPECT_EQ(FindControl(999), nullptr);
}

TEST(ConfigForm, WindowCaptionWritesTheRevisionAfterTheMinorNumber) {
    struct Case {
        ModuleVersion v;
        const wchar_t* caption;
    };
    const Case cases[] = {
        {{1, 2, 7, 8}, L"Brisko - 1.28"},  // the build number is not shown
        {{10, 0, 0, 10}, L"Brisko - 10.010"},
    };
    for (const Case& c : cases) EXPECT_EQ(WindowCaption(c.v), c.caption);
}

// A VS_VERSIONINFO block as the resource compiler lays it out.
std::vector<std::uint8_t> VersionBlock(std::uint32_t ms, std::uint32_t ls) {
    std::vector<std::uint8_t> b;
    auto word = [&](std::uint16_t w) {
        b.push_back(static_cast<std::uint8_t>(w));
        b.push_back(static_cast<std::uint8_t>(w >> 8));
    };
    auto dword = [&](std::uint32_t d) {
        word(static_cast<std::uint16_t>(d));
        word(static_cast<std::uint16_t>(d >> 16));
    };
    word(0);  // length, patched below
    word(52);
    word(0);
    for (char16_t ch : std::u16string(u"VS_VERSION_INFO")) word(ch);
    word(0);
    while (b.size() % 4) b.push_back(0);
    dword(0xFEEF04BD);
    dword(0x00010000);
    dword(ms);
    dword(ls);
    dword(ms);
    dword(ls);
    for (int i = 0; i < 7; ++i) dword(0);
    b[0] = static_cast<std::uint8_t>(b.size());
    b[1] = static_cast<std::uint8_t>(b.size() >> 8);
    return b;
}

TEST(ConfigForm, VersionResourceGivesMajorMinorBuildRevision) {
    const auto good = VersionBlock(0x00010002, 0x00030008);
    auto v = ParseVersionResource(good);
    ASSERT_TRUE(v);
    EXPECT_EQ(std::vector<int>({v->major, v->minor, v->build, v->revision}), std::vector<int>({1, 2, 3, 8}));

    auto badSignature = good;
    badSignature[40] ^= 1;
    auto badKey = good;
    badKey[6] = 'X';
    auto lengthBeyondData = good;
    lengthBeyondData[1] = 4;
    std::vector<std::uint8_t> truncated(good.begin(), good.begin() + 60);
    for (std::vector<std::uint8_t>* bytes : {&badSignature, &badKey, &lengthBeyondData, &truncated}) {
        EXPECT_FALSE(ParseVersionResource(*bytes));
    }
    EXPECT_FALSE(ParseVersionResource({}));
}

TEST(ConfigForm, PreviewCaptionRoundsHalvesUpAndTheLabelIsCentredOnItsButton) {
    // The size plus a half, cut: 10.5 gives 11 where halves-to-even would give 10.
    for (auto [points, caption] :
         {std::pair{9.4999, L"ＭＳ Ｐゴシック 9pt"}, {9.5, L"ＭＳ Ｐゴシック 10pt"}, {10.5, L"ＭＳ Ｐゴシック 11pt"}}) {
        EXPECT_EQ(PreviewCaption(FontSpec::Make(L"ＭＳ Ｐゴシック", points)), caption);
    }
    EXPECT_EQ(CentredTop(21, 21, 12), 26);  // 25.5, halves to even
    EXPECT_EQ(CentredTop(48, 21, 12), 52);  // 52.5
    EXPECT_EQ(CentredTop(10, 10, 30), 0);   // a label taller than its button rises above it
}

TEST(ConfigForm, OptionsMapOntoValues) {
    // The width options are the other way round from the bar's style.
    for (int i = -1; i <= 4; ++i) {
        const bool twoWay = i == 0 || i == 1, icon = i >= 0 && i <= 3;
        EXPECT_EQ(AlignOption(i), twoWay ? std::optional<int>(i) : std::nullopt) << i;
        EXPECT_EQ(StyleOption(i), twoWay ? std::optional<int>(1 - i) : std::nullopt) << i;
        EXPECT_EQ(IconOption(i), icon ? std::optional<int>(i) : std::nullopt) << i;
        EXPECT_EQ(IconStyleFromOption(i), icon ? i : 0) << i;
    }
    EXPECT_EQ(StyleFromOption(0), 1);
    EXPECT_EQ(StyleFromOption(1), 0);
    EXPECT_EQ(IconStyleFromChecks({false, false, false, false}), 0);
    EXPECT_EQ(IconStyleFromChecks({false, false, false, true}), 3);
    EXPECT_EQ(IconStyleFromChecks({false, true, true, false}), 1);  // the lowest checked wins
}

}  // namespace
}  // namespace brisko::config
