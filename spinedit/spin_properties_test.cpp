#include "spinedit/spin_properties.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/error.h"
#include "spinedit/spin_edit_core.h"

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
    SpinEditProperties p;
    p.oleDropMode = 1;
    p.font = FontSpec::Make(L"MS UI Gothic", 9.75);
    p.decFig = 2;
    p.value = 125;
    p.backColor = 0x00FF00FF;
    p.text = L"1.25";
    p.alignment = 0;
    p.linkTimeout = 0;
    MemoryPropertyStore store;
    SaveSpinEditProperties(p, store);
    const std::vector<std::wstring> expected = {L"Font",   L"Alignment", L"BackColor",   L"Value",
                                                L"DecFig", L"Text",      L"LinkTimeout", L"OLEDropMode"};
    EXPECT_EQ(Keys(store), expected);
    // Every written key keeps the documented order.
    const auto& order = SpinEditPropertyKeys();
    EXPECT_EQ(order.size(), 50u);
    std::size_t last = 0;
    for (const auto& k : Keys(store)) {
        auto it = std::find(order.begin(), order.end(), k);
        ASSERT_NE(it, order.end());
        EXPECT_GE(static_cast<std::size_t>(it - order.begin()), last);
        last = static_cast<std::size_t>(it - order.begin());
    }
    EXPECT_EQ(std::get<std::uint8_t>(*store.Read(L"DecFig")), 2);
    EXPECT_EQ(std::get<std::int32_t>(*store.Read(L"Value")), 125);
    EXPECT_EQ(std::get<std::int32_t>(*store.Read(L"BackColor")), 0x00FF00FF);
    EXPECT_EQ(LoadSpinEditProperties(store), p);
}

TEST(SpinProperties, ScaledNumbersLoadStraightIntoTheFields) {
    MemoryPropertyStore store;
    store.Write(L"DecFig", std::uint8_t{2});
    store.Write(L"Value", std::int32_t{125});
    const auto p = LoadSpinEditProperties(store);

    struct NullBox : SpinTextBoxPort {
        std::wstring Text() const override { return L"0"; }
        void SetText(const std::wstring&) override {}
        std::int32_t SelStart() const override { return 0; }
        std::int32_t SelLength() const override { return 0; }
        void SetSel(std::int32_t, std::int32_t) override {}
        bool ReadOnly() const override { return false; }
        void SetReadOnly(bool) override {}
        bool Visible() const override { return true; }
        void Focus() override {}
        std::wstring ClipboardText() const override { return L""; }
        void ShowMessage(const std::wstring&, const std::wstring&, const std::wstring&, std::int32_t) override {}
        void PlaySound(std::int32_t, std::int32_t, std::int32_t) override {}
    } box;
    SpinEditCore core(box);
    core.LoadScaled({p.value, p.max, p.min, p.increment, static_cast<std::int16_t>(p.decFig)});
    EXPECT_DOUBLE_EQ(core.Value(), 1.25);
    EXPECT_DOUBLE_EQ(core.Max(), 1.0);  // the default 100 is a scaled number too
    EXPECT_DOUBLE_EQ(core.Increment(), 0.01);
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

TEST(SpinProperties, TabWidthFieldInstance) {
    const MemoryPropertyStore store = TabWidthFieldStore();
    const std::vector<std::wstring> expected = {L"Enabled",     L"Caption",          L"Value", L"Max", L"Min",
                                                L"EnabledSpin", L"SpinMousePointer", L"Text"};
    EXPECT_EQ(Keys(store), expected);
    const auto p = LoadSpinEditProperties(store);
    EXPECT_EQ(p.caption, L"タブの幅");
    EXPECT_EQ(p.value, 120);
    EXPECT_EQ(p.max, 320);
    EXPECT_EQ(p.min, 40);
    EXPECT_FALSE(p.enabled);
    EXPECT_FALSE(p.enabledSpin);
    EXPECT_EQ(p.spinMousePointer, 1);
    EXPECT_EQ(p.text, L"120");
    EXPECT_EQ(p.decFig, 0);
}

}  // namespace
}  // namespace brisko
