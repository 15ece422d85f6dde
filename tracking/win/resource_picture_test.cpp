// Pictures decoded from the icon resources of the built Brisko.dll.
#include "tracking/win/resource_picture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "common/error.h"
#include "common/win/gdi.h"
#include "resources/test_dll.h"

namespace brisko {
namespace {

using test::BriskoDll;

// The IDE's thread has OLE initialised; so does every test here.
class ResourcePicture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        ASSERT_NE(BriskoDll(), nullptr);
    }
    void TearDown() override { OleUninitialize(); }
};

struct IconShape {
    bool colour = false;
    LONG width = 0, height = 0;
};

// What the window system says about an icon handle; empty when it is none.
IconShape ShapeOf(std::intptr_t h) {
    ICONINFO ii{};
    if (!GetIconInfo(reinterpret_cast<HICON>(h), &ii)) return {};
    UniqueBitmap mask(ii.hbmMask), colour(ii.hbmColor);
    BITMAP bm{};
    GetObjectA(ii.hbmColor ? ii.hbmColor : ii.hbmMask, sizeof bm, &bm);
    return {ii.hbmColor != nullptr, bm.bmWidth, bm.bmHeight};
}

std::intptr_t HandleOf(const ComPtr<IPicture>& p) {
    OLE_HANDLE h = 0;
    p->get_Handle(&h);
    return reinterpret_cast<std::intptr_t>(LongToHandle(static_cast<LONG>(h)));
}

TEST_F(ResourcePicture, EveryIconResourceDecodesToASixteenPixelIcon) {
    ScreenDC screen;
    const int dpiX = GetDeviceCaps(screen.Get(), LOGPIXELSX), dpiY = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    for (std::uint16_t id = 101; id <= 114; ++id) {
        SCOPED_TRACE(id);
        const auto bytes = ReadResourceBytes(BriskoDll(), id, "ICON");
        ASSERT_EQ(bytes.size(), 318u);
        ComPtr<IPicture> p = PictureFromBytes(bytes);
        ASSERT_TRUE(p);
        SHORT type = 0;
        ASSERT_EQ(p->get_Type(&type), S_OK);
        EXPECT_EQ(type, PICTYPE_ICON);
        // Picture sizes are in hundredths of a millimetre.
        OLE_XSIZE_HIMETRIC w = 0;
        OLE_YSIZE_HIMETRIC h = 0;
        p->get_Width(&w);
        p->get_Height(&h);
        EXPECT_NEAR(w, MulDiv(16, 2540, dpiX), 1);
        EXPECT_NEAR(h, MulDiv(16, 2540, dpiY), 1);
        const IconShape shape = ShapeOf(HandleOf(p));
        EXPECT_TRUE(shape.colour);
        EXPECT_EQ(shape.width, 16);
        EXPECT_EQ(shape.height, 16);
    }
}

