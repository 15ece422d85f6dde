// The settings dialog on the real window system: each test opens it on a live
// bar attached to an MDI client and drives it from inside its modal loop. A
// thread timer runs the steps of a script, one per tick; clicks are posted
// BM_CLICK messages and the width is typed as WM_CHAR characters, so
// everything goes through the dialog's own loop and the controls' own code.
#include "settings/dialog/win/config_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/win/gdi.h"
#include "settings/dialog/win/bar_frame.h"
#include "settings/win/listed_face_test.h"
#include "spinedit/win/spin_edit.h"

namespace brisko {
namespace {

using namespace config;

std::wstring Text(HWND h) {
    wchar_t buf[256] = {};
    GetWindowTextW(h, buf, 256);
    return buf;
}

std::wstring ItemText(HWND dlg, int id) {
    return Text(GetDlgItem(dlg, id));
}

LOGFONTW FontOf(HWND dlg, int id) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HGDIOBJ>(SendDlgItemMessageW(dlg, id, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

bool IsChecked(HWND dlg, int id) {
    return IsDlgButtonChecked(dlg, id) == BST_CHECKED;
}

// A visible dialog box (message box, colour or font dialog) owned by the settings dialog.
HWND OwnedDialog(HWND dlg) {
    HWND box = nullptr;
    while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
        if (box != dlg && IsWindowVisible(box) && GetWindow(box, GW_OWNER) == dlg) return box;
    }
    return nullptr;
}

// Real input through the system's queue.
void Input(INPUT down, INPUT up) {
    INPUT both[] = {down, up};
    SendInput(2, both, sizeof(INPUT));
}

// Steps run one per timer tick inside the dialog's loop (or a nested one).
// A step returns false to be tried again at the next tick.
class Script {
public:
    Script& Then(std::function<bool(HWND dlg)> s) {
        steps_.push_back(std::move(s));
        return *this;
    }
    Script& Do(std::function<void(HWND dlg)> f) {
        return Then([f = std::move(f)](HWND dlg) { return f(dlg), true; });
    }
    Script& Click(int id) {
        return Do([id](HWND dlg) { PostMessageW(GetDlgItem(dlg, id), BM_CLICK, 0, 0); });
    }
    // Replaces the width field's whole text with the first character.
    Script& TypeWidth(const std::wstring& chars) {
        for (std::size_t i = 0; i < chars.size(); ++i) {
            Do([this, ch = chars[i], first = i == 0](HWND dlg) {
                HWND edit = form_->WidthField()->hWndText();
                if (first) {
                    SendMessageW(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
                    SendMessageW(edit, EM_SETSEL, 0, -1);
                }
                PostMessageW(edit, WM_CHAR, ch, 1);
            });
        }
        return *this;
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

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        Script* s = t_current;
        HWND dlg = s && !s->running_ ? s->form_->hWnd() : nullptr;
        if (!dlg || !IsWindowVisible(dlg) || s->next_ == s->steps_.size()) return;
        if (++s->ticks_ > 2000) {
            // Stuck: get out of every nested box and the dialog, and fail.
            ADD_FAILURE() << "script stuck at step " << s->next_;
            if (HWND box = OwnedDialog(dlg)) PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
            PostMessageW(dlg, WM_CLOSE, 0, 0);
            s->next_ = s->steps_.size();
            return;
        }
        s->running_ = true;
        if (s->steps_[s->next_](dlg)) ++s->next_;
        s->running_ = false;
    }

    static inline thread_local Script* t_current = nullptr;
    std::vector<std::function<bool(HWND)>> steps_;
    std::size_t next_ = 0;
    int ticks_ = 0;
    bool running_ = false;
    frmConfig* form_ = nullptr;
};

struct Recorder : IConfigEvents {
    std::vector<std::int32_t> styles;
    void OnIconChange(std::int32_t eIconStyle) override { styles.push_back(eIconStyle); }
};

// Every bar property the dialog can touch.
struct BarState {
    std::int32_t align, style;
    std::int16_t tabWidth;
    FontSpec font, selFont;
    std::uint32_t fontColor, selFontColor;
    bool closeButton, scrollButton, scrollFit, autoDrag;
    friend bool operator==(const BarState&, const BarState&) = default;

    static BarState Of(const CMDITab& b) {
        return {b.Align(),        b.Style(),       b.TabWidth(),     b.Font(),      b.SelFont(), b.FontColor(),
                b.SelFontColor(), b.CloseButton(), b.ScrollButton(), b.ScrollFit(), b.AutoDrag()};
    }
};

class ConfigDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ide = BarFrame::Make();
        ASSERT_TRUE(ide.bar);
        bar = ide.bar.get();
    }

    // Bar values unlike the defaults everywhere, so that restoring is visible.
    void MakeUnusual() {
        FontSpec f = FontSpec::Make(L"MS UI Gothic", 11, true), sel = FontSpec::Make(L"ＭＳ Ｐゴシック", 10);
        f.italic = sel.underline = true;
        bar->SetAlign(1);
        bar->SetStyle(0);
        bar->SetTabWidth(150);
        bar->SetFont(f);
        bar->SetSelFont(sel);
        bar->SetFontColor(0x00123456);
        bar->SetSelFontColor(0x80000008);  // a system colour
        bar->SetCloseButton(false);
        bar->SetScrollButton(false);
        bar->SetScrollFit(true);
        bar->SetAutoDrag(false);
    }

    // Shows the dialog with the script; whatever the outcome, the window, the
    // owner's disabling and the bar's freeze are gone afterwards. Only a
    // failing sink may make ShowConfigWnd throw.
    bool Show(Script& script, IConfigEvents* sink = nullptr) {
        bool thrown = false, result = false;
        frmConfig form(ide.frame.Get(), sink ? sink : &events);
        shown = &form;
        try {
            result = script.Run(form, *bar, iconStyle, mouseWheel);
        } catch (const Error&) {
            thrown = true;
        }
        shown = nullptr;
        EXPECT_EQ(thrown, sink != nullptr) << "ShowConfigWnd's failure";
        EXPECT_EQ(form.hWnd(), nullptr) << "the window outlives ShowConfigWnd";
        EXPECT_TRUE(IsWindowEnabled(ide.frame.Get())) << "the owner stays disabled";
        EXPECT_FALSE(bar->LockUpdate());
        return result;
    }

    // The distance from the MDI client's window top to its client area: the
    // bar's strip when the bar is at the top.
    int ClientTopInset() const {
        RECT w{};
        GetWindowRect(ide.mdi, &w);
        POINT p{0, 0};
        ClientToScreen(ide.mdi, &p);
        return p.y - w.top;
    }

    BarFrame ide;
    CMDITab* bar = nullptr;
    Recorder events;
    std::int32_t iconStyle = 0;
    bool mouseWheel = true;
    frmConfig* shown = nullptr;
};

TEST_F(ConfigDialogTest, OpensModalShowingTheBarResetsAndTheCloseBoxRestoresTheSnapshot) {
    MakeUnusual();
    iconStyle = 2;
    mouseWheel = false;
    const BarState before = BarState::Of(*bar);
    Script s;
    s.Do([&](HWND dlg) {
        EXPECT_EQ(Text(dlg), L"Brisko - 3.45");  // this program's version resource
        RECT client{};
        GetClientRect(dlg, &client);
        EXPECT_EQ(client.right, 488);
        EXPECT_EQ(client.bottom, 280);
        EXPECT_FALSE(IsWindowEnabled(ide.frame.Get())) << "the dialog is modal to its owner";
        EXPECT_EQ(GetFocus(), GetDlgItem(dlg, kBtnOK));
        EXPECT_STREQ(FontOf(dlg, kBtnOK).lfFaceName, L"MS UI Gothic");
        // The width field as stored with the form, limits from loading.
        SpinEdit* width = SpinEdit::FromWindow(GetDlgItem(dlg, kTxtWidth));
        ASSERT_TRUE(width);
        EXPECT_EQ(width->Min(), 40);
        EXPECT_EQ(width->Max(), 320);
        EXPECT_EQ(width->Caption(), L"タブの幅");
        // The controls show the bar.
        for (int id : std::initializer_list<int>{kOptAlign1, kOptStyle1, kOptIcon0 + 2, kChkClose, kChkScroll, kChkFit,
                                                 kChkDrag, kChkWheel}) {
            EXPECT_TRUE(IsChecked(dlg, id)) << id;
        }
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, kTxtWidth)));
        EXPECT_EQ(ItemText(dlg, kTxtWidth), L"150");
        EXPECT_EQ(ItemText(dlg, kLblNormal), L"MS UI Gothic 11pt");
        const LOGFONTW normal = FontOf(dlg, kLblNormal);
        EXPECT_EQ(normal.lfWeight, 700);
        EXPECT_TRUE(normal.lfItalic);
        EXPECT_EQ(normal.lfHeight, -15);
        EXPECT_EQ(ItemText(dlg, kLblActive), L"ＭＳ Ｐゴシック 10pt");
        EXPECT_TRUE(FontOf(dlg, kLblActive).lfUnderline);
        // Tab enters an option group at its chosen option.
        EXPECT_EQ(GetNextDlgTabItem(dlg, GetDlgItem(dlg, kBtnCancel), FALSE), GetDlgItem(dlg, kOptAlign1));
        EXPECT_TRUE(events.styles.empty()) << "filling the controls raised an event";
        EXPECT_EQ(BarState::Of(*bar), before) << "filling the controls wrote to the bar";
    });
    // Reset goes through the controls, so the bar shows the defaults at once.
    s.Click(kBtnReset).Do([&](HWND dlg) {
        const FontSpec dialogFont = FontSpec::Make(L"MS UI Gothic", 9);
        EXPECT_EQ(BarState::Of(*bar), (BarState{0, 1, 120, dialogFont, dialogFont, bar->DefaultFontColor(),
                                                bar->DefaultSelFontColor(), true, true, false, true}));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, kTxtWidth)));
        EXPECT_EQ(ItemText(dlg, kTxtWidth), L"120");
        EXPECT_EQ(ItemText(dlg, kLblNormal), L"MS UI Gothic 9pt");
        EXPECT_EQ(ItemText(dlg, kLblActive), L"MS UI Gothic 9pt");
        EXPECT_TRUE(IsChecked(dlg, kOptIcon0));
        EXPECT_FALSE(IsChecked(dlg, kChkWheel));
    });
    // The close box cancels like the Cancel button.
    s.Do([](HWND dlg) { PostMessageW(dlg, WM_SYSCOMMAND, SC_CLOSE, 0); });
    EXPECT_FALSE(Show(s));
    EXPECT_EQ(BarState::Of(*bar), before);
    EXPECT_EQ(events.styles, (std::vector<std::int32_t>{0, 2}));
    EXPECT_EQ(iconStyle, 2);
    EXPECT_FALSE(mouseWheel);
}

