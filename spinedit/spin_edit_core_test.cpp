#include "spinedit/spin_edit_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "common/error.h"

namespace brisko {
namespace {

// A text box that behaves like the platform's: replacing the text reports the
// change at once, typing replaces the selection at the caret.
class FakeBox : public SpinTextBoxPort {
public:
    SpinEditCore* core = nullptr;
    std::wstring text = L"0";
    std::int32_t selStart = 0, selLength = 0;
    bool readOnly = false, visible = true;
    int focusCount = 0;
    std::wstring clipboard;
    struct Shown {
        std::wstring text, title, helpFile;
        std::int32_t context;
    };
    std::vector<Shown> messages;
    std::vector<std::int32_t> sounds;

    std::wstring Text() const override { return text; }
    void SetText(const std::wstring& t) override {
        text = t;
        selStart = selLength = 0;
        if (core) core->OnTextChanged();
    }
    std::int32_t SelStart() const override { return selStart; }
    std::int32_t SelLength() const override { return selLength; }
    void SetSel(std::int32_t s, std::int32_t l) override {
        selStart = s;
        selLength = l;
    }
    bool ReadOnly() const override { return readOnly; }
    void SetReadOnly(bool r) override { readOnly = r; }
    bool Visible() const override { return visible; }
    void Focus() override { ++focusCount; }
    std::wstring ClipboardText() const override { return clipboard; }
    void ShowMessage(const std::wstring& t, const std::wstring& title, const std::wstring& help,
                     std::int32_t ctx) override {
        messages.push_back({t, title, help, ctx});
    }
    void PlaySound(std::int32_t kind, std::int32_t f, std::int32_t d) override {
        EXPECT_EQ(f, 1500);
        EXPECT_EQ(d, 10);
        sounds.push_back(kind);
    }

    // What the platform text box does with an accepted character.
    void Insert(const std::wstring& s) {
        if (readOnly) return;
        text.replace(static_cast<std::size_t>(selStart), static_cast<std::size_t>(selLength), s);
        selStart += static_cast<std::int32_t>(s.size());
        selLength = 0;
        if (core) core->OnTextChanged();
    }
    void Paste() { Insert(clipboard); }
};

class Recorder : public SpinEditEvents {
public:
    std::vector<std::string> log;
    bool cancelSpin = false;
    bool flipKeyVerdict = false;
    bool cancelPaste = false;
    std::wstring pastedText;
    void Change() override { log.push_back("Change"); }
    void ChangeValue() override { log.push_back("ChangeValue"); }
    void SpinBeforeClick(std::int32_t, bool& cancel) override {
        log.push_back("SpinBeforeClick");
        cancel = cancelSpin;
    }
    void SpinClick(std::int32_t) override { log.push_back("SpinClick"); }
    void OnPaste(std::wstring& text, bool& cancel) override {
        log.push_back(cancel ? "OnPaste(refused)" : "OnPaste");
        pastedText = text;
        if (cancelPaste) cancel = true;
    }
    void BeforeKeyDown(std::int16_t&, std::int16_t&, bool& cancel) override {
        log.push_back("BeforeKeyDown");
        if (flipKeyVerdict) cancel = !cancel;
    }
    void KeyDown(std::int16_t&, std::int16_t&) override { log.push_back("KeyDown"); }
    void KeyPress(std::int16_t&) override { log.push_back("KeyPress"); }
    void KeyPress2(std::int16_t&, std::int16_t) override { log.push_back("KeyPress2"); }
    void BeforeKeyUp(std::int16_t&, std::int16_t&, bool&) override { log.push_back("BeforeKeyUp"); }
    void KeyUp(std::int16_t&, std::int16_t&) override { log.push_back("KeyUp"); }
};

class SpinCore : public testing::Test {
protected:
    SpinCore() {
        box.core = &core;
        core.SetEventSink(&events);
    }
    // A key as the window layer delivers it: key-down, its character if it
    // passes, key-up.
    void Press(std::int16_t key, std::int16_t shift, wchar_t ch) {
        std::int16_t k = key, s = shift;
        const bool pass = core.OnKeyDown(k, s);
        if (ch) {
            std::int16_t a = static_cast<std::int16_t>(ch);
            if (core.OnChar(a, shift) && pass && a >= 32) box.Insert(std::wstring(1, static_cast<wchar_t>(a)));
        }
        k = key;
        s = shift;
        core.OnKeyUp(k, s);
        core.AfterKeyUp(key);
    }
    void Type(const std::wstring& s) {
        for (wchar_t c : s) {
            std::int16_t vk = c >= L'0' && c <= L'9' ? static_cast<std::int16_t>(c)
                              : c == L'-'            ? 189
                              : c == L'.'            ? 190
                              : c == L'+'            ? 187
                                                     : static_cast<std::int16_t>(towupper(c));
            Press(vk, c == L'+' ? 1 : 0, c);
        }
    }
    void SetTextUnfiltered(const std::wstring& t) {
        const bool ic = core.InputControl();
        core.SetInputControl(false);
        core.SetText(t);
        core.SetInputControl(ic);
    }