// Reads back what the decoded picture draws: rows in the right order, the
// palette's red and blue not swapped, transparent pixels left alone.
TEST_F(ResourcePicture, DecodedIconDrawsItsPixels) {
    ComPtr<IPicture> p = PictureFromBytes(ReadResourceBytes(BriskoDll(), 114, "ICON"));
    ASSERT_TRUE(p);
    UniqueDC dc = MakeMemoryDC();
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 16;
    bi.bmiHeader.biHeight = -16;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    UniqueBitmap bmp(CreateDIBSection(dc.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_TRUE(bmp);
    SelectInDC sel(dc.Get(), bmp.Get());
    const COLORREF ground = RGB(10, 200, 30);
    UniqueBrush brush(CreateSolidBrush(ground));
    RECT rc{0, 0, 16, 16};
    FillRect(dc.Get(), &rc, brush.Get());
    ASSERT_TRUE(DrawIconEx(dc.Get(), 0, 0, reinterpret_cast<HICON>(HandleOf(p)), 16, 16, 0, nullptr, DI_NORMAL));

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

TEST_F(ResourcePicture, BytesThatAreNoPictureGiveNoneAndAMissingResourceRaises) {
    std::vector<std::uint8_t> icon = ReadResourceBytes(BriskoDll(), 101, "ICON");
    const std::vector<std::vector<std::uint8_t>> cases = {
        {},
        {0},
        std::vector<std::uint8_t>(318, 0xFF),
        std::vector<std::uint8_t>(icon.begin(), icon.begin() + 6),  // a header and no entry
    };
    for (const auto& bytes : cases) EXPECT_FALSE(PictureFromBytes(bytes)) << bytes.size();
    EXPECT_TRUE(PictureFromBytes(icon)) << "a good picture still decodes afterwards";

    for (auto [id, type] : {std::pair<std::uint16_t, const char*>{115, "ICON"}, {101, "BITMAP"}}) {
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

TEST_F(ResourcePicture, TabIconAnswersTheIconHandleAndKeepsThePictureAlive) {
    std::shared_ptr<TabIcon> icon = MakeTabIcon(LoadResourcePicture(BriskoDll(), 103, "ICON"));
    ASSERT_TRUE(icon);
    // The picture's only reference is now the tab icon's: the handle must stay drawable.
    const IconShape shape = ShapeOf(icon->Handle());
    EXPECT_EQ(shape.width, 16);
    EXPECT_EQ(shape.height, 16);

    EXPECT_EQ(MakeTabIcon(nullptr), nullptr);
    EXPECT_EQ(PictureTabIcon(ComPtr<IPicture>()).Handle(), 0);
}

// ---- Following the global block through PictureFromBytes ----
//
// The code under test is linked into this program, so its calls to the memory
// and stream functions go through this program's import table. Patching
// those entries lets a test count the block's allocations and frees, and make
// any one step fail.

void** ImportSlot(const char* dll, const char* function) {
    auto* base = reinterpret_cast<std::uint8_t*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + imp->Name), dll) != 0 || !imp->OriginalFirstThunk) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

// Replaces one import for a scope.
class ImportPatch {
public:
    ImportPatch(const char* dll, const char* function, void* replacement) : slot_(ImportSlot(dll, function)) {
        if (slot_) original_ = Swap(replacement);
    }
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;
    ~ImportPatch() {
        if (slot_) Swap(original_);
    }
    bool Active() const { return slot_ != nullptr; }
    void* Original() const { return original_; }

private:
    void* Swap(void* value) {
        DWORD old = 0;
        VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &old);
        void* previous = std::exchange(*slot_, value);
        VirtualProtect(slot_, sizeof(void*), old, &old);
        return previous;
    }
    void** slot_;
    void* original_ = nullptr;
};

enum class FailAt { Nothing, Alloc, Lock, Stream };

// The real functions, and what the patched ones saw of the block.
struct BlockLog {
    FailAt failAt = FailAt::Nothing;
    int allocs = 0;
    int ownFrees = 0;
    HGLOBAL block = nullptr;
    decltype(&GlobalAlloc) alloc = nullptr;
    decltype(&GlobalFree) free = nullptr;
    decltype(&GlobalLock) lock = nullptr;
    decltype(&CreateStreamOnHGlobal) stream = nullptr;
} g_log;

HGLOBAL WINAPI LoggedAlloc(UINT flags, SIZE_T size) {
    if (g_log.failAt == FailAt::Alloc) return nullptr;
    ++g_log.allocs;
    return g_log.block = g_log.alloc(flags, size);
}
HGLOBAL WINAPI LoggedFree(HGLOBAL h) {
    g_log.ownFrees += h == g_log.block;
    return g_log.free(h);
}
LPVOID WINAPI LoggedLock(HGLOBAL h) {
    return g_log.failAt == FailAt::Lock ? nullptr : g_log.lock(h);
}
HRESULT WINAPI LoggedStream(HGLOBAL h, BOOL deleteOnRelease, LPSTREAM* out) {
    *out = nullptr;
    return g_log.failAt == FailAt::Stream ? E_OUTOFMEMORY : g_log.stream(h, deleteOnRelease, out);
}

TEST_F(ResourcePicture, TheBlockIsFreedExactlyOnceOnEveryPath) {
    ImportPatch alloc("kernel32.dll", "GlobalAlloc", reinterpret_cast<void*>(&LoggedAlloc));
    ImportPatch free("kernel32.dll", "GlobalFree", reinterpret_cast<void*>(&LoggedFree));
    ImportPatch lock("kernel32.dll", "GlobalLock", reinterpret_cast<void*>(&LoggedLock));
    ImportPatch stream("ole32.dll", "CreateStreamOnHGlobal", reinterpret_cast<void*>(&LoggedStream));
    ASSERT_TRUE(alloc.Active() && free.Active() && lock.Active() && stream.Active());
    g_log.alloc = reinterpret_cast<decltype(&GlobalAlloc)>(alloc.Original());
    g_log.free = reinterpret_cast<decltype(&GlobalFree)>(free.Original());
    g_log.lock = reinterpret_cast<decltype(&GlobalLock)>(lock.Original());
    g_log.stream = reinterpret_cast<decltype(&CreateStreamOnHGlobal)>(stream.Original());

    const auto icon = ReadResourceBytes(BriskoDll(), 105, "ICON");
    const std::vector<std::uint8_t> junk(100, 0x33);
    const struct {
        const char* name;
        const std::vector<std::uint8_t>* bytes;
        FailAt failAt;
        bool picture;
        int allocs;
        int ownFrees;  // once the stream exists, it alone frees the block
    } cases[] = {
        {"decoded", &icon, FailAt::Nothing, true, 1, 0},   {"not a picture", &junk, FailAt::Nothing, false, 1, 0},
        {"no memory", &icon, FailAt::Alloc, false, 0, 0},  {"lock fails", &icon, FailAt::Lock, false, 1, 1},
        {"no stream", &icon, FailAt::Stream, false, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_log.failAt = c.failAt;
        g_log.allocs = g_log.ownFrees = 0;
        g_log.block = nullptr;
        EXPECT_EQ(static_cast<bool>(PictureFromBytes(*c.bytes)), c.picture);
        EXPECT_EQ(g_log.allocs, c.allocs);
        EXPECT_EQ(g_log.ownFrees, c.ownFrees);
        // Whoever freed it, the block is gone when the call returns.
        if (g_log.block) {
            EXPECT_EQ(GlobalSize(g_log.block), 0u);
        }
    }
    g_log = BlockLog{};
}

}  // namespace
}  // namespace brisko