TEST_F(ConfigDialogTest, LiveChangesShowOnTheBarAtOnceAndCancelUndoesThem) {
    const BarState before = BarState::Of(*bar);
    const int insetAtTop = ClientTopInset();
    Script s;
    s.Click(kOptAlign1).Click(kOptStyle1).Do([&](HWND dlg) {
        EXPECT_EQ(bar->Align(), 1);
        EXPECT_LT(ClientTopInset(), insetAtTop) << "the bar's strip left the top of the MDI client";
        EXPECT_EQ(bar->Style(), 0);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, kTxtWidth)));
    });
    // 2 and 20 are below the minimum and reach nothing; 200 is applied as it appears.
    s.TypeWidth(L"20").Do([&](HWND) { EXPECT_EQ(bar->TabWidth(), before.tabWidth); });
    // OK with it shows the field's message and the dialog stays open.
    s.Click(kBtnOK).Answer(IDOK, [](HWND box) {
        std::wstring text;
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) text += Text(c);
        EXPECT_NE(text.find(L"タブの幅の入力が最小値を下回っています。"), std::wstring::npos) << text.size();
        EXPECT_NE(text.find(L"40 ～ 320 の範囲で入力して下さい。"), std::wstring::npos);
    });
    s.Do([&](HWND dlg) { EXPECT_TRUE(IsWindowVisible(dlg)); });
    s.TypeWidth(L"200").Do([&](HWND) { EXPECT_EQ(bar->TabWidth(), 200); });
    s.Click(kChkClose).Click(kChkScroll).Click(kChkFit).Click(kChkDrag).Do([&](HWND) {
        EXPECT_FALSE(bar->CloseButton());
        EXPECT_FALSE(bar->ScrollButton());
        EXPECT_TRUE(bar->ScrollFit());
        EXPECT_FALSE(bar->AutoDrag());
    });
    s.Click(kChkWheel).Click(kOptIcon0 + 3).Click(kOptIcon0 + 1).Do([&](HWND dlg) {
        EXPECT_EQ(events.styles, (std::vector<std::int32_t>{3, 1}));
        EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(dlg, kOptIcon0 + 1), GWL_STYLE) & WS_TABSTOP, WS_TABSTOP);
        EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(dlg, kOptIcon0), GWL_STYLE) & WS_TABSTOP, 0);
        // A second showing from inside the first is refused and leaves the first alone.
        std::int32_t icon = 0;
        bool wheel = true;
        EXPECT_THROW(shown->ShowConfigWnd(*bar, icon, wheel), Error);
        EXPECT_TRUE(IsWindowVisible(dlg));
    });
    s.Click(kBtnCancel);
    EXPECT_FALSE(Show(s));
    EXPECT_EQ(BarState::Of(*bar), before);
    EXPECT_EQ(ClientTopInset(), insetAtTop);
    EXPECT_EQ(events.styles, (std::vector<std::int32_t>{3, 1, 0}));
    EXPECT_EQ(iconStyle, 0);
    EXPECT_TRUE(mouseWheel);
}

