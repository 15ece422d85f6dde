// The settings against the real tab bar object: the load's defaults meet the
// bar's own colours and setters, and a save reads back what the bar holds.
#include <gtest/gtest.h>

#include "settings/memory_registry.h"
#include "settings/settings.h"
#include "tabbar/fake_port_test.h"
#include "tabbar/mdi_tab.h"

namespace brisko {
namespace {

TEST(SettingsOnTheBar, FirstStartAndRoundTrip) {
    test::FakePort::Log log;
    CMDITab bar{std::make_unique<test::FakePort>(&log)};
    MemoryRegistry store;
    std::int32_t iconStyle = 2;
    bool wheel = false;
    LoadSettings(store, bar, iconStyle, wheel);
    EXPECT_EQ(bar.Style(), 1);
    EXPECT_EQ(bar.TabWidth(), 120);
    EXPECT_EQ(bar.FontName(), L"MS UI Gothic");
    EXPECT_EQ(bar.FontSize(), 9.0f);
    EXPECT_EQ(bar.FontColor(), bar.DefaultFontColor());
    EXPECT_EQ(bar.SelFontColor(), bar.DefaultSelFontColor());
    EXPECT_TRUE(bar.CloseButton());
    EXPECT_TRUE(bar.AutoDrag());
    EXPECT_EQ(iconStyle, 0);
    EXPECT_TRUE(wheel);

    bar.SetAlign(1);
    bar.SetStyle(0);
    bar.SetTabWidth(77);
    bar.SetSelFontName(L"Tahoma");
    bar.SetSelFontSize(10.5f);
    bar.SetSelFontColor(0x80000012u);
    bar.SetFontItalic(true);
    bar.SetScrollFit(true);
    SaveSettings(store, bar, 3, false);

    CMDITab fresh{std::make_unique<test::FakePort>(&log)};
    LoadSettings(store, fresh, iconStyle, wheel);
    EXPECT_EQ(fresh.Align(), 1);
    EXPECT_EQ(fresh.Style(), 0);
    EXPECT_EQ(fresh.TabWidth(), 77);
    EXPECT_EQ(fresh.SelFontName(), L"Tahoma");
    EXPECT_EQ(fresh.SelFontSize(), 10.5f);
    EXPECT_EQ(fresh.SelFontColor(), 0x80000012u);
    EXPECT_TRUE(fresh.FontItalic());
    EXPECT_FALSE(fresh.SelFontItalic());
    EXPECT_TRUE(fresh.ScrollFit());
    EXPECT_EQ(iconStyle, 3);
    EXPECT_FALSE(wheel);
}

}  // namespace
}  // namespace brisko
