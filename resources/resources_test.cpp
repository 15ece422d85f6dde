// The resources as they are compiled into Brisko.dll, read back as the
// add-in reads them: the two drag cursors, the menu strings, and the tab
// icons through the picture decoder.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/error.h"
#include "common/win/gdi.h"
#include "resources/test_dll.h"
#include "tracking/win/resource_picture.h"

namespace brisko {
namespace {

using test::BriskoDll;

TEST(Resources, DragCursorsAreMonochromeWithTheirHotSpotsAndMenuStringsComeBackExactly) {
    ASSERT_NE(BriskoDll(), nullptr);
    for (auto [id, hotSpot] : {std::pair<WORD, DWORD>{101, 1}, {102, 15}}) {
        HCURSOR cursor = LoadCursorA(BriskoDll(), MAKEINTRESOURCEA(id));
        ICONINFO ii{};
        ASSERT_TRUE(GetIconInfo(cursor, &ii)) << id;
        UniqueBitmap mask(ii.hbmMask), colour(ii.hbmColor);
        EXPECT_FALSE(ii.fIcon);
        EXPECT_EQ(std::pair(ii.xHotspot, ii.yHotspot), std::pair(hotSpot, hotSpot));
        EXPECT_EQ(ii.hbmColor, nullptr);  // monochrome: one mask holding AND over XOR
    }
    const wchar_t* const strings[] = {L"閉じる",
                                      L"すべて閉じる",
                                      L"このタブより左を閉じる",
                                      L"このタブより右を閉じる",
                                      L"設定...",
                                      L"すべてのウィンドウを閉じてよろしいですか？"};
    for (UINT id = 101; id <= 106; ++id) {
        // The menu reads them through the ANSI API, in the Japanese code page.
        char narrow[256] = {}, expected[256] = {};
        const int m = LoadStringA(BriskoDll(), id, narrow, 256);
        const int e = WideCharToMultiByte(932, 0, strings[id - 101], -1, expected, 256, nullptr, nullptr);
        EXPECT_EQ(std::string(narrow, m), std::string(expected, e - 1)) << id;
    }
}

// The IDE's thread has OLE initialised; so does this test program.
struct OleEnvironment : ::testing::Environment {
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};
const auto* const kOle = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

TEST(ResourcePicture, EveryIconResourceDecodesToASixteenPixelColourIcon) {
    for (std::uint16_t id = 101; id <= 116; ++id) {
        // A tab icon holds the loaded picture's only reference: its handle stays drawable.
        std::shared_ptr<TabIcon> icon = MakeTabIcon(LoadResourcePicture(BriskoDll(), id, "ICON"));
        ICONINFO ii{};
        ASSERT_TRUE(icon && GetIconInfo(reinterpret_cast<HICON>(icon->Handle()), &ii)) << id;
        UniqueBitmap mask(ii.hbmMask), colour(ii.hbmColor);
        BITMAP bm{};
        ASSERT_TRUE(GetObjectA(ii.hbmColor, sizeof bm, &bm)) << "a colour icon";
        EXPECT_EQ(std::pair(bm.bmWidth, bm.bmHeight), std::pair(16L, 16L)) << id;
    }
    EXPECT_EQ(MakeTabIcon(nullptr), nullptr);
    EXPECT_EQ(PictureTabIcon(ComPtr<IPicture>()).Handle(), 0);
}

// Reads back what the decoded picture draws: rows in the right order, the
// palette's red and blue not swapped, transparent pixels left alone.
TEST(ResourcePicture, DecodedIconDrawsItsPixels) {
    const PictureTabIcon icon(PictureFromBytes(ReadResourceBytes(BriskoDll(), 114, "ICON")));
    ScreenDC screen;
    UniqueDC dc = MakeMemoryDC(screen.Get());
    UniqueBitmap bmp(CreateCompatibleBitmap(screen.Get(), 16, 16));
    SelectInDC sel(dc.Get(), bmp.Get());
    const COLORREF ground = RGB(10, 200, 30);
    UniqueBrush brush(CreateSolidBrush(ground));
    RECT rc{0, 0, 16, 16};
    FillRect(dc.Get(), &rc, brush.Get());
    ASSERT_TRUE(DrawIconEx(dc.Get(), 0, 0, reinterpret_cast<HICON>(icon.Handle()), 16, 16, 0, nullptr, DI_NORMAL));

    const struct {
        int x, y;
        COLORREF colour;
    } pixels[] = {
        {0, 0, ground},          {15, 15, ground},        {8, 7, ground},
        {2, 0, RGB(0, 0, 0)},    {0, 15, RGB(0, 0, 0)},   {1, 2, RGB(255, 0, 0)},
        {12, 2, RGB(0, 0, 255)}, {4, 12, RGB(0, 255, 0)}, {11, 12, RGB(255, 255, 0)},
    };
    for (const auto& px : pixels) EXPECT_EQ(GetPixel(dc.Get(), px.x, px.y), px.colour) << "at " << px.x << "," << px.y;
}

TEST(ResourcePicture, BytesThatAreNoPictureGiveNoneAndAMissingResourceRaises) {
    const std::vector<std::uint8_t> icon = ReadResourceBytes(BriskoDll(), 101, "ICON");
    EXPECT_FALSE(PictureFromBytes({}));
    EXPECT_FALSE(PictureFromBytes(std::span(icon).first(6)));  // a header and no entry
    EXPECT_FALSE(PictureFromBytes(std::vector<std::uint8_t>(icon.size(), 0xFF)));
    EXPECT_TRUE(PictureFromBytes(icon)) << "a good picture still decodes afterwards";

    for (auto [id, type] : {std::pair<std::uint16_t, const char*>{117, "ICON"}, {101, "BITMAP"}}) {
        try {
            LoadResourcePicture(BriskoDll(), id, type);
            ADD_FAILURE() << "no error raised for " << id << " " << type;
        } catch (const Error& e) {
            EXPECT_EQ(e.Number(), ErrorNumber::ResourceNotFound);
        }
    }
    // This test program carries no resources of its own.
    EXPECT_THROW(LoadResourcePicture(101, "ICON"), Error);
}

}  // namespace
}  // namespace brisko
