// The control's stored properties carried through what form containers hand
// it: a property bag of the test's own that records what it is given, and the
// system's own memory streams and compound storages.
#include "spinedit/control/persist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "common/win/handles.h"
#include "common/win/variant_values.h"

namespace brisko {
namespace {

using namespace variant;

VARIANT Of(VARTYPE vt, const std::function<void(VARIANT&)>& fill) {
    VARIANT v;
    V_VT(&v) = vt;
    fill(v);
    return v;
}

// The reference counts of objects that live on the test's stack.
template <class I>
struct OnStack : I {
    explicit OnStack(REFIID iid) : iid_(iid) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = (iid == IID_IUnknown || iid == iid_) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

private:
    IID iid_;
};

// A container's property bag: keeps what is written in order, with the
// VARIANT types it was given, and hands back whatever it holds.
struct RecordingBag : OnStack<IPropertyBag> {
    // Takes over the values.
    RecordingBag(std::initializer_list<std::pair<std::wstring, VARIANT>> e = {})
        : OnStack(IID_IPropertyBag), entries(e) {}
    RecordingBag(const RecordingBag&) = delete;
    ~RecordingBag() {
        for (auto& e : entries) VariantClear(&e.second);
    }

    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* v, IErrorLog*) override {
        for (auto& e : entries)
            if (e.first == name) return VariantCopy(v, &e.second);
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* v) override {
        entries.emplace_back(name, VARIANT{});
        return VariantCopy(&entries.back().second, v);
    }
    std::vector<std::pair<std::wstring, VARTYPE>> KeysAndTypes() const {
        std::vector<std::pair<std::wstring, VARTYPE>> out;
        for (const auto& e : entries) out.emplace_back(e.first, V_VT(&e.second));
        return out;
    }