    FakeBox box;
    SpinEditCore core{box};
    Recorder events;
};

// With Min 40 and Max 320, the check of each text (spaces trimmed) and its
// message; the syntax itself is the number rules' own test.
TEST_F(SpinCore, ErrCheckCodes) {
    core.SetMax(320);
    core.SetMin(40);
    struct Case {
        const wchar_t* text;
        std::int16_t decFig;
        std::int32_t code;
    } cases[] = {{L"  120  ", 0, 0}, {L"500", 0, 1}, {L"20", 0, 2},           {L"120.55", 1, 4},
                 {L"12.5", 0, 16},   {L"", 0, 32},   {L"abc", 0, 64},         {L"1.2.3", 0, 128},
                 {L"120.5", 1, 0},   {L"5.", 0, 2},  {L"99999999999", 0, 256}};
    for (const auto& c : cases) {
        core.SetDecFig(c.decFig);
        SetTextUnfiltered(c.text);
        EXPECT_EQ(core.ErrCheck(), c.code) << testing::PrintToString(std::wstring(c.text));
        core.SetDecFig(0);
    }
    SetTextUnfiltered(L"20");
    EXPECT_EQ(core.FormatMessage(core.ErrCheck()),
              L"入力が最小値を下回っています。\r\n40 ～ 320 の範囲で入力して下さい。");
    EXPECT_TRUE(box.messages.empty());
}

TEST_F(SpinCore, ErrCheckShowsTheMessageAndSelectsTheText) {
    core.SetMax(320);
    core.SetMin(40);
    core.SetCaption(L"タブの幅");
    SetTextUnfiltered(L" 500 ");
    box.focusCount = 0;
    EXPECT_EQ(core.ErrCheck(true), 1);
    ASSERT_EQ(box.messages.size(), 1u);
    EXPECT_EQ(box.messages[0].text, L"タブの幅の入力が最大値を超えています。\r\n40 ～ 320 の範囲で入力して下さい。");
    EXPECT_EQ(box.messages[0].title, L"入力エラー");
    EXPECT_EQ(box.focusCount, 1);
    EXPECT_EQ(box.selStart, 0);
    EXPECT_EQ(box.selLength, 3);  // the trimmed text's length

    // An explicit caption and title win; a valid text shows nothing.
    EXPECT_EQ(core.ErrCheck(true, L"幅", L"確認", L"help.hlp", 7), 1);
    EXPECT_EQ(box.messages[1].text.substr(0, 4), L"幅の入力");
    EXPECT_EQ(box.messages[1].title, L"確認");
    EXPECT_EQ(box.messages[1].helpFile, L"help.hlp");
    EXPECT_EQ(box.messages[1].context, 7);
    SetTextUnfiltered(L"100");
    EXPECT_EQ(core.ErrCheck(true), 0);
    EXPECT_EQ(box.messages.size(), 2u);

    // A hidden text box gets neither focus nor selection.
    box.visible = false;
    SetTextUnfiltered(L"");
    box.focusCount = 0;
    EXPECT_EQ(core.ErrCheck(true), 32);
    EXPECT_EQ(box.focusCount, 0);
}

TEST_F(SpinCore, SpinningWithMultiplesAndWrap) {
    core.SetMin(-100);
    core.SetMultiple(true);
    core.SetIncrement(5);
    core.SetText(L"-7");
    EXPECT_EQ(core.SpinUpDown(1), 0);
    EXPECT_EQ(box.text, L"-10");
    EXPECT_EQ(core.Scaled().value, -10);
    core.SetText(L"12");
    EXPECT_EQ(core.ErrCheck(), 8);

    core.SetMultiple(false);
    core.SetMin(0);
    core.SetIncrement(30);
    core.SetText(L"100");
    core.SpinUpDown(0);
    EXPECT_EQ(box.text, L"100");  // no wrap: stays
    core.SetWrap(true);
    core.SpinUpDown(0);
    EXPECT_EQ(box.text, L"0");
    core.SpinUpDown(1);
    EXPECT_EQ(box.text, L"100");
}

TEST_F(SpinCore, SpinUpDownDetails) {
    EXPECT_EQ(core.SpinUpDown(2), 512);
    EXPECT_EQ(core.SpinUpDown(-1), 512);
    EXPECT_TRUE(events.log.empty());

    events.cancelSpin = true;
    EXPECT_EQ(core.SpinUpDown(0), 0);
    EXPECT_EQ(box.text, L"0");
    EXPECT_EQ(events.log, std::vector<std::string>{"SpinBeforeClick"});
    events.cancelSpin = false;
    events.log.clear();

    core.SetText(L"5");
    events.log.clear();
    EXPECT_EQ(core.SpinUpDown(0), 0);
    EXPECT_EQ(events.log, (std::vector<std::string>{"SpinBeforeClick", "ChangeValue", "Change", "SpinClick"}));
    EXPECT_EQ(box.selStart, 1);  // caret at the end
    EXPECT_EQ(box.selLength, 0);
    core.SetTextSelection(true);
    core.SpinUpDown(0);
    EXPECT_EQ(box.selStart, 0);
    EXPECT_EQ(box.selLength, 1);

    // Text that is no number is replaced by the stored value, unstepped.
    SetTextUnfiltered(L"abc");
    EXPECT_EQ(core.SpinUpDown(0), 64);
    EXPECT_EQ(box.text, L"7");
    // Too many decimals are cut before stepping.
    core.SetDecFig(1);
    SetTextUnfiltered(L"2.59");
    EXPECT_EQ(core.SpinUpDown(0), 0);
    EXPECT_EQ(box.text, L"3.5");
    // A reversed range runs the arrows the other way.
    core.SetDecFig(0);
    core.SetMax(0);
    core.SetMin(100);
    core.SetText(L"50");
    EXPECT_EQ(core.ErrCheck(), 0);
    core.SpinUpDown(0);
    EXPECT_EQ(box.text, L"49");
    core.SetText(L"150");
    EXPECT_EQ(core.Value(), 100);
}

TEST_F(SpinCore, TypingPastTheMaximum) {
    core.SetMax(320);
    core.SetMin(40);
    Type(L"");
    core.SetText(L"");
    Type(L"500");
    EXPECT_EQ(box.text, L"500");
    EXPECT_EQ(core.Value(), 320);
    EXPECT_EQ(core.ErrCheck(), 1);

    core.SetWrap(true);
    core.SetText(L"");
    Type(L"500");
    EXPECT_EQ(box.text, L"500");
    EXPECT_EQ(core.Value(), 40);
    core.SetText(L"3");
    EXPECT_EQ(core.Value(), 320);  // below the minimum wraps to the maximum
}

TEST_F(SpinCore, ChangeFilterKeepsTheLastAcceptedText) {
    core.SetDecFig(1);
    core.SetMin(-100);
    core.SetText(L"12.5");
    EXPECT_EQ(core.NormalText(), L"12.5");
    events.log.clear();
    box.selStart = 4;
    box.Insert(L".");  // two points: undone
    EXPECT_EQ(box.text, L"12.5");
    EXPECT_EQ(box.selStart, 4);
    EXPECT_EQ(events.log, std::vector<std::string>{"Change"});  // only the restoring change
    box.selStart = 0;
    box.Insert(L"x");
    EXPECT_EQ(box.text, L"12.5");
    EXPECT_EQ(box.selStart, 0);

    core.SetText(L"-");  // a sign alone is an entry in progress
    EXPECT_EQ(core.NormalText(), L"-");
    EXPECT_DOUBLE_EQ(core.Value(), 12.5);
    core.SetText(L"");
    EXPECT_EQ(core.NormalText(), L"");
    EXPECT_DOUBLE_EQ(core.Value(), 12.5);
    core.SetText(L"99999999999");
    EXPECT_EQ(core.NormalText(), L"99999999999");
    EXPECT_DOUBLE_EQ(core.Value(), 12.5);
    core.SetText(L"3.25");  // too many decimals: taken, cut for the value
    EXPECT_EQ(box.text, L"3.25");
    EXPECT_DOUBLE_EQ(core.Value(), 3.2);

    core.SetInputControl(false);
    core.SetText(L"abc");
    EXPECT_EQ(box.text, L"abc");
    EXPECT_EQ(core.NormalText(), L"3.25");
}

TEST_F(SpinCore, MaxLengthCutsBeforeTheCaret) {
    core.SetMaxLength(3);
    core.SetText(L"123");
    box.selStart = 1;
    box.Insert(L"45");  // a paste that bypassed the checks: "14523"
    EXPECT_EQ(box.text, L"123");
    EXPECT_EQ(box.selStart, 1);
    // With the caret at the start nothing lies before it: the head is kept.
    box.selStart = 0;
    box.text = L"98765";
    core.OnTextChanged();
    EXPECT_EQ(box.text, L"987");
    EXPECT_THROW(core.SetMaxLength(-1), Error);
    EXPECT_EQ(core.MaxLength(), 3);
}

// A form's stored numbers are scaled by its DecFig, the defaults too.
TEST_F(SpinCore, StoredNumbersLoadScaled) {
    core.LoadScaled({125, 100, 0, 1, 2});
    EXPECT_DOUBLE_EQ(core.Value(), 1.25);
    EXPECT_DOUBLE_EQ(core.Max(), 1.0);
    EXPECT_DOUBLE_EQ(core.Increment(), 0.01);
}

TEST_F(SpinCore, DecFigChanges) {
    core.SetMax(10000);
    core.SetDecFig(2);
    EXPECT_EQ(core.Scaled().max, 1000000);
    core.SetValue(12.99);
    core.SetIncrement(0.05);
    ASSERT_EQ(core.Scaled().value, 1299);
    core.SetDecFig(0);
    EXPECT_EQ(core.Scaled().value, 12);
    EXPECT_EQ(core.Scaled().increment, 1);  // 5 hundredths truncate to 0 and become 1
    EXPECT_EQ(core.Scaled().max, 10000);

    // Out-of-range precisions, negative ones included, are ignored.
    for (std::int16_t bad : {10, -1, -32768}) {
        core.SetDecFig(bad);
        EXPECT_EQ(core.DecFig(), 0);
        EXPECT_EQ(core.Scaled().value, 12);
    }
    // A field whose scaled number would overflow keeps its number.
    core.SetMax(2000000000);
    core.SetDecFig(1);
    EXPECT_EQ(core.Scaled().max, 2000000000);
    EXPECT_EQ(core.Scaled().value, 120);
    // The text is not reformatted.
    EXPECT_EQ(box.text, L"0");
}

TEST_F(SpinCore, PropertySettersAndRefusals) {
    EXPECT_EQ(core.Value(), 0);
    EXPECT_THROW(core.SetValue(3e9), Error);
    try {
        core.SetBeepSound(8);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), ErrorNumber::InvalidPropertyValue);
    }
    EXPECT_THROW(core.SetBeepSound(0), Error);
    EXPECT_EQ(core.BeepSound(), 1);
    core.SetBeepSound(7);
    EXPECT_EQ(core.BeepSound(), 7);

