#include "settings/settings.h"

#include <gtest/gtest.h>

#include "settings/memory_registry.h"

namespace brisko {
namespace {

// Stands in for the tab bar: its settings properties with the bar's own
// initial values, and a record of the order in which they were set.
struct FakeBar {
    std::vector<std::string> sets;
    std::int32_t align = 0, style = 0;
    std::int16_t tabWidth = 120;
    std::wstring fontName = L"MS UI Gothic", selFontName = L"MS UI Gothic";
    float fontSize = 9, selFontSize = 9;
    std::uint32_t fontColor = 0x00A0A0A0, selFontColor = 0;
    bool fontBold = false, fontItalic = false, fontStrikethru = false, fontUnderline = false;
    bool selFontBold = false, selFontItalic = false, selFontStrikethru = false, selFontUnderline = false;
    bool closeButton = true, scrollButton = true, scrollFit = false, autoDrag = true;

    static constexpr std::uint32_t kDefaultFontColor = 0x00ABCDEF;
    static constexpr std::uint32_t kDefaultSelFontColor = 0x00123456;
    std::uint32_t DefaultFontColor() const { return kDefaultFontColor; }
    std::uint32_t DefaultSelFontColor() const { return kDefaultSelFontColor; }

#define PROP(Name, field)      \
    auto Name() const {        \
        return field;          \
    }                          \
    template <class T>         \
    void Set##Name(T v) {      \
        sets.push_back(#Name); \
        field = v;             \
    }
    PROP(Align, align)
    PROP(Style, style)
    PROP(TabWidth, tabWidth)
    PROP(FontName, fontName)
    PROP(FontSize, fontSize)
    PROP(FontColor, fontColor)
    PROP(FontBold, fontBold)
    PROP(FontItalic, fontItalic)
    PROP(FontStrikethru, fontStrikethru)
    PROP(FontUnderline, fontUnderline)
    PROP(SelFontName, selFontName)
    PROP(SelFontSize, selFontSize)
    PROP(SelFontColor, selFontColor)
    PROP(SelFontBold, selFontBold)
    PROP(SelFontItalic, selFontItalic)
    PROP(SelFontStrikethru, selFontStrikethru)
    PROP(SelFontUnderline, selFontUnderline)
    PROP(CloseButton, closeButton)
    PROP(ScrollButton, scrollButton)
    PROP(ScrollFit, scrollFit)
    PROP(AutoDrag, autoDrag)
#undef PROP
};

RegBytes Dword(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 24)};
}
RegBytes Sz(std::string_view s) {
    RegBytes b(s.begin(), s.end());
    b.push_back(0);
    return b;
}

class SettingsTest : public ::testing::Test {
protected:
    void Put(std::wstring_view name, std::uint32_t type, RegBytes data) {
        ASSERT_TRUE(store.SetValue(kHKeyCurrentUser, kSettingsKey, name, type, std::move(data)));
    }
    void PutDword(std::wstring_view name, std::uint32_t v) { Put(name, kRegDword, Dword(v)); }
    void Load() {
        iconStyle = 99;
        wheel = false;
        LoadSettings(store, bar, iconStyle, wheel);
    }
    MemoryRegistry store;
    FakeBar bar;
    std::int32_t iconStyle = 0;
    bool wheel = false;
};

// The settings a first start gives the fake bar.
Settings FirstStart() {
    Settings s;
    s.font.color = FakeBar::kDefaultFontColor;
    s.selFont.color = FakeBar::kDefaultSelFontColor;
    return s;
}

TEST_F(SettingsTest, FirstStartTakesEveryDefaultReadingInTableOrderAndWritingNothing) {
    bar.closeButton = bar.scrollButton = bar.autoDrag = false;
    bar.scrollFit = true;
    bar.fontBold = true;
    Load();
    EXPECT_EQ(CaptureSettings(bar, iconStyle, wheel), FirstStart());
    EXPECT_EQ(bar.style, 1);  // not the bar's own initial 0
    std::vector<std::wstring> names;
    for (const auto& row : kSettingsRows) names.emplace_back(row.name);
    EXPECT_EQ(store.ReadLog(), names);
    EXPECT_EQ(bar.sets.size(), 21u);
    EXPECT_EQ(bar.sets.front(), "Align");
    EXPECT_EQ(bar.sets.back(), "AutoDrag");
    // Nothing is written by a load, not even the key.
    EXPECT_FALSE(store.KeyExists(kHKeyCurrentUser, kSettingsKey));
}

