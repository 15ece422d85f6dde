// The settings dialog on the real window system: each test opens it on a live
// bar attached to an MDI client and drives it from inside its modal loop. A
// thread timer runs the steps of a script, one per tick; clicks are posted
// BM_CLICK messages and the width is typed as WM_CHAR characters, so
// everything goes through the dialog's own loop and the controls' own code.
#include "settings/dialog/win/config_dialog.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/win/gdi.h"
#include "common/win/ui_text.h"
#include "settings/dialog/win/bar_frame.h"
#include "settings/settings.h"
#include "spinedit/win/spin_edit.h"

namespace brisko {
namespace {

using namespace config;

// A window's text, or its dialog item's.
std::wstring Text(HWND h, int item = 0) {
    wchar_t buf[256] = {};
    GetWindowTextW(item ? GetDlgItem(h, item) : h, buf, 256);
    return buf;
}

LOGFONTW FontOf(HWND dlg, int id) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HGDIOBJ>(SendDlgItemMessageW(dlg, id, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

// A visible dialog box (message box, colour or font dialog) owned by the settings dialog.
HWND OwnedDialog(HWND dlg) {
    for (HWND box = nullptr; (box = FindWindowExW(nullptr, box, L"#32770", nullptr));)
        if (IsWindowVisible(box) && GetWindow(box, GW_OWNER) == dlg) return box;
    return nullptr;
}

// A face the font dialog lists: Wine lists neither its own fonts nor
// substituted names, so look for a common free face.
std::wstring ListedFace() {
    for (const wchar_t* face : {L"Liberation Sans", L"DejaVu Sans", L"Nimbus Sans"}) {
        LOGFONTW lf{};
        lf.lfCharSet = DEFAULT_CHARSET;
        std::wcscpy(lf.lfFaceName, face);
        bool found = false;
        const auto seen = [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM p) -> int {
            return *reinterpret_cast<bool*>(p) = true, 0;
        };
        EnumFontFamiliesExW(ScreenDC().Get(), &lf, seen, reinterpret_cast<LPARAM>(&found), 0);
        if (found) return face;
    }
    return L"";
}

// Steps run one per timer tick inside the dialog's loop (or a nested one).
// A step returns false to be tried again at the next tick.
class Script {
public:
    Script& Then(std::function<bool(HWND dlg)> s) { return steps_.push_back(std::move(s)), *this; }
    Script& Do(std::function<void(HWND dlg)> f) {
        return Then([f](HWND dlg) { return f(dlg), true; });
    }
    Script& Click(int id) {
        return Do([id](HWND dlg) { PostMessageW(GetDlgItem(dlg, id), BM_CLICK, 0, 0); });
    }
    // Replaces the width field's whole text by typing.
    Script& TypeWidth(const std::wstring& chars) {
        return Do([this, chars](HWND dlg) {
            HWND edit = form_->WidthField()->hWndText();
            SendMessageW(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
            SendMessageW(edit, EM_SETSEL, 0, -1);
            for (wchar_t ch : chars) PostMessageW(edit, WM_CHAR, ch, 1);
        });
    }
    // Waits for a dialog box owned by the settings dialog, answers it with
    // `command` and waits for it to go; `check` sees the box first.
    Script& Answer(WPARAM command, std::function<void(HWND box)> check = nullptr) {
        Then([check, command](HWND dlg) {
            HWND box = OwnedDialog(dlg);
            if (box && check) check(box);
            return box && PostMessageW(box, WM_COMMAND, command, 0);
        });
        return Then([](HWND dlg) { return OwnedDialog(dlg) == nullptr; });
    }

    // Shows the form with this script running in its loop.
    bool Run(frmConfig& form, CMDITab& bar, std::int32_t& icon, bool& wheel) {
        form_ = &form;
        t_current = this;
        struct Stop {
            UINT_PTR timer = SetTimer(nullptr, 0, 15, &Script::Tick);
            ~Stop() { KillTimer(nullptr, timer), t_current = nullptr; }
        } stop;
        const bool result = form.ShowConfigWnd(bar, icon, wheel);
        EXPECT_EQ(next_, steps_.size()) << "the dialog closed before every step ran";
        return result;
    }
    frmConfig* form_ = nullptr;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        Script* s = t_current;
        HWND dlg = s ? s->form_->hWnd() : nullptr;
        if (!dlg || !IsWindowVisible(dlg) || s->next_ == s->steps_.size()) return;
        if (++s->ticks_ > 2000) {  // stuck: get out of every nested box and the dialog, and fail
            ADD_FAILURE() << "script stuck at step " << s->next_;
            PostMessageW(OwnedDialog(dlg) ? OwnedDialog(dlg) : dlg, WM_CLOSE, 0, 0);
            return;
        }
        if (s->steps_[s->next_](dlg)) ++s->next_;
    }

    static inline thread_local Script* t_current = nullptr;
    std::vector<std::function<bool(HWND)>> steps_;
    std::size_t next_ = 0;
    int ticks_ = 0;
};

// Records the icon styles; a failing one also throws, as a host's handler may.
struct Recorder : IConfigEvents {
    std::vector<std::int32_t> styles;
    bool fails = false;
    void OnIconChange(std::int32_t eIconStyle) override {
        styles.push_back(eIconStyle);
        if (fails) throw Error(ErrorNumber::Automation, "icons failed");
    }
};

class ConfigDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bar); }

