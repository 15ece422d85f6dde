// What the control takes from a container's property bag and from a stored
// record's picture bytes, before any of it reaches the window or the system's
// decoders.
#include "spinedit/spin_bag.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "spinedit/spin_picture.h"

namespace brisko {
namespace {

TEST(SpinBag, NumbersReadFromTextAsTheHostLanguageWritesThem) {
    const std::vector<std::pair<std::wstring, double>> numbers = {{L" 320 ", 320},
                                                                  {L"-1.5e2", -150},
                                                                  {L".5", 0.5},
                                                                  {L"5.", 5},
                                                                  {L"+7", 7},
                                                                  {L"&H140", 320},
                                                                  {L"&HFFFF", -1},
                                                                  {L"&H0000FFFF", 65535},
                                                                  {L"&HFFFFFFFF", -1},
                                                                  {L"&H8000", -32768},
                                                                  {L"&h00FF8040&", 0xFF8040},
                                                                  {L"&O17", 15},
                                                                  {L"&O177777", -1}};
    for (const auto& [text, value] : numbers) EXPECT_EQ(ParseBagNumber(text), value) << testing::PrintToString(text);
    for (const wchar_t* text : {L"", L" ", L"+", L"-.", L"1,000", L"1e", L"1e+", L"e5", L"&H", L"&H123456789", L"&HG",
                                L"&O8", L"&X1", L"0x10", L"1e999", L"12abc", L"1 2"})
        EXPECT_EQ(ParseBagNumber(text), std::nullopt) << testing::PrintToString(std::wstring(text));
}

TEST(SpinBag, EachValueIsTakenCoercedOrReportedWithItsReason) {
    using A = BagDecision::Action;
    FontSpec nameless;
    nameless.name.clear();
    struct Row {
        const wchar_t* key;
        BagValue value;
        A action;
        std::optional<PropertyValue> taken = std::nullopt;
        BagProblem problem = BagProblem::None;
    };
    const Row rows[] = {
        {L"Max", std::wstring(L" 320"), A::Take, std::int32_t{320}},
        {L"Max", 2.5, A::Take, std::int32_t{2}},
        {L"Max", 3.5, A::Take, std::int32_t{4}},
        {L"Max", std::nan(""), A::Report, {}, BagProblem::Overflow},
        {L"Max", std::monostate{}, A::KeepDefault},
        {L"Max", BagNull{}, A::Report, {}, BagProblem::TypeMismatch},
        {L"Max", BagOtherObject{}, A::Report, {}, BagProblem::TypeMismatch},
        {L"ForeColor", std::wstring(L"&H80000012"), A::Take, std::int32_t(0x80000012)},
        {L"MaxLength", std::int64_t{70000}, A::Report, {}, BagProblem::Overflow},
        {L"MaxLength", true, A::Report, {}, BagProblem::InvalidValue},
        {L"DecFig", true, A::Report, {}, BagProblem::Overflow},
        {L"DecFig", std::int64_t{2}, A::Take, std::uint8_t{2}},
        {L"VAlign", std::int64_t{7}, A::Report, {}, BagProblem::InvalidValue},
        {L"Enabled", std::wstring(L"perhaps"), A::Report, {}, BagProblem::TypeMismatch},
        {L"Enabled", std::wstring(L" tRUE "), A::Take, true},
        {L"Enabled", std::wstring(L"-1"), A::Take, true},
        {L"Enabled", std::int64_t{0}, A::Take, false},
        {L"Caption", std::int64_t{5}, A::Take, std::wstring(L"5")},
        {L"Caption", true, A::Take, std::wstring(L"-1")},
        {L"Caption", 1.25, A::Take, std::wstring(L"1.25")},
        {L"PasswordChar", std::wstring(L"ab"), A::Report, {}, BagProblem::InvalidValue},
        {L"Font", std::wstring(L"Arial"), A::Report, {}, BagProblem::TypeMismatch},
        {L"Font", BagNull{}, A::KeepDefault},
        {L"Font", FontSpec{}, A::Take, FontSpec{}},
        {L"Font", nameless, A::Report, {}, BagProblem::InvalidValue},
        {L"MouseIcon", BagPicture{}, A::TakePicture},
        {L"MouseIcon", BagNull{}, A::KeepDefault},
        {L"MouseIcon", std::int64_t{5}, A::Report, {}, BagProblem::TypeMismatch},
        {L"DragIcon", BagOtherObject{}, A::Report, {}, BagProblem::TypeMismatch},
        {L"Text", BagUnsupported{}, A::Report, {}, BagProblem::TypeMismatch},
        {L"Nonsense", std::int64_t{1}, A::Report, {}, BagProblem::TypeMismatch},
    };
    for (const Row& r : rows) {
        const BagDecision d = DecideBagValue(r.key, r.value);
        EXPECT_EQ(d.action, r.action) << testing::PrintToString(std::wstring(r.key)) << " #" << (&r - rows);
        EXPECT_EQ(d.value, r.taken) << testing::PrintToString(std::wstring(r.key)) << " #" << (&r - rows);
        EXPECT_EQ(d.problem, r.problem) << testing::PrintToString(std::wstring(r.key)) << " #" << (&r - rows);
    }
}

// Little-endian bytes.
void Put(std::vector<std::uint8_t>& b, std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A one-pixel 32-bit icon (type 1) or cursor (type 2) file; with masks, its
// colours as bit fields.
std::vector<std::uint8_t> IconFile(std::uint32_t type = 1, std::uint32_t height = 2, std::uint32_t length = 48,
                                   bool masks = false) {
    std::vector<std::uint8_t> b;
    Put(b, 0, 2), Put(b, type, 2), Put(b, 1, 2);
    Put(b, 0x0101, 2), Put(b, 0, 2), Put(b, 0x200001, 4), Put(b, length, 4), Put(b, 22, 4);
    Put(b, 40, 4), Put(b, 1, 4), Put(b, height, 4), Put(b, 1, 2), Put(b, 32, 2), Put(b, masks ? 3 : 0, 4);
    b.resize(b.size() + 20 + (masks ? 12 : 0) + 8);  // the rest of the header, one colour row, one mask row
    return b;
}

// A one-pixel 24-bit bitmap file.
std::vector<std::uint8_t> BitmapFile(std::int32_t height = 1, std::uint32_t bits = 54) {
    std::vector<std::uint8_t> b = {'B', 'M'};
    Put(b, 58, 4), Put(b, 0, 4), Put(b, bits, 4);
    Put(b, 40, 4), Put(b, 1, 4), Put(b, static_cast<std::uint32_t>(height), 4), Put(b, 1, 2), Put(b, 24, 2);
    b.resize(58);
    return b;
}

std::vector<std::uint8_t> Persisted(std::vector<std::uint8_t> image, std::uint32_t declared = 0) {
    std::vector<std::uint8_t> b = {'l', 't', 0, 0};
    Put(b, declared ? declared : image.size(), 4);
    b.insert(b.end(), image.begin(), image.end());
    return b;
}

TEST(SpinPicture, OnlyWholePicturesOfKnownKindsPass) {
    auto lying = IconFile();
    lying[18] = 0xF0;  // the image's offset, past the end
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    png.resize(33);
    const std::vector<std::uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0};
    struct Row {
        std::vector<std::uint8_t> bytes;
        std::optional<PictureFormat> format;
    };
    const Row rows[] = {
        {Persisted(IconFile()), PictureFormat::Icon},
        {Persisted(IconFile(2)), PictureFormat::Cursor},
        {Persisted(IconFile(1, 2, 60, true)), PictureFormat::Icon},
        {Persisted(IconFile(1, 2, 56, true)), std::nullopt},  // the masks take room too
        {IconFile(), PictureFormat::Icon},
        {Persisted(BitmapFile()), PictureFormat::Bitmap},
        {Persisted(BitmapFile(-1)), PictureFormat::Bitmap},
        {Persisted(png), PictureFormat::Png},
        {Persisted(gif), PictureFormat::Gif},
        {Persisted(IconFile(), 200), std::nullopt},          // declares more than it holds
        {Persisted({}, 0), std::nullopt},                    // an empty picture
        {Persisted(IconFile(3)), std::nullopt},              // neither icon nor cursor
        {Persisted(lying), std::nullopt},                    // an image outside the file
        {Persisted(IconFile(1, 2, 44)), std::nullopt},       // its rows do not fit its length
        {Persisted(IconFile(1, 0x7FFFFFFF)), std::nullopt},  // absurd height
        {Persisted(BitmapFile(2)), std::nullopt},            // two rows in one row's bytes
        {Persisted(BitmapFile(1, 60)), std::nullopt},        // pixels past the end
        {Persisted(std::vector<std::uint8_t>(png.begin(), png.end() - 1)), std::nullopt},
        {Persisted({'h', 'e', 'l', 'l', 'o'}), std::nullopt},
    };
    for (const Row& r : rows) {
        const auto image = CheckPictureBytes(r.bytes.data(), r.bytes.size());
        EXPECT_EQ(image ? std::optional(image->format) : std::nullopt, r.format) << "#" << (&r - rows);
        if (image) {
            EXPECT_LE(image->offset + image->size, r.bytes.size());
        }
    }
    const auto whole = Persisted(IconFile());
    const auto image = CheckPictureBytes(whole.data(), whole.size());
    ASSERT_TRUE(image);
    EXPECT_EQ(std::make_pair(image->offset, image->size), std::make_pair(std::size_t{8}, whole.size() - 8));
}

}  // namespace
}  // namespace brisko