    // Setting the value raises ChangeValue only when it changes, and never touches the text.
    events.log.clear();
    core.SetValue(5);
    core.SetValue(5);
    EXPECT_EQ(events.log, std::vector<std::string>{"ChangeValue"});
    EXPECT_EQ(box.text, L"0");
    // A bound that passes the value drags it along.
    core.SetMax(3);
    EXPECT_EQ(core.Value(), 3);
    core.SetMin(4);  // reversed: range 3..4
    EXPECT_EQ(core.Value(), 3);
    core.SetMin(10);
    core.SetMax(20);
    EXPECT_EQ(core.Value(), 10);
}

TEST_F(SpinCore, KeysAreFilteredAndRefusalsBeep) {
    core.SetText(L"");
    events.log.clear();
    Type(L"1a2");
    EXPECT_EQ(box.text, L"12");
    EXPECT_EQ(box.sounds, std::vector<std::int32_t>{1});
    // The refused key's event trail: BeforeKeyDown, no KeyDown, no KeyPress.
    EXPECT_EQ(std::count(events.log.begin(), events.log.end(), "KeyDown"), 2);
    EXPECT_EQ(std::count(events.log.begin(), events.log.end(), "KeyPress"), 2);
    EXPECT_EQ(std::count(events.log.begin(), events.log.end(), "BeforeKeyDown"), 3);

    core.SetSilence(true);
    Type(L"-");
    EXPECT_EQ(box.text, L"12");
    EXPECT_EQ(box.sounds.size(), 1u);
    core.SetSilence(false);

    // The host may overturn the verdict.
    events.flipKeyVerdict = true;
    Type(L"7");
    EXPECT_EQ(box.text, L"12");
    events.flipKeyVerdict = false;

    // A refused key that produced no character does not eat the next one.
    std::int16_t k = 'Q', s = 0;
    EXPECT_FALSE(core.OnKeyDown(k, s));
    EXPECT_EQ(k, 0);
    Type(L"3");
    EXPECT_EQ(box.text, L"123");

    // Without the input filter anything goes in; nothing is refused at key-down.
    core.SetInputControl(false);
    Type(L"x");
    EXPECT_EQ(box.text, L"123x");
}

