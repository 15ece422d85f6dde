// The stored settings end to end: the add-in connected to the stand-in IDE
// reads them from the registry of the test's own Wine prefix, the settings
// dialog changes them on the live bar, and disconnection writes them back.
#include <map>

#include "settings/dialog/config_form.h"
#include "tests/addin_fixture.h"

namespace brisko {
namespace {

using RawValue = std::pair<DWORD, std::string>;  // type, bytes
using RawKey = std::map<std::wstring, RawValue>;

const std::wstring kKey(kSettingsKey);

// Every value of the settings key, straight from the registry.
RawKey ReadKey() {
    RawKey values;
    HKEY k = nullptr;  // none when the key is missing: nothing to enumerate
    RegOpenKeyExW(HKEY_CURRENT_USER, kKey.c_str(), 0, KEY_READ, &k);
    wchar_t name[256];
    char data[1024];
    for (DWORD i = 0, nameLen = 256, dataLen = sizeof data, type = 0;
         RegEnumValueW(k, i, name, &nameLen, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataLen) == 0;
         ++i, nameLen = 256, dataLen = sizeof data)
        values[std::wstring(name, nameLen)] = {type, std::string(data, dataLen)};
    RegCloseKey(k);
    return values;
}

// Whether the bar's strip takes the MDI client's bottom edge rather than its top.
bool StripAtBottom(HWND client) {
    RECT window{}, inside{};
    GetWindowRect(client, &window);
    GetClientRect(client, &inside);
    MapWindowPoints(client, nullptr, reinterpret_cast<POINT*>(&inside), 2);
    return window.bottom - inside.bottom > inside.top - window.top;
}

using StoredSettings = test::IdeScenario;

TEST_F(StoredSettings, AppliedAtConnectionChangedByTheDialogAndWrittenBackBesideTheHostsOwn) {
    OpenModule(L"Module1");
    OpenModule(L"Class1", idehost::vbext_ct_ClassModule);
    for (auto [name, value] :
         {std::pair{L"LoadBehavior", 3u}, {L"SelFontColor", 0x80000012u}, {L"Icon", 3u}, {L"Wheel", 0u}})
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kKey.c_str(), name, REG_DWORD, &value, 4), ERROR_SUCCESS);
    const RawKey before = ReadKey();
    Connect();
    EXPECT_EQ(ReadKey(), before);  // loading writes nothing
    EXPECT_FALSE(StripAtBottom(ide.MdiClient()));
    EXPECT_EQ(Bar().SelFontColor(), 0x80000012u);  // a system colour
    EXPECT_FALSE(addin.Impl().MouseWheel());
    EXPECT_EQ(Bar().Icon(TabOf(OpenModule(L"Module2"))), 0);  // style 3 for windows opened from now on: no icon

    // The dialog, once it shows: the bar at the bottom, icon style 2, the wheel switched over, then OK.
    test::TickAction confirm([] {
        using namespace config;
        const HWND dlg = FindWindowW(nullptr, L"Brisko - 1.28");
        if (!dlg || !IsWindowVisible(dlg)) return false;
        for (int id : {int{kOptAlign1}, kOptIcon0 + 2, int{kChkWheel}, int{kBtnOK}})
            SendMessageW(GetDlgItem(dlg, id), BM_CLICK, 0, 0);
        return true;
    });
    Choose(1, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});  // "設定..."
    ASSERT_TRUE(confirm.done) << "the settings dialog did not show";
    EXPECT_TRUE(StripAtBottom(ide.MdiClient()));
    EXPECT_TRUE(addin.Impl().MouseWheel());
    for (std::int16_t i = 0; i < Bar().Count(); ++i) EXPECT_EQ(Bar().Icon(i), 13);  // style 2: code view icons

    ASSERT_EQ(addin.Disconnect(), S_OK);
    RawKey stored = ReadKey();
    EXPECT_EQ(stored.size(), 1u + std::size(kSettingsRows));
    for (const auto& row : kSettingsRows) EXPECT_EQ(stored[std::wstring(row.name)].first, row.type);
    for (const wchar_t* same : {L"LoadBehavior", L"SelFontColor"}) EXPECT_EQ(stored[same], before.at(same));
    for (auto [name, value] : {std::pair{L"Align", 1}, {L"Icon", 2}, {L"Wheel", 1}})
        EXPECT_EQ(stored[name], RawValue(REG_DWORD, std::string(reinterpret_cast<const char*>(&value), 4))) << name;
}

}  // namespace
}  // namespace brisko
