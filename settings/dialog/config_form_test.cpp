#include "settings/dialog/config_form.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
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
        // Every option group starts exactly once, at its first option; nothing else starts one.
        EXPECT_EQ(c.startsGroup, c.kind == Kind::Option && groups.insert(c.container).second) << c.name;
    }
    EXPECT_EQ(groups.size(), 3u);
    for (int i = 0; i < kIconStyleCount; ++i) EXPECT_EQ(FindControl(kOptIcon0 + i)->tabIndex, 18 + i);
    // 1855 twips is 123.67 pixels; the width field sits in fraWidth at 8, 64.
    EXPECT_EQ(ClientRectPixels(*FindControl(kFraEtc), Language::Japanese), (Rect{248, 118, 481, 242}));
    EXPECT_EQ(ClientRectPixels(*FindControl(kTxtWidth), Language::Japanese), (Rect{164, 124, 229, 142}));
}

// In both forms every control lies inside its frame, clear of the others
// there; the English form moves only the font row's buttons and labels.
TEST(ConfigForm, EachLanguagesPlacesStayInsideTheirFramesAndApart) {
    const std::set<int> moved = {kBtnNormalFont, kBtnNormalColor, kLblNormal,
                                 kBtnActiveFont, kBtnActiveColor, kLblActive};
    for (Language language : {Language::Japanese, Language::English}) {
        for (const ControlDef& c : Controls()) {
            const Rect r = ClientRectPixels(c, language);
            if (const ControlDef* frame = FindControl(c.container)) {
                const Rect f = ClientRectPixels(*frame, language);
                EXPECT_TRUE(r.left > f.left && r.right < f.right && r.top > f.top && r.bottom < f.bottom) << c.name;
            }
            for (const ControlDef& other : Controls()) {
                const Rect o = ClientRectPixels(other, language);
                const bool apart = r.right <= o.left || o.right <= r.left || r.bottom <= o.top || o.bottom <= r.top;
                EXPECT_TRUE(&c == &other || c.container != other.container || apart) << c.name << " " << other.name;
            }
            const bool same = r == ClientRectPixels(c, Language::Japanese);
            EXPECT_EQ(same, language == Language::Japanese || !moved.contains(c.id)) << c.name;
        }
    }
    // The colour button behind a font button 60 pixels wide.
    EXPECT_EQ(ClientRectPixels(*FindControl(kBtnActiveColor), Language::English), (Rect{80, 211, 120, 232}));
}

TEST(ConfigForm, CaptionsFontsAndWidthMessagesByLanguageAndResult) {
    for (const ControlDef& c : Controls()) {
        const bool own = c.id == kLblNormal || c.id == kLblActive || c.id == kTxtWidth;
        EXPECT_EQ(CaptionTextId(c), own ? 0u : 1000u + static_cast<unsigned>(c.id)) << c.name;
    }
    const FontSpec japanese[] = {DialogFont(Language::Japanese), WidthFieldFont(Language::Japanese)};
    EXPECT_EQ(japanese[0], FontSpec::Make(L"MS UI Gothic", 9));
    EXPECT_EQ(japanese[1], FontSpec::Make(L"ＭＳ Ｐゴシック", 9));
    FontSpec english = FontSpec::Make(L"MS Shell Dlg 2", 8);
    english.charset = 1;
    EXPECT_EQ(DialogFont(Language::English), english);
    EXPECT_EQ(WidthFieldFont(Language::English), english);

    // Result bits 0 to 9 each have a text; the two that a whole number cannot give, and anything else, the internal
    // error's.
    const std::pair<std::int32_t, unsigned> messages[] = {{1, 1201},  {2, 1202},   {16, 1205},  {32, 1206},
                                                          {64, 1207}, {128, 1208}, {256, 1209}, {512, 1210},
                                                          {4, 1210},  {8, 1210},   {0, 1210},   {3, 1210}};
    for (auto [code, id] : messages) EXPECT_EQ(WidthMessageTextId(code), id) << code;
}

TEST(ConfigForm, CaptionShowsTheRevisionAfterTheMinorNumberFromTheVersionResource) {
    EXPECT_EQ(WindowCaption({1, 2, 7, 8}), L"Brisko - 1.28");  // the build number is not shown
    EXPECT_EQ(WindowCaption({10, 0, 0, 10}), L"Brisko - 10.010");

    // A VS_VERSIONINFO block as the resource compiler lays it out: header,
    // key, padding to 40, then VS_FIXEDFILEINFO with the file version at 48.
    std::vector<std::uint8_t> good(92);
    const auto put = [&](std::size_t at, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) good[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    const std::u16string key = u"VS_VERSION_INFO";
    for (std::size_t i = 0; i < key.size(); ++i) put(6 + 2 * i, key[i], 2);
    // Lengths of the block and of the fixed part, the fixed part's signature, the file version.
    for (auto [at, value, bytes] :
         {std::tuple{0, 92u, 2}, {2, 52u, 2}, {40, 0xFEEF04BDu, 4}, {48, 0x00010002u, 4}, {52, 0x00030008u, 4}})
        put(at, value, bytes);
    const auto v = ParseVersionResource(good);
    ASSERT_TRUE(v);
    EXPECT_EQ(std::vector<int>({v->major, v->minor, v->build, v->revision}), std::vector<int>({1, 2, 3, 8}));

    // A byte off in the signature, the key, the block's length (beyond the data); the block cut short.
    for (auto [at, value] : {std::pair{40, 0xBC}, {6, 'X'}, {1, 4}}) {
        auto bad = good;
        bad[at] = static_cast<std::uint8_t>(value);
        EXPECT_FALSE(ParseVersionResource(bad)) << at;
    }
    EXPECT_FALSE(ParseVersionResource(std::span(good).first(60)));
}

TEST(ConfigForm, PreviewCaptionRoundsHalvesUpAndTheLabelIsCentredOnItsButton) {
    // The size plus a half, cut: 10.5 gives 11 where halves-to-even would give 10.
    EXPECT_EQ(PreviewCaption(FontSpec::Make(L"ＭＳ Ｐゴシック", 10.5)), L"ＭＳ Ｐゴシック 11pt");
    EXPECT_EQ(PreviewCaption(FontSpec::Make(L"Tahoma", 9.4999)), L"Tahoma 9pt");
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
    EXPECT_EQ(std::pair(StyleFromOption(0), StyleFromOption(1)), std::pair(1, 0));
    EXPECT_EQ(IconStyleFromChecks({false, false, false, false}), 0);
    EXPECT_EQ(IconStyleFromChecks({false, true, true, false}), 1);  // the lowest checked wins
    EXPECT_EQ(IconStyleFromChecks({true, true, false, false}), 0);
}

}  // namespace
}  // namespace brisko::config