TEST_F(SpinCore, ArrowKeysSpin) {
    std::int16_t k = 0x26, s = 0;
    EXPECT_FALSE(core.OnKeyDown(k, s));
    EXPECT_EQ(k, 0);
    EXPECT_EQ(box.text, L"1");
    k = 0x28;
    core.OnKeyDown(k, s);
    core.OnKeyDown(k = 0x28, s);
    EXPECT_EQ(box.text, L"0");  // clamped at Min
    core.SetSpinEnabled(false);
    k = 0x26;
    EXPECT_TRUE(core.OnKeyDown(k, s));
    EXPECT_EQ(box.text, L"0");
    core.SetSpinEnabled(true);
    core.SetArrowSpin(false);
    EXPECT_TRUE(core.OnKeyDown(k = 0x26, s));
    EXPECT_EQ(box.text, L"0");
}

// Enter and Escape are refused; MaxLength counts a double-byte character as
// one and lets editing keys through; of the Ctrl keys the text box's own
// (C, V, X with a selection, Z, ^, H) pass; with Alt everything passes.
TEST_F(SpinCore, CharacterFilter) {
    constexpr std::int16_t kShift = 1, kCtrl = 2, kAlt = 4;
    struct Case {
        std::int16_t ascii, shift;
        std::int16_t maxLength;
        std::int32_t selLength;
        bool passes;  // else refused with a beep
    } cases[] = {{'5', 0, 0, 0, true},         {13, 0, 0, 0, false},      {27, kShift, 0, 0, false},
                 {'5', 0, 3, 0, false},        {'5', 0, 3, 1, true},      {-32096, 0, 3, 0, false},
                 {8, 0, 3, 0, true},           {224, 0, 3, 0, true},      {177, 0, 3, 0, false},
                 {3, kCtrl, 0, 0, true},       {22, kCtrl, 0, 0, true},   {26, kCtrl | kShift, 0, 0, true},
                 {24, kCtrl, 0, 0, false},     {24, kCtrl, 0, 1, true},   {2, kCtrl, 0, 0, false},
                 {7, kCtrl, 0, 0, false},      {9, kCtrl, 0, 0, false},   {29, kCtrl, 0, 0, false},
                 {30, kCtrl, 0, 0, true},      {127, kCtrl, 0, 0, false}, {8, kCtrl, 0, 0, true},
                 {2, kAlt | kCtrl, 0, 0, true}};
    for (const auto& c : cases) {
        core.SetMaxLength(c.maxLength);
        box.text = L"123";
        box.selStart = 3 - c.selLength;
        box.selLength = c.selLength;
        box.sounds.clear();
        std::int16_t a = c.ascii;
        EXPECT_EQ(core.OnChar(a, c.shift), c.passes) << "case " << (&c - cases);
        EXPECT_EQ(box.sounds.size(), c.passes ? 0u : 1u) << "case " << (&c - cases);
    }
    // Ctrl+A selects everything, quietly, and is not passed on.
    box.text = L"1234";
    box.selStart = 2;
    box.selLength = 0;
    box.sounds.clear();
    std::int16_t a = 1;
    EXPECT_FALSE(core.OnChar(a, kCtrl));
    EXPECT_EQ(box.selStart, 0);
    EXPECT_EQ(box.selLength, 4);
    EXPECT_TRUE(box.sounds.empty());
}

