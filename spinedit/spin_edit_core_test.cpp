#include "spinedit/spin_edit_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <tuple>
#include <vector>

#include "common/error.h"
#include "spinedit/spin_text_box_fake_test.h"

namespace brisko {
namespace {

constexpr std::int16_t kShift = 1, kCtrl = 2, kAlt = 4, kUp = 0x26, kDown = 0x28;

class Recorder : public SpinEditEvents {
public:
    std::vector<std::string> log;
    bool cancelSpin = false, flipKeyVerdict = false, cancelPaste = false;
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
        cancel = cancel || cancelPaste;
    }
    void BeforeKeyDown(std::int16_t&, std::int16_t&, bool& cancel) override {
        log.push_back("BeforeKeyDown");
        cancel = cancel != flipKeyVerdict;
    }
    void KeyDown(std::int16_t&, std::int16_t&) override { log.push_back("KeyDown"); }
    void KeyPress(std::int16_t&) override { log.push_back("KeyPress"); }
};

class SpinCore : public testing::Test {
protected:
    SpinCore() {
        box.core = &core;
        core.SetEventSink(&events);
    }
    // A key-down as the window layer delivers it; false when it stops there,
    // and then the key code left for the text box is 0.
    bool KeyDown(std::int16_t key, std::int16_t shift = 0) {
        keyLeft = key;
        return core.OnKeyDown(keyLeft, shift);
    }
    // The key's release, as the window layer delivers it.
    void KeyUp(std::int16_t key) {
        std::int16_t k = key, s = 0;
        core.OnKeyUp(k, s);
        core.AfterKeyUp(key);
    }
    // Characters typed: key-down, the character if it passes, key-up.
    void Type(const std::wstring& s) {
        for (wchar_t c : s) {
            const std::int16_t vk = c == L'-' ? 189 : static_cast<std::int16_t>(towupper(c));
            const bool pass = KeyDown(vk);
            std::int16_t a = static_cast<std::int16_t>(c);
            if (core.OnChar(a, 0) && pass) box.Insert(std::wstring(1, static_cast<wchar_t>(a)));
            KeyUp(vk);
        }
    }
    void SetTextUnfiltered(const std::wstring& t) {
        core.SetInputControl(false);
        core.SetText(t);
        core.SetInputControl(true);
    }
    std::size_t Count(const char* event) const { return std::count(events.log.begin(), events.log.end(), event); }

