#include "spinedit/control/win/persist.h"

#include <cstring>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "spinedit/control/win/ole_font.h"
#include "spinedit/spin_bag.h"
#include "spinedit/spin_picture.h"
#include "spinedit/spin_stream.h"

namespace brisko {

namespace {

// The one stream a storage keeps the control in.
constexpr wchar_t kStreamName[] = L"Contents";

class Variant {
public:
    Variant() { VariantInit(&v_); }
    ~Variant() { VariantClear(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT* operator&() { return &v_; }
    VARIANT& operator*() { return v_; }

private:
    VARIANT v_;
};

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::wstring_view s) : b_(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {
        if (!b_) throw std::bad_alloc();
    }
    ~Bstr() { SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR* Put() {
        SysFreeString(std::exchange(b_, nullptr));
        return &b_;
    }
    BSTR Get() const { return b_; }
    BSTR Detach() { return std::exchange(b_, nullptr); }
    std::wstring Str() const { return b_ ? std::wstring(b_, SysStringLen(b_)) : std::wstring(); }

private:
    BSTR b_ = nullptr;
};

ComPtr<IPictureDisp> SpinEditPictures::*PictureSlot(std::wstring_view key) {
    if (key == L"MouseIcon") return &SpinEditPictures::mouseIcon;
    if (key == L"SpinMouseIcon") return &SpinEditPictures::spinMouseIcon;
    if (key == L"DragIcon") return &SpinEditPictures::dragIcon;
    return nullptr;
}

// What a save writes: the keys in the stored order, each with its value or
// its picture, only those that differ from their defaults.
struct Stored {
    std::wstring_view key;
    PropertyValue value;
    IPictureDisp* picture = nullptr;
};

std::vector<Stored> Collect(const SpinEdit& box, const SpinEditPictures& pictures, const PersistContext& context) {
    MemoryPropertyStore store;
    box.Save(store);
    std::vector<Stored> out;
    for (std::wstring_view key : SpinEditPropertyKeys()) {
        if (auto slot = PictureSlot(key)) {
            if (IPictureDisp* p = (pictures.*slot).Get()) out.push_back({key, false, p});
        } else if (auto v = store.Read(key)) {
            const auto* font = std::get_if<FontSpec>(&*v);
            if (font && context.ambientFont && *font == *context.ambientFont) continue;
            out.push_back({key, std::move(*v)});
        }
    }
    return out;
}

std::optional<FontSpec> ReadFont(IUnknown* object) {
    if (!object) return std::nullopt;
    auto font = ComPtr<IUnknown>(object).As<IFont>(IID_IFont);
    if (!font) return std::nullopt;
    FontSpec f;
    Bstr name;
    CY size{};
    BOOL italic = FALSE, underline = FALSE, strike = FALSE;
    if (FAILED(font->get_Name(name.Put())) || FAILED(font->get_Size(&size)) || FAILED(font->get_Weight(&f.weight)) ||
        FAILED(font->get_Italic(&italic)) || FAILED(font->get_Underline(&underline)) ||
        FAILED(font->get_Strikethrough(&strike)) || FAILED(font->get_Charset(&f.charset)))
        return std::nullopt;
    f.name = name.Str();
    f.sizeCy = size.int64;
    f.italic = italic != FALSE;
    f.underline = underline != FALSE;
    f.strikethrough = strike != FALSE;
    return f;
}

// Fills an empty VARIANT with a stored value in the type a form keeps it as.
HRESULT ToVariant(const PropertyValue& value, VARIANT& out) {
    return std::visit(
        [&out](const auto& v) -> HRESULT {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, bool>) {
                out.vt = VT_BOOL;
                out.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
            } else if constexpr (std::is_same_v<T, std::uint8_t>) {
                out.vt = VT_UI1;
                out.bVal = v;
            } else if constexpr (std::is_same_v<T, std::int16_t>) {
                out.vt = VT_I2;
                out.iVal = v;
            } else if constexpr (std::is_same_v<T, std::int32_t>) {
                out.vt = VT_I4;
                out.lVal = v;
            } else if constexpr (std::is_same_v<T, std::wstring>) {
                out.vt = VT_BSTR;
                out.bstrVal = Bstr(v).Detach();
            } else {
                ComPtr<IFontDisp> font = MakeFontObject(v);
                if (!font) return E_OUTOFMEMORY;
                out.vt = VT_DISPATCH;
                out.pdispVal = font.Detach();
            }
            return S_OK;
        },
        value);
}

VARTYPE VariantTypeOf(StoredKind kind) {
    switch (kind) {
        case StoredKind::Bool:
            return VT_BOOL;
        case StoredKind::Byte:
            return VT_UI1;
        case StoredKind::Int16:
            return VT_I2;
        case StoredKind::Int32:
            return VT_I4;
        case StoredKind::Text:
            return VT_BSTR;
        default:
            return VT_DISPATCH;
    }
}

// A value from a bag as the portable rules weigh it; the picture object a
// BagPicture stands for comes back through picture.
BagValue BagValueOf(const VARIANT& in, ComPtr<IPictureDisp>& picture) {
    const VARTYPE vt = V_VT(&in);
    const bool byRef = (vt & VT_BYREF) != 0;
    if (byRef && !V_BYREF(&in)) return BagUnsupported{};
    const auto get = [&](auto direct, auto* ref) { return byRef ? *ref : direct; };
    switch (vt & ~VT_BYREF) {
        case VT_EMPTY:
            return std::monostate{};
        case VT_NULL:
            return BagNull{};
        case VT_BOOL:
            return get(V_BOOL(&in), V_BOOLREF(&in)) != VARIANT_FALSE;
        case VT_I1:
            return std::int64_t{get(V_I1(&in), V_I1REF(&in))};
        case VT_UI1:
            return std::int64_t{get(V_UI1(&in), V_UI1REF(&in))};
        case VT_I2:
            return std::int64_t{get(V_I2(&in), V_I2REF(&in))};
        case VT_UI2:
            return std::int64_t{get(V_UI2(&in), V_UI2REF(&in))};
        case VT_I4:
        case VT_INT:
            return std::int64_t{get(V_I4(&in), V_I4REF(&in))};
        case VT_UI4:
        case VT_UINT:
            return std::int64_t{get(V_UI4(&in), V_UI4REF(&in))};
        case VT_I8:
            return std::int64_t{get(V_I8(&in), V_I8REF(&in))};
        case VT_UI8:
            return static_cast<double>(get(V_UI8(&in), V_UI8REF(&in)));
        case VT_R4:
            return static_cast<double>(get(V_R4(&in), V_R4REF(&in)));
        case VT_R8:
        case VT_DATE:
            return get(V_R8(&in), V_R8REF(&in));
        case VT_CY:
            return static_cast<double>(get(V_CY(&in), V_CYREF(&in)).int64) / 10000.0;
        case VT_DECIMAL: {
            double d = 0;
            DECIMAL dec = byRef ? *V_DECIMALREF(&in) : V_DECIMAL(&in);
            return SUCCEEDED(VarR8FromDec(&dec, &d)) ? BagValue(d) : BagValue(BagUnsupported{});
        }
        case VT_BSTR: {
            BSTR b = get(V_BSTR(&in), V_BSTRREF(&in));
            return b ? std::wstring(b, SysStringLen(b)) : std::wstring();
        }
        case VT_DISPATCH:
        case VT_UNKNOWN: {
            IUnknown* object = byRef ? *V_UNKNOWNREF(&in) : V_UNKNOWN(&in);
            if (!object) return BagNull{};
            if (auto font = ReadFont(object)) return *font;
            picture = ComPtr<IUnknown>(object).As<IPictureDisp>(IID_IPictureDisp);
            if (picture) return BagPicture{};
            return BagOtherObject{};
        }
        default:
            return BagUnsupported{};
    }
}

HRESULT WhyOf(BagProblem problem) {
    switch (problem) {
        case BagProblem::Overflow:
            return DISP_E_OVERFLOW;
        case BagProblem::InvalidValue:
            return CTL_E_INVALIDPROPERTYVALUE;
        default:
            return DISP_E_TYPEMISMATCH;
    }
}

void Report(IErrorLog* log, std::wstring_view key, HRESULT why) {
    if (!log) return;
    const std::wstring name(key);
    EXCEPINFO info{};
    info.scode = why;
    Bstr source(L"Brisko.SpinEditBox");
    Bstr description(L"プロパティの値が不正です。");
    info.bstrSource = source.Get();
    info.bstrDescription = description.Get();
    log->AddError(name.c_str(), &info);
}

// Applies a whole set of stored values, or on any failure puts back what the
// control held before and changes nothing.
HRESULT Apply(SpinEdit& box, SpinEditPictures& pictures, const MemoryPropertyStore& store, SpinEditPictures loaded) {
    MemoryPropertyStore before;
    box.Save(before);
    const std::optional<FontSpec> font = box.Font();
    try {
        box.Load(store);
    } catch (...) {
        try {
            box.Load(before);
            box.SetFont(font);
        } catch (...) {
        }
        return E_FAIL;
    }
    pictures = std::move(loaded);
    return S_OK;
}

// The bytes a picture writes through its own persistence.
HRESULT PictureBytesOf(IPictureDisp* picture, PictureBytes& out) {
    auto persist = ComPtr<IPictureDisp>(picture).As<IPersistStream>(IID_IPersistStream);
    if (!persist) return E_NOINTERFACE;
    ComPtr<IStream> mem;
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, mem.Put());
    if (FAILED(hr)) return hr;
    if (FAILED(hr = persist->Save(mem.Get(), TRUE))) return hr;
    HGLOBAL global = nullptr;
    if (FAILED(hr = GetHGlobalFromStream(mem.Get(), &global))) return hr;
    ULARGE_INTEGER end{};
    if (FAILED(hr = mem->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &end))) return hr;
    if (end.QuadPart == 0 || end.QuadPart > kSpinStreamMaxBody) return E_FAIL;
    const void* p = GlobalLock(global);
    if (!p) return E_OUTOFMEMORY;
    const auto* b = static_cast<const std::uint8_t*>(p);
    out.bytes.assign(b, b + end.QuadPart);
    GlobalUnlock(global);
    return S_OK;
}

ComPtr<IPictureDisp> PictureFrom(const PictureBytes& bytes) {
    // Only a whole picture of a known kind reaches the system's decoder.
    const auto image = CheckPictureBytes(bytes.bytes.data(), bytes.bytes.size());
    if (!image) return {};
    const std::size_t size = image->offset + image->size;
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!global) return {};
    void* p = GlobalLock(global);
    if (!p) {
        GlobalFree(global);
        return {};
    }
    std::memcpy(p, bytes.bytes.data(), size);
    GlobalUnlock(global);
    ComPtr<IStream> mem;
    if (FAILED(CreateStreamOnHGlobal(global, TRUE, mem.Put()))) {
        GlobalFree(global);
        return {};
    }
    ComPtr<IPictureDisp> picture;
    if (FAILED(OleLoadPicture(mem.Get(), static_cast<LONG>(size), FALSE, IID_IPictureDisp,
                              reinterpret_cast<void**>(picture.Put()))))
        return {};
    return picture;
}

