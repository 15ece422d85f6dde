// What the control takes from a container's property bag, from a stored
// record's picture bytes and from a drop, before any of it reaches the window
// or the system's decoders.
#include "spinedit/spin_bag.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "spinedit/spin_drop.h"
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
                                                                  {L"&H0FFFF", 65535},
                                                                  {L"&haf", 175},
                                                                  {L"&O17", 15},
                                                                  {L"&O177777", -1}};
    for (const auto& [text, value] : numbers) EXPECT_EQ(ParseBagNumber(text), value) << testing::PrintToString(text);
    for (const wchar_t* text : {L"", L" ", L"+", L"-.", L"1,000", L"1e", L"1e+", L"e5", L"&H", L"&H123456789",
                                L"&H000000001", L"&HG", L"&O8", L"&X1", L"0x10", L"1e999", L"12abc", L"1 2"})
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
        {L"ForeColor", std::wstring(L"&H80000012"), A::Take, std::int32_t(0x80000012)},
        {L"MaxLength", std::int64_t{70000}, A::Report, {}, BagProblem::Overflow},
        {L"MaxLength", true, A::Report, {}, BagProblem::InvalidValue},
        {L"DecFig", true, A::Report, {}, BagProblem::Overflow},
        {L"DecFig", std::int64_t{2}, A::Take, std::uint8_t{2}},
        {L"VAlign", std::int64_t{7}, A::Report, {}, BagProblem::InvalidValue},
        {L"Enabled", std::wstring(L"perhaps"), A::Report, {}, BagProblem::TypeMismatch},
        {L"Enabled", std::wstring(L" tRUE "), A::Take, true},
        {L"Enabled", std::wstring(L"FALSE"), A::Take, false},
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
        {L"Text", BagUnsupported{}, A::Report, {}, BagProblem::TypeMismatch},
        {L"Nonsense", std::int64_t{1}, A::Report, {}, BagProblem::TypeMismatch},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "row " << (&r - rows));
        const BagDecision d = DecideBagValue(r.key, r.value);
        EXPECT_EQ(std::tie(d.action, d.value, d.problem), std::tie(r.action, r.taken, r.problem));
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

// A one-pixel bitmap file, 24-bit by default: its header (12 bytes for the
// old core header), a full palette below 16 bits, then one row of pixels.
std::vector<std::uint8_t> BitmapFile(std::int32_t height = 1, std::uint32_t extraBits = 0, std::uint32_t bpp = 24,
                                     std::uint32_t compression = 0, std::uint32_t used = 0, std::uint32_t info = 40) {
    const std::uint32_t palette = bpp < 16 ? (used ? used : 1u << bpp) * (info == 12 ? 3 : 4) : 0;
    const std::uint32_t bits = 14 + info + palette;
    std::vector<std::uint8_t> b = {'B', 'M'};
    Put(b, bits + 4, 4), Put(b, 0, 4), Put(b, bits + extraBits, 4), Put(b, info, 4);
    if (info == 12)
        Put(b, 1, 2), Put(b, static_cast<std::uint32_t>(height), 2), Put(b, 1, 2), Put(b, bpp, 2);
    else
        Put(b, 1, 4), Put(b, static_cast<std::uint32_t>(height), 4), Put(b, 1, 2), Put(b, bpp, 2),
            Put(b, compression, 4), Put(b, 4, 4), Put(b, 0, 8), Put(b, used, 4);
    b.resize(bits + 4);
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
    auto oddHeader = IconFile();
    oddHeader[22] = 41;  // an image header of no known size
    auto noPalette = BitmapFile(1, 0, 8, 0, 2);
    noPalette.resize(58), noPalette[10] = 54;  // two colours promised, none there
    auto emptyRuns = BitmapFile(1, 0, 8, 1), noWidth = BitmapFile();
    emptyRuns[34] = 0, noWidth[18] = 0;  // run-length pixels of no size, an image of no width
    std::vector<std::uint8_t> pngIcon;
    Put(pngIcon, 0, 2), Put(pngIcon, 1, 2), Put(pngIcon, 1, 2);
    Put(pngIcon, 0x0101, 2), Put(pngIcon, 0, 2), Put(pngIcon, 0x200001, 4), Put(pngIcon, 33, 4), Put(pngIcon, 22, 4);
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    png.resize(33);
    pngIcon.insert(pngIcon.end(), png.begin(), png.end());
    const std::vector<std::uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0};
    std::vector<std::uint8_t> metafile = {0xD7, 0xCD, 0xC6, 0x9A}, emf;
    metafile.resize(22), Put(metafile, 1, 2), Put(metafile, 9, 2), metafile.resize(40);
    Put(emf, 1, 4), Put(emf, 88, 4), emf.resize(40), Put(emf, 0x464D4520, 4), Put(emf, 0, 4), Put(emf, 88, 4);
    emf.resize(88);
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
        {Persisted(BitmapFile(0)), std::nullopt},            // no rows
        {Persisted(noWidth), std::nullopt},
        {Persisted(BitmapFile(1, 6)), std::nullopt},  // pixels past the end
        {Persisted(BitmapFile(1, 0, 8)), PictureFormat::Bitmap},
        {Persisted(BitmapFile(1, 0, 8, 0, 256)), PictureFormat::Bitmap},
        {Persisted(BitmapFile(1, 0, 8, 0, 257)), std::nullopt},  // more colours than 8 bits name
        {Persisted(BitmapFile(1, 0, 8, 0, 0, 12)), PictureFormat::Bitmap},
        {Persisted(BitmapFile(1, 0, 8, 1)), PictureFormat::Bitmap},  // run-length
        {Persisted(BitmapFile(1, 0, 24, 1)), std::nullopt},
        {Persisted(BitmapFile(1, 0, 32, 3)), PictureFormat::Bitmap},  // bit fields
        {Persisted(BitmapFile(1, 0, 24, 3)), std::nullopt},
        {Persisted(BitmapFile(2, 0, 32, 3)), std::nullopt},
        {Persisted(BitmapFile(1, 0, 4, 2)), PictureFormat::Bitmap},
        {Persisted(oddHeader), std::nullopt},
        {Persisted(noPalette), std::nullopt},
        {Persisted(emptyRuns), std::nullopt},
        {Persisted(pngIcon), PictureFormat::Icon},
        {Persisted(std::vector<std::uint8_t>(metafile.begin(), metafile.begin() + 26)), std::nullopt},
        {Persisted(metafile), PictureFormat::Metafile},
        {Persisted(emf), PictureFormat::EnhancedMetafile},
        {Persisted(std::vector<std::uint8_t>(emf.begin(), emf.end() - 1)), std::nullopt},
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

