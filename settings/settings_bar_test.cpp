// The settings against the real tab bar object: a first start meets the
// bar's own colours and setters and writes nothing. The round trip through
// the registry is the end-to-end StoredSettings scenario's.
#include <gtest/gtest.h>

#include "settings/memory_registry.h"
#include "settings/settings.h"
#include "tabbar/fake_services_test.h"
#include "tabbar/mdi_tab.h"

namespace brisko {
namespace {

TEST(SettingsOnTheBar, FirstStartTakesTheBarsDefaultColoursAndWritesNothing) {
    test::Log log;
    const std::unique_ptr<CMDITab> owner = test::MakeFakeBar(log);
    CMDITab& bar = *owner;
    bar.SetTabWidth(77);
    bar.SetSelFontColor(0x80000012u);
    MemoryRegistry store;
    std::int32_t iconStyle = 2;
    bool wheel = false;
    LoadSettings(store, bar, iconStyle, wheel);
    Settings firstStart;
    firstStart.font.color = bar.DefaultFontColor();
    firstStart.selFont.color = bar.DefaultSelFontColor();
    EXPECT_EQ(CaptureSettings(bar, iconStyle, wheel), firstStart);
    EXPECT_FALSE(store.KeyExists(kHKeyCurrentUser, kSettingsKey)) << "not even the key";
}

}  // namespace
}  // namespace brisko