HRESULT EncodeRecord(const SpinEdit& box, const SpinEditPictures& pictures, const PersistContext& context,
                     std::vector<std::uint8_t>& out) {
    std::vector<StreamEntry> entries;
    for (const Stored& s : Collect(box, pictures, context)) {
        if (s.picture) {
            PictureBytes bytes;
            if (HRESULT hr = PictureBytesOf(s.picture, bytes); FAILED(hr)) return hr;
            entries.push_back({std::wstring(s.key), std::move(bytes)});
        } else {
            entries.push_back({std::wstring(s.key), std::visit([](const auto& v) { return StreamValue(v); }, s.value)});
        }
    }
    out = EncodeSpinStream(entries);
    // A record the reader would refuse is not written at all.
    if (out.size() > kSpinStreamHeaderSize + kSpinStreamMaxBody) return E_FAIL;
    return S_OK;
}

// Reads exactly n bytes; a stream that ends sooner is a truncated record.
HRESULT ReadExactly(IStream* stream, std::uint8_t* into, std::size_t n) {
    while (n > 0) {
        const ULONG want = static_cast<ULONG>(n < 0x10000 ? n : 0x10000);
        ULONG got = 0;
        const HRESULT hr = stream->Read(into, want, &got);
        if (FAILED(hr)) return hr;
        // A stream that claims more than it was asked for is not to be trusted either.
        if (got == 0 || got > want) return STG_E_READFAULT;
        into += got;
        n -= got;
    }
    return S_OK;
}

}  // namespace

