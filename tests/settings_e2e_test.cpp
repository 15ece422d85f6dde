// The stored settings end to end: the add-in connected to the stand-in IDE
// reads them from the registry of the test's own Wine prefix, the settings
// dialog changes them on the live bar, and disconnection writes them back.
#include <map>
#include <thread>

#include "settings/dialog/config_form.h"
#include "tests/addin_fixture.h"

namespace brisko {
namespace {

const char* const kKey = "Software\\Microsoft\\Visual Basic\\6.0\\Addins\\Brisko.Loader";

using RawValue = std::pair<DWORD, std::string>;  // type, bytes
using RawKey = std::map<std::string, RawValue>;

// Every value of the settings key, straight from the registry.
RawKey ReadKey() {
    RawKey values;
    HKEY k;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &k) != ERROR_SUCCESS) return values;
    char name[256];
    BYTE data[1024];
    DWORD nameLen = sizeof(name), dataLen = sizeof(data), type = 0;
    for (DWORD i = 0; RegEnumValueA(k, i, name, &nameLen, nullptr, &type, data, &dataLen) == ERROR_SUCCESS; ++i) {
        values[std::string(name, nameLen)] = {type, std::string(reinterpret_cast<char*>(data), dataLen)};
        nameLen = sizeof(name), dataLen = sizeof(data);
    }
    RegCloseKey(k);
    return values;
}

void Put(const char* name, DWORD type, std::string_view data) {
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kKey, name, type, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
}
std::string Dword(std::uint32_t v) {
    return std::string(reinterpret_cast<const char*>(&v), 4);
}

class StoredSettings : public test::IdeScenario {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
        IdeScenario::SetUp();
        OpenModule(L"Module1");
        OpenModule(L"Class1", idehost::vbext_ct_ClassModule);
    }
    void TearDown() override {
        IdeScenario::TearDown();
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    }
    // Whether the bar's strip takes the MDI client's top or bottom edge.
    bool StripAtBottom() {
        RECT window{}, client{};
        GetWindowRect(ide.MdiClient(), &window);
        GetClientRect(ide.MdiClient(), &client);
        MapWindowPoints(ide.MdiClient(), nullptr, reinterpret_cast<POINT*>(&client), 2);
        const bool top = client.top - window.top >= Bar().TabHeight();
        const bool bottom = window.bottom - client.bottom >= Bar().TabHeight();
        EXPECT_NE(top, bottom);
        return bottom;
    }
};

// Drives the settings dialog from another thread once it shows: the bar at
// the bottom, icon style 2, the wheel switched over, then OK.
std::thread ConfirmSettings(bool* seen) {
    using namespace config;
    return std::thread([seen] {
        for (int i = 0; i < 500 && !*seen; ++i, Sleep(10)) {
            HWND dlg = FindWindowW(nullptr, L"Brisko - 1.28");
            if (!dlg || !IsWindowVisible(dlg)) continue;
            *seen = true;
            for (int id : {int{kOptAlign1}, kOptIcon0 + 2, int{kChkWheel}, int{kBtnOK}})
                SendMessageW(GetDlgItem(dlg, id), BM_CLICK, 0, 0);
        }
    });
}

TEST_F(StoredSettings, AppliedAtConnectionChangedByTheDialogAndWrittenBackBesideTheHostsOwn) {
    Put("FriendlyName", REG_SZ, std::string("Brisko", 7));
    Put("LoadBehavior", REG_DWORD, Dword(3));
    Put("SelFontColor", REG_DWORD, Dword(0x80000012u));  // a system colour
    Put("Icon", REG_DWORD, Dword(3));
    Put("Wheel", REG_DWORD, Dword(0));
    Put("Width", REG_SZ, std::string("big", 4));  // malformed: the default instead
    const RawKey before = ReadKey();
    Connect();
    EXPECT_EQ(ReadKey(), before);  // loading writes nothing
    EXPECT_FALSE(StripAtBottom());
    EXPECT_EQ(Bar().SelFontColor(), 0x80000012u);
    EXPECT_FALSE(addin.Impl().MouseWheel());
    EXPECT_EQ(Bar().Icon(TabOf(OpenModule(L"Module2"))), 0);  // style 3 for windows opened from now on: no icon

    bool seen = false;
    auto driver = ConfirmSettings(&seen);
    Choose(1, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN});  // "設定..."
    driver.join();
    ASSERT_TRUE(seen) << "the settings dialog did not show";
    EXPECT_TRUE(StripAtBottom());
    EXPECT_TRUE(addin.Impl().MouseWheel());
    for (std::int16_t i = 0; i < Bar().Count(); ++i) EXPECT_EQ(Bar().Icon(i), 13);  // style 2: code view icons

    ASSERT_EQ(addin.Disconnect(), S_OK);
    RawKey stored = ReadKey();
    EXPECT_EQ(stored.size(), 2u + std::size(kSettingsRows));
    for (const auto& row : kSettingsRows)
        EXPECT_EQ(stored[std::string(row.name.begin(), row.name.end())].first, row.type);
    for (const char* same : {"FriendlyName", "LoadBehavior", "SelFontColor"}) EXPECT_EQ(stored[same], before.at(same));
    for (auto [name, value] : {std::pair{"Align", 1}, {"Icon", 2}, {"Wheel", 1}, {"Width", 120}})
        EXPECT_EQ(stored[name], RawValue(REG_DWORD, Dword(value))) << name;
    Connect();  // the next connection starts where this one ended
    EXPECT_TRUE(StripAtBottom());
    EXPECT_EQ(addin.Impl().IconStyle(), 2);
}

}  // namespace
}  // namespace brisko
