// The resources as they are compiled into Brisko.dll: icon files under the
// string type "ICON", the two drag cursors and the menu strings.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "common/win/handles.h"
#include "resources/test_dll.h"

namespace brisko {
namespace {

using test::BriskoDll;

std::vector<std::uint8_t> RawResource(HMODULE h, LPCSTR name, LPCSTR type) {
    HRSRC info = FindResourceA(h, name, type);
    if (!info) return {};
    const auto* p = static_cast<const std::uint8_t*>(LockResource(LoadResource(h, info)));
    return p ? std::vector<std::uint8_t>(p, p + SizeofResource(h, info)) : std::vector<std::uint8_t>{};
}

template <class T>
T Read(const std::vector<std::uint8_t>& b, std::size_t at) {
    T v{};
    std::memcpy(&v, b.data() + at, sizeof v);
    return v;
}

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR param) {
    auto* ids = reinterpret_cast<std::set<std::uintptr_t>*>(param);
    // A name given as text would not be found by the numeric lookup.
    ids->insert(IS_INTRESOURCE(name) ? reinterpret_cast<std::uintptr_t>(name) : 0);
    return TRUE;
}

TEST(Resources, DllIsBuiltBesideTheTests) {
    ASSERT_NE(BriskoDll(), nullptr) << GetLastError();
}

TEST(Resources, IconTypeHoldsExactlyTheFourteenIds) {
    ASSERT_NE(BriskoDll(), nullptr);
    std::set<std::uintptr_t> ids;
    EnumResourceNamesA(BriskoDll(), "ICON", CollectName, reinterpret_cast<LONG_PTR>(&ids));
    std::set<std::uintptr_t> expected;
    for (std::uintptr_t id = 101; id <= 114; ++id) expected.insert(id);
    EXPECT_EQ(ids, expected);
    // The pictures are raw files under a string type, not the predefined icon type.
    EXPECT_EQ(FindResourceA(BriskoDll(), MAKEINTRESOURCEA(101), MAKEINTRESOURCEA(3)), nullptr);
    EXPECT_EQ(FindResourceA(BriskoDll(), MAKEINTRESOURCEA(101), MAKEINTRESOURCEA(14)), nullptr);
}

TEST(Resources, EveryIconIsACompleteSixteenColourIconFile) {
    ASSERT_NE(BriskoDll(), nullptr);
    std::set<std::vector<std::uint8_t>> distinct;
    for (WORD id = 101; id <= 114; ++id) {
        SCOPED_TRACE(id);
        const auto b = RawResource(BriskoDll(), MAKEINTRESOURCEA(id), "ICON");
        ASSERT_EQ(b.size(), 318u);
        distinct.insert(b);

        // Directory header: reserved, type 1 (icon), one image.
        EXPECT_EQ(Read<std::uint16_t>(b, 0), 0);
        EXPECT_EQ(Read<std::uint16_t>(b, 2), 1);
        EXPECT_EQ(Read<std::uint16_t>(b, 4), 1);
        // Its one entry.
        EXPECT_EQ(b[6], 16);                       // width
        EXPECT_EQ(b[7], 16);                       // height
        EXPECT_EQ(b[8], 16);                       // colours
        EXPECT_EQ(b[9], 0);                        // reserved
        EXPECT_EQ(Read<std::uint16_t>(b, 10), 1);  // planes
        EXPECT_EQ(Read<std::uint16_t>(b, 12), 4);  // bits per pixel
        EXPECT_EQ(Read<std::uint32_t>(b, 14), 296u);
        EXPECT_EQ(Read<std::uint32_t>(b, 18), 22u);

        // The image: colour mask and transparency mask stacked, hence height 32.
        BITMAPINFOHEADER bi = Read<BITMAPINFOHEADER>(b, 22);
        EXPECT_EQ(bi.biSize, 40u);
        EXPECT_EQ(bi.biWidth, 16);
        EXPECT_EQ(bi.biHeight, 32);
        EXPECT_EQ(bi.biPlanes, 1);
        EXPECT_EQ(bi.biBitCount, 4);
        EXPECT_EQ(bi.biCompression, static_cast<DWORD>(BI_RGB));
        EXPECT_TRUE(bi.biSizeImage == 0 || bi.biSizeImage == 128 + 64) << bi.biSizeImage;
        EXPECT_TRUE(bi.biClrUsed == 0 || bi.biClrUsed == 16) << bi.biClrUsed;
        for (int i = 0; i < 16; ++i) EXPECT_EQ(b[22 + 40 + 4 * i + 3], 0) << "palette entry " << i;
        // Mask rows are padded to 32 bits; the padding must be zero.
        for (int row = 0; row < 16; ++row) {
            EXPECT_EQ(b[22 + 40 + 64 + 128 + 4 * row + 2], 0) << "mask row " << row;
            EXPECT_EQ(b[22 + 40 + 64 + 128 + 4 * row + 3], 0) << "mask row " << row;
        }
    }
    EXPECT_EQ(distinct.size(), 14u) << "two resources carry the same picture";
}

struct CursorCase {
    WORD id;
    DWORD hotX, hotY;
};

TEST(Resources, DragCursorsAreMonochromeWithTheirHotSpotsOnTheFigure) {
    ASSERT_NE(BriskoDll(), nullptr);
    for (const CursorCase c : {CursorCase{101, 1, 1}, CursorCase{102, 15, 15}}) {
        SCOPED_TRACE(c.id);
        HCURSOR hCursor = static_cast<HCURSOR>(
            LoadImageA(BriskoDll(), MAKEINTRESOURCEA(c.id), IMAGE_CURSOR, 32, 32, LR_DEFAULTCOLOR));
        ASSERT_NE(hCursor, nullptr);
        EXPECT_NE(LoadCursorA(BriskoDll(), MAKEINTRESOURCEA(c.id)), nullptr);

        ICONINFO ii{};
        ASSERT_TRUE(GetIconInfo(hCursor, &ii));
        UniqueGdi mask(ii.hbmMask), colour(ii.hbmColor);
        EXPECT_FALSE(ii.fIcon);
        EXPECT_EQ(ii.xHotspot, c.hotX);
        EXPECT_EQ(ii.yHotspot, c.hotY);
        // Monochrome: no colour bitmap, one mask holding AND over XOR.
        EXPECT_EQ(ii.hbmColor, nullptr);
        BITMAP bm{};
        ASSERT_TRUE(GetObjectA(ii.hbmMask, sizeof bm, &bm));
        EXPECT_EQ(bm.bmWidth, 32);
        EXPECT_EQ(bm.bmHeight, 64);

        // Read the AND half (rows 0-31) and see that the hot spot is drawn
        // while the corner is see-through.
        struct {
            BITMAPINFOHEADER h;
            RGBQUAD colours[2];
        } info{};
        info.h.biSize = sizeof info.h;
        info.h.biWidth = 32;
        info.h.biHeight = -64;
        info.h.biPlanes = 1;
        info.h.biBitCount = 1;
        std::uint8_t bits[64 * 4] = {};
        WindowDC screen(nullptr, false);
        ASSERT_EQ(
            GetDIBits(screen.Get(), ii.hbmMask, 0, 64, bits, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS), 64);
        auto andBit = [&](int x, int y) { return (bits[y * 4 + x / 8] >> (7 - x % 8)) & 1; };
        EXPECT_EQ(andBit(static_cast<int>(c.hotX), static_cast<int>(c.hotY)), 0);
        EXPECT_EQ(andBit(0, 0), 1);
        EXPECT_EQ(andBit(31, 0), 1);
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
        SCOPED_TRACE(c.id);
        wchar_t wide[256] = {};
        const int n = LoadStringW(BriskoDll(), c.id, wide, 256);
        EXPECT_EQ(std::wstring(wide, n), c.text);

        // The menu reads them through the ANSI API, in the Japanese code page.
        char narrow[256] = {};
        const int m = LoadStringA(BriskoDll(), c.id, narrow, 256);
        char expected[256] = {};
        const int e = WideCharToMultiByte(932, 0, c.text, -1, expected, 256, nullptr, nullptr);
        ASSERT_GT(e, 0);
        EXPECT_EQ(std::string(narrow, m), std::string(expected, e - 1));
    }
    // The neighbours are not there: the table starts and ends where the menu expects.
    wchar_t buf[16];
    EXPECT_EQ(LoadStringW(BriskoDll(), 100, buf, 16), 0);
    EXPECT_EQ(LoadStringW(BriskoDll(), 107, buf, 16), 0);
}

TEST(Resources, CloseCaptionInTheAnsiCodePage) {
    ASSERT_NE(BriskoDll(), nullptr);
    ASSERT_EQ(GetACP(), 932u) << "the tests run with the Japanese code page";
    char narrow[32] = {};
    const int n = LoadStringA(BriskoDll(), 101, narrow, sizeof narrow);
    // 閉じる in code page 932.
    EXPECT_EQ(std::string(narrow, n), std::string("\x95\xc2\x82\xb6\x82\xe9"));
}

}  // namespace
}  // namespace brisko