TEST_F(SpinCore, PasteCheck) {
    constexpr std::int16_t kShift = 1, kCtrl = 2;
    struct Case {
        const wchar_t* clipboard;
        std::int16_t key, shift;
        std::int16_t maxLength;
        bool refused;
    } cases[] = {{L"45", 'V', kCtrl, 0, false},  {L"ab", 'V', kCtrl, 0, true},   {L"ab", 0x2D, kShift, 0, true},
                 {L"1.2.", 'V', kCtrl, 0, true}, {L"0.5", 'V', kCtrl, 0, false}, {L"45", 'V', kCtrl, 3, true},
                 {L"", 'V', kCtrl, 0, false}};
    for (const auto& c : cases) {
        core.SetMaxLength(c.maxLength);
        core.SetText(L"12");
        box.selStart = 1;
        box.clipboard = c.clipboard;
        box.sounds.clear();
        events.log.clear();
        std::int16_t k = c.key, s = c.shift;
        EXPECT_TRUE(core.OnKeyDown(k, s)) << "case " << (&c - cases);
        EXPECT_EQ(core.PasteLocked(), c.refused) << "case " << (&c - cases);
        EXPECT_EQ(box.readOnly, c.refused) << "case " << (&c - cases);
        EXPECT_EQ(box.sounds.size(), c.refused ? 1u : 0u) << "case " << (&c - cases);
        if (*c.clipboard) {
            EXPECT_EQ(events.pastedText, std::wstring(L"1") + c.clipboard + L"2") << "case " << (&c - cases);
            EXPECT_EQ(events.log.back(), c.refused ? "OnPaste(refused)" : "OnPaste") << "case " << (&c - cases);
        }
        box.Paste();  // the text box ignores it while read-only
        if (c.refused) {
            EXPECT_EQ(box.text, L"12") << "case " << (&c - cases);
        }
        k = c.key;
        core.OnKeyUp(k, s);
        core.AfterKeyUp(c.key);
        EXPECT_FALSE(box.readOnly) << "case " << (&c - cases);
        EXPECT_FALSE(core.PasteLocked()) << "case " << (&c - cases);
    }
}

