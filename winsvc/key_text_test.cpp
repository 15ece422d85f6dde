#include "winsvc/key_text.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <map>
#include <utility>
#include <vector>

#include "winsvc/shift.h"

namespace brisko {
namespace {

constexpr std::uint32_t kVkA = 'A', kVkQ = 'Q', kVkF5 = 116, kVkEsc = 27, kVkSpace = 32, kVkCaps = 20, kVkNumLock = 144,
                        kVkInsert = 45, kVkDead = 0xBA, kVkKana = 0xB1, kVkUnknown = 0xFF;

// A US layout as far as these tests need it. Names depend on the scan code,
// the extended bit and the "do not care about left or right" bit, as the
// platform's do.
class FakeKeyboard final : public KeyboardPort {
public:
    std::array<std::int16_t, 256> keyState{};    // GetKeyState
    std::array<std::int16_t, 256> asyncState{};  // GetAsyncKeyState
    std::array<std::uint8_t, 256> kbState{};     // GetKeyboardState
    std::vector<std::int32_t> nameRequests;
    std::uint32_t lastMenuFlag = 99;

    void Hold(std::uint32_t vk) { asyncState[vk] = static_cast<std::int16_t>(0x8000); }
    void HoldThreadShift() { keyState[16] = static_cast<std::int16_t>(0xFF80); }
    void CapsOn() { keyState[kVkCaps] = 1; }

