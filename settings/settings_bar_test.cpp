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
    CMDITab bar{std::make_unique<test::FakePort>(&log)}, fresh{std::make_unique<test::FakePort>(&log)};
    MemoryRegistry store;
    std::int32_t iconStyle = 2;
    bool wheel = false;
    LoadSettings(store, bar, iconStyle, wheel);
    Settings firstStart;
    firstStart.font.color = bar.DefaultFontColor();
    firstStart.selFont.color = bar.DefaultSelFontColor();
    EXPECT_EQ(CaptureSettings(bar, iconStyle, wheel), firstStart);
    EXPECT_FALSE(store.KeyExists(kHKeyCurrentUser, kSettingsKey)) << "a load writes nothing, not even the key";

    bar.SetTabWidth(77);
    bar.SetSelFontName(L"Tahoma");
    bar.SetSelFontSize(10.5f);
    bar.SetSelFontColor(0x80000012u);
    bar.SetFontItalic(true);
    bar.SetScrollFit(true);
    SaveSettings(store, bar, 3, false);
    LoadSettings(store, fresh, iconStyle, wheel);
    EXPECT_EQ(CaptureSettings(fresh, iconStyle, wheel), CaptureSettings(bar, 3, false));
}

}  // namespace
}  // namespace brisko