    std::vector<std::pair<std::wstring, VARIANT>> entries;
};

struct RecordingLog : OnStack<IErrorLog> {
    RecordingLog() : OnStack(IID_IErrorLog) {}
    HRESULT STDMETHODCALLTYPE AddError(LPCOLESTR name, EXCEPINFO* info) override {
        keys.emplace_back(name);
        EXPECT_TRUE(FAILED(info->scode) && info->bstrDescription);
        return S_OK;
    }
    std::vector<std::wstring> keys;
};

// A system icon, or with id 0 what LoadPicture() gives without a file: a
// picture object with no image.
ComPtr<IPictureDisp> Picture(int id) {
    PICTDESC pd{};
    pd.cbSizeofstruct = sizeof pd;
    pd.picType = id ? PICTYPE_ICON : PICTYPE_NONE;
    if (id) pd.icon.hicon = CopyIcon(LoadIconW(nullptr, MAKEINTRESOURCEW(id)));
    ComPtr<IPictureDisp> p;
    EXPECT_EQ(OleCreatePictureIndirect(&pd, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(p.Put())), S_OK);
    return p;
}

// What tells pictures apart here: their kind and size; none for no picture.
std::tuple<SHORT, OLE_XSIZE_HIMETRIC, OLE_YSIZE_HIMETRIC> Shape(const ComPtr<IPictureDisp>& p) {
    SHORT type = -1;
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    if (auto pic = p.As<IPicture>(IID_IPicture)) {
        pic->get_Type(&type);
        pic->get_Width(&w);
        pic->get_Height(&h);
    }
    return {type, w, h};
}

std::vector<std::pair<std::wstring, PropertyValue>> Saved(const SpinEdit& box) {
    MemoryPropertyStore store;
    box.Save(store);
    return store.Entries();
}

class Persist : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        ASSERT_TRUE(RegisterSpinEditClass(GetModuleHandleW(nullptr)));
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"BriskoPersistTestHost";
        RegisterClassW(&wc);
    }
    static void TearDownTestSuite() { OleUninitialize(); }

    void SetUp() override {
        top.Reset(CreateWindowExW(0, L"BriskoPersistTestHost", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 320,
                                  200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
        ASSERT_TRUE(top);
        box = Fresh();
        other = Fresh();
    }
    void TearDown() override { top.Reset(); }

    SpinEdit* Fresh() {
        SpinEdit* b = SpinEdit::Create(top.Get(), 0, 10, 10, 120, 24);
        EXPECT_NE(b, nullptr);
        return b;
    }

    // A control unlike the defaults in values of every kind, with a font
    // (one this system has, which a font object keeps by its own name) and two
    // pictures.
    void MakeUnusual() {
        FontSpec font = FontSpec::Make(L"DejaVu Sans", 12, true);
        font.charset = 0;
        box->SetFont(font);
        box->SetVMargin(3);
        box->SetBackColor(0x00FF8040);
        box->SetEnabled(false);
        box->SetCaption(L"タブの幅");
        box->SetMousePointer(99);
        box->SetDecFig(2);
        box->SetMax(3.2);
        box->SetValue(1.25);
        box->SetEnabledSpin(true);  // set last, so the arrows are on again
        box->SetText(L"1.25");
        box->SetPasswordChar(L"*");
        pictures.mouseIcon = Picture(32514);
        pictures.dragIcon = Picture(32515);
    }

    UniqueWindow top;
    SpinEdit* box = nullptr;
    SpinEdit* other = nullptr;
    SpinEditPictures pictures, otherPictures;
};

TEST_F(Persist, BagGetsChangedKeysInOrderWithTheirTypesAndGivesThemBack) {
    RecordingBag empty;
    const PersistContext ambient{FontSpec::Make(L"MS UI Gothic", 9)};
    ASSERT_EQ(SaveToPropertyBag(*box, pictures, &empty, ambient), S_OK);
    EXPECT_TRUE(empty.entries.empty());

    MakeUnusual();
    RecordingBag bag;
    ASSERT_EQ(SaveToPropertyBag(*box, pictures, &bag, ambient), S_OK);
    const std::vector<std::pair<std::wstring, VARTYPE>> expected = {
        {L"Font", VT_DISPATCH},      {L"VMargin", VT_I2},        {L"BackColor", VT_I4},
        {L"Enabled", VT_BOOL},       {L"Caption", VT_BSTR},      {L"MousePointer", VT_I4},
        {L"MouseIcon", VT_DISPATCH}, {L"Value", VT_I4},          {L"Max", VT_I4},
        {L"Increment", VT_I4},       {L"DecFig", VT_UI1},        {L"Text", VT_BSTR},
        {L"PasswordChar", VT_BSTR},  {L"DragIcon", VT_DISPATCH},
    };
    EXPECT_EQ(bag.KeysAndTypes(), expected);
    EXPECT_EQ(V_I4(&bag.entries[7].second), 125);
    EXPECT_EQ(V_I4(&bag.entries[8].second), 320);

    ASSERT_EQ(LoadFromPropertyBag(*other, otherPictures, &bag, nullptr), S_OK);
    EXPECT_EQ(Saved(*other), Saved(*box));
    EXPECT_EQ(Shape(otherPictures.mouseIcon), Shape(pictures.mouseIcon));
    EXPECT_EQ(Shape(otherPictures.dragIcon), Shape(pictures.dragIcon));
    EXPECT_FALSE(otherPictures.spinMouseIcon);

    // The container's own font is the default and is not written.
    RecordingBag sameFont;
    ASSERT_EQ(SaveToPropertyBag(*box, pictures, &sameFont, PersistContext{box->Font()}), S_OK);
    EXPECT_EQ(sameFont.KeysAndTypes(), std::vector(expected.begin() + 1, expected.end()));
}

TEST_F(Persist, MalformedBagValuesKeepTheirDefaultsAndAreLogged) {
    RecordingLog notAPicture;
    RecordingBag bag = {
        {L"Font", Str(L"Arial")},
        {L"VAlign", I4(7)},
        {L"Enabled", Str(L"perhaps")},
        {L"MouseIcon", I4(5)},
        {L"BeepSound", Of(VT_I2, [](VARIANT& v) { v.iVal = 0; })},
        {L"Value", Str(L"abc")},
        {L"Max", Str(L"320")},  // a form file's text for a number
        {L"Min", R8(40)},
        {L"DecFig", I4(12)},
        {L"DragIcon", Of(VT_UNKNOWN, [&](VARIANT& v) { v.punkVal = &notAPicture; })},
        {L"MaxLength", I4(70000)},
        {L"PasswordChar", Str(L"**")},
    };
    RecordingLog log;
    ASSERT_EQ(LoadFromPropertyBag(*box, pictures, &bag, &log), S_OK);
    const std::vector<std::wstring> logged = {L"Font",  L"VAlign", L"Enabled",   L"MouseIcon",    L"BeepSound",
                                              L"Value", L"DecFig", L"MaxLength", L"PasswordChar", L"DragIcon"};
    EXPECT_EQ(log.keys, logged);
    MemoryPropertyStore expected;
    expected.Write(L"Max", std::int32_t{320});
    expected.Write(L"Min", std::int32_t{40});
    EXPECT_EQ(Saved(*box), expected.Entries());
    EXPECT_FALSE(pictures.mouseIcon);
    EXPECT_FALSE(pictures.dragIcon);
}

TEST_F(Persist, StreamsAndStoragesGiveBackTheControlExactly) {
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), S_OK);
    ComPtr<ILockBytes> bytes;
    ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.Put()), S_OK);
    ComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateDocfileOnILockBytes(bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                           storage.Put()),
              S_OK);
    MakeUnusual();
    box->SetFont(FontSpec::Make(L"MS UI Gothic", 9.125));  // a size a font object would round
    pictures.spinMouseIcon = Picture(0);
    const char trailer[] = "next control";
    struct Medium {
        const char* what;
        std::function<HRESULT()> save;
        std::function<HRESULT(SpinEdit&, SpinEditPictures&)> load;
    };
    const Medium media[] = {
        {"stream",
         [&] {
             const HRESULT hr = SaveToStream(*box, pictures, stream.Get(), {});
             ULARGE_INTEGER end{};
             stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &end);
             EXPECT_LE(end.QuadPart, StreamSizeMax(*box, pictures, {}).QuadPart);
             stream->Write(trailer, sizeof trailer, nullptr);
             stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
             return hr;
         },
         [&](SpinEdit& b, SpinEditPictures& p) {
             const HRESULT hr = LoadFromStream(b, p, stream.Get());
             // What the container wrote next is where it left it.
             char next[sizeof trailer] = {};
             stream->Read(next, sizeof next, nullptr);
             EXPECT_STREQ(next, trailer);
             return hr;
         }},
        {"storage", [&] { return SaveToStorage(*box, pictures, storage.Get(), {}); },
         [&](SpinEdit& b, SpinEditPictures& p) { return LoadFromStorage(b, p, storage.Get()); }},
    };
    for (const Medium& m : media) {
        SCOPED_TRACE(m.what);
        SpinEdit* fresh = Fresh();
        SpinEditPictures freshPictures;
        ASSERT_EQ(m.save(), S_OK);
        ASSERT_EQ(m.load(*fresh, freshPictures), S_OK);
        EXPECT_EQ(Saved(*fresh), Saved(*box));
        for (auto slot : {&SpinEditPictures::mouseIcon, &SpinEditPictures::spinMouseIcon, &SpinEditPictures::dragIcon})
            EXPECT_EQ(Shape(freshPictures.*slot), Shape(pictures.*slot));
    }
}

