// The stored settings' rules, on the 23 values in memory: what a read makes
// of what is stored, and the bytes a write leaves. settings_bar_test.cpp
// carries them to and from the real bar.
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "settings/memory_registry.h"

namespace brisko {
namespace {

class SettingsTest : public ::testing::Test {
protected:
    // A little-endian dword and a terminated text, as the registry stores them.
    static RegBytes Dword(std::uint32_t v) { return {Byte(v), Byte(v >> 8), Byte(v >> 16), Byte(v >> 24)}; }
    static RegBytes Sz(const std::string& s) { return RegBytes(s.c_str(), s.c_str() + s.size() + 1); }
    static std::uint8_t Byte(std::uint32_t v) { return static_cast<std::uint8_t>(v); }
    void Put(std::wstring_view name, std::uint32_t type, RegBytes data) {
        ASSERT_TRUE(store.SetValue(kHKeyCurrentUser, kSettingsKey, name, type, std::move(data)));
    }
    void PutDword(std::wstring_view name, std::uint32_t v) { Put(name, kRegDword, Dword(v)); }
    Settings Read() {
        CRegistry reg = SettingsAccessor(store);
        return ReadSettings(reg);
    }
    MemoryRegistry store;
};

TEST_F(SettingsTest, FirstStartTakesEveryDefaultAndRangeChecksReplaceRatherThanClamp) {
    EXPECT_EQ(Read(), Settings{});
    EXPECT_EQ(Settings{}.style, 1);  // tabs fit their titles
    // Width and icon style as stored, and as read.
    for (auto [width, icon, readWidth, readIcon] :
         {std::tuple{39u, ~0u, 120, 0}, {40u, 3u, 40, 3}, {320u, 0u, 320, 0}, {321u, 4u, 120, 0}}) {
        PutDword(L"Width", width);
        PutDword(L"Icon", icon);
        EXPECT_EQ(Read().tabWidth, readWidth) << width;
        EXPECT_EQ(Read().iconStyle, readIcon) << icon;
    }
}

TEST_F(SettingsTest, SwitchesCompareWithZero) {
    // 2 turns on every switch that is off by default, 0 turns off the others.
    for (const wchar_t* name : {L"FontBold", L"FontItalic", L"FontStrikethru", L"FontUnderline", L"SelFontBold",
                                L"SelFontItalic", L"SelFontStrikethru", L"SelFontUnderline", L"Smooth"})
        PutDword(name, 2);
    for (const wchar_t* name : {L"Close", L"Scroll", L"Drag", L"Wheel"}) PutDword(name, 0);
    Settings expected;
    static_cast<BarSwitches&>(expected) = {false, false, true, false, false};  // close, scroll, fit, drag, wheel
    for (TabFontSettings* f : {&expected.font, &expected.selFont})
        f->bold = f->italic = f->strikethru = f->underline = true;
    EXPECT_EQ(Read(), expected);
}

TEST_F(SettingsTest, UncheckedRowsAreTakenAsStoredAndMalformedOnesFallBack) {
    PutDword(L"Align", 7);
    EXPECT_EQ(Read().align, 7);
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
    Settings expected;
    expected.style = 0;
    expected.selFont = {L"MS UI Gothic", 12.0f, 0x80000005u, false, false, false, false};
    EXPECT_EQ(Read(), expected);
}

TEST_F(SettingsTest, WriteStoresAll23ValuesWithTheirTypesBesideTheHostsOwn) {
    PutDword(L"LoadBehavior", 3);  // the host's own value in the same key
    // Switches (close, scroll, fit, drag, wheel), align, style, width, the fonts, icon style.
    Settings s{{true, true, true, false, false}, 1, 0, 321, {}, {}, 3};
    s.font = {L"Tahoma", 9.125f, 0x80000012u, true, false, false, false};
    s.selFont = {L"MS UI Gothic", 10.5f, 0x00FF0000u, false, false, false, true};
    CRegistry reg = SettingsAccessor(store);
    WriteSettings(reg, s);

    std::map<std::wstring, MemoryRegistry::StoredValue> byName;
    for (auto& v : store.Values(kHKeyCurrentUser, kSettingsKey)) {
        EXPECT_EQ(v.type, v.name.ends_with(L"FontName") ? kRegSz : kRegDword) << v.name.size();
        byName[v.name] = v;
    }
    ASSERT_EQ(byName.size(), 24u);
    const std::pair<const wchar_t*, std::uint32_t> dwords[] = {{L"LoadBehavior", 3}, {L"Width", 321},
                                                               {L"FontSize", 912},   {L"FontColor", 0x80000012u},
                                                               {L"Close", 1},        {L"Wheel", 0}};
    for (const auto& [name, v] : dwords) EXPECT_EQ(byName[name].data, Dword(v)) << std::string(name, name + 3);
    EXPECT_EQ(byName[L"SelFontName"].data, Sz("MS UI Gothic"));
    // Colours left unset are written as 0; what was written reads back.
    WriteSettings(reg, Settings{});
    EXPECT_EQ(Read().font.color, 0u);
    WriteSettings(reg, s);
    s.font.size = 9.12f;  // hundredths of a point
    s.tabWidth = 120;     // 321 is out of range
    EXPECT_EQ(Read(), s);
}

TEST(SettingsConversions, FontSizesInHundredthsAndAnUnwritableKey) {
    // Halves of a hundredth go to even.
    for (auto [points, stored] : {std::pair{10.5f, 1050}, {9.125f, 912}, {9.375f, 938}, {0.0f, 0}})
        EXPECT_EQ(FontSizeToStored(points), stored) << points;
    EXPECT_EQ(StoredToFontSize(912), 9.12f);
    // A key that cannot be written is no error.
    MemoryRegistry store;
    store.failCreate = true;
    CRegistry reg = SettingsAccessor(store);
    WriteSettings(reg, Settings{});
    EXPECT_TRUE(store.WriteLog().empty());
}

}  // namespace
}  // namespace brisko
