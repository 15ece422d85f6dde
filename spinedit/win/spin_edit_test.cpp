#include "spinedit/win/spin_edit.h"

#include <gtest/gtest.h>
#include <imm.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "common/win/handles.h"
#include "tests/tick_action.h"

namespace brisko {
namespace {

using test::TickAction;

void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    MSG msg;
    do {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

bool Extended(WORD vk) {
    return (vk >= VK_END && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE || vk == VK_APPS;
}

// The virtual key and its scan code together, as a keyboard driver gives them.
void SendKey(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = (Extended(vk) ? KEYEVENTF_EXTENDEDKEY : 0) | (up ? KEYEVENTF_KEYUP : 0);
    SendInput(1, &in, sizeof in);
}

// One key with modifiers held, released in reverse order.
void Tap(WORD vk, std::initializer_list<WORD> mods = {}) {
    for (WORD m : mods) SendKey(m, false);
    SendKey(vk, false);
    Pump(20);
    SendKey(vk, true);
    for (auto it = std::rbegin(mods); it != std::rend(mods); ++it) SendKey(*it, true);
    Pump(30);
}

// Typing on the US layout that Wine reads from the X server here.
void Type(const std::wstring& s) {
    for (wchar_t c : s) {
        if (c >= L'0' && c <= L'9')
            Tap(static_cast<WORD>(c));
        else if (c >= L'a' && c <= L'z')
            Tap(static_cast<WORD>(c - L'a' + 'A'));
        else if (c == L'-')
            Tap(VK_OEM_MINUS);
        else if (c == L'.')
            Tap(VK_OEM_PERIOD);
        else if (c == L'+')
            Tap(VK_OEM_PLUS, {VK_SHIFT});
        else
            ADD_FAILURE() << "no key for " << static_cast<int>(c);
    }
}

void SetClipboard(HWND owner, const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    ASSERT_TRUE(mem);
    memcpy(GlobalLock(mem), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(mem);
    SetClipboardData(CF_UNICODETEXT, mem);  // the clipboard owns it now
    CloseClipboard();
}

std::pair<DWORD, DWORD> Selection(HWND edit) {
    DWORD s = 0, e = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    return {s, e};
}

std::wstring WindowText(HWND w) {
    wchar_t buf[512] = {};
    GetWindowTextW(w, buf, 512);
    return buf;
}

struct Recorder : SpinEditEvents {
    std::vector<std::string> log;
    std::vector<std::int16_t> keyAscii;
    void Change() override { log.push_back("Change"); }
    void ChangeValue() override { log.push_back("ChangeValue"); }
    void KeyPress(std::int16_t& k) override {
        log.push_back("KeyPress");
        keyAscii.push_back(k);
    }
    void KeyDown(std::int16_t&, std::int16_t&) override { log.push_back("KeyDown"); }
    void OnPaste(std::wstring&, bool&) override { log.push_back("OnPaste"); }
    void SpinClick(std::int32_t) override { log.push_back("SpinClick"); }
};

class SpinEditWin : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(RegisterSpinEditClass(GetModuleHandleW(nullptr)));
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"BriskoSpinEditTestHost";
        RegisterClassW(&wc);
    }
    void SetUp() override {
        top_.Reset(CreateWindowExW(0, L"BriskoSpinEditTestHost", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 320,
                                   220, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
        ASSERT_TRUE(top_);
        other_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 120, 100, 24, top_.Get(),
                                 reinterpret_cast<HMENU>(50), GetModuleHandleW(nullptr), nullptr);
        spin_ = SpinEdit::Create(top_.Get(), 100, 10, 10, 120, 24);
        ASSERT_NE(spin_, nullptr);
        edit_ = spin_->hWndText();
        spin_->SetSoundObserver([this](std::int32_t kind) { sounds_.push_back(kind); });
        SetForegroundWindow(top_.Get());
        spin_->SetFocus();
        Pump(80);
        ASSERT_EQ(GetFocus(), edit_);
    }
    void TearDown() override {
        top_.Reset();
        Pump(20);
    }
    void SelectAll() { SendMessageW(edit_, EM_SETSEL, 0, -1); }
    void CaretAt(int p) { SendMessageW(edit_, EM_SETSEL, p, p); }

    UniqueWindow top_;
    HWND other_ = nullptr;
    SpinEdit* spin_ = nullptr;
    HWND edit_ = nullptr;
    std::vector<std::int32_t> sounds_;
};

// Real keys reach the key filter; a refused key beeps unless silenced.
TEST_F(SpinEditWin, TypingDigitsSignsAndPoints) {
    spin_->SetMin(-100);
    spin_->SetDecFig(1);
    spin_->SetText(L"");
    Type(L"-12.5.a");  // a second point and a letter are refused
    EXPECT_EQ(spin_->Text(), L"-12.5");
    EXPECT_DOUBLE_EQ(spin_->Value(), -12.5);
    EXPECT_EQ(sounds_, (std::vector<std::int32_t>{1, 1}));
    Tap(VK_HOME);
    Type(L"-");  // no second sign
    EXPECT_EQ(sounds_.size(), 3u);
    spin_->Model().SetSilence(true);
    Type(L"3");
    EXPECT_EQ(spin_->Text(), L"-12.5");
    EXPECT_EQ(sounds_.size(), 3u);
}

TEST_F(SpinEditWin, UpAndDownSpin) {
    Recorder events;
    spin_->SetEventSink(&events);
    spin_->SetMax(7);
    spin_->SetText(L"5");
    Tap(VK_DOWN);
    for (int i = 0; i < 4; ++i) Tap(VK_UP);
    EXPECT_EQ(spin_->Text(), L"7");
    EXPECT_DOUBLE_EQ(spin_->Value(), 7);
    EXPECT_EQ(Selection(edit_), std::make_pair(DWORD{1}, DWORD{1}));  // caret at the end
    EXPECT_EQ(std::count(events.log.begin(), events.log.end(), "SpinClick"), 5);

    // The lower arrow of the bar, clicked with the mouse.
    RECT r;
    GetWindowRect(spin_->hWndSpin(), &r);
    SetCursorPos((r.left + r.right) / 2, r.bottom - 3);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, clicks, sizeof(INPUT));
    Pump(150);
    EXPECT_EQ(spin_->Text(), L"6");
    EXPECT_EQ(GetScrollPos(spin_->hWndSpin(), SB_CTL), 1);  // back at rest
    EXPECT_EQ(GetFocus(), edit_);

    // Without ArrowSpin the keys are the text box's again.
    spin_->Model().SetArrowSpin(false);
    Tap(VK_UP);
    EXPECT_EQ(spin_->Text(), L"6");
    spin_->SetEventSink(nullptr);
}

TEST_F(SpinEditWin, CtrlAPastesAndMaxLength) {
    spin_->SetMax(10000);
    spin_->SetText(L"7");
    CaretAt(1);
    Tap('A', {VK_CONTROL});
    EXPECT_EQ(Selection(edit_), std::make_pair(DWORD{0}, DWORD{1}));
    SetClipboard(top_.Get(), L"42");
    Tap('V', {VK_CONTROL});
    EXPECT_EQ(spin_->Text(), L"42");
    EXPECT_DOUBLE_EQ(spin_->Value(), 42);
    EXPECT_TRUE(sounds_.empty());

    SetClipboard(top_.Get(), L"1.2.3");
    CaretAt(2);
    Tap(VK_INSERT, {VK_SHIFT});
    EXPECT_EQ(spin_->Text(), L"42");
    EXPECT_EQ(sounds_.size(), 1u);
    // The lock ended with the key-up: the box takes input again.
    EXPECT_FALSE(GetWindowLongPtrW(edit_, GWL_STYLE) & ES_READONLY);
    SetClipboard(top_.Get(), L"17");
    Tap(VK_INSERT, {VK_SHIFT});
    EXPECT_EQ(spin_->Text(), L"4217");

    spin_->SetMaxLength(5);
    Type(L"12");
    EXPECT_EQ(spin_->Text(), L"42171");
    EXPECT_EQ(sounds_.size(), 2u);

    // The user's own read-only choice survives a refused paste.
    spin_->SetLocked(true);
    SetClipboard(top_.Get(), L"x");
    Tap('V', {VK_CONTROL});
    EXPECT_TRUE(GetWindowLongPtrW(edit_, GWL_STYLE) & ES_READONLY);
}

// The Applications key opens the text box's menu instead of pasting; a
// refused paste keeps the menu's Paste off and must not leave the box locked.
TEST_F(SpinEditWin, ApplicationsKeyLockEndsAfterTheMenu) {
    spin_->SetText(L"42");
    SetClipboard(top_.Get(), L"abc");
    bool readOnlyInMenu = false, menuSeen = false;
    {
        TickAction closeMenu([&] {
            HWND menu = FindWindowW(L"#32768", nullptr);
            if (!menu || !IsWindowVisible(menu)) return false;
            menuSeen = true;
            readOnlyInMenu = (GetWindowLongPtrW(edit_, GWL_STYLE) & ES_READONLY) != 0;
            SendKey(VK_ESCAPE, false);
            SendKey(VK_ESCAPE, true);
            return true;
        });
        Tap(VK_APPS);
        Pump(300);
    }
    if (menuSeen) {
        EXPECT_TRUE(readOnlyInMenu) << "the menu offered the refused paste";
    }
    RecordProperty("menuSeen", menuSeen ? "yes" : "no");
    Tap(VK_SHIFT);  // without a menu, any other key's release ends the lock
    EXPECT_FALSE(GetWindowLongPtrW(edit_, GWL_STYLE) & ES_READONLY);
    EXPECT_FALSE(spin_->Model().PasteLocked());
    EXPECT_TRUE(sounds_.empty());
    EXPECT_EQ(spin_->Text(), L"42");
    CaretAt(2);
    Type(L"7");
    EXPECT_EQ(spin_->Text(), L"427");
}

// Characters reach the handlers as the host's ANSI key codes: a double-byte
// character as one negative number, and MaxLength counts it as one.
TEST_F(SpinEditWin, DoubleByteCharactersAsAnsiKeyCodes) {
    Recorder events;
    spin_->SetEventSink(&events);
    spin_->Model().SetInputControl(false);
    spin_->SetMaxLength(3);
    spin_->SetText(L"12");
    CaretAt(2);
    SendMessageW(edit_, WM_CHAR, 0x3042, 1);  // HIRAGANA LETTER A, 82 A0 in code page 932
    EXPECT_EQ(spin_->Text(), L"12\u3042");
    SendMessageW(edit_, WM_CHAR, 0x3042, 1);
    EXPECT_EQ(spin_->Text(), L"12\u3042");
    EXPECT_EQ(sounds_.size(), 1u);
    EXPECT_EQ(events.keyAscii,
              (std::vector<std::int16_t>{static_cast<std::int16_t>(0x82A0), static_cast<std::int16_t>(0x82A0)}));
    spin_->SetEventSink(nullptr);
}

COLORREF PixelOf(HWND w, int x, int y) {
    WindowDC dc(w, false);
    return GetPixel(dc.Get(), x, y);
}

TEST_F(SpinEditWin, ColoursFollowFocusAndEnabledState) {
    const COLORREF focus = RGB(255, 255, 0), back = RGB(0, 255, 255), disabled = RGB(128, 0, 128);
    spin_->SetFocusColor(focus);
    spin_->SetBackColor(back);
    spin_->SetDisableColor(disabled);
    RECT rc;
    GetClientRect(edit_, &rc);
    const int y = rc.bottom / 2;  // the text "0" sits at the right
    auto check = [&](COLORREF want, const char* what) {
        spin_->Refresh();
        Pump(60);
        EXPECT_EQ(PixelOf(edit_, 2, y), want) << what;
        EXPECT_EQ(PixelOf(spin_->hWnd(), 0, 0), want) << what << " (control surface)";
    };
    check(focus, "focused");
    ::SetFocus(other_);
    Pump(30);
    check(back, "not focused");
    spin_->SetEnabled(false);
    check(disabled, "disabled");
    EXPECT_FALSE(IsWindowEnabled(edit_));
    EXPECT_FALSE(IsWindowEnabled(spin_->hWndSpin()));
    spin_->SetEnabled(true);
    spin_->SetFocus();
    Pump(30);
    check(focus, "enabled again and focused");
}

TEST_F(SpinEditWin, ErrCheckShowsItsMessageAndSelectsTheText) {
    spin_->SetMax(320);
    spin_->SetMin(40);
    spin_->SetText(L"500");
    ::SetFocus(other_);
    std::wstring title, text;
    std::int32_t code = 0;
    {
        // The box is answered with a real Enter key from inside its own loop.
        TickAction answer([&] {
            HWND box = test::ThreadDialog();
            if (!box) return false;
            title = WindowText(box);
            text = WindowText(GetDlgItem(box, 0xFFFF));
            SendKey(VK_RETURN, false);
            SendKey(VK_RETURN, true);
            return true;
        });
        code = spin_->ErrCheck(true);
    }
    EXPECT_EQ(title, L"入力エラー");
    EXPECT_EQ(text, L"入力が最大値を超えています。\r\n40 ～ 320 の範囲で入力して下さい。");
    EXPECT_EQ(code, 1);
    Pump(30);
    EXPECT_EQ(GetFocus(), edit_);
    EXPECT_EQ(Selection(edit_), std::make_pair(DWORD{0}, DWORD{3}));
}

// The default mode keeps the input method away from a number field.
TEST_F(SpinEditWin, IMEModeThreeDisablesTheInputMethod) {
    EXPECT_EQ(spin_->IMEMode(), 3);
    EXPECT_EQ(ImmGetContext(edit_), nullptr);
    spin_->SetIMEMode(0);
    HIMC imc = ImmGetContext(edit_);
    EXPECT_NE(imc, nullptr);
    if (imc) ImmReleaseContext(edit_, imc);
    spin_->SetIMEMode(3);
    EXPECT_EQ(ImmGetContext(edit_), nullptr);
}

}  // namespace
}  // namespace brisko
