#include "settings/win/pickers.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "common/win/ansi.h"
#include "common/win/gdi.h"
#include "settings/win/listed_face_test.h"
#include "tests/tick_action.h"

namespace brisko {
namespace {

// The common dialogs' control numbers.
constexpr int kColorRed = 706, kColorGreen = 707, kColorBlue = 708, kColorCustomBox = 721;
constexpr int kFontFace = 0x470, kFontStyle = 0x471, kFontSize = 0x472, kFontColor = 0x473, kFontScript = 0x474;
constexpr int kFontStrikeOut = 0x410, kFontUnderline = 0x411;

// Answers the next dialog box of this thread from inside its modal loop.
class DialogAnswerer : public test::TickAction {
public:
    explicit DialogAnswerer(std::function<void(HWND)> answer)
        : TickAction([answer] {
              HWND dlg = test::ThreadDialog();
              if (!dlg) return false;
              UpdateWindow(dlg);
              answer(dlg);
              return true;
          }) {}
    bool Answered() const { return done; }
};

void Press(HWND dlg, int id) {
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

void SelectInCombo(HWND dlg, int id, int index) {
    HWND combo = GetDlgItem(dlg, id);
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

int FindItem(HWND dlg, int id, const std::function<bool(const std::string&, LRESULT)>& match) {
    HWND combo = GetDlgItem(dlg, id);
    int n = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char text[128] = {};
        if (SendMessageA(combo, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof(text)))
            SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        if (match(text, SendMessageA(combo, CB_GETITEMDATA, i, 0))) return i;
    }
    return -1;
}

std::string ComboText(HWND dlg, int id) {
    char text[128] = {};
    GetDlgItemTextA(dlg, id, text, sizeof(text));
    return text;
}

class PickersTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner.Reset(CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                    nullptr, GetModuleHandleA(nullptr), nullptr));
        ASSERT_TRUE(owner);
    }
    UniqueWindow owner;
};

TEST_F(PickersTest, ColorStartsFromTheGivenColourAndOkReturnsTheChosenOne) {
    COLORREF customPixel = CLR_INVALID;
    HWND dialogOwner = nullptr;
    std::string red, green, blue;
    DialogAnswerer answer([&](HWND dlg) {
        dialogOwner = GetWindow(dlg, GW_OWNER);
        red = ComboText(dlg, kColorRed);
        green = ComboText(dlg, kColorGreen);
        blue = ComboText(dlg, kColorBlue);
        // Every custom colour starts white: sample the first swatch on screen.
        RECT box;
        GetWindowRect(GetDlgItem(dlg, kColorCustomBox), &box);
        ScreenDC screen;
        customPixel =
            GetPixel(screen.Get(), box.left + (box.right - box.left) / 16, box.top + (box.bottom - box.top) / 4);
        SetDlgItemTextA(dlg, kColorRed, "10");
        SetDlgItemTextA(dlg, kColorGreen, "20");
        SetDlgItemTextA(dlg, kColorBlue, "30");
        Press(dlg, IDOK);
    });
    std::uint32_t color = 0x00563412;
    EXPECT_TRUE(ShowColorDialog(color, owner.Get()));
    EXPECT_EQ(red + " " + green + " " + blue, "18 52 86");
    EXPECT_TRUE(answer.Answered());
    EXPECT_EQ(color, 0x001E140Au);
    EXPECT_EQ(dialogOwner, owner.Get());
    EXPECT_EQ(customPixel, 0x00FFFFFFu);
}

struct FontArgs {
    std::wstring name;
    std::int32_t size = 9;
    std::uint32_t color = 0x000000FF;
    std::int32_t weight = 400;
    std::uint8_t italic = 0, strikeOut = 0, underline = 0;
    std::int32_t charset = 0;
    bool Show(HWND owner) {
        return ShowFontDialog(owner, kTabFontDialogFlags, name, size, color, weight, italic, strikeOut, underline,
                              charset, kTabFontSizeMin, kTabFontSizeMax);
    }
};

