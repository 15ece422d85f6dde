// The stored settings end to end: the add-in connected to the stand-in IDE
// reads them from the real registry (of the test's own Wine prefix) and writes
// them back when it disconnects.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "tests/addin_fixture.h"

namespace brisko {
namespace {

using idehost::IdeHost;
using test::AddIn;
using test::kCode;

const auto* const kOle = ::testing::AddGlobalTestEnvironment(new test::OleEnvironment);

const char* const kKey = "Software\\Microsoft\\Visual Basic\\6.0\\Addins\\Brisko.Loader";

struct RawValue {
    DWORD type = 0;
    std::string data;
    friend bool operator==(const RawValue&, const RawValue&) = default;
};
using RawKey = std::map<std::string, RawValue>;

// Every value of the settings key, straight from the registry.
RawKey ReadKey(bool* exists = nullptr) {
    RawKey values;
    HKEY k;
    const bool open = RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &k) == ERROR_SUCCESS;
    if (exists) *exists = open;
    if (!open) return values;
    for (DWORD i = 0;; ++i) {
        char name[256];
        BYTE data[1024];
        DWORD nameLen = sizeof(name), dataLen = sizeof(data), type = 0;
        if (RegEnumValueA(k, i, name, &nameLen, nullptr, &type, data, &dataLen) != ERROR_SUCCESS) break;
        values[std::string(name, nameLen)] = {type, std::string(reinterpret_cast<char*>(data), dataLen)};
    }
    RegCloseKey(k);
    return values;
}

void Put(const char* name, DWORD type, std::string_view data) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(
        RegSetValueExA(k, name, 0, type, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size())),
        ERROR_SUCCESS);
    RegCloseKey(k);
}

std::string Dword(std::uint32_t v) {
    return std::string(reinterpret_cast<const char*>(&v), 4);
}
void PutDword(const char* name, std::uint32_t v) {
    Put(name, REG_DWORD, Dword(v));
}
std::string Sz(std::string_view s) {
    return std::string(s) + '\0';
}

class StoredSettings : public ::testing::Test {
protected:
    void SetUp() override {
        // The key is shared with the other scenarios of this prefix: it is
        // put back as it was afterwards.
        saved_ = ReadKey(&existed_);
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
        project = &ide.Model().AddProject(L"Project1");
        project->AddComponent(L"Module1", idehost::vbext_ct_StdModule);
        project->AddComponent(L"Class1", idehost::vbext_ct_ClassModule);
        ide.Model().SetActiveProject(project);
        ide.OpenCodeWindow(L"Project1 - Module1" + kCode);
        ide.OpenCodeWindow(L"Project1 - Class1" + kCode);
    }
    void TearDown() override {
        if (connected_) addin.Disconnect();
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
        if (existed_) {
            HKEY k;
            RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
            for (const auto& [name, v] : saved_)
                RegSetValueExA(k, name.c_str(), 0, v.type, reinterpret_cast<const BYTE*>(v.data.data()),
                               static_cast<DWORD>(v.data.size()));
            RegCloseKey(k);
        }
    }
    void Connect() {
        ASSERT_EQ(addin.Connect(static_cast<IDispatch*>(&ide.Model()), ext_cm_AfterStartup), S_OK);
        connected_ = true;
        IdeHost::Pump(50);
    }
    void Disconnect() {
        ASSERT_EQ(addin.Disconnect(), S_OK);
        connected_ = false;
    }
    CMDITab& Bar() { return addin.Bar(); }

    // How far the MDI client's client area is inset from its window at the
    // top and at the bottom: the bar's strip shows on one side.
    struct Insets {
        LONG top, bottom;
    };
    Insets ClientInsets() {
        RECT window{}, client{};
        GetWindowRect(ide.MdiClient(), &window);
        GetClientRect(ide.MdiClient(), &client);
        MapWindowPoints(ide.MdiClient(), nullptr, reinterpret_cast<POINT*>(&client), 2);
        return {client.top - window.top, window.bottom - client.bottom};
    }

    IdeHost ide;
    AddIn addin;
    idehost::Project* project = nullptr;

private:
    RawKey saved_;
    bool existed_ = false;
    bool connected_ = false;
};

TEST_F(StoredSettings, FirstStartTakesTheDefaultsAndDisconnectionWritesAll23) {
    Connect();
    const Insets insets = ClientInsets();
    EXPECT_GE(insets.top, Bar().TabHeight());  // the strip is at the top
    EXPECT_LT(insets.bottom, Bar().TabHeight());
    bool exists = true;
    ReadKey(&exists);
    EXPECT_FALSE(exists);  // loading writes nothing

    const std::uint32_t fontColor = Bar().FontColor(), selColor = Bar().SelFontColor();
    Disconnect();
    RawKey stored = ReadKey();
    ASSERT_EQ(stored.size(), 23u);
    for (const auto& row : kSettingsRows) {
        const std::string name(row.name.begin(), row.name.end());
        ASSERT_TRUE(stored.count(name)) << name;
        EXPECT_EQ(stored[name].type, row.type) << name;
    }
    const std::map<std::string, std::string> expected = {
        {"Align", Dword(0)},
        {"Style", Dword(1)},
        {"Width", Dword(120)},
        {"FontName", Sz("MS UI Gothic")},
        {"FontSize", Dword(900)},
        {"FontColor", Dword(fontColor)},
        {"FontBold", Dword(0)},
        {"FontItalic", Dword(0)},
        {"FontStrikethru", Dword(0)},
        {"FontUnderline", Dword(0)},
        {"SelFontName", Sz("MS UI Gothic")},
        {"SelFontSize", Dword(900)},
        {"SelFontColor", Dword(selColor)},
        {"SelFontBold", Dword(0)},
        {"SelFontItalic", Dword(0)},
        {"SelFontStrikethru", Dword(0)},
        {"SelFontUnderline", Dword(0)},
        {"Icon", Dword(0)},
        {"Close", Dword(1)},
        {"Scroll", Dword(1)},
        {"Smooth", Dword(0)},
        {"Drag", Dword(1)},
        {"Wheel", Dword(1)},
    };
    for (const auto& [name, data] : expected) EXPECT_EQ(stored[name].data, data) << name;
}

