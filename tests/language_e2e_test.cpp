// The add-in in the user's display language, run once under the Japanese
// locale and once under the English one (code page 1252): the menu, the
// tips, the confirmation, the settings dialog and the add-in list's entry
// speak it, and either IDE's words are read whatever it is.
#include "common/win/ui_text.h"
#include "comserver/addin_keys.h"
#include "resources/texts.h"
#include "settings/dialog/config_form.h"
#include "tests/addin_fixture.h"

namespace brisko {
namespace {

namespace input = test::input;

std::wstring Text(HWND h) {
    wchar_t text[512] = {};
    GetWindowTextW(h, text, 512);
    return text;
}

using Languages = test::IdeScenario;

TEST_F(Languages, TheUsersLanguageIsShownAndEitherIdesWordsAreRead) {
    // The language the user should see, from the locale the test runs in.
    const Language language =
        PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? Language::Japanese : Language::English;
    const auto shown = [language](unsigned id) { return ResourceText(id, language); };
    project->AddComponent(L"Form1", idehost::vbext_ct_VBForm);
    const HWND code = ide.OpenCodeWindow(L"Project1 - Form1 (Code)");
    const HWND browser = ide.OpenToolWindow(L"Object Browser");
    // Only a Western code page holds the umlaut.
    const std::wstring western = L"\u00DCbersicht - Form1 (Code)";
    const HWND umlaut = GetACP() == 1252 ? ide.OpenCodeWindow(western) : nullptr;
    Connect();
    EXPECT_EQ(std::pair(Bar().Icon(TabOf(code)), Bar().Data(TabOf(code))), std::pair(std::int16_t{11}, 1 + 4096));
    EXPECT_EQ(std::pair(Bar().Icon(TabOf(browser)), Bar().Data(TabOf(browser))), std::pair(std::int16_t{14}, 512));
    if (umlaut) {
        EXPECT_EQ(Bar().Title(TabOf(umlaut)), L"Form1");
        test::TipAfter(L"");
        input::MoveTo(TabPoint(TabOf(umlaut)));
        EXPECT_EQ(test::TipAfter(western), western);
    }
    input::MoveTo(Mid(Bar().ButtonBox(kCloseButton)));
    EXPECT_EQ(test::TipAfter(shown(BRISKO_IDS_TIP_CLOSE)), shown(BRISKO_IDS_TIP_CLOSE));

    // The menu's items, and the window list's, by position.
    const std::pair<int, unsigned> items[] = {{0, BRISKO_IDS_CLOSE},      {1, BRISKO_IDS_CLOSE_ALL},
                                              {2, BRISKO_IDS_CLOSE_LEFT}, {3, BRISKO_IDS_CLOSE_RIGHT},
                                              {5, BRISKO_IDS_SETTINGS},   {7, BRISKO_IDS_WINDOW_LIST}};
    for (auto [position, id] : items) {
        wchar_t text[128] = {};
        GetMenuStringW(addin.Impl().Menu(), position, text, 128, MF_BYPOSITION);
        EXPECT_EQ(text, shown(id)) << position;
    }

    // The question before closing everything (the message box's text is its item 0xFFFF), answered No.
    std::wstring question;
    test::TickAction no([&] {
        const HWND box = test::ThreadDialog();
        return box &&
               (question = Text(box) + L"|" + Text(GetDlgItem(box, 0xFFFF)), PostMessageW(box, WM_COMMAND, IDNO, 0));
    });
    addin.Impl().RunMenuCommand(static_cast<std::int32_t>(MenuCommand::CloseAll), 0);
    EXPECT_EQ(question, L"Brisko|" + shown(BRISKO_IDS_CLOSE_ALL_QUESTION));
    EXPECT_EQ(Bar().Count(), umlaut ? 3 : 2);

    // Every caption of the settings dialog, then the close box.
    std::vector<std::wstring> captions, expected;
    test::TickAction look([&] {
        const HWND dlg = test::ThreadDialog();
        if (!dlg) return false;
        for (const config::ControlDef& c : config::Controls()) {
            if (const unsigned id = config::CaptionTextId(c)) {
                captions.push_back(Text(GetDlgItem(dlg, c.id)));
                expected.push_back(shown(id));
            }
        }
        return PostMessageW(dlg, WM_CLOSE, 0, 0) != FALSE;
    });
    addin.Impl().RunMenuCommand(static_cast<std::int32_t>(MenuCommand::Settings), 0);
    EXPECT_EQ(captions.size(), 26u);
    EXPECT_EQ(captions, expected);

    // Registering the server writes the add-in list's description in the user's language.
    const HMODULE dll = LoadLibraryW(L"Brisko.dll");
    ASSERT_TRUE(dll);
    const auto registerServer =
        reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
    ASSERT_EQ(registerServer ? registerServer() : E_FAIL, S_OK);
    for (const IdeKind ide : {IdeKind::Vb6, IdeKind::VbaEditor}) {
        wchar_t description[512] = {};
        DWORD size = sizeof description;
        RegGetValueW(HKEY_CURRENT_USER, std::wstring(AddinKey(ide)).c_str(), L"Description", RRF_RT_REG_SZ, nullptr,
                     description, &size);
        EXPECT_EQ(description, shown(BRISKO_IDS_ADDIN_DESCRIPTION));
    }
    FreeLibrary(dll);
}

}  // namespace
}  // namespace brisko