HRESULT LoadFromPropertyBag(SpinEdit& box, SpinEditPictures& pictures, IPropertyBag* bag, IErrorLog* log) {
    if (!bag) return E_POINTER;
    return GuardedPersist([&]() -> HRESULT {
        MemoryPropertyStore store;
        SpinEditPictures loaded;
        for (std::wstring_view key : SpinEditPropertyKeys()) {
            const StoredKind kind = *SpinEditPropertyKind(key);
            const std::wstring name(key);
            Variant v;
            (*v).vt = VariantTypeOf(kind);
            const HRESULT read = bag->Read(name.c_str(), &v, log);
            if (read == E_OUTOFMEMORY) return read;
            if (read == E_INVALIDARG) continue;  // not stored: the default
            if (FAILED(read)) {
                Report(log, key, read);
                continue;
            }
            ComPtr<IPictureDisp> picture;
            const BagDecision decision = DecideBagValue(key, BagValueOf(*v, picture));
            switch (decision.action) {
                case BagDecision::Action::KeepDefault:
                    break;
                case BagDecision::Action::Take:
                    store.Write(key, *decision.value);
                    break;
                case BagDecision::Action::TakePicture:
                    loaded.*PictureSlot(key) = std::move(picture);
                    break;
                case BagDecision::Action::Report:
                    Report(log, key, WhyOf(decision.problem));
                    break;
            }
        }
        return Apply(box, pictures, store, std::move(loaded));
    });
}