// The common dialogs' control numbers.
constexpr int kColorRed = 706, kColorGreen = 707, kColorBlue = 708, kColorCustomBox = 721;
constexpr int kFontFace = 0x470, kFontStyle = 0x471, kFontSize = 0x472, kFontColor = 0x473, kFontScript = 0x474;
constexpr int kFontStrikeOut = 0x410, kFontUnderline = 0x411;

std::string BoxText(HWND box, int id, int item = -1) {
    char text[128] = {};
    if (item < 0) {
        GetDlgItemTextA(box, id, text, sizeof text);
    } else if (SendDlgItemMessageA(box, id, CB_GETLBTEXTLEN, item, 0) < static_cast<LRESULT>(sizeof text)) {
        SendDlgItemMessageA(box, id, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text));
    }
    return text;
}

// Chooses the first item of a combo box for which `match` holds, as a user would.
void Choose(HWND box, int id, const std::function<bool(const std::string&, LRESULT)>& match) {
    const int n = static_cast<int>(SendDlgItemMessageA(box, id, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        if (!match(BoxText(box, id, i), SendDlgItemMessageA(box, id, CB_GETITEMDATA, i, 0))) continue;
        SendDlgItemMessageA(box, id, CB_SETCURSEL, i, 0);
        SendMessageA(box, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
        return;
    }
    ADD_FAILURE() << "nothing to choose in " << id;
}

// The font and colour buttons go through the common dialogs, which start
// from the bar's values; a cancelled picker changes nothing, OK applies the
// choice to the bar and the preview.
TEST_F(ConfigDialogTest, FontAndColourButtonsApplyThePickersChoice) {
    const std::wstring face = test::ListedFace();
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
        EXPECT_EQ(BoxText(box, kColorRed) + " " + BoxText(box, kColorGreen) + " " + BoxText(box, kColorBlue),
                  "18 52 86");
        // Every custom colour starts white: sample the first swatch on screen.
        RECT r;
        GetWindowRect(GetDlgItem(box, kColorCustomBox), &r);
        UpdateWindow(box);
        ScreenDC screen;
        EXPECT_EQ(GetPixel(screen.Get(), r.left + (r.right - r.left) / 16, r.top + (r.bottom - r.top) / 4), 0xFFFFFFu);
        SetDlgItemTextA(box, kColorRed, "10");
        SetDlgItemTextA(box, kColorGreen, "20");
        SetDlgItemTextA(box, kColorBlue, "30");
    });
    s.Do([&](HWND) { EXPECT_EQ(bar->FontColor(), 0x001E140Au); });
    s.Click(kBtnActiveColor).Answer(IDOK).Do([&](HWND) {
        EXPECT_EQ(bar->SelFontColor(), static_cast<std::uint32_t>(GetSysColor(COLOR_WINDOWTEXT)));
    });
    // The picker starts from whole points (9.5 to even is 10) within the size limits.
    s.Click(kBtnNormalFont).Answer(IDOK, [&](HWND box) {
        EXPECT_EQ(BoxText(box, kFontFace), std::string(face.begin(), face.end()));
        EXPECT_EQ(BoxText(box, kFontSize), "10");
        EXPECT_EQ(BoxText(box, kFontSize, 0), "7");
        EXPECT_EQ(BoxText(box, kFontSize, static_cast<int>(SendDlgItemMessageA(box, kFontSize, CB_GETCOUNT, 0, 0)) - 1),
                  "24");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(box, kFontScript)));
        EXPECT_TRUE(IsDlgButtonChecked(box, kFontStrikeOut));
        EXPECT_FALSE(IsDlgButtonChecked(box, kFontUnderline));
        Choose(box, kFontStyle, [](const std::string&, LRESULT d) { return LOWORD(d) == 700 && HIWORD(d) == 1; });
        Choose(box, kFontSize, [](const std::string& t, LRESULT) { return t == "11"; });
        Choose(box, kFontColor, [](const std::string&, LRESULT d) { return d == 0x00800000; });  // navy
        CheckDlgButton(box, kFontUnderline, BST_CHECKED);
        SendMessageA(box, WM_COMMAND, MAKEWPARAM(kFontUnderline, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, kFontUnderline)));
    });
    s.Do([&](HWND dlg) {
        const FontSpec f = bar->Font();
        EXPECT_EQ(f.name, face);
        EXPECT_EQ(f.sizeCy, 110000);
        EXPECT_EQ(f.weight, 700);
        EXPECT_TRUE(f.italic && f.underline && f.strikethrough);
        EXPECT_EQ(bar->FontColor(), 0x00800000u);
        EXPECT_EQ(ItemText(dlg, kLblNormal), face + L" 11pt");
        EXPECT_EQ(FontOf(dlg, kLblNormal).lfHeight, -15);
    });
    // A face name too long for the dialog's field is cut at a character.
    s.Click(kBtnActiveFont).Answer(IDCANCEL).Do([&](HWND) { EXPECT_EQ(bar->SelFont(), longName); });
    s.Click(kBtnOK);
    EXPECT_TRUE(Show(s));
    EXPECT_EQ(bar->FontColor(), 0x00800000u);
}

