// The control's stored properties carried through what real form containers
// hand it: a property bag of the test's own that records what it is given,
// and the system's own memory streams and compound storages.
#include "spinedit/control/persist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "common/win/handles.h"

namespace brisko {
namespace {

class Var {
public:
    Var() { VariantInit(&v_); }
    explicit Var(const VARIANT& v) : Var() { VariantCopy(&v_, const_cast<VARIANT*>(&v)); }
    Var(const Var& o) : Var(o.v_) {}
    Var& operator=(const Var& o) {
        VariantCopy(&v_, const_cast<VARIANT*>(&o.v_));
        return *this;
    }
    ~Var() { VariantClear(&v_); }
    static Var Of(VARTYPE vt, std::function<void(VARIANT&)> fill) {
        Var v;
        v.v_.vt = vt;
        fill(v.v_);
        return v;
    }
    static Var Text(const wchar_t* s) {
        return Of(VT_BSTR, [s](VARIANT& v) { v.bstrVal = SysAllocString(s); });
    }
    static Var I4(LONG n) {
        return Of(VT_I4, [n](VARIANT& v) { v.lVal = n; });
    }
    static Var Bool(bool b) {
        return Of(VT_BOOL, [b](VARIANT& v) { v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE; });
    }
    static Var Object(IUnknown* p) {
        return Of(VT_UNKNOWN, [p](VARIANT& v) {
            v.punkVal = p;
            p->AddRef();
        });
    }
    const VARIANT& Get() const { return v_; }

private:
    VARIANT v_;
};

// A container's property bag: keeps what is written in order, with the
// VARIANT types it was given, and hands back whatever it holds.
class RecordingBag : public IPropertyBag {
public:
    RecordingBag() = default;
    RecordingBag(std::initializer_list<std::pair<std::wstring, Var>> entries) : entries(entries) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = (iid == IID_IUnknown || iid == IID_IPropertyBag) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* v, IErrorLog*) override {
        for (const auto& e : entries) {
            if (e.first == name) {
                VariantInit(v);
                return VariantCopy(v, const_cast<VARIANT*>(&e.second.Get()));
            }
        }
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* v) override {
        entries.emplace_back(name, Var(*v));
        return S_OK;
    }

    std::vector<std::pair<std::wstring, VARTYPE>> KeysAndTypes() const {
        std::vector<std::pair<std::wstring, VARTYPE>> out;
        for (const auto& e : entries) out.emplace_back(e.first, e.second.Get().vt);
        return out;
    }
    const VARIANT& At(const wchar_t* key) const {
        for (const auto& e : entries)
            if (e.first == key) return e.second.Get();
        static VARIANT empty{};
        ADD_FAILURE() << "no " << std::string(key, key + wcslen(key));
        return empty;
    }