    std::wstring KeyNameText(std::int32_t lParam) override {
        nameRequests.push_back(lParam);
        const std::uint32_t scan = (static_cast<std::uint32_t>(lParam) >> 16) & 0xFF;
        const bool sided = ((lParam >> 24) & 1) && !(lParam & 0x2000000);
        if (scan == 0x1D) return sided ? L"Right Ctrl" : L"Ctrl";
        if (scan == 0x38) return sided ? L"Right Alt" : L"Alt";
        if (scan == 0x36) return (lParam & 0x2000000) ? L"Shift" : L"Right Shift";
        static const std::map<std::uint32_t, const wchar_t*> names = {
            {0x01, L"Escape"}, {0x10, L"Q"},        {0x1E, L"A"},      {0x2C, L"Z"},
            {0x27, L";"},      {0x2A, L"Shift"},    {0x39, L"Space"},  {0x3A, L"Caps Lock"},
            {0x3F, L"F5"},     {0x45, L"Num Lock"}, {0x52, L"Insert"}, {0x70, L"K"}};
        const auto it = names.find(scan);
        return it == names.end() ? L"" : it->second;
    }
    void KeyboardState(std::uint8_t (&state)[256]) override {
        for (int i = 0; i < 256; ++i) state[i] = kbState[static_cast<std::size_t>(i)];
    }
    std::int16_t KeyState(std::int32_t vk) override { return keyState[static_cast<std::size_t>(vk)]; }
    std::int16_t AsyncKeyState(std::int32_t vk) override { return asyncState[static_cast<std::size_t>(vk)]; }
    // Letters by Shift, Caps Lock and Ctrl; a space; a dead accent that did
    // not combine (both characters); a kana byte of the ANSI code page.
    std::int32_t ToAscii(std::uint32_t vk, std::uint32_t, const std::uint8_t (&state)[256], std::uint16_t& chars,
                         std::uint32_t menuFlag) override {
        lastMenuFlag = menuFlag;
        const bool upper = ((state[16] & 0x80) != 0) != ((state[20] & 1) != 0);
        const bool letter = vk >= 'A' && vk <= 'Z';
        chars = static_cast<std::uint16_t>(letter           ? ((state[17] & 0x80) ? vk - 64
                                                               : upper            ? vk
                                                                                  : vk + 32)
                                           : vk == kVkSpace ? ' '
                                           : vk == kVkDead  ? ('`' | ('a' << 8))
                                                            : 0xB1);
        return letter || vk == kVkSpace || vk == kVkKana ? 1 : vk == kVkDead ? 2 : 0;
    }
    wchar_t CharOfByte(std::uint8_t b) override { return b == 0xB1 ? L'\uFF71' : static_cast<wchar_t>(b); }
    std::uint32_t ScanCodeOf(std::uint32_t vk) override {
        static const std::map<std::uint32_t, std::uint32_t> scans = {{16, 0x2A},  {17, 0x1D},  {18, 0x38},
                                                                     {160, 0x2A}, {161, 0x36}, {162, 0x1D},
                                                                     {163, 0x1D}, {164, 0x38}, {165, 0x38}};
        const auto it = scans.find(vk);
        return it == scans.end() ? 0 : it->second;
    }
    std::uint32_t TickCount() override { return 1000; }
};

KeyRecord Key(std::uint32_t vk, std::uint32_t scan, std::uint32_t flags = 0) {
    return KeyRecord{vk, scan, flags, 0, 0};
}

// The keyboard's state for one case: keys held now (as GetAsyncKeyState sees
// them), Shift held for the thread, Caps Lock on, and stale entries in the
// thread's keyboard state array.
struct State {
    State(std::vector<std::uint32_t> h = {}, bool shift = false, bool capsOn = false,
          std::vector<std::uint32_t> stale = {})
        : held(std::move(h)), threadShift(shift), caps(capsOn), staleDown(std::move(stale)) {}
    std::vector<std::uint32_t> held;
    bool threadShift, caps;
    std::vector<std::uint32_t> staleDown;
};

TEST(KeyText, Composition) {
    const struct {
        const char* name;
        KeyRecord rec;
        State state;
        const wchar_t* expected;
        bool showLR = false;
    } cases[] = {
        {"Escape is Esc whatever the layout calls it", Key(kVkEsc, 0x01), {}, L"Esc"},
        {"Ctrl with Escape", Key(kVkEsc, 0x01), {{162}}, L"Ctrl+Esc"},
        {"Space is one space", Key(kVkSpace, 0x39), {}, L" "},
        {"letter", Key(kVkA, 0x1E), {}, L"a"},
        {"Shift with a letter gives the capital, no prefix", Key(kVkA, 0x1E), {{160}, true}, L"A"},
        {"Caps Lock on gives the capital", Key(kVkA, 0x1E), {{}, false, true}, L"A"},
        {"Caps Lock on with Shift gives the small letter", Key(kVkA, 0x1E), {{}, true, true}, L"a"},
        {"stale Shift and Caps Lock in the keyboard state are replaced",
         Key(kVkA, 0x1E),
         {{}, false, false, {16, 20}},
         L"a"},
        {"Ctrl with a letter turns the control character back into the letter",
         Key(kVkA, 0x1E),
         {{17, 162}, false, false, {17}},
         L"Ctrl+A"},
        {"Ctrl with Z gives Z back", Key('Z', 0x2C), {{17, 162}, false, false, {17}}, L"Ctrl+Z"},
        {"control character without Ctrl down by async state stays",
         Key(kVkA, 0x1E),
         {{}, false, false, {17}},
         L"\x01"},
        {"Right Ctrl with a letter, left and right not told apart",
         Key(kVkQ, 0x10),
         {{17, 163}, false, false, {17}},
         L"Ctrl+Q"},
        {"Right Ctrl named as such with ShowLR",
         Key(kVkQ, 0x10),
         {{17, 163}, false, false, {17}},
         L"Right Ctrl+Q",
         true},
        {"Alt and Ctrl before a character, Alt first", Key(kVkQ, 0x10), {{162, 164}}, L"Alt+Ctrl+q"},
        {"named key with Shift", Key(kVkF5, 0x3F), {{160}}, L"Shift+F5"},
        {"named key with both Shifts and ShowLR", Key(kVkF5, 0x3F), {{160, 161}}, L"Right Shift+Shift+F5", true},
        {"named key with every modifier in order",
         Key(kVkF5, 0x3F),
         {{160, 161, 162, 163, 164, 165}},
         L"Alt+Alt+Shift+Shift+Ctrl+Ctrl+F5"},
        {"Caps Lock pressed while off", Key(kVkCaps, 0x3A), {}, L"Caps Lock+"},
        {"Caps Lock pressed while on", Key(kVkCaps, 0x3A), {{}, false, true}, L"Caps Lock-"},
        {"Insert off with Ctrl", Key(kVkInsert, 0x52, 1), {{162}}, L"Ctrl+Insert+"},
        {"unknown key", Key(kVkUnknown, 0x00), {{162}}, L"[UNRECOGNISED-255]"},
        {"one-character name that does not translate keeps the name", Key(0xE2, 0x70), {}, L"K"},
        {"two characters from a dead key", Key(kVkDead, 0x27), {}, L"`a"},
        {"character byte in the ANSI code page", Key(kVkKana, 0x10), {}, L"\uFF71"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeKeyboard k;
        for (std::uint32_t vk : c.state.held) k.Hold(vk);
        if (c.state.threadShift) k.HoldThreadShift();
        if (c.state.caps) k.CapsOn();
        for (std::uint32_t vk : c.state.staleDown) k.kbState[vk] = vk == kVkCaps ? 1 : 0x80;
        EXPECT_EQ(BuildKeyText(c.rec, c.showLR, k), c.expected);
    }
    // Num Lock's toggle is read from its own state, a held high bit ignored.
    FakeKeyboard k;
    k.keyState[kVkNumLock] = 1;
    EXPECT_EQ(BuildKeyText(Key(kVkNumLock, 0x45, 1), false, k), L"Num Lock-");
    k.keyState[kVkNumLock] = static_cast<std::int16_t>(0xFF80);
    EXPECT_EQ(BuildKeyText(Key(kVkNumLock, 0x45, 1), false, k), L"Num Lock+");
}

TEST(KeyText, KeyNameParameter) {
    FakeKeyboard k;
    // scan << 16, plus 1, plus flags << 24, plus "no left/right" unless ShowLR.
    KeyName(Key(kVkF5, 0x3F), false, k);
    KeyName(Key(kVkF5, 0x3F), true, k);
    KeyName(Key(kVkF5, 0x3F, 0x01 | 0x10), true, k);
    KeyName(Key(kVkF5, 0x3F, 0x80), true, k);  // a high flag bit wraps into the sign
    EXPECT_EQ(k.nameRequests,
              (std::vector<std::int32_t>{0x023F0001, 0x003F0001, 0x113F0001, static_cast<std::int32_t>(0x803F0001u)}));

    // Modifier records: right Ctrl is the only extended one, the Alts carry
    // the Alt-down flag.
    const std::pair<std::uint32_t, std::uint32_t> flags[] = {
        {163, kKeyExtended}, {162, 0}, {164, kKeyAltDown}, {165, kKeyAltDown}, {160, 0},
        {40, kKeyExtended},  {41, 0},  {17, kKeyExtended}};
    for (auto [vk, f] : flags) EXPECT_EQ(ModifierRecord(vk, k).flags, f) << vk;
    EXPECT_EQ(ModifierRecord(161, k).scanCode, 0x36u);
    EXPECT_EQ(ModifierRecord(161, k).time, 1000u);
}

TEST(KeyText, AltFlagBecomesTheMenuFlag) {
    FakeKeyboard k;
    BuildKeyText(Key(kVkA, 0x1E, kKeyAltDown | kKeyInjected | kKeyExtended), false, k);
    EXPECT_EQ(k.lastMenuFlag, kKeyAltDown);
    BuildKeyText(Key(kVkA, 0x1E, kKeyInjected), false, k);
    EXPECT_EQ(k.lastMenuFlag, 0u);
}

TEST(KeyText, ReportedHookCalls) {
    constexpr std::uintptr_t kDown = 0x100, kUp = 0x101, kSysDown = 0x104, kSysUp = 0x105;
    // Key downs of an active hook's before phase with HC_ACTION, modifiers aside.
    EXPECT_TRUE(IsReportedKeyDown(true, true, 0, kDown, kVkEsc));
    EXPECT_TRUE(IsReportedKeyDown(true, true, 0, kSysDown, 'F'));
    for (std::uint32_t vk : {159u, 166u, kVkCaps}) EXPECT_TRUE(IsReportedKeyDown(true, true, 0, kDown, vk)) << vk;
    for (std::uint32_t vk : {16u, 17u, 18u, 160u, 163u, 165u}) {
        EXPECT_FALSE(IsReportedKeyDown(true, true, 0, kSysDown, vk)) << vk;
    }
    for (std::uintptr_t msg : {kUp, kSysUp}) EXPECT_FALSE(IsReportedKeyDown(true, true, 0, msg, kVkEsc)) << msg;
    EXPECT_FALSE(IsReportedKeyDown(false, true, 0, kDown, kVkEsc)) << "not active";
    EXPECT_FALSE(IsReportedKeyDown(true, false, 0, kDown, kVkEsc)) << "after phase";
    for (std::int32_t code : {3, -1}) EXPECT_FALSE(IsReportedKeyDown(true, true, code, kDown, kVkEsc)) << code;
}

TEST(Shift, EdgeValues) {
    struct Case {
        std::int32_t value, shift, left, right;
    };
    const Case cases[] = {{1, 31, INT32_MIN, 0},
                          {1, 32, 1, 1},
                          {-1, 28, -268435456, 15},
                          {INT32_MIN, 31, 0, 1},
                          {1, -1, INT32_MIN, 0},
                          {0x7FFFFFFF, 1, -2, 0x3FFFFFFF},
                          {0x12345678, 36, 0x23456780, 0x01234567}};
    for (const Case& c : cases) {
        EXPECT_EQ(CShift::ShiftLeft(c.value, c.shift), c.left) << c.value << " << " << c.shift;
        EXPECT_EQ(CShift::ShiftRight(c.value, c.shift), c.right) << c.value << " >> " << c.shift;
    }
}

}  // namespace
}  // namespace brisko