TEST_F(ConfigDialogTest, AFailingIconHandlerNeitherClosesTheDialogNorStopsTheRestore) {
    struct Throwing : IConfigEvents {
        int calls = 0;
        void OnIconChange(std::int32_t) override {
            ++calls;
            throw Error(ErrorNumber::Automation, "icons failed");
        }
    } throwing;
    MakeUnusual();
    const BarState before = BarState::Of(*bar);
    Script s;
    s.Click(kOptIcon0 + 1).Click(kChkScroll).Do([&](HWND dlg) {
        EXPECT_EQ(throwing.calls, 1);
        EXPECT_TRUE(IsWindowVisible(dlg));
        EXPECT_TRUE(bar->ScrollButton());
    });
    s.Click(kBtnCancel);
    Show(s, &throwing);  // the restoring call's failure is rethrown
    EXPECT_EQ(throwing.calls, 2);
    EXPECT_EQ(BarState::Of(*bar), before) << "the settings after the event were not restored";
}

// Fixed width chosen, the field spins with real Up/Down keys and real clicks
// on its arrows, the bar's width following; OK keeps the live changes and
// hands back the icon style and the wheel switch.
TEST_F(ConfigDialogTest, FixedWidthFieldSpinsWithUpDownAndItsArrowsAndOkKeepsTheChanges) {
    const auto key = [](WORD vk) {
        return [vk](HWND) {
            INPUT down{INPUT_KEYBOARD, {}}, up{INPUT_KEYBOARD, {}};
            down.ki = {vk, 0, KEYEVENTF_EXTENDEDKEY, 0, 0};
            up.ki = {vk, 0, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0, 0};
            Input(down, up);
        };
    };
    // A real click on the upper or lower arrow of the field's spin bar.
    const auto arrow = [this](bool upper) {
        return [this, upper](HWND) {
            RECT r{};
            GetWindowRect(shown->WidthField()->hWndSpin(), &r);
            SetCursorPos((r.left + r.right) / 2, upper ? r.top + 3 : r.bottom - 3);
            INPUT down{INPUT_MOUSE, {}}, up{INPUT_MOUSE, {}};
            down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
            up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
            Input(down, up);
        };
    };
    // Waits for the input to arrive: the field shows the width and the bar has it.
    const auto shows = [this](std::int16_t width) {
        return [this, width](HWND dlg) {
            return ItemText(dlg, kTxtWidth) == std::to_wstring(width) && bar->TabWidth() == width;
        };
    };
    bar->SetTabWidth(150);
    Script s;
    s.Click(kOptAlign1).Click(kChkDrag).Click(kChkWheel).Click(kOptIcon0 + 2);
    s.Click(kOptStyle1).Do([&](HWND dlg) {
        SetForegroundWindow(dlg);
        SendMessageW(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(shown->WidthField()->hWndText()), TRUE);
    });
    s.Do(key(VK_UP)).Then(shows(151)).Do(key(VK_DOWN)).Then(shows(150)).Do(key(VK_DOWN)).Then(shows(149));
    s.Do(arrow(false)).Then(shows(148)).Do(arrow(true)).Then(shows(149));
    s.Click(kBtnOK);
    EXPECT_TRUE(Show(s));
    EXPECT_EQ(bar->TabWidth(), 149);
    EXPECT_EQ(bar->Align(), 1);
    EXPECT_EQ(bar->Style(), 0);
    EXPECT_FALSE(bar->AutoDrag());
    EXPECT_EQ(iconStyle, 2);
    EXPECT_FALSE(mouseWheel);
    EXPECT_EQ(events.styles, std::vector<std::int32_t>{2}) << "OK raises nothing more";
}

}  // namespace
}  // namespace brisko
