#include "spinedit/spin_stream.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace brisko {
namespace {

std::vector<StreamEntry> EveryKind() {
    FontSpec font = FontSpec::Make(L"ＭＳ ゴシック", 9.125, true);
    font.underline = true;
    font.charset = 0;
    return {
        {L"Font", font},
        {L"VMargin", std::int16_t{7}},
        {L"ForeColor", std::int32_t(0x80000012)},
        {L"Enabled", false},
        {L"Caption", std::wstring(L"タブの幅")},
        {L"MouseIcon", PictureBytes{{'l', 't', 0, 0, 0xFF}}},
        {L"Value", std::int32_t{-125}},
        {L"DecFig", std::uint8_t{2}},
        {L"MaxLength", std::int16_t{32767}},
        {L"PasswordChar", std::wstring(L"*")},
        {L"DragIcon", PictureBytes{{1}}},
    };
}

TEST(SpinStream, EveryKindOfValueRoundTripsExactly) {
    const auto entries = EveryKind();
    const auto bytes = EncodeSpinStream(entries);
    EXPECT_EQ(SpinStreamSize(bytes.data(), bytes.size()), bytes.size());
    EXPECT_EQ(DecodeSpinStream(bytes.data(), bytes.size()), entries);

    // A header may promise at most the limit.
    std::vector<std::uint8_t> header(bytes.begin(), bytes.begin() + kSpinStreamHeaderSize);
    for (std::uint32_t body : {kSpinStreamMaxBody, kSpinStreamMaxBody + 1}) {
        for (int i = 0; i < 4; ++i) header[8 + i] = static_cast<std::uint8_t>(body >> (8 * i));
        const auto size = SpinStreamSize(header.data(), header.size());
        EXPECT_EQ(size,
                  body == kSpinStreamMaxBody ? std::optional<std::size_t>(kSpinStreamHeaderSize + body) : std::nullopt);
    }

    // Records without the keys of version 2 stay readable by version 1.
    EXPECT_EQ(bytes[4], 1);
    auto later = entries;
    later.insert(later.begin() + 6, {L"RightToLeft", true});
    const auto marked = EncodeSpinStream(later);
    EXPECT_EQ(marked[4], 2);
    EXPECT_EQ(DecodeSpinStream(marked.data(), marked.size()), later);

    const auto none = EncodeSpinStream({});
    EXPECT_EQ(DecodeSpinStream(none.data(), none.size()), std::vector<StreamEntry>{});
}

TEST(SpinStream, EveryShorterPrefixFails) {
    const auto bytes = EncodeSpinStream(EveryKind());
    for (std::size_t n = 0; n < bytes.size(); ++n) EXPECT_FALSE(DecodeSpinStream(bytes.data(), n)) << n;
    EXPECT_FALSE(DecodeSpinStream(nullptr, 0));
}

// Records the encoder writes from entries the control never gives it, and
// bytes changed after encoding: none of them decodes.
TEST(SpinStream, AnythingTheControlWouldNotWriteFails) {
    using Patch = std::function<void(std::vector<std::uint8_t>&)>;
    struct Case {
        const char* what;
        std::vector<StreamEntry> entries;
        Patch patch;
    };
    const std::vector<StreamEntry> one = {{L"Enabled", false}};
    // Offsets in the record of {"Enabled", false}: header 12, count 2, tag 1,
    // key length 1 and 7 characters, then the value.
    constexpr std::size_t kTag = 14, kBool = 30;
    const Case cases[] = {
        {"magic", one, [](auto& b) { b[0] = 'X'; }},
        {"newer version", one, [](auto& b) { b[4] = 3; }},
        {"version 2 without a key of its own", one, [](auto& b) { b[4] = 2; }},
        {"version 1 with a key of version 2", {{L"RightToLeft", true}}, [](auto& b) { b[4] = 1; }},
        {"reserved bits", one, [](auto& b) { b[6] = 1; }},
        {"a byte to spare", one,
         [](auto& b) {
             b.push_back(0);
             b[8] += 1;
         }},
        {"more entries than given", one, [](auto& b) { b[12] = 2; }},
        {"a boolean that is neither 0 nor 1", one, [](auto& b) { b[kBool] = 2; }},
        {"a kind beyond the last", one, [](auto& b) { b[kTag] = 8; }},
        {"font flags beyond the three", {{L"Font", FontSpec{}}}, [](auto& b) { b[b.size() - 3] = 8; }},
        {"an unknown key", {{L"Visible", true}}, {}},
        {"keys out of order", {{L"Value", std::int32_t{1}}, {L"Caption", std::wstring(L"a")}}, {}},
        {"a key twice", {{L"Value", std::int32_t{1}}, {L"Value", std::int32_t{2}}}, {}},
        {"a value the setter refuses", {{L"VAlign", std::int32_t{3}}}, {}},
        {"a DecFig above 9", {{L"DecFig", std::uint8_t{10}}}, {}},
        {"two password characters", {{L"PasswordChar", std::wstring(L"**")}}, {}},
        {"a font of no size", {{L"Font", FontSpec::Make(L"Arial", 0)}}, {}},
        {"a picture of no bytes", {{L"DragIcon", PictureBytes{}}}, {}},
        {"a number where a flag belongs", {{L"Enabled", std::int32_t{0}}}, {}},
    };
    for (const Case& c : cases) {
        auto bytes = EncodeSpinStream(c.entries);
        if (c.patch) c.patch(bytes);
        EXPECT_FALSE(DecodeSpinStream(bytes.data(), bytes.size())) << c.what;
    }
}

}  // namespace
}  // namespace brisko