TEST_F(SpinCore, PasteLockKeepsTheUsersLockedChoice) {
    core.SetLocked(true);
    box.clipboard = L"x";
    std::int16_t k = 'V', s = 2;
    core.OnKeyDown(k, s);
    EXPECT_TRUE(core.PasteLocked());
    EXPECT_TRUE(core.Locked());
    core.SetLocked(false);  // chosen while the lock holds
    EXPECT_TRUE(box.readOnly);
    core.AfterKeyUp(0x11);
    EXPECT_FALSE(box.readOnly);

    core.SetLocked(true);
    core.OnKeyDown(k = 'V', s = 2);
    core.AfterKeyUp('V');
    EXPECT_TRUE(box.readOnly);  // restored to the user's read-only
}

TEST_F(SpinCore, ApplicationsKeyPasteLockOutlivesOnlyItsMenu) {
    box.clipboard = L"abc";
    std::int16_t k = 0x5D, s = 0;
    EXPECT_TRUE(core.OnKeyDown(k, s));
    EXPECT_TRUE(box.readOnly);
    EXPECT_TRUE(box.sounds.empty());  // no beep for the menu key
    // Its own release comes before its menu: still locked.
    core.OnKeyUp(k = 0x5D, s);
    core.AfterKeyUp(0x5D);
    EXPECT_TRUE(box.readOnly);
    core.AfterContextMenu();
    EXPECT_FALSE(box.readOnly);
    EXPECT_FALSE(core.PasteLocked());

    // Without a menu, the release of any other key ends it.
    core.OnKeyDown(k = 0x5D, s = 0);
    core.AfterKeyUp(0x5D);
    EXPECT_TRUE(core.PasteLocked());
    core.AfterKeyUp('X');
    EXPECT_FALSE(box.readOnly);
    EXPECT_FALSE(core.PasteLocked());
}