    std::vector<std::pair<std::wstring, Var>> entries;
};

class RecordingLog : public IErrorLog {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = (iid == IID_IUnknown || iid == IID_IErrorLog) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE AddError(LPCOLESTR name, EXCEPINFO* info) override {
        keys.emplace_back(name);
        EXPECT_TRUE(info && FAILED(info->scode) && info->bstrDescription) << keys.back().size();
        return S_OK;
    }
    std::vector<std::wstring> keys;
};

ComPtr<IPictureDisp> IconPicture(int id) {
    PICTDESC pd{};
    pd.cbSizeofstruct = sizeof pd;
    pd.picType = PICTYPE_ICON;
    pd.icon.hicon = CopyIcon(LoadIconW(nullptr, MAKEINTRESOURCEW(id)));
    ComPtr<IPictureDisp> p;
    EXPECT_EQ(OleCreatePictureIndirect(&pd, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(p.Put())), S_OK);
    return p;
}

// What tells two pictures apart here: their kind and size.
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

std::wstring WindowText(HWND w) {
    wchar_t buf[256] = {};
    GetWindowTextW(w, buf, 256);
    return buf;
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
        top_.Reset(CreateWindowExW(0, L"BriskoPersistTestHost", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 320,
                                   200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
        ASSERT_TRUE(top_);
        box = SpinEdit::Create(top_.Get(), 100, 10, 10, 120, 24);
        other = SpinEdit::Create(top_.Get(), 101, 10, 50, 120, 24);
        ASSERT_TRUE(box && other);
    }
    void TearDown() override { top_.Reset(); }

    // A control unlike the defaults in values of every kind, with a font and
    // two pictures.
    void MakeUnusual() {
        box->SetFont(FontSpec::Make(L"MS UI Gothic", 9.125, true));
        box->SetVMargin(3);
        box->SetBackColor(0x00FF8040);
        box->SetEnabled(false);
        box->SetCaption(L"タブの幅");
        box->SetMousePointer(99);
        box->SetDecFig(2);
        box->SetMax(3.2);
        box->SetValue(1.25);
        box->SetEnabledSpin(true);
        box->SetText(L"1.25");
        box->SetPasswordChar(L"*");
        pictures.mouseIcon = IconPicture(32514);
        pictures.dragIcon = IconPicture(32515);
    }

    UniqueWindow top_;
    SpinEdit* box = nullptr;
    SpinEdit* other = nullptr;
    SpinEditPictures pictures, otherPictures;
};

TEST_F(Persist, BagGetsOnlyChangedKeysInOrderWithTheirTypes) {
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
    EXPECT_EQ(bag.At(L"Value").lVal, 125);
    EXPECT_EQ(bag.At(L"Max").lVal, 320);
    EXPECT_EQ(bag.At(L"DecFig").bVal, 2);

    // The container's own font is the default and is not written.
    RecordingBag sameFont;
    ASSERT_EQ(SaveToPropertyBag(*box, pictures, &sameFont, PersistContext{box->Font()}), S_OK);
    EXPECT_EQ(sameFont.entries.size(), expected.size() - 1);
    EXPECT_NE(sameFont.KeysAndTypes().front().first, L"Font");
}

TEST_F(Persist, BagsOfStoredFieldsLoadAndShow) {
    struct Case {
        const char* what;
        RecordingBag bag;
        std::function<void(const SpinEdit&)> check;
    };
    const Case cases[] = {
        {"the settings dialog's width field",
         {{L"Enabled", Var::Bool(false)},
          {L"Caption", Var::Text(L"タブの幅")},
          {L"Value", Var::I4(120)},
          {L"Max", Var::I4(320)},
          {L"Min", Var::I4(40)},
          {L"EnabledSpin", Var::Bool(false)},
          {L"SpinMousePointer", Var::I4(1)},
          {L"Text", Var::Text(L"120")}},
         [](const SpinEdit& f) {
             EXPECT_EQ(f.Caption(), L"タブの幅");
             EXPECT_DOUBLE_EQ(f.Value(), 120);
             EXPECT_DOUBLE_EQ(f.Max(), 320);
             EXPECT_DOUBLE_EQ(f.Min(), 40);
             EXPECT_FALSE(IsWindowEnabled(f.hWnd()));
             EXPECT_FALSE(IsWindowEnabled(f.hWndText()));
             EXPECT_FALSE(IsWindowEnabled(f.hWndSpin()));
             EXPECT_EQ(f.SpinMousePointer(), 1);
             EXPECT_EQ(WindowText(f.hWndText()), L"120");
         }},
        {"two decimals",
         {{L"Value", Var::I4(125)}, {L"DecFig", Var::Of(VT_UI1, [](VARIANT& v) { v.bVal = 2; })}},
         [](const SpinEdit& f) {
             EXPECT_DOUBLE_EQ(f.Value(), 1.25);
             EXPECT_EQ(f.DecFig(), 2);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UniqueWindow field(CreateWindowExW(0, kSpinEditClassName, L"", WS_CHILD | WS_VISIBLE, 10, 90, 120, 24,
                                           top_.Get(), nullptr, GetModuleHandleW(nullptr), nullptr));
        SpinEdit* f = SpinEdit::FromWindow(field.Get());
        ASSERT_NE(f, nullptr);
        RecordingBag bag = c.bag;
        RecordingLog log;
        ASSERT_EQ(LoadFromPropertyBag(*f, pictures, &bag, &log), S_OK);
        EXPECT_TRUE(log.keys.empty());
        c.check(*f);
        // Saved again, the bag holds what it held.
        RecordingBag again;
        ASSERT_EQ(SaveToPropertyBag(*f, pictures, &again, {}), S_OK);
        std::vector<std::wstring> keys, keysAgain;
        for (const auto& e : c.bag.entries) keys.push_back(e.first);
        for (const auto& e : again.entries) keysAgain.push_back(e.first);
        std::sort(keys.begin(), keys.end());
        std::sort(keysAgain.begin(), keysAgain.end());
        EXPECT_EQ(keysAgain, keys);
    }
}

TEST_F(Persist, MalformedBagValuesKeepTheirDefaultsAndAreLogged) {
    RecordingLog notAPicture;
    RecordingBag bag = {
        {L"Font", Var::Text(L"Arial")},
        {L"VAlign", Var::I4(7)},
        {L"Enabled", Var::Text(L"perhaps")},
        {L"MouseIcon", Var::I4(5)},
        {L"BeepSound", Var::Of(VT_I2, [](VARIANT& v) { v.iVal = 0; })},
        {L"Value", Var::Text(L"abc")},
        {L"Max", Var::Text(L"320")},  // a form file's text for a number
        {L"Min", Var::Of(VT_R8, [](VARIANT& v) { v.dblVal = 40; })},
        {L"DecFig", Var::I4(12)},
        {L"DragIcon", Var::Object(&notAPicture)},
        {L"MaxLength", Var::I4(70000)},
        {L"PasswordChar", Var::Text(L"**")},
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

    // Without an error log the same bag loads the same.
    ASSERT_EQ(LoadFromPropertyBag(*other, otherPictures, &bag, nullptr), S_OK);
    EXPECT_EQ(Saved(*other), expected.Entries());
}

TEST_F(Persist, FontAndPicturesComeBackFromTheBag) {
    MakeUnusual();
    // A face this system has, which a font object keeps by its own name.
    FontSpec font = FontSpec::Make(L"DejaVu Sans", 12, true);
    font.italic = true;
    font.charset = 0;
    box->SetFont(font);
    RecordingBag bag;
    ASSERT_EQ(SaveToPropertyBag(*box, pictures, &bag, {}), S_OK);
    ASSERT_EQ(LoadFromPropertyBag(*other, otherPictures, &bag, nullptr), S_OK);
    EXPECT_EQ(other->Font(), box->Font());
    EXPECT_EQ(Saved(*other), Saved(*box));
    EXPECT_EQ(Shape(otherPictures.mouseIcon), Shape(pictures.mouseIcon));
    EXPECT_EQ(Shape(otherPictures.dragIcon), Shape(pictures.dragIcon));
    EXPECT_FALSE(otherPictures.spinMouseIcon);
}

// Saves into a medium and loads back from it, as a container's binary form does.
struct Medium {
    const char* what;
    std::function<HRESULT(const SpinEdit&, const SpinEditPictures&)> save;
    std::function<HRESULT(SpinEdit&, SpinEditPictures&)> load;
};

TEST_F(Persist, StreamsAndStoragesGiveBackTheControlExactly) {
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), S_OK);
    ComPtr<ILockBytes> bytes;
    ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.Put()), S_OK);
    ComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateDocfileOnILockBytes(bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                           storage.Put()),
              S_OK);
    const char trailer[] = "next control";
    MakeUnusual();
    const std::vector<Medium> media = {
        {"stream",
         [&](const SpinEdit& b, const SpinEditPictures& p) {
             const HRESULT hr = SaveToStream(b, p, stream.Get(), {});
             // What a container writes next stays where it is.
             ULARGE_INTEGER end{};
             stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &end);
             EXPECT_LE(end.QuadPart, StreamSizeMax(b, p, {}).QuadPart);
             stream->Write(trailer, sizeof trailer, nullptr);
             stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
             return hr;
         },
         [&](SpinEdit& b, SpinEditPictures& p) {
             const HRESULT hr = LoadFromStream(b, p, stream.Get());
             char next[sizeof trailer] = {};
             stream->Read(next, sizeof next, nullptr);
             EXPECT_STREQ(next, trailer);
             return hr;
         }},
        {"storage",
         [&](const SpinEdit& b, const SpinEditPictures& p) { return SaveToStorage(b, p, storage.Get(), {}); },
         [&](SpinEdit& b, SpinEditPictures& p) { return LoadFromStorage(b, p, storage.Get()); }},
    };
    for (const Medium& m : media) {
        SCOPED_TRACE(m.what);
        SpinEdit* fresh = SpinEdit::Create(top_.Get(), 102, 10, 90, 120, 24);
        SpinEditPictures freshPictures;
        ASSERT_EQ(m.save(*box, pictures), S_OK);
        ASSERT_EQ(m.load(*fresh, freshPictures), S_OK);
        EXPECT_EQ(Saved(*fresh), Saved(*box));
        EXPECT_EQ(fresh->Font()->sizeCy, 91250) << "the size survives exactly";
        EXPECT_EQ(Shape(freshPictures.mouseIcon), Shape(pictures.mouseIcon));
        EXPECT_EQ(Shape(freshPictures.dragIcon), Shape(pictures.dragIcon));
        EXPECT_FALSE(freshPictures.spinMouseIcon);
        DestroyWindow(fresh->hWnd());
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
        {"empty", [](auto& b) { b.clear(); }, STG_E_READFAULT},
        {"cut in the header", [](auto& b) { b.resize(7); }, STG_E_READFAULT},
        {"cut in the body", [](auto& b) { b.pop_back(); }, STG_E_READFAULT},
        {"not ours", [](auto& b) { b[1] = 'X'; }, E_FAIL},
        {"a key garbled", [](auto& b) { b[16] ^= 0x20; }, E_FAIL},
        {"a picture garbled",
         [](auto& b) {
             // The last entry is the drag icon: its own bytes start after the
             // key and the size.
             const std::wstring key = L"DragIcon";
             auto at = std::search(b.begin(), b.end(), reinterpret_cast<const std::uint8_t*>(key.data()),
                                   reinterpret_cast<const std::uint8_t*>(key.data() + key.size()));
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
        EXPECT_FALSE(otherPictures.mouseIcon);
        EXPECT_FALSE(otherPictures.dragIcon);
    }
    ComPtr<IStorage> empty;
    ComPtr<ILockBytes> bytes;
    ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.Put()), S_OK);
    ASSERT_EQ(
        StgCreateDocfileOnILockBytes(bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, empty.Put()),
        S_OK);
    EXPECT_EQ(LoadFromStorage(*other, otherPictures, empty.Get()), STG_E_FILENOTFOUND);
    EXPECT_EQ(Saved(*other), before);
}

}  // namespace
}  // namespace brisko
