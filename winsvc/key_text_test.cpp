#include "winsvc/key_text.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <tuple>
#include <vector>

namespace brisko {
namespace {

constexpr std::uint32_t kVkA = 'A', kVkQ = 'Q', kVkF5 = 116, kVkEsc = 27, kVkSpace = 32, kVkCaps = 20, kVkNumLock = 144,
                        kVkScrollLock = 145, kVkInsert = 45, kVkDead = 0xBA, kVkKana = 0xB1, kVkUnknown = 0xFF;

// A US layout as far as these tests need it. Names depend on the scan code,
// the extended bit and the "do not care about left or right" bit, as the
// platform's do.
class FakeKeyboard final : public KeyboardPort {
public:
    std::array<std::int16_t, 256> keyState{}, asyncState{};  // GetKeyState, GetAsyncKeyState
    std::array<std::uint8_t, 256> kbState{};                 // GetKeyboardState
    std::vector<std::int32_t> nameRequests;
    std::uint32_t lastMenuFlag = 99;

    std::wstring KeyNameText(std::int32_t lParam) override {
        nameRequests.push_back(lParam);
        const std::uint32_t scan = (static_cast<std::uint32_t>(lParam) >> 16) & 0xFF;
        const bool sided = ((lParam >> 24) & 1) && !(lParam & 0x2000000);
        if (scan == 0x1D) return sided ? L"Right Ctrl" : L"Ctrl";
        if (scan == 0x36) return (lParam & 0x2000000) ? L"Shift" : L"Right Shift";
        static const std::map<std::uint32_t, const wchar_t*> names = {
            {0x1E, L"A"},           {0x10, L"Q"},         {0x27, L";"},  {0x2A, L"Shift"},
            {0x38, L"Alt"},         {0x3A, L"Caps Lock"}, {0x3F, L"F5"}, {0x45, L"Num Lock"},
            {0x46, L"Scroll Lock"}, {0x52, L"Insert"},    {0x70, L"K"}};
        return names.contains(scan) ? names.at(scan) : L"";
    }
    void KeyboardState(std::uint8_t (&state)[256]) override { std::copy(kbState.begin(), kbState.end(), state); }
    std::int16_t KeyState(std::int32_t vk) override { return keyState[static_cast<std::size_t>(vk)]; }
    std::int16_t AsyncKeyState(std::int32_t vk) override { return asyncState[static_cast<std::size_t>(vk)]; }
    // Letters by Shift, Caps Lock and Ctrl; a dead accent that did not
    // combine (both characters); a kana byte of the ANSI code page.
    std::int32_t ToAscii(std::uint32_t vk, std::uint32_t, const std::uint8_t (&state)[256], std::uint16_t& chars,
                         std::uint32_t menuFlag) override {
        lastMenuFlag = menuFlag;
        const bool upper = ((state[16] & 0x80) != 0) != ((state[20] & 1) != 0);
        const bool letter = vk >= 'A' && vk <= 'Z';
        chars = static_cast<std::uint16_t>(letter          ? ((state[17] & 0x80) ? vk - 64
                                                              : upper            ? vk
                                                                                 : vk + 32)
                                           : vk == kVkDead ? ('`' | ('a' << 8))
                                                           : 0xB1);
        return letter || vk == kVkKana ? 1 : vk == kVkDead ? 2 : 0;
    }
    wchar_t CharOfByte(std::uint8_t b) override { return b == 0xB1 ? L'\uFF71' : static_cast<wchar_t>(b); }
    std::uint32_t ScanCodeOf(std::uint32_t vk) override {
        static const std::map<std::uint32_t, std::uint32_t> scans = {{160, 0x2A}, {161, 0x36}, {162, 0x1D},
                                                                     {163, 0x1D}, {164, 0x38}, {165, 0x38}};
        return scans.contains(vk) ? scans.at(vk) : 0;
    }
    std::uint32_t TickCount() override { return 1000; }
};

// The keyboard's state besides the keys held now (as GetAsyncKeyState sees them).
// Num Lock's toggle is read from its own state, a held high bit ignored.
enum : unsigned { kThreadShift = 1, kCapsOn = 2, kStaleShiftCaps = 4, kStaleCtrl = 8, kShowLR = 16 };
enum : unsigned { kNumOn = 32, kNumHeld = 64 };

TEST(KeyText, Composition) {
    // What the row shows, the key, the keys held, the keyboard's state, the text.
    const std::tuple<const char*, KeyRecord, std::vector<std::uint32_t>, unsigned, const wchar_t*> cases[] = {
        {"Escape is Esc whatever the layout calls it", {kVkEsc, 0x01}, {}, 0, L"Esc"},
        {"Space is one space", {kVkSpace, 0x39}, {}, 0, L" "},
        {"Shift with a letter gives the capital, no prefix", {kVkA, 0x1E}, {160}, kThreadShift, L"A"},
        {"Caps Lock on gives the capital", {kVkA, 0x1E}, {}, kCapsOn, L"A"},
        {"stale Shift and Caps Lock in the keyboard state are replaced", {kVkA, 0x1E}, {}, kStaleShiftCaps, L"a"},
        {"Ctrl with a letter gives the letter back", {kVkA, 0x1E}, {17, 162}, kStaleCtrl, L"Ctrl+A"},
        {"a control character without Ctrl down stays", {kVkA, 0x1E}, {}, kStaleCtrl, L"\x01"},
        {"Right Ctrl named as such with ShowLR", {kVkQ, 0x10}, {17, 163}, kStaleCtrl | kShowLR, L"Right Ctrl+Q"},
        {"Alt and Ctrl before a character, Alt first", {kVkQ, 0x10}, {162, 164}, 0, L"Alt+Ctrl+q"},
        {"all six modifiers", {kVkF5, 0x3F}, {160, 161, 162, 163, 164, 165}, 0, L"Alt+Alt+Shift+Shift+Ctrl+Ctrl+F5"},
        {"Caps Lock pressed while off", {kVkCaps, 0x3A}, {}, 0, L"Caps Lock+"},
        {"Caps Lock pressed while on", {kVkCaps, 0x3A}, {}, kCapsOn, L"Caps Lock-"},
        {"Insert with Ctrl", {kVkInsert, 0x52, 1}, {162}, 0, L"Ctrl+Insert+"},
        {"Scroll Lock", {kVkScrollLock, 0x46}, {}, 0, L"Scroll Lock+"},
        {"Num Lock pressed while on", {kVkNumLock, 0x45, 1}, {}, kNumOn, L"Num Lock-"},
        {"Num Lock held is no toggle", {kVkNumLock, 0x45, 1}, {}, kNumHeld, L"Num Lock+"},
        {"unknown key", {kVkUnknown, 0x00}, {162}, 0, L"[UNRECOGNISED-255]"},
        {"one-character name that does not translate keeps the name", {0xE2, 0x70}, {}, 0, L"K"},
        {"two characters from a dead key", {kVkDead, 0x27}, {}, 0, L"`a"},
        {"character byte in the ANSI code page", {kVkKana, 0x10}, {}, 0, L"\uFF71"},
    };
    for (const auto& [name, rec, held, state, expected] : cases) {
        FakeKeyboard k;
        for (std::uint32_t vk : held) k.asyncState[vk] = static_cast<std::int16_t>(0x8000);
        if (state & kThreadShift) k.keyState[16] = static_cast<std::int16_t>(0xFF80);
        if (state & kCapsOn) k.keyState[kVkCaps] = 1;
        if (state & kStaleShiftCaps) k.kbState[16] = 0x80, k.kbState[kVkCaps] = 1;
        if (state & kStaleCtrl) k.kbState[17] = 0x80;
        if (state & kNumOn) k.keyState[kVkNumLock] = 1;
        if (state & kNumHeld) k.keyState[kVkNumLock] = static_cast<std::int16_t>(0xFF80);
        EXPECT_EQ(BuildKeyText(rec, (state & kShowLR) != 0, k), expected) << name;
    }
}

TEST(KeyText, KeyNameParameterModifierRecordsAndTheMenuFlag) {
    FakeKeyboard k;
    // scan << 16, plus 1, plus flags << 24, plus "no left/right" unless ShowLR.
    KeyName(KeyRecord{kVkF5, 0x3F}, false, k);
    KeyName(KeyRecord{kVkF5, 0x3F, 0x01 | 0x10}, true, k);
    KeyName(KeyRecord{kVkF5, 0x3F, 0x80}, true, k);  // a high flag bit wraps into the sign
    EXPECT_EQ(k.nameRequests,
              (std::vector<std::int32_t>{0x023F0001, 0x113F0001, static_cast<std::int32_t>(0x803F0001u)}));
    // Right Ctrl is the only extended modifier, the Alts carry the Alt-down
    // flag; Down is an extended key.
    const std::pair<std::uint32_t, std::uint32_t> modifiers[] = {
        {163, kKeyExtended}, {162, 0}, {164, kKeyAltDown}, {165, kKeyAltDown}, {160, 0},
        {40, kKeyExtended},  {41, 0},  {17, kKeyExtended}};
    for (auto [vk, f] : modifiers) EXPECT_EQ(ModifierRecord(vk, k).flags, f) << vk;
    EXPECT_EQ(ModifierRecord(161, k).scanCode, 0x36u);
    EXPECT_EQ(ModifierRecord(161, k).time, 1000u);
    // Only the Alt flag becomes ToAscii's menu flag.
    BuildKeyText(KeyRecord{kVkA, 0x1E, kKeyAltDown | kKeyInjected | kKeyExtended}, false, k);
    EXPECT_EQ(k.lastMenuFlag, kKeyAltDown);
    BuildKeyText(KeyRecord{kVkA, 0x1E, kKeyInjected}, false, k);
    EXPECT_EQ(k.lastMenuFlag, 0u);
}

TEST(KeyText, ReportedHookCalls) {
    constexpr std::uintptr_t kDown = 0x100, kUp = 0x101, kSysDown = 0x104;
    // Key downs of an active hook's before phase with HC_ACTION, modifiers aside.
    for (auto vk : {159u, 166u, kVkCaps}) EXPECT_TRUE(IsReportedKeyDown(true, true, 0, kDown, vk)) << vk;
    EXPECT_TRUE(IsReportedKeyDown(true, true, 0, kSysDown, 'F'));
    for (auto vk : {16u, 17u, 18u, 160u, 165u}) EXPECT_FALSE(IsReportedKeyDown(true, true, 0, kDown, vk)) << vk;
    EXPECT_FALSE(IsReportedKeyDown(true, true, 0, kUp, kVkEsc));
    EXPECT_FALSE(IsReportedKeyDown(false, true, 0, kDown, kVkEsc)) << "not active";
    EXPECT_FALSE(IsReportedKeyDown(true, false, 0, kDown, kVkEsc)) << "after phase";
    EXPECT_FALSE(IsReportedKeyDown(true, true, 3, kDown, kVkEsc)) << "not HC_ACTION";
}

}  // namespace
}  // namespace brisko