TEST_F(SettingsTest, RangeChecksReplaceRatherThanClamp) {
    struct Case {
        std::uint32_t width, icon;
        std::int16_t expectedWidth;
        std::int32_t expectedIcon;
    } cases[] = {
        {39, static_cast<std::uint32_t>(-1), 120, 0},
        {40, 3, 40, 3},
        {320, 0, 320, 0},
        {321, 4, 120, 0},
        {static_cast<std::uint32_t>(-200), 0x80000000u, 120, 0},
    };
    for (const auto& c : cases) {
        PutDword(L"Width", c.width);
        PutDword(L"Icon", c.icon);
        Load();
        EXPECT_EQ(bar.tabWidth, c.expectedWidth) << c.width;
        EXPECT_EQ(iconStyle, c.expectedIcon) << c.icon;
    }
}

TEST_F(SettingsTest, SwitchesCompareWithZero) {
    const wchar_t* names[] = {L"FontBold",
                              L"FontItalic",
                              L"FontStrikethru",
                              L"FontUnderline",
                              L"SelFontBold",
                              L"SelFontItalic",
                              L"SelFontStrikethru",
                              L"SelFontUnderline",
                              L"Close",
                              L"Scroll",
                              L"Smooth",
                              L"Drag",
                              L"Wheel"};
    for (std::uint32_t stored : {2u, 0xFFFFFFFFu, 0u, 1u}) {
        for (auto* n : names) PutDword(n, stored);
        Load();
        const bool on = stored != 0;
        Settings expected = FirstStart();
        for (TabFontSettings* f : {&expected.font, &expected.selFont})
            f->bold = f->italic = f->strikethru = f->underline = on;
        expected.closeButton = expected.scrollButton = expected.scrollFit = expected.autoDrag = expected.mouseWheel =
            on;
        EXPECT_EQ(CaptureSettings(bar, iconStyle, wheel), expected) << stored;
    }
}

TEST_F(SettingsTest, UncheckedRowsGoToTheBarAsStoredAndMalformedOnesFallBack) {
    PutDword(L"Align", 7);
    PutDword(L"Style", static_cast<std::uint32_t>(-3));
    PutDword(L"FontSize", 1050);
    PutDword(L"SelFontSize", 0);
    PutDword(L"FontColor", 0x80000012u);  // a system colour
    Put(L"FontName", kRegSz, Sz("Tahoma"));
    Load();
    EXPECT_EQ(bar.align, 7);
    EXPECT_EQ(bar.style, -3);
    EXPECT_EQ(bar.fontSize, 10.5f);
    EXPECT_EQ(bar.selFontSize, 0.0f);
    EXPECT_EQ(bar.fontColor, 0x80000012u);
    EXPECT_EQ(bar.fontName, L"Tahoma");

    // One bad value never keeps the others from loading.
    Put(L"Align", kRegSz, Sz("bottom"));
    Put(L"Width", kRegBinary, {200, 0, 0, 0});
    Put(L"FontSize", kRegSz, Sz("big"));
    Put(L"FontColor", kRegSz, Sz("4294967295"));  // beyond a 32-bit signed number
    Put(L"FontName", kRegBinary, {'A', 0});
    Put(L"Close", kRegNone, {});
    Put(L"Icon", kRegSz, Sz(""));
    // Text that reads as a number is a number.
    Put(L"Style", kRegSz, Sz("0"));
    Put(L"SelFontSize", kRegSz, Sz("1200"));
    Put(L"SelFontColor", kRegSz, Sz("&H80000005"));
    PutDword(L"Wheel", 0);
    bar.align = 5;
    Load();
    EXPECT_EQ(bar.align, 0);
    EXPECT_EQ(bar.tabWidth, 120);
    EXPECT_EQ(bar.fontSize, 9.0f);
    EXPECT_EQ(bar.fontColor, FakeBar::kDefaultFontColor);
    EXPECT_EQ(bar.fontName, L"MS UI Gothic");
    EXPECT_TRUE(bar.closeButton);
    EXPECT_EQ(iconStyle, 0);
    EXPECT_EQ(bar.style, 0);
    EXPECT_EQ(bar.selFontSize, 12.0f);
    EXPECT_EQ(bar.selFontColor, 0x80000005u);
    EXPECT_FALSE(wheel);
}

