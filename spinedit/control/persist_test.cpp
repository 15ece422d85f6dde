// The control's stored properties carried through what form containers hand
// it: a property bag of the test's own that records what it is given, and the
// system's own memory streams, compound storages and picture objects. The
// stored keys' rules and the record's syntax are tested natively.
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

// The kinds of the three pictures (an icon, none), -1 where there is no picture.
std::vector<SHORT> Kinds(const SpinEditPictures& pictures) {
    std::vector<SHORT> out;
    for (auto slot : {&SpinEditPictures::mouseIcon, &SpinEditPictures::spinMouseIcon, &SpinEditPictures::dragIcon}) {
        auto pic = (pictures.*slot).As<IPicture>(IID_IPicture);
        out.push_back(-1);
        if (pic) pic->get_Type(&out.back());
    }
    return out;
}

std::vector<std::pair<std::wstring, PropertyValue>> Saved(const SpinEdit& box) {
    MemoryPropertyStore store;
    box.Save(store);
    return store.Entries();
}

ComPtr<IStream> StreamOf(const std::vector<std::uint8_t>& bytes = {}) {
    ComPtr<IStream> s;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, s.Put()), S_OK);
    s->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    s->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    return s;
}

class Persist : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        ASSERT_TRUE(RegisterSpinEditClass(GetModuleHandleW(nullptr)));
    }
    static void TearDownTestSuite() { OleUninitialize(); }
    void SetUp() override {
        top.Reset(CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 320, 200, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr));
        box = Fresh();
        other = Fresh();
    }

    SpinEdit* Fresh() {
        SpinEdit* b = SpinEdit::Create(top.Get(), 0, 10, 10, 120, 24);
        EXPECT_NE(b, nullptr);
        return b;
    }

    // A control unlike the defaults in values of every kind, with a font
    // (one this system has, which a font object keeps by its own name) and
    // the three pictures, one of them without an image.
    void MakeUnusual() {
        FontSpec font = FontSpec::Make(L"DejaVu Sans", 12, true);
        font.charset = 0;
        box->SetFont(font);
        box->SetVMargin(3);
        box->SetBackColor(0x00FF8040);
        box->SetEnabled(false);
        box->SetCaption(L"タブの幅");
        box->SetDecFig(2);
        box->SetEnabledSpin(true);  // set last, so the arrows are on again
        box->SetText(L"1.25");
        box->SetPasswordChar(L"*");
        pictures.mouseIcon = Picture(32514);
        pictures.spinMouseIcon = Picture(0);
        pictures.dragIcon = Picture(32515);
    }

    UniqueWindow top;
    SpinEdit* box = nullptr;
    SpinEdit* other = nullptr;
    SpinEditPictures pictures, otherPictures;
};

// The VARIANT types a form file's reader expects of each key, and back again;
// the container's own font is the default and is not written.
TEST_F(Persist, BagGetsChangedKeysWithTheirTypesAndGivesThemBack) {
    MakeUnusual();
    pictures.spinMouseIcon.Reset();
    RecordingBag bag;
    ASSERT_EQ(SaveToPropertyBag(*box, pictures, &bag, PersistContext{FontSpec::Make(L"MS UI Gothic", 9)}), S_OK);
    const std::vector<std::pair<std::wstring, VARTYPE>> expected = {
        {L"Font", VT_DISPATCH},    {L"VMargin", VT_I2},         {L"BackColor", VT_I4}, {L"Enabled", VT_BOOL},
        {L"Caption", VT_BSTR},     {L"MouseIcon", VT_DISPATCH}, {L"Value", VT_I4},     {L"Max", VT_I4},
        {L"Increment", VT_I4},     {L"DecFig", VT_UI1},         {L"Text", VT_BSTR},    {L"PasswordChar", VT_BSTR},
        {L"DragIcon", VT_DISPATCH}};
    EXPECT_EQ(bag.KeysAndTypes(), expected);
    ASSERT_EQ(LoadFromPropertyBag(*other, otherPictures, &bag, nullptr), S_OK);
    EXPECT_EQ(Saved(*other), Saved(*box));
    EXPECT_EQ(Kinds(otherPictures), Kinds(pictures));

    RecordingBag sameFont;
    ASSERT_EQ(SaveToPropertyBag(*box, pictures, &sameFont, PersistContext{box->Font()}), S_OK);
    EXPECT_EQ(sameFont.KeysAndTypes(), std::vector(expected.begin() + 1, expected.end()));
}

