// The resources as they are compiled into Brisko.dll: the two drag cursors
// and the menu strings (the pictures are read in resource_picture_test.cpp).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "common/win/gdi.h"
#include "resources/test_dll.h"

namespace brisko {
namespace {

using test::BriskoDll;

struct CursorCase {
    WORD id;
    DWORD hotX, hotY;
};

TEST(Resources, DragCursorsAreMonochromeWithTheirHotSpots) {
    ASSERT_NE(BriskoDll(), nullptr);
    for (const CursorCase c : {CursorCase{101, 1, 1}, CursorCase{102, 15, 15}}) {
        SCOPED_TRACE(c.id);
        HCURSOR hCursor = static_cast<HCURSOR>(
            LoadImageA(BriskoDll(), MAKEINTRESOURCEA(c.id), IMAGE_CURSOR, 32, 32, LR_DEFAULTCOLOR));
        ASSERT_NE(hCursor, nullptr);

        ICONINFO ii{};
        ASSERT_TRUE(GetIconInfo(hCursor, &ii));
        UniqueBitmap mask(ii.hbmMask), colour(ii.hbmColor);
        EXPECT_FALSE(ii.fIcon);
        EXPECT_EQ(ii.xHotspot, c.hotX);
        EXPECT_EQ(ii.yHotspot, c.hotY);
        // Monochrome: no colour bitmap, one mask holding AND over XOR.
        EXPECT_EQ(ii.hbmColor, nullptr);
        BITMAP bm{};
        ASSERT_TRUE(GetObjectA(ii.hbmMask, sizeof bm, &bm));
        EXPECT_EQ(bm.bmWidth, 32);
        EXPECT_EQ(bm.bmHeight, 64);

        DestroyCursor(hCursor);
    }
}

TEST(Resources, MenuStringsComeBackExactly) {
    ASSERT_NE(BriskoDll(), nullptr);
    const struct {
        UINT id;
        const wchar_t* text;
    } cases[] = {
        {101, L"閉じる"},
        {102, L"すべて閉じる"},
        {103, L"このタブより左を閉じる"},
        {104, L"このタブより右を閉じる"},
        {105, L"設定..."},
        {106, L"すべてのウィンドウを閉じてよろしいですか？"},
    };
    for (const auto& c : cases) {
        // The menu reads them through the ANSI API, in the Japanese code page.
        char narrow[256] = {};
        const int m = LoadStringA(BriskoDll(), c.id, narrow, 256);
        char expected[256] = {};
        const int e = WideCharToMultiByte(932, 0, c.text, -1, expected, 256, nullptr, nullptr);
        ASSERT_GT(e, 0);
        EXPECT_EQ(std::string(narrow, m), std::string(expected, e - 1)) << c.id;
    }
}

}  // namespace
}  // namespace brisko