TEST_F(StoredSettings, StoredValuesAreAppliedAtConnection) {
    PutDword("Align", 1);
    PutDword("Style", 0);
    PutDword("Width", 200);
    Put("FontName", REG_SZ, Sz("\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E"));  // "ＭＳ ゴシック"
    PutDword("FontSize", 1050);
    PutDword("SelFontColor", 0x80000012u);
    PutDword("SelFontBold", 2);
    PutDword("Icon", 3);
    PutDword("Close", 0);
    PutDword("Smooth", 1);
    PutDword("Wheel", 0);
    Connect();
    EXPECT_EQ(Bar().Align(), 1);
    EXPECT_EQ(Bar().Style(), 0);
    EXPECT_EQ(Bar().TabWidth(), 200);
    EXPECT_EQ(Bar().FontName(), L"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF");
    EXPECT_EQ(Bar().FontSize(), 10.5f);
    EXPECT_EQ(Bar().SelFontColor(), 0x80000012u);
    EXPECT_TRUE(Bar().SelFontBold());
    EXPECT_FALSE(Bar().CloseButton());
    EXPECT_TRUE(Bar().ScrollFit());
    EXPECT_EQ(addin.Impl().IconStyle(), 3);
    EXPECT_FALSE(addin.Impl().MouseWheel());
    // Icon style 3 is in force for windows opened from now on: no icon.
    // (Tabs made before the load keep theirs until they are re-derived.)
    project->AddComponent(L"Module2", idehost::vbext_ct_StdModule);
    const HWND later = ide.OpenCodeWindow(L"Project1 - Module2" + kCode);
    IdeHost::Pump(80);
    const std::int16_t laterTab = Bar().Index(WindowKey(test::H(later)));
    ASSERT_NE(laterTab, -1);
    EXPECT_EQ(Bar().Icon(laterTab), 0);
    // The bar sits at the bottom: the MDI client's client area gives way there.
    const Insets insets = ClientInsets();
    EXPECT_GE(insets.bottom, Bar().TabHeight());
    EXPECT_LT(insets.top, Bar().TabHeight());

    Disconnect();
    RawKey stored = ReadKey();
    EXPECT_EQ(stored["Align"].data, Dword(1));
    EXPECT_EQ(stored["SelFontColor"].data, Dword(0x80000012u));  // a system colour, two's complement
    EXPECT_EQ(stored["SelFontBold"].data, Dword(1));
    EXPECT_EQ(stored["FontSize"].data, Dword(1050));
    EXPECT_EQ(stored["FontName"], (RawValue{REG_SZ, Sz("\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E")}));
}

TEST_F(StoredSettings, MalformedValuesFallBackWhileTheOthersLoad) {
    Put("Align", REG_SZ, Sz("bottom"));
    Put("Width", REG_BINARY, std::string("\xC8\0\0\0", 4));
    Put("FontSize", REG_SZ, Sz("big"));
    Put("FontColor", REG_BINARY, "");
    Put("SelFontName", REG_SZ, "");  // stored without any bytes
    Put("Close", REG_MULTI_SZ, std::string("x\0\0", 3));
    PutDword("Icon", 7);
    Put("Style", REG_SZ, Sz("0"));  // text that reads as a number
    PutDword("Scroll", 0);
    PutDword("Wheel", 0);
    Put("Drag", REG_DWORD, "\x01");  // a DWORD one byte long
    Connect();
    EXPECT_EQ(Bar().Align(), 0);
    EXPECT_EQ(Bar().TabWidth(), 120);
    EXPECT_EQ(Bar().FontSize(), 9.0f);
    EXPECT_EQ(Bar().FontColor(), Bar().DefaultFontColor());
    EXPECT_EQ(Bar().SelFontName(), L"");
    EXPECT_TRUE(Bar().CloseButton());
    EXPECT_EQ(addin.Impl().IconStyle(), 0);
    EXPECT_EQ(Bar().Style(), 0);
    EXPECT_FALSE(Bar().ScrollButton());
    EXPECT_FALSE(addin.Impl().MouseWheel());
    EXPECT_TRUE(Bar().AutoDrag());
    EXPECT_EQ(Bar().Count(), 2);  // the connection went on as usual
}

TEST_F(StoredSettings, TheHostsOwnValuesSurviveASave) {
    Put("FriendlyName", REG_SZ, Sz("Brisko"));
    Put("Description", REG_SZ, Sz("\x83\x5E\x83\x75"));  // "タブ"
    PutDword("LoadBehavior", 3);
    PutDword("CommandLineSafe", 0);
    const RawKey hostValues = ReadKey();
    Connect();
    Bar().SetAlign(1);  // as the settings dialog would
    Disconnect();
    RawKey stored = ReadKey();
    EXPECT_EQ(stored.size(), 4u + 23u);
    for (const auto& [name, v] : hostValues) EXPECT_EQ(stored[name], v) << name;
    EXPECT_EQ(stored["Align"].data, Dword(1));

    // The next connection starts where this one ended.
    Connect();
    EXPECT_EQ(Bar().Align(), 1);
    EXPECT_GE(ClientInsets().bottom, Bar().TabHeight());
}

}  // namespace
}  // namespace brisko