    std::int16_t keyLeft = 0;
    FakeTextBox box;
    SpinEditCore core{box};
    Recorder events;
};

// With Min 40 and Max 320, the check of a text (spaces trimmed); the syntax
// itself is the number rules' own test. With showMsg the message is shown and
// the text selected, unless the text box is hidden.
TEST_F(SpinCore, ErrCheckCodesAndTheirMessage) {
    core.SetMax(320);
    core.SetMin(40);
    const std::pair<const wchar_t*, std::int32_t> cases[] = {{L"  120  ", 0}, {L"500", 1},  {L"20", 2},
                                                             {L"", 32},       {L"abc", 64}, {L"99999999999", 256}};
    for (const auto& [text, code] : cases) {
        SetTextUnfiltered(text);
        EXPECT_EQ(core.ErrCheck(), code) << testing::PrintToString(std::wstring(text));
    }
    EXPECT_TRUE(box.messages.empty());

    core.SetCaption(L"タブの幅");
    SetTextUnfiltered(L" 500 ");
    box.focusCount = 0;
    EXPECT_EQ(core.ErrCheck(true), 1);
    EXPECT_EQ(box.messages.back(),
              L"入力エラー|タブの幅の入力が最大値を超えています。\r\n40 ～ 320 の範囲で入力して下さい。||0");
    EXPECT_EQ(box.focusCount, 1);
    EXPECT_EQ(box.selStart, 0);
    EXPECT_EQ(box.selLength, 3);  // the trimmed text's length
    // An explicit caption and title win; a valid text shows nothing.
    EXPECT_EQ(core.ErrCheck(true, L"幅", L"確認", L"help.hlp", 7), 1);
    EXPECT_EQ(box.messages.back(),
              L"確認|幅の入力が最大値を超えています。\r\n40 ～ 320 の範囲で入力して下さい。|help.hlp|7");
    SetTextUnfiltered(L"100");
    EXPECT_EQ(core.ErrCheck(true), 0);
    EXPECT_EQ(box.messages.size(), 2u);
    box.visible = false;
    SetTextUnfiltered(L"");
    EXPECT_EQ(core.ErrCheck(true), 32);
    EXPECT_EQ(box.focusCount, 2);
}

// Stepping goes by the model's rules, from the text's number and with the
// control's multiple and wrap settings; the events come in their order, and
// a handler may cancel the step.
TEST_F(SpinCore, SpinUpDown) {
    EXPECT_EQ(core.SpinUpDown(2), 512);
    EXPECT_EQ(core.SpinUpDown(-1), 512);
    events.cancelSpin = true;
    EXPECT_EQ(core.SpinUpDown(0), 0);
    EXPECT_EQ(box.text, L"0");
    EXPECT_EQ(events.log, std::vector<std::string>{"SpinBeforeClick"});
    events.cancelSpin = false;

    core.SetText(L"5");
    events.log.clear();
    EXPECT_EQ(core.SpinUpDown(0), 0);
    EXPECT_EQ(events.log, (std::vector<std::string>{"SpinBeforeClick", "ChangeValue", "Change", "SpinClick"}));
    EXPECT_EQ(box.selStart, 1);  // caret at the end
    core.SetTextSelection(true);
    core.SpinUpDown(0);
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

    core.SetDecFig(0);
    core.SetMin(-100);
    core.SetMultiple(true);
    core.SetIncrement(5);
    core.SetText(L"-7");
    EXPECT_EQ(core.SpinUpDown(1), 0);
    EXPECT_EQ(core.Scaled().value, -10);
    core.SetText(L"100");
    core.SpinUpDown(0);
    EXPECT_EQ(box.text, L"100");  // no wrap: stays
    core.SetWrap(true);
    core.SpinUpDown(0);
    EXPECT_EQ(box.text, L"-100");
}

// Typed past a bound, the text stays as typed and the value goes to the bound,
// or with Wrap to the other one.
TEST_F(SpinCore, TypingPastTheBounds) {
    core.SetMax(320);
    core.SetMin(40);
    core.SetText(L"");
    Type(L"500");
    EXPECT_EQ(box.text, L"500");
    EXPECT_EQ(core.Value(), 320);
    core.SetWrap(true);
    core.SetText(L"500");
    EXPECT_EQ(core.Value(), 40);
    core.SetText(L"3");
    EXPECT_EQ(core.Value(), 320);
}

TEST_F(SpinCore, ChangeFilterKeepsTheLastAcceptedText) {
    core.SetDecFig(1);
    core.SetMin(-100);
    core.SetText(L"12.5");
    events.log.clear();
    box.selStart = 4;
    box.Insert(L".");  // two points: undone
    EXPECT_EQ(box.text, L"12.5");
    EXPECT_EQ(box.selStart, 4);
    EXPECT_EQ(events.log, std::vector<std::string>{"Change"});  // only the restoring change
    box.selStart = 0;
    box.Insert(L"x");
    EXPECT_EQ(box.selStart, 0);

    // Entries in progress are taken and leave the value alone.
    for (const wchar_t* inProgress : {L"-", L"", L"99999999999"}) {
        core.SetText(inProgress);
        EXPECT_EQ(core.NormalText(), inProgress);
        EXPECT_DOUBLE_EQ(core.Value(), 12.5);
    }
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
    core.SetMaxLength(1);  // the least limit is one too
    box.Insert(L"5");
    EXPECT_EQ(box.text, L"9");
}

// The numbers are kept scaled by DecFig: a form's stored ones load scaled,
// and a new precision rescales them.
TEST_F(SpinCore, DecFigScalesTheNumbers) {
    core.LoadScaled({125, 100, 0, 1, 2});
    EXPECT_DOUBLE_EQ(core.Value(), 1.25);
    EXPECT_DOUBLE_EQ(core.Increment(), 0.01);
    core.SetMax(10000);
    EXPECT_EQ(core.Scaled().max, 1000000);
    core.SetValue(12.99);
    core.SetIncrement(0.05);
    core.SetDecFig(0);
    EXPECT_EQ(core.Scaled().value, 12);
    EXPECT_EQ(core.Scaled().increment, 1);  // 5 hundredths truncate to 0 and become 1
    EXPECT_EQ(core.Scaled().max, 10000);
    // Out-of-range precisions, negative ones included, are ignored.
    for (std::int16_t bad : {10, -1}) {
        core.SetDecFig(bad);
        EXPECT_EQ(core.DecFig(), 0);
    }
    // A field whose scaled number would overflow keeps its number.
    core.SetMax(2000000000);
    core.SetDecFig(1);
    EXPECT_EQ(core.Scaled().max, 2000000000);
    EXPECT_EQ(core.Scaled().value, 120);
    EXPECT_EQ(box.text, L"0") << "the text is not reformatted";
}

TEST_F(SpinCore, PropertySettersAndRefusals) {
    EXPECT_THROW(core.SetValue(3e9), Error);
    EXPECT_THROW(core.SetBeepSound(8), Error);
    EXPECT_THROW(core.SetBeepSound(0), Error);
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

// A refused key beeps (unless silenced) and leaves an event trail of
// BeforeKeyDown only; the host may overturn the verdict; a refused key that
// produced no character does not eat the next one; without the input filter
// anything goes in.
TEST_F(SpinCore, KeysAreFilteredAndRefusalsBeep) {
    core.SetText(L"");
    events.log.clear();
    Type(L"1a2");
    EXPECT_EQ(box.text, L"12");
    EXPECT_EQ(box.sounds, std::vector<std::int32_t>{1});
    EXPECT_EQ((std::vector{Count("BeforeKeyDown"), Count("KeyDown"), Count("KeyPress")}),
              (std::vector<std::size_t>{3, 2, 2}));
    core.SetSilence(true);
    Type(L"-");
    EXPECT_EQ(box.sounds.size(), 1u);
    core.SetSilence(false);
    events.flipKeyVerdict = true;
    Type(L"7");
    EXPECT_EQ(box.text, L"12");
    events.flipKeyVerdict = false;
    EXPECT_FALSE(KeyDown('Q'));
    EXPECT_EQ(keyLeft, 0);
    Type(L"3");
    EXPECT_EQ(box.text, L"123");
    core.SetInputControl(false);
    Type(L"x");
    EXPECT_EQ(box.text, L"123x");
}

TEST_F(SpinCore, ArrowKeysSpin) {
    EXPECT_FALSE(KeyDown(kUp));
    EXPECT_EQ(keyLeft, 0);
    EXPECT_EQ(box.text, L"1");
    KeyDown(kDown);
    KeyDown(kDown);
    EXPECT_EQ(box.text, L"0");  // clamped at Min
    core.SetSpinEnabled(false);
    EXPECT_TRUE(KeyDown(kUp));
    core.SetSpinEnabled(true);
    core.SetArrowSpin(false);
    EXPECT_TRUE(KeyDown(kUp));
    EXPECT_EQ(box.text, L"0");
}

// Enter and Escape are refused; MaxLength counts a double-byte character as
// one and lets editing keys through; of the Ctrl keys the text box's own
// (C, V, X with a selection, Z, ^, H) pass; with Alt everything passes.
TEST_F(SpinCore, CharacterFilter) {
    struct Case {
        std::int16_t ascii, shift, maxLength;
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
    box.sounds.clear();
    std::int16_t a = 1;
    EXPECT_FALSE(core.OnChar(a, kCtrl));
    EXPECT_EQ(std::make_pair(box.selStart, box.selLength), std::make_pair(0, 3));
    EXPECT_TRUE(box.sounds.empty());
}

// A paste key checks the text the paste would make; a refused paste beeps
// and locks the box read-only until the key is released. OnPaste sees the
// text and the verdict, and may overturn it.
TEST_F(SpinCore, PasteCheck) {
    struct Case {
        const wchar_t* clipboard;
        std::int16_t key, shift, maxLength;
        bool cancelPaste, refused;
    } cases[] = {{L"45", 'V', kCtrl, 0, false, false},  {L"ab", 'V', kCtrl, 0, false, true},
                 {L"ab", 0x2D, kShift, 0, false, true}, {L"1.2.", 'V', kCtrl, 0, false, true},
                 {L"0.5", 'V', kCtrl, 0, false, false}, {L"45", 'V', kCtrl, 3, false, true},
                 {L"", 'V', kCtrl, 0, false, false},    {L"7", 'V', kCtrl, 0, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        core.SetMaxLength(c.maxLength);
        core.SetText(L"12");
        box.selStart = 1;
        box.clipboard = c.clipboard;
        box.sounds.clear();
        events.cancelPaste = c.cancelPaste;
        events.log.clear();
        EXPECT_TRUE(KeyDown(c.key, c.shift));
        EXPECT_EQ(std::make_tuple(core.PasteLocked(), box.readOnly, box.sounds.size()),
                  std::make_tuple(c.refused, c.refused, std::size_t{c.refused}));
        if (*c.clipboard) {
            EXPECT_EQ(events.pastedText, std::wstring(L"1") + c.clipboard + L"2");
            EXPECT_EQ(events.log.back(), c.refused && !c.cancelPaste ? "OnPaste(refused)" : "OnPaste");
        }
        KeyUp(c.key);
        EXPECT_FALSE(box.readOnly || core.PasteLocked());
    }
}

// A paste's lock ends with the key's release, and gives back the Locked
// chosen meanwhile. The Applications key's lock, without a beep, outlives its
// own release until its menu closes or another key is released.
TEST_F(SpinCore, PasteLockEnds) {
    core.SetLocked(true);
    box.clipboard = L"x";
    KeyDown('V', kCtrl);
    EXPECT_TRUE(core.PasteLocked());
    core.SetLocked(false);
    EXPECT_TRUE(box.readOnly);
    core.AfterKeyUp(0x11);
    EXPECT_FALSE(box.readOnly);
    core.SetLocked(true);
    KeyDown('V', kCtrl);
    core.AfterKeyUp('V');
    EXPECT_TRUE(box.readOnly);

    constexpr std::int16_t kApps = 0x5D;
    core.SetLocked(false);
    EXPECT_TRUE(KeyDown(kApps));
    EXPECT_TRUE(box.readOnly);
    EXPECT_EQ(box.sounds.size(), 2u) << "no beep for the menu key";
    KeyUp(kApps);
    EXPECT_TRUE(box.readOnly);
    core.AfterContextMenu();
    EXPECT_FALSE(box.readOnly || core.PasteLocked());
    KeyDown(kApps);
    core.AfterKeyUp(kApps);
    EXPECT_TRUE(core.PasteLocked());
    core.AfterKeyUp('X');
    EXPECT_FALSE(box.readOnly || core.PasteLocked());
}

TEST_F(SpinCore, RaiseEventsOffSilencesAllButOnPaste) {
    core.SetRaiseEvents(false);
    core.SetText(L"");
    Type(L"12");
    core.SpinUpDown(0);
    core.SetValue(50);
    EXPECT_TRUE(events.log.empty());
    box.clipboard = L"1";
    KeyDown('V', kCtrl);
    EXPECT_EQ(events.log, std::vector<std::string>{"OnPaste"});
}

TEST_F(SpinCore, BeepTypesAndTextSelectionOnFocus) {
    core.Beep(3);
    core.Beep(0);
    core.Beep(8);
    core.Beep(-1);
    core.SetBeepSound(6);
    core.Beep();
    EXPECT_EQ(box.sounds, (std::vector<std::int32_t>{3, 1, 6}));

    core.SetText(L"123");
    box.selStart = 1;
    core.OnGotFocus();
    EXPECT_EQ(box.selLength, 0);
    core.SetTextSelection(true);
    core.OnGotFocus();
    EXPECT_EQ(std::make_pair(box.selStart, box.selLength), std::make_pair(0, 3));
}

}  // namespace
}  // namespace brisko