// Values the VARIANT conversions or the picture objects refuse, and one the
// property refuses; a form file's text for a number is a number.
TEST_F(Persist, MalformedBagValuesKeepTheirDefaultsAndAreLogged) {
    RecordingLog notAPicture;
    VARIANT unknown{};
    V_VT(&unknown) = VT_UNKNOWN;
    V_UNKNOWN(&unknown) = &notAPicture;
    RecordingBag bag = {
        {L"Font", Str(L"Arial")}, {L"VAlign", I4(7)}, {L"Enabled", Str(L"perhaps")}, {L"MouseIcon", I4(5)},
        {L"Max", Str(L"320")},    {L"Min", R8(40)},   {L"DragIcon", unknown},        {L"MaxLength", I4(70000)},
    };
    RecordingLog log;
    ASSERT_EQ(LoadFromPropertyBag(*box, pictures, &bag, &log), S_OK);
    EXPECT_EQ(log.keys,
              (std::vector<std::wstring>{L"Font", L"VAlign", L"Enabled", L"MouseIcon", L"MaxLength", L"DragIcon"}));
    MemoryPropertyStore expected;
    expected.Write(L"Max", std::int32_t{320});
    expected.Write(L"Min", std::int32_t{40});
    EXPECT_EQ(Saved(*box), expected.Entries());
    EXPECT_FALSE(pictures.mouseIcon || pictures.dragIcon);
}

// A binary form's stream, with what the container writes next left where it
// was, and a storage; then the stream's record cut short or with a picture's
// bytes garbled, which fails and changes nothing.
TEST_F(Persist, StreamsAndStoragesGiveBackTheControlExactlyOrNothing) {
    MakeUnusual();
    box->SetFont(FontSpec::Make(L"MS UI Gothic", 9.125));  // a size a font object would round
    const auto reloads = [&](const std::function<HRESULT(SpinEdit&, SpinEditPictures&)>& load) {
        SpinEdit* fresh = Fresh();
        SpinEditPictures freshPictures;
        ASSERT_EQ(load(*fresh, freshPictures), S_OK);
        EXPECT_EQ(Saved(*fresh), Saved(*box));
        EXPECT_EQ(Kinds(freshPictures), Kinds(pictures));
    };
    ComPtr<IStream> stream = StreamOf();
    ASSERT_EQ(SaveToStream(*box, pictures, stream.Get(), {}), S_OK);
    ULARGE_INTEGER end{};
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &end);
    EXPECT_LE(end.QuadPart, StreamSizeMax(*box, pictures, {}).QuadPart);
    const char trailer[] = "next control";
    stream->Write(trailer, sizeof trailer, nullptr);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    std::vector<std::uint8_t> record(end.QuadPart);
    stream->Read(record.data(), static_cast<ULONG>(record.size()), nullptr);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    reloads([&](SpinEdit& b, SpinEditPictures& p) { return LoadFromStream(b, p, stream.Get()); });
    char next[sizeof trailer] = {};
    stream->Read(next, sizeof next, nullptr);
    EXPECT_STREQ(next, trailer);

    ComPtr<ILockBytes> bytes;
    ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.Put()), S_OK);
    ComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateDocfileOnILockBytes(bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                           storage.Put()),
              S_OK);
    ASSERT_EQ(SaveToStorage(*box, pictures, storage.Get(), {}), S_OK);
    reloads([&](SpinEdit& b, SpinEditPictures& p) { return LoadFromStorage(b, p, storage.Get()); });

    const auto before = Saved(*other);
    std::vector<std::uint8_t> cut(record.begin(), record.end() - 1);
    EXPECT_EQ(LoadFromStream(*other, otherPictures, StreamOf(cut).Get()), STG_E_READFAULT);
    // The last entry is the drag icon: its own bytes follow the key and their size.
    const std::wstring key = L"DragIcon";
    const auto* k = reinterpret_cast<const std::uint8_t*>(key.data());
    const auto at = std::search(record.begin(), record.end(), k, k + 2 * key.size());
    ASSERT_NE(at, record.end());
    std::fill_n(at + 2 * key.size() + 4, 16, 0xFF);
    EXPECT_EQ(LoadFromStream(*other, otherPictures, StreamOf(record).Get()), E_FAIL);
    EXPECT_EQ(Saved(*other), before);
    EXPECT_FALSE(otherPictures.mouseIcon || otherPictures.dragIcon);
}

}  // namespace
}  // namespace brisko