    // Every bar property the dialog can touch.
    Settings State() const { return CaptureSettings(*bar, 0, true); }

    // Shows the dialog with the script; whatever the outcome, the window, the
    // owner's disabling and the bar's freeze are gone afterwards. Only a
    // failing handler may make ShowConfigWnd throw.
    bool Show(Script& script) {
        bool thrown = false, result = false;
        frmConfig form(ide.frame.Get(), &events);
        try {
            result = script.Run(form, *bar, iconStyle, mouseWheel);
        } catch (const Error&) {
            thrown = true;
        }
        EXPECT_EQ(thrown, events.fails) << "ShowConfigWnd's failure";
        EXPECT_EQ(form.hWnd(), nullptr) << "the window outlives ShowConfigWnd";
        EXPECT_TRUE(IsWindowEnabled(ide.frame.Get())) << "the owner stays disabled";
        EXPECT_FALSE(bar->LockUpdate());
        return result;
    }

    // The top of the MDI client's client area on the screen: below the bar's
    // strip when the bar is at the top.
    int ClientTop() const {
        POINT p{0, 0};
        ClientToScreen(ide.mdi, &p);
        return p.y;
    }

    BarFrame ide = BarFrame::Make();
    CMDITab* bar = ide.bar.get();
    Recorder events;
    std::int32_t iconStyle = 0;
    bool mouseWheel = true;
};

// One showing: it opens modal with the bar's values, every change shows on
// the bar at once, Reset puts the defaults through the controls, and the
// close box cancels everything as the Cancel button does.
TEST_F(ConfigDialogTest, OpensWithTheBarChangesItLiveResetsAndTheCloseBoxRestoresIt) {
    // Bar values unlike the defaults everywhere, so that restoring is visible.
    // No close or scroll buttons, smooth scrolling off, no drag, no wheel; the
    // selected tab's colour a system colour.
    const TabFontSettings font{L"MS UI Gothic", 11, 0x00123456u, true, true, false, false},
        selFont{L"ＭＳ Ｐゴシック", 10, 0x80000008u, false, false, false, true};
    const Settings unusual{{false, false, true, false, false}, 1, 0, 150, font, selFont, 2};
    ApplySettings(unusual, *bar, iconStyle, mouseWheel);
    const Settings before = State();
    const int topAtBottom = ClientTop();
    Script s;
    s.Do([&](HWND dlg) {
        EXPECT_EQ(Text(dlg), L"Brisko - 3.45");  // this program's version resource
        RECT client{};
        GetClientRect(dlg, &client);
        EXPECT_EQ(std::pair(client.right, client.bottom), std::pair(488L, 280L)) << "the form's size in pixels";
        EXPECT_FALSE(IsWindowEnabled(ide.frame.Get())) << "the dialog is modal to its owner";
        EXPECT_EQ(GetFocus(), GetDlgItem(dlg, kBtnOK));
        for (int id : std::initializer_list<int>{kOptAlign1, kOptStyle1, kOptIcon0 + 2, kChkClose, kChkFit, kChkWheel})
            EXPECT_EQ(IsDlgButtonChecked(dlg, id), BST_CHECKED) << id;
        EXPECT_EQ(Text(dlg, kTxtWidth), L"150");
        EXPECT_EQ(Text(dlg, kLblNormal), L"MS UI Gothic 11pt");
        const LOGFONTW normal = FontOf(dlg, kLblNormal);
        EXPECT_TRUE(normal.lfWeight == 700 && normal.lfItalic && normal.lfHeight == -15);
        EXPECT_TRUE(FontOf(dlg, kLblActive).lfUnderline);
        // Tab enters an option group at its chosen option.
        EXPECT_EQ(GetNextDlgTabItem(dlg, GetDlgItem(dlg, kBtnCancel), FALSE), GetDlgItem(dlg, kOptAlign1));
        EXPECT_EQ(State(), before) << "filling the controls wrote to the bar";
    });
    s.Click(kOptAlign0).Click(kChkClose).Click(kChkFit).Do([&](HWND) {
        EXPECT_GT(ClientTop(), topAtBottom) << "the bar's strip moved to the top of the MDI client";
        EXPECT_TRUE(bar->CloseButton());
        EXPECT_FALSE(bar->ScrollFit());
    });
    // 2 and 20 are below the minimum and reach nothing; 200 is applied as it appears.
    s.TypeWidth(L"20").Do([&](HWND) { EXPECT_EQ(bar->TabWidth(), 150); });
    // OK with it shows the field's message and the dialog stays open.
    s.Click(kBtnOK).Answer(IDOK, [](HWND box) {
        std::wstring text;
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) text += Text(c);
        EXPECT_NE(text.find(L"タブの幅の入力が最小値を下回っています。"), std::wstring::npos) << text.size();
        EXPECT_NE(text.find(L"40 ～ 320 の範囲で入力して下さい。"), std::wstring::npos);
    });
    s.TypeWidth(L"200").Do([&](HWND) { EXPECT_EQ(bar->TabWidth(), 200); });
    s.Click(kOptIcon0 + 3).Click(kOptIcon0 + 1).Do([&](HWND dlg) {
        EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(dlg, kOptIcon0 + 1), GWL_STYLE) & WS_TABSTOP, WS_TABSTOP);
        EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(dlg, kOptIcon0 + 2), GWL_STYLE) & WS_TABSTOP, 0);
        // A second showing from inside the first is refused and leaves the first alone.
        EXPECT_THROW(s.form_->ShowConfigWnd(*bar, iconStyle, mouseWheel), Error);
        EXPECT_TRUE(IsWindowVisible(dlg));
    });
    s.Click(kBtnReset).Do([&](HWND dlg) {
        Settings defaults;
        defaults.font.color = bar->DefaultFontColor();
        defaults.selFont.color = bar->DefaultSelFontColor();
        EXPECT_EQ(State(), defaults);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, kTxtWidth)));
        EXPECT_EQ(Text(dlg, kLblActive), L"MS UI Gothic 9pt");
        EXPECT_EQ(IsDlgButtonChecked(dlg, kChkWheel), BST_UNCHECKED);
    });
    // A failing icon handler neither closes the dialog nor stops the restore;
    // the restoring call's failure is rethrown.
    s.Do([&](HWND) { events.fails = true; }).Click(kOptIcon0 + 1).Do([&](HWND dlg) {
        EXPECT_TRUE(IsWindowVisible(dlg));
        PostMessageW(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_FALSE(Show(s));
    EXPECT_EQ(State(), before);
    EXPECT_EQ(ClientTop(), topAtBottom);
    EXPECT_EQ(events.styles, (std::vector<std::int32_t>{3, 1, 0, 1, 2}));
    EXPECT_EQ(iconStyle, 2);
    EXPECT_FALSE(mouseWheel);
}

// The English form: every caption fits its control, and a bad width is named
// in English. (The Japanese form keeps the original design's places, made
// for MS UI Gothic, whose narrow kana Wine's stand-in font does not have.)
TEST_F(ConfigDialogTest, TheEnglishFormFitsItsWordsAndNamesABadWidthInEnglish) {
    ChooseTextLanguage(Language::English);
    struct Restore {
        ~Restore() { ChooseTextLanguage(); }
    } restore;
    Script s;
    s.Do([](HWND dlg) {
        const int box = GetSystemMetrics(SM_CXMENUCHECK) + 4, frameCorners = 16, buttonEdges = 8;
        for (const ControlDef& c : Controls()) {
            const HWND h = GetDlgItem(dlg, c.id);
            std::wstring text = Text(dlg, c.id);
            std::erase(text, L'&');
            const WindowDC dc(h, DcArea::Client);
            SelectInDC font(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
            SIZE size{};
            GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
            RECT rc{};
            GetClientRect(h, &rc);
            const bool marked = c.kind == Kind::Option || c.kind == Kind::Check;
            const bool button = c.kind == Kind::Button || c.kind == Kind::DefaultButton || c.kind == Kind::CancelButton;
            const int edges = marked ? box : button ? buttonEdges : c.kind == Kind::Frame ? frameCorners : 0;
            EXPECT_LE(size.cx, rc.right - edges) << c.name;
        }
    });
    s.Click(kOptStyle1).TypeWidth(L"20").Click(kBtnOK).Answer(IDOK, [](HWND box) {
        EXPECT_EQ(Text(box) + L"|" + Text(box, 0xFFFF),  // the message box's text
                  L"Invalid Entry|The tab width is smaller than the minimum.\r\nEnter a number from 40 to 320.");
    });
    s.Click(kBtnCancel);
    EXPECT_FALSE(Show(s));
}

// The common dialogs' control numbers.
constexpr int kColorRed = 706, kColorGreen = 707, kColorBlue = 708, kColorCustomBox = 721;
constexpr int kFontFace = 0x470, kFontSize = 0x472, kFontColor = 0x473;
constexpr int kFontStrikeOut = 0x410;

// Chooses an item of a combo box as a user would.
void Choose(HWND box, int id, LRESULT item) {
    SendDlgItemMessageA(box, id, CB_SETCURSEL, item, 0);
    SendMessageA(box, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

// Real input through the system's queue: an extended key, or a left click at a point.
void PressKey(WORD vk) {
    INPUT in[2] = {{INPUT_KEYBOARD, {.ki = {vk, 0, KEYEVENTF_EXTENDEDKEY, 0, 0}}},
                   {INPUT_KEYBOARD, {.ki = {vk, 0, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0, 0}}}};
    SendInput(2, in, sizeof(INPUT));
}
void ClickAt(int x, int y) {
    SetCursorPos(x, y);
    INPUT in[2] = {{INPUT_MOUSE, {.mi = {0, 0, 0, MOUSEEVENTF_LEFTDOWN, 0, 0}}},
                   {INPUT_MOUSE, {.mi = {0, 0, 0, MOUSEEVENTF_LEFTUP, 0, 0}}}};
    SendInput(2, in, sizeof(INPUT));
}

// The font and colour buttons go through the common dialogs, which start
// from the bar's values; a cancelled picker changes nothing, OK applies the
// choice to the bar and the preview. Then the fixed width field spins with
// real Up/Down keys and real clicks on its arrows, the bar's width
// following; OK keeps the live changes and hands back the icon style and
// the wheel switch.
TEST_F(ConfigDialogTest, PickersApplyTheirChoiceTheWidthSpinsWithRealInputAndOkKeepsTheChanges) {
    const std::wstring face = ListedFace();
    ASSERT_FALSE(face.empty());
    FontSpec start = FontSpec::Make(face, 9.5);
    start.charset = 0;
    start.strikethrough = true;
    bar->SetFont(start);
    FontSpec longName = FontSpec::Make(std::wstring(20, L'\u8A2D'), 9);  // 40 bytes in code page 932
    bar->SetSelFont(longName);
    bar->SetFontColor(0x00563412);
    bar->SetSelFontColor(0x80000008);  // a system colour: the picker gets its RGB
    Script s;
    s.Click(kBtnNormalColor).Answer(IDCANCEL).Do([&](HWND) { EXPECT_EQ(bar->FontColor(), 0x00563412u); });
    s.Click(kBtnNormalColor).Answer(IDOK, [](HWND box) {
        EXPECT_EQ(Text(box, kColorRed) + L" " + Text(box, kColorGreen) + L" " + Text(box, kColorBlue), L"18 52 86");
        // Every custom colour starts white: sample the first swatch as the box
        // has painted it (read from the box's own surface: what reaches the
        // screen under Wine waits for the message loop).
        RECT r;
        GetWindowRect(GetDlgItem(box, kColorCustomBox), &r);
        POINT at{(r.left * 15 + r.right) / 16, (r.top * 3 + r.bottom) / 4};
        ScreenToClient(box, &at);
        UpdateWindow(box);
        EXPECT_EQ(GetPixel(WindowDC(box, DcArea::Client).Get(), at.x, at.y), 0xFFFFFFu);
        for (auto [id, value] : {std::pair{kColorRed, "10"}, {kColorGreen, "20"}, {kColorBlue, "30"}})
            SetDlgItemTextA(box, id, value);
    });
    s.Do([&](HWND) { EXPECT_EQ(bar->FontColor(), 0x001E140Au); });
    s.Click(kBtnActiveColor).Answer(IDOK).Do([&](HWND) {
        EXPECT_EQ(bar->SelFontColor(), static_cast<std::uint32_t>(GetSysColor(COLOR_WINDOWTEXT)));
    });
    // The picker starts from whole points (9.5 to even is 10).
    s.Click(kBtnNormalFont).Answer(IDOK, [&](HWND box) {
        EXPECT_EQ(std::pair(Text(box, kFontFace), Text(box, kFontSize)), std::pair(face, std::wstring(L"10")));
        EXPECT_TRUE(IsDlgButtonChecked(box, kFontStrikeOut));
        Choose(box, kFontSize,
               SendDlgItemMessageA(box, kFontSize, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>("11")));
        for (int i = 0; i < 16; ++i)
            if (SendDlgItemMessageA(box, kFontColor, CB_GETITEMDATA, i, 0) == 0x00800000) Choose(box, kFontColor, i);
    });
    s.Do([&](HWND dlg) {
        const FontSpec f = bar->Font();
        EXPECT_TRUE(f.name == face && f.sizeCy == 110000 && f.strikethrough);
        EXPECT_EQ(bar->FontColor(), 0x00800000u);
        EXPECT_EQ(Text(dlg, kLblNormal), face + L" 11pt");
    });
    // A face name too long for the dialog's field is cut at a character.
    s.Click(kBtnActiveFont).Answer(IDCANCEL).Do([&](HWND) { EXPECT_EQ(bar->SelFont(), longName); });

    // Waits for the input to arrive: the field shows the width and the bar has it.
    const auto shows = [this](std::int16_t width) {
        return [this, width](HWND dlg) {
            return Text(dlg, kTxtWidth) == std::to_wstring(width) && bar->TabWidth() == width;
        };
    };
    // A real click on the upper or lower arrow of the field's spin bar.
    const auto arrow = [&s](bool upper) {
        return [&s, upper](HWND) {
            RECT r{};
            GetWindowRect(s.form_->WidthField()->hWndSpin(), &r);
            ClickAt((r.left + r.right) / 2, upper ? r.top + 3 : r.bottom - 3);
        };
    };
    s.Click(kChkWheel).Click(kOptIcon0 + 2).Click(kOptStyle1).Do([&](HWND dlg) {
        SetForegroundWindow(dlg);
        SendMessageW(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(s.form_->WidthField()->hWndText()), TRUE);
    });
    s.Do([](HWND) { PressKey(VK_UP); }).Then(shows(121));
    s.Do([](HWND) { PressKey(VK_DOWN); }).Then(shows(120)).Do([](HWND) { PressKey(VK_DOWN); }).Then(shows(119));
    s.Do(arrow(false)).Then(shows(118)).Do(arrow(true)).Then(shows(119));
    s.Click(kBtnOK);
    EXPECT_TRUE(Show(s));
    EXPECT_EQ(bar->TabWidth(), 119);
    EXPECT_EQ(iconStyle, 2);
    EXPECT_FALSE(mouseWheel);
    EXPECT_EQ(events.styles, std::vector<std::int32_t>{2}) << "OK raises nothing more";
}

}  // namespace
}  // namespace brisko