TEST(SpinDrop, FileListsAndTextsAreReadWithinTheirBytes) {
    const auto block = MakeDropFiles({L"C:\\a.txt", L"C:\\b c.txt"});
    const auto files = ParseDropFiles(block.data(), block.size());
    ASSERT_TRUE(files);
    EXPECT_EQ(files->wide, (std::vector<std::wstring>{L"C:\\a.txt", L"C:\\b c.txt"}));
    EXPECT_FALSE(ParseDropFiles(block.data(), block.size(), 1)) << "more names than allowed";
    EXPECT_EQ(ParseDropFiles(block.data(), block.size() - 2)->wide.size(), 2u) << "a list without its end";
    std::vector<std::uint8_t> ansi;
    Put(ansi, 24, 4);
    for (int i = 0; i < 5; ++i) Put(ansi, 0, 4);  // point, flags (ANSI names), then 4 spare bytes
    for (char c : std::string("a.txt\0b", 7)) ansi.push_back(static_cast<std::uint8_t>(c));  // the last cut short
    EXPECT_EQ(ParseDropFiles(ansi.data(), ansi.size())->ansi, std::vector<std::string>{"a.txt"});
    for (std::uint32_t offset : {19u, 32u}) {
        ansi[0] = static_cast<std::uint8_t>(offset);
        EXPECT_FALSE(ParseDropFiles(ansi.data(), ansi.size())) << offset;
    }
    const std::uint8_t wide[] = {'a', 0, 'b', 0, 0, 0, 'c', 0, 'd'};
    EXPECT_EQ(WideTextOf(wide, sizeof wide), L"ab");
    EXPECT_EQ(WideTextOf(wide, 3), L"a") << "half a character is none";
    EXPECT_EQ(WideTextOf(wide, 4, 2), L"ab");
    EXPECT_EQ(WideTextOf(wide + 6, 3, 0), std::nullopt) << "more than allowed";
    EXPECT_EQ(AnsiTextOf(wide + 6, 3), "c");
    EXPECT_EQ(AnsiTextOf(wide + 6, 3, 0), std::nullopt);
}

TEST(SpinDrop, EffectsButtonsAndShiftsAsATextBoxTakesThem) {
    const std::tuple<std::uint32_t, std::uint32_t, std::uint32_t> effects[] = {
        {kDropCopy | kDropMove, 0, kDropMove},
        {kDropCopy | kDropMove, kKeyControl, kDropCopy},
        {kDropCopy | kDropMove, kKeyShift, kDropMove},
        {kDropCopy, 0, kDropCopy},
        {kDropCopy, kKeyShift, kDropNone},
        {kDropMove, kKeyControl, kDropNone}};
    for (const auto& [allowed, keys, effect] : effects) EXPECT_EQ(DropEffectFor(allowed, keys), effect);
    EXPECT_EQ(DropButton(kKeyLeft | kKeyShift), 1);
    EXPECT_EQ(DropButton(kKeyMiddle), 4);
    EXPECT_EQ(DropButton(kKeyRight), 2);
    EXPECT_EQ(DropShift(kKeyAlt | kKeyLeft), 4);
    EXPECT_EQ(DropShift(kKeyControl), 2);
}

}  // namespace
}  // namespace brisko
