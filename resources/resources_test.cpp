// The resources as they are compiled into Brisko.dll, read back as the
// add-in reads them: the two drag cursors, the texts in both languages, and
// the tab icons through the picture decoder.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "common/error.h"
#include "common/win/gdi.h"
#include "common/win/ui_text.h"
#include "resources/test_dll.h"
#include "resources/texts.h"
#include "settings/dialog/config_form.h"
#include "spinedit/spin_number.h"
#include "tracking/win/resource_picture.h"

namespace brisko {
namespace {

using test::BriskoDll;

TEST(Resources, DragCursorsAreMonochromeWithTheirHotSpots) {
    ASSERT_NE(BriskoDll(), nullptr);
    for (auto [id, hotSpot] : {std::pair<WORD, DWORD>{101, 1}, {102, 15}}) {
        HCURSOR cursor = LoadCursorA(BriskoDll(), MAKEINTRESOURCEA(id));
        ICONINFO ii{};
        ASSERT_TRUE(GetIconInfo(cursor, &ii)) << id;
        UniqueBitmap mask(ii.hbmMask), colour(ii.hbmColor);
        // A cursor, monochrome: one mask holding AND over XOR.
        EXPECT_EQ(std::tuple(ii.fIcon, ii.xHotspot, ii.yHotspot, ii.hbmColor),
                  std::tuple(FALSE, hotSpot, hotSpot, nullptr));
    }
}

// Every text in both languages, exactly: what Japanese users have always
// seen, and the English words their documentation quotes.
TEST(Resources, EveryTextInJapaneseAndEnglish) {
    constexpr unsigned kDialog = BRISKO_IDS_CONFIG, kMessage = BRISKO_IDS_WIDTH_MESSAGE;
    // Text, Japanese, English.
    const std::tuple<unsigned, const wchar_t*, const wchar_t*> texts[] = {
        {BRISKO_IDS_CLOSE, L"閉じる", L"Close"},
        {BRISKO_IDS_CLOSE_ALL, L"すべて閉じる", L"Close All"},
        {BRISKO_IDS_CLOSE_LEFT, L"このタブより左を閉じる", L"Close Tabs to the Left"},
        {BRISKO_IDS_CLOSE_RIGHT, L"このタブより右を閉じる", L"Close Tabs to the Right"},
        {BRISKO_IDS_SETTINGS, L"設定...", L"Settings..."},
        {BRISKO_IDS_CLOSE_ALL_QUESTION, L"すべてのウィンドウを閉じてよろしいですか？", L"Close all windows?"},
        {BRISKO_IDS_WINDOW_LIST, L"ウィンドウ一覧", L"Windows"},
        {BRISKO_IDS_TIP_SCROLL_LEFT, L"左へスクロール", L"Scroll Left"},
        {BRISKO_IDS_TIP_SCROLL_RIGHT, L"右へスクロール", L"Scroll Right"},
        {BRISKO_IDS_TIP_CLOSE, L"閉じる", L"Close"},
        {BRISKO_IDS_ADDIN_DESCRIPTION,
         L"コードウィンドウの切り替えを簡単に行うためのタブを追加します\r\n"
         L"コードウィンドウのスクロールをマウスホイールで行えるようにします",
         L"Adds tabs for switching between code windows.\r\nLets the mouse wheel scroll code windows."},
        {config::kDesignCaptionTextId, L"Brisko 設定", L"Brisko Settings"},
        {kDialog + config::kBtnOK, L"OK", L"OK"},
        {kDialog + config::kBtnCancel, L"キャンセル", L"Cancel"},
        {kDialog + config::kFraAlign, L"タブバーの表示位置", L"Tab Bar Position"},
        {kDialog + config::kOptAlign0, L"上に表示する", L"Top"},
        {kDialog + config::kOptAlign1, L"下に表示する", L"Bottom"},
        {kDialog + config::kFraWidth, L"タブの幅", L"Tab Width"},
        {kDialog + config::kOptStyle0, L"タイトルに合わせる", L"Fit to title"},
        {kDialog + config::kOptStyle1, L"指定の幅で固定する", L"Fixed width"},
        {kDialog + config::kLblWidth, L"ピクセル (40 ～ 320)", L"Pixels (40 to 320):"},
        {kDialog + config::kFraFont, L"フォント", L"Fonts"},
        {kDialog + config::kBtnNormalFont, L"通常時", L"Normal"},
        {kDialog + config::kBtnNormalColor, L"色", L"Color"},
        {kDialog + config::kBtnActiveFont, L"選択中", L"Selected"},
        {kDialog + config::kBtnActiveColor, L"色", L"Color"},
        {kDialog + config::kFraIcon, L"タブのアイコン", L"Tab Icons"},
        {kDialog + config::kOptIcon0, L"既定のアイコンを使用する", L"Default icons"},
        {kDialog + config::kOptIcon0 + 1, L"コンポーネントのアイコンを使用する", L"Component icons"},
        {kDialog + config::kOptIcon0 + 2, L"表示モードのアイコンを使用する", L"View icons (code or object)"},
        {kDialog + config::kOptIcon0 + 3, L"アイコンを表示しない", L"No icons"},
        {kDialog + config::kFraEtc, L"その他", L"Options"},
        {kDialog + config::kChkClose, L"閉じるボタンを隠す", L"Hide close button"},
        {kDialog + config::kChkScroll, L"スクロールボタンを隠す", L"Hide scroll buttons"},
        {kDialog + config::kChkFit, L"スムーススクロールしない", L"Disable smooth scrolling"},
        {kDialog + config::kChkDrag, L"タブのドラッグを禁止する", L"Disable tab dragging"},
        {kDialog + config::kChkWheel, L"コードウィンドウでホイールを使用しない", L"Disable wheel in code windows"},
        {kDialog + config::kBtnReset, L"規定値に戻す(&R)", L"&Restore Defaults"},
        {kMessage, L"入力エラー", L"Invalid Entry"},
        {kMessage + 1, nullptr, L"The tab width is larger than the maximum.\r\nEnter a number from %1 to %2."},
        {kMessage + 2, nullptr, L"The tab width is smaller than the minimum.\r\nEnter a number from %1 to %2."},
        {kMessage + 5, nullptr, L"Enter a whole number for the tab width."},
        {kMessage + 6, nullptr, L"The tab width is empty.\r\nEnter a number from %1 to %2."},
        {kMessage + 7, nullptr, L"Enter a number for the tab width."},
        {kMessage + 8, nullptr, L"The tab width has more than one decimal point."},
        {kMessage + 9, nullptr, L"The tab width is out of range.\r\nEnter a number from %1 to %2."},
        {kMessage + 10, nullptr, L"An internal error occurred (error 512)."},
    };
    for (const auto& [id, japanese, english] : texts) {
        if (japanese) {  // the Japanese messages follow the table
            EXPECT_EQ(ResourceText(id, Language::Japanese, BriskoDll()), japanese) << id;
        }
        EXPECT_EQ(ResourceText(id, Language::English, BriskoDll()), english) << id;
    }
    // The dialog's Japanese messages are the width field's own, as it always showed them.
    const std::wstring range[] = {L"40", L"320"};
    const spin::Limits limits{.max = 320, .min = 40};
    for (std::int32_t code = 1; code <= spin::kInternal; code <<= 1) {
        if (code == spin::kTooManyDecimals || code == spin::kNotMultiple) continue;  // not for whole numbers
        const std::wstring shown =
            FormatText(ResourceText(config::WidthMessageTextId(code), Language::Japanese, BriskoDll()), range);
        EXPECT_EQ(shown, spin::ErrorMessage(code, L"タブの幅", limits, 0)) << code;
    }
    EXPECT_EQ(ResourceText(BRISKO_IDS_CONFIG + config::kLblNormal, Language::English, BriskoDll()), L"");
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

    const std::tuple<int, int, COLORREF> pixels[] = {
        {0, 0, ground},          {15, 15, ground},        {8, 7, ground},
        {2, 0, RGB(0, 0, 0)},    {0, 15, RGB(0, 0, 0)},   {1, 2, RGB(255, 0, 0)},
        {12, 2, RGB(0, 0, 255)}, {4, 12, RGB(0, 255, 0)}, {11, 12, RGB(255, 255, 0)},
    };
    for (auto [x, y, colour] : pixels) EXPECT_EQ(GetPixel(dc.Get(), x, y), colour) << "at " << x << "," << y;
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