TEST_F(PickersTest, FontDialogStartsFromTheGivenFontWithinTheSizeLimits) {
    const std::wstring face = test::ListedFace();
    ASSERT_FALSE(face.empty());
    std::string shownFace, shownSize, shownColor;
    std::vector<std::string> sizes;
    BOOL scriptEnabled = TRUE, strikeOut = FALSE, underline = TRUE;
    DialogAnswerer answer([&](HWND dlg) {
        shownFace = ComboText(dlg, kFontFace);
        shownSize = ComboText(dlg, kFontSize);
        FindItem(dlg, kFontSize, [&](const std::string& t, LRESULT) {
            sizes.push_back(t);
            return false;
        });
        HWND colors = GetDlgItem(dlg, kFontColor);
        shownColor = std::to_string(SendMessageA(colors, CB_GETITEMDATA, SendMessageA(colors, CB_GETCURSEL, 0, 0), 0));
        scriptEnabled = IsWindowEnabled(GetDlgItem(dlg, kFontScript));
        strikeOut = IsDlgButtonChecked(dlg, kFontStrikeOut);
        underline = IsDlgButtonChecked(dlg, kFontUnderline);
        Press(dlg, IDOK);
    });
    FontArgs f;
    f.name = face;
    f.strikeOut = 1;
    f.color = 0x00008000;
    ASSERT_TRUE(f.Show(owner.Get()));
    EXPECT_EQ(FromAnsi(shownFace), face);
    EXPECT_EQ(shownSize, "9");  // height 12 for 9 points
    EXPECT_EQ(shownColor, std::to_string(0x00008000));
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.front(), "7");
    EXPECT_EQ(sizes.back(), "24");
    EXPECT_FALSE(scriptEnabled);
    EXPECT_TRUE(strikeOut);
    EXPECT_FALSE(underline);
    // OK without changes gives the same font back.
    EXPECT_EQ(f.name, face);
    EXPECT_EQ(f.size, 9);
    EXPECT_EQ(f.weight, 400);
    EXPECT_EQ(f.strikeOut, 1);
    EXPECT_EQ(f.underline, 0);
    EXPECT_EQ(f.color, 0x00008000u);
}

TEST_F(PickersTest, FontOkReturnsTheChoiceWithSizesInWholePoints) {
    const std::wstring face = test::ListedFace();
    ASSERT_FALSE(face.empty());
    struct Case {
        const char* size;
        std::int32_t points;
    } cases[] = {{"11", 11}, {"24", 24}};
    for (const auto& c : cases) {
        DialogAnswerer answer([&](HWND dlg) {
            SelectInCombo(dlg, kFontFace,
                          FindItem(dlg, kFontFace, [&](const std::string& t, LRESULT) { return FromAnsi(t) == face; }));
            SelectInCombo(dlg, kFontStyle, FindItem(dlg, kFontStyle, [](const std::string&, LRESULT data) {
                              return LOWORD(data) == 700 && HIWORD(data) == 1;  // bold italic
                          }));
            SelectInCombo(dlg, kFontSize,
                          FindItem(dlg, kFontSize, [&](const std::string& t, LRESULT) { return t == c.size; }));
            SelectInCombo(dlg, kFontColor, FindItem(dlg, kFontColor, [](const std::string&, LRESULT data) {
                              return static_cast<COLORREF>(data) == 0x00800000;  // navy
                          }));
            CheckDlgButton(dlg, kFontUnderline, BST_CHECKED);
            SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(kFontUnderline, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dlg, kFontUnderline)));
            Press(dlg, IDOK);
        });
        FontArgs f;
        f.name = L"MS UI Gothic";
        f.charset = 128;
        ASSERT_TRUE(f.Show(owner.Get())) << c.size;
        EXPECT_EQ(f.name, face);
        EXPECT_EQ(f.size, c.points) << c.size;
        EXPECT_EQ(f.weight, 700);
        EXPECT_EQ(f.italic, 1);
        EXPECT_EQ(f.underline, 1);
        EXPECT_EQ(f.strikeOut, 0);
        EXPECT_EQ(f.color, 0x00800000u);
    }
}

TEST_F(PickersTest, AFaceNameTooLongForTheFieldIsCutAtACharacter) {
    // 20 double-byte characters: 40 bytes in code page 932.
    const std::wstring longName(20, L'\u8A2D');
    std::string shown;
    DialogAnswerer answer([&](HWND dlg) {
        shown = ComboText(dlg, kFontFace);
        Press(dlg, IDCANCEL);
    });
    FontArgs f;
    f.name = longName;
    EXPECT_FALSE(f.Show(owner.Get()));
    EXPECT_TRUE(answer.Answered());
    EXPECT_EQ(f.name, longName);
}

}  // namespace
}  // namespace brisko