TEST_F(SpinCore, OnPasteMayOverturnTheVerdict) {
    box.clipboard = L"7";
    events.cancelPaste = true;
    std::int16_t k = 'V', s = 2;
    core.OnKeyDown(k, s);
    EXPECT_TRUE(core.PasteLocked());
    EXPECT_EQ(box.sounds.size(), 1u);
}

TEST_F(SpinCore, RaiseEventsOffSilencesAllButOnPaste) {
    core.SetRaiseEvents(false);
    core.SetText(L"");
    Type(L"12");
    core.SpinUpDown(0);
    core.SetValue(50);
    EXPECT_TRUE(events.log.empty());
    box.clipboard = L"1";
    std::int16_t k = 'V', s = 2;
    core.OnKeyDown(k, s);
    EXPECT_EQ(events.log, std::vector<std::string>{"OnPaste"});
}

TEST_F(SpinCore, BeepTypes) {
    core.Beep(3);
    core.Beep(0);
    core.Beep(8);
    core.Beep(-1);
    core.SetBeepSound(6);
    core.Beep();
    EXPECT_EQ(box.sounds, (std::vector<std::int32_t>{3, 1, 6}));
}

TEST_F(SpinCore, TextSelectionOnFocus) {
    core.SetText(L"123");
    box.selStart = 1;
    core.OnGotFocus();
    EXPECT_EQ(box.selLength, 0);
    core.SetTextSelection(true);
    core.OnGotFocus();
    EXPECT_EQ(box.selStart, 0);
    EXPECT_EQ(box.selLength, 3);
}

}  // namespace
}  // namespace brisko