TEST_F(SettingsTest, SaveWritesAll23ValuesWithTheirTypesBesideTheHostsOwn) {
    PutDword(L"LoadBehavior", 3);  // the host's own value in the same key
    bar.align = 1;
    bar.style = 0;
    bar.tabWidth = 321;
    bar.fontName = L"Tahoma";
    bar.fontSize = 9.125f;
    bar.selFontSize = 10.5f;
    bar.fontColor = 0x80000012u;
    bar.selFontColor = 0x00FF0000u;
    bar.fontBold = true;
    bar.selFontUnderline = true;
    bar.scrollFit = true;
    bar.autoDrag = false;
    SaveSettings(store, bar, 3, false);

    std::vector<std::wstring> names;
    for (const auto& row : kSettingsRows) names.emplace_back(row.name);
    const auto& log = store.WriteLog();
    ASSERT_EQ(log.size(), 1u + 23u);
    EXPECT_EQ(std::vector<std::wstring>(log.begin() + 1, log.end()), names);

    auto values = store.Values(kHKeyCurrentUser, kSettingsKey);
    ASSERT_EQ(values.size(), 24u);
    EXPECT_EQ(values[0].data, Dword(3));
    std::map<std::wstring, MemoryRegistry::StoredValue> byName;
    for (auto& v : values) byName[v.name] = v;
    for (const auto& row : kSettingsRows) EXPECT_EQ(byName[std::wstring(row.name)].type, row.type);
    struct Expect {
        const wchar_t* name;
        RegBytes data;
    } expected[] = {
        {L"Align", Dword(1)},
        {L"Style", Dword(0)},
        {L"Width", Dword(321)},
        {L"FontName", Sz("Tahoma")},
        {L"FontSize", Dword(912)},
        {L"FontColor", Dword(0x80000012u)},
        {L"FontBold", Dword(1)},
        {L"FontItalic", Dword(0)},
        {L"SelFontName", Sz("MS UI Gothic")},
        {L"SelFontSize", Dword(1050)},
        {L"SelFontColor", Dword(0xFF0000)},
        {L"SelFontUnderline", Dword(1)},
        {L"Icon", Dword(3)},
        {L"Close", Dword(1)},
        {L"Smooth", Dword(1)},
        {L"Drag", Dword(0)},
        {L"Wheel", Dword(0)},
    };
    for (const auto& e : expected) EXPECT_EQ(byName[e.name].data, e.data) << RegValueText(std::wstring(e.name)).size();
}

TEST_F(SettingsTest, SaveThenLoadRestoresEverything) {
    bar.align = 1;
    bar.tabWidth = 200;
    bar.fontName = L"Courier New";
    bar.fontSize = 10.5f;
    bar.fontColor = 0x8000000Fu;
    bar.selFontItalic = true;
    bar.closeButton = false;
    SaveSettings(store, bar, 2, false);
    FakeBar saved = bar;
    bar = FakeBar{};
    Load();
    EXPECT_EQ(CaptureSettings(bar, iconStyle, wheel), CaptureSettings(saved, 2, false));
}

TEST(SettingsConversions, FontSizesInHundredthsAndAnUnwritableKey) {
    struct Case {
        float points;
        std::int32_t stored;
    } cases[] = {{10.5f, 1050}, {9.0f, 900}, {9.125f, 912}, {9.375f, 938}, {0.0f, 0}, {7.0f, 700}};
    for (const auto& c : cases) EXPECT_EQ(FontSizeToStored(c.points), c.stored) << c.points;
    EXPECT_EQ(StoredToFontSize(1050), 10.5f);
    EXPECT_EQ(StoredToFontSize(912), 9.12f);
    // A key that cannot be written is no error.
    MemoryRegistry store;
    store.failCreate = true;
    FakeBar bar;
    SaveSettings(store, bar, 0, true);
    EXPECT_TRUE(store.WriteLog().empty());
}

}  // namespace
}  // namespace brisko
