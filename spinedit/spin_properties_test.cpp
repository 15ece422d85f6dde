#include "spinedit/spin_properties.h"

#include <gtest/gtest.h>

#include <tuple>

#include "common/error.h"

namespace brisko {
namespace {

std::vector<std::wstring> Keys(const MemoryPropertyStore& s) {
    std::vector<std::wstring> keys;
    for (const auto& e : s.Entries()) keys.push_back(e.first);
    return keys;
}

TEST(SpinProperties, DefaultsWriteNothing) {
    MemoryPropertyStore store;
    SaveSpinEditProperties(SpinEditProperties{}, store);
    EXPECT_TRUE(store.Entries().empty());
    EXPECT_EQ(LoadSpinEditProperties(store), SpinEditProperties{});
}

TEST(SpinProperties, ChangedValuesAreWrittenInKeyOrderAndLoadBack) {
    const SpinEditProperties p{.font = FontSpec::Make(L"MS UI Gothic", 9.75),
                               .alignment = kAlignLeft,
                               .backColor = 0x00FF00FF,
                               .value = 125,
                               .decFig = 2,
                               .text = L"1.25",
                               .linkTimeout = 0,
                               .oleDropMode = 1};
    MemoryPropertyStore store;
    SaveSpinEditProperties(p, store);
    const std::vector<std::wstring> expected = {L"Font",   L"Alignment", L"BackColor",   L"Value",
                                                L"DecFig", L"Text",      L"LinkTimeout", L"OLEDropMode"};
    EXPECT_EQ(Keys(store), expected);
    EXPECT_EQ(std::get<std::uint8_t>(*store.Read(L"DecFig")), 2);
    EXPECT_EQ(std::get<std::int32_t>(*store.Read(L"Value")), 125);
    EXPECT_EQ(std::get<std::int32_t>(*store.Read(L"BackColor")), 0x00FF00FF);
    EXPECT_EQ(LoadSpinEditProperties(store), p);
}

// A stored value from outside is taken only within what its setter takes,
// up to and including the last valid value.
TEST(SpinProperties, StoredValuesAreTakenUpToTheirBounds) {
    FontSpec font = FontSpec::Make(L"Arial", 16384);  // the largest size GDI draws
    font.weight = 1000;
    font.charset = 255;  // OEM_CHARSET
    FontSpec tooLarge = font;
    tooLarge.sizeCy += 1;
    FontSpec tooHeavy = font;
    tooHeavy.weight = 1001;
    FontSpec noCharset = font;
    noCharset.charset = 256;
    const struct {
        const wchar_t* key;
        PropertyValue value;
        bool accepted;
    } cases[] = {
        {L"Font", font, true},         {L"Font", tooLarge, false},  {L"Font", tooHeavy, false},
        {L"Font", noCharset, false},   {L"IMEMode", 8, true},       {L"IMEMode", 9, false},
        {L"BeepSound", 7, true},       {L"BeepSound", 0, false},    {L"DecFig", std::uint8_t{10}, false},
        {L"BeepSound", 8, false},      {L"MousePointer", 15, true}, {L"MousePointer", 16, false},
        {L"MousePointer", 99, true},   {L"BorderStyle", 1, true},   {L"BorderStyle", 2, false},
        {L"NoSuchProperty", 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SpinEditPropertyAccepted(c.key, c.value), c.accepted) << "case " << (&c - cases);
}

TEST(SpinProperties, WrongTypesAreMismatches) {
    MemoryPropertyStore store;
    store.Write(L"Max", std::wstring(L"abc"));
    EXPECT_THROW(LoadSpinEditProperties(store), Error);
    MemoryPropertyStore narrow;
    narrow.Write(L"DecFig", std::int32_t{300});  // does not fit a byte
    EXPECT_THROW(LoadSpinEditProperties(narrow), Error);
    MemoryPropertyStore widened;
    widened.Write(L"DecFig", std::int32_t{3});
    widened.Write(L"Wrap", std::int16_t{-1});
    widened.Write(L"Alignment", false);  // a Boolean read as a number is 0 or -1
    EXPECT_EQ(LoadSpinEditProperties(widened).decFig, 3);
    EXPECT_TRUE(LoadSpinEditProperties(widened).wrap);
    EXPECT_EQ(LoadSpinEditProperties(widened).alignment, 0);
}

// The settings dialog's width field: stored keys in their order, numbers as
// the form keeps them.
TEST(SpinProperties, TabWidthFieldInstance) {
    const MemoryPropertyStore store = TabWidthFieldStore();
    EXPECT_EQ(Keys(store), (std::vector<std::wstring>{L"Enabled", L"Caption", L"Value", L"Max", L"Min", L"EnabledSpin",
                                                      L"SpinMousePointer", L"Text"}));
    const auto p = LoadSpinEditProperties(store);
    EXPECT_EQ(std::tie(p.value, p.max, p.min, p.spinMousePointer, p.caption),
              std::make_tuple(120, 320, 40, 1, std::wstring(L"タブの幅")));
}

}  // namespace
}  // namespace brisko