TEST_F(Persist, TruncatedOrGarbledStreamsFailAndChangeNothing) {
    MakeUnusual();
    ComPtr<IStream> saved;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, saved.Put()), S_OK);
    ASSERT_EQ(SaveToStream(*box, pictures, saved.Get(), {}), S_OK);
    HGLOBAL global = nullptr;
    ASSERT_EQ(GetHGlobalFromStream(saved.Get(), &global), S_OK);
    ULARGE_INTEGER size{};
    saved->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &size);
    const auto* p = static_cast<const std::uint8_t*>(GlobalLock(global));
    const std::vector<std::uint8_t> record(p, p + size.QuadPart);
    GlobalUnlock(global);

    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> change;
        HRESULT expected;
    };
    const Case cases[] = {
        {"cut in the header", [](auto& b) { b.resize(7); }, STG_E_READFAULT},
        {"cut in the body", [](auto& b) { b.pop_back(); }, STG_E_READFAULT},
        {"a key garbled", [](auto& b) { b[16] ^= 0x20; }, E_FAIL},
        {"a picture garbled",
         [](auto& b) {
             // The last entry is the drag icon: its own bytes follow the key and their size.
             const std::wstring key = L"DragIcon";
             const auto* k = reinterpret_cast<const std::uint8_t*>(key.data());
             auto at = std::search(b.begin(), b.end(), k, k + 2 * key.size());
             ASSERT_NE(at, b.end());
             std::fill_n(at + 2 * key.size() + 4, 16, 0xFF);
         },
         E_FAIL},
    };
    const auto before = Saved(*other);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> b = record;
        c.change(b);
        ComPtr<IStream> s;
        ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, s.Put()), S_OK);
        s->Write(b.data(), static_cast<ULONG>(b.size()), nullptr);
        s->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
        EXPECT_EQ(LoadFromStream(*other, otherPictures, s.Get()), c.expected);
        EXPECT_EQ(Saved(*other), before);
        EXPECT_FALSE(otherPictures.mouseIcon || otherPictures.dragIcon);
    }
}

}  // namespace
}  // namespace brisko