HRESULT SaveToPropertyBag(const SpinEdit& box, const SpinEditPictures& pictures, IPropertyBag* bag,
                          const PersistContext& context) {
    if (!bag) return E_POINTER;
    return GuardedPersist([&]() -> HRESULT {
        for (const Stored& s : Collect(box, pictures, context)) {
            Variant v;
            if (s.picture) {
                (*v).vt = VT_DISPATCH;
                (*v).pdispVal = s.picture;
                s.picture->AddRef();
            } else if (HRESULT hr = ToVariant(s.value, *v); FAILED(hr)) {
                return hr;
            }
            const std::wstring name(s.key);
            if (HRESULT hr = bag->Write(name.c_str(), &v); FAILED(hr)) return hr;
        }
        return S_OK;
    });
}

HRESULT LoadFromStream(SpinEdit& box, SpinEditPictures& pictures, IStream* stream) {
    if (!stream) return E_POINTER;
    return GuardedPersist([&]() -> HRESULT {
        std::vector<std::uint8_t> bytes(kSpinStreamHeaderSize);
        if (HRESULT hr = ReadExactly(stream, bytes.data(), bytes.size()); FAILED(hr)) return hr;
        const auto size = SpinStreamSize(bytes.data(), bytes.size());
        if (!size) return E_FAIL;
        bytes.resize(*size);
        if (HRESULT hr = ReadExactly(stream, bytes.data() + kSpinStreamHeaderSize, *size - kSpinStreamHeaderSize);
            FAILED(hr))
            return hr;
        const auto entries = DecodeSpinStream(bytes.data(), bytes.size());
        if (!entries) return E_FAIL;
        MemoryPropertyStore store;
        SpinEditPictures loaded;
        for (const StreamEntry& e : *entries) {
            if (const auto* picture = std::get_if<PictureBytes>(&e.value)) {
                auto p = PictureFrom(*picture);
                if (!p) return E_FAIL;
                loaded.*PictureSlot(e.key) = std::move(p);
            } else {
                std::visit(
                    [&](const auto& v) {
                        if constexpr (!std::is_same_v<std::decay_t<decltype(v)>, PictureBytes>) store.Write(e.key, v);
                    },
                    e.value);
            }
        }
        return Apply(box, pictures, store, std::move(loaded));
    });
}

HRESULT SaveToStream(const SpinEdit& box, const SpinEditPictures& pictures, IStream* stream,
                     const PersistContext& context) {
    if (!stream) return E_POINTER;
    return GuardedPersist([&]() -> HRESULT {
        std::vector<std::uint8_t> bytes;
        if (HRESULT hr = EncodeRecord(box, pictures, context, bytes); FAILED(hr)) return hr;
        ULONG written = 0;
        const HRESULT hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
        if (FAILED(hr)) return hr;
        return written == bytes.size() ? S_OK : STG_E_WRITEFAULT;
    });
}

ULARGE_INTEGER StreamSizeMax(const SpinEdit& box, const SpinEditPictures& pictures, const PersistContext& context) {
    ULARGE_INTEGER size{};
    size.QuadPart = kSpinStreamHeaderSize + kSpinStreamMaxBody;
    try {
        std::vector<std::uint8_t> bytes;
        if (SUCCEEDED(EncodeRecord(box, pictures, context, bytes))) size.QuadPart = bytes.size();
    } catch (...) {
    }
    return size;
}

HRESULT LoadFromStorage(SpinEdit& box, SpinEditPictures& pictures, IStorage* storage) {
    if (!storage) return E_POINTER;
    ComPtr<IStream> stream;
    const HRESULT hr = storage->OpenStream(kStreamName, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Put());
    if (FAILED(hr)) return hr;
    return LoadFromStream(box, pictures, stream.Get());
}

HRESULT SaveToStorage(const SpinEdit& box, const SpinEditPictures& pictures, IStorage* storage,
                      const PersistContext& context) {
    if (!storage) return E_POINTER;
    ComPtr<IStream> stream;
    const HRESULT hr =
        storage->CreateStream(kStreamName, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, stream.Put());
    if (FAILED(hr)) return hr;
    return SaveToStream(box, pictures, stream.Get(), context);
}

}  // namespace brisko
