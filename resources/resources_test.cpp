// The resources as they are compiled into Brisko.dll: the two drag cursors
// and the menu strings (the pictures are read in resource_picture_test.cpp).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>

#include "common/win/gdi.h"
#include "resources/test_dll.h"

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

}  // namespace
}  // namespace brisko
