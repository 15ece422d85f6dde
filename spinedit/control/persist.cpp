#include "spinedit/control/persist.h"

#include <cstring>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "spinedit/control/ole_font.h"
#include "spinedit/spin_stream.h"

namespace brisko {

namespace {

// The one stream a storage keeps the control in.
constexpr wchar_t kStreamName[] = L"Contents";
// Text values in a form file are written the same on every system.
constexpr LCID kFormLocale = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);

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

// A plain value from outside, coerced the way a form file's text would be.
std::optional<PropertyValue> FromVariant(VARIANT& in, StoredKind kind, HRESULT& why) {
    Variant v;
    why = VariantChangeTypeEx(&v, &in, kFormLocale, 0, VariantTypeOf(kind));
    if (FAILED(why)) return std::nullopt;
    switch (kind) {
        case StoredKind::Bool:
            return PropertyValue((*v).boolVal != VARIANT_FALSE);
        case StoredKind::Byte:
            return PropertyValue(std::uint8_t{(*v).bVal});
        case StoredKind::Int16:
            return PropertyValue(std::int16_t{(*v).iVal});
        case StoredKind::Int32:
            return PropertyValue(static_cast<std::int32_t>((*v).lVal));
        case StoredKind::Text: {
            BSTR b = (*v).bstrVal;
            return PropertyValue(b ? std::wstring(b, SysStringLen(b)) : std::wstring());
        }
        default:
            why = DISP_E_TYPEMISMATCH;
            return std::nullopt;
    }
}

// The object a VARIANT holds, for the keys that store objects; a null
// object or an empty VARIANT is "Nothing".
std::optional<IUnknown*> ObjectOf(const VARIANT& v) {
    switch (v.vt) {
        case VT_EMPTY:
        case VT_NULL:
            return nullptr;
        case VT_DISPATCH:
            return v.pdispVal;
        case VT_UNKNOWN:
            return v.punkVal;
        default:
            return std::nullopt;
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
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, bytes.bytes.size());
    if (!global) return {};
    void* p = GlobalLock(global);
    if (!p) {
        GlobalFree(global);
        return {};
    }
    std::memcpy(p, bytes.bytes.data(), bytes.bytes.size());
    GlobalUnlock(global);
    ComPtr<IStream> mem;
    if (FAILED(CreateStreamOnHGlobal(global, TRUE, mem.Put()))) {
        GlobalFree(global);
        return {};
    }
    ComPtr<IPictureDisp> picture;
    if (FAILED(OleLoadPicture(mem.Get(), static_cast<LONG>(bytes.bytes.size()), FALSE, IID_IPictureDisp,
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
            HRESULT why = bag->Read(name.c_str(), &v, log);
            if (why == E_OUTOFMEMORY) return why;
            // Not stored, or stored as nothing: the default.
            if (why == E_INVALIDARG || (SUCCEEDED(why) && (*v).vt == VT_EMPTY)) continue;
            if (SUCCEEDED(why)) {
                if (kind == StoredKind::Picture || kind == StoredKind::Font) {
                    const auto object = ObjectOf(*v);
                    if (object && kind == StoredKind::Picture) {
                        ComPtr<IPictureDisp> picture;
                        if (*object) picture = ComPtr<IUnknown>(*object).As<IPictureDisp>(IID_IPictureDisp);
                        if (picture || !*object) {
                            loaded.*PictureSlot(key) = std::move(picture);
                            continue;
                        }
                    } else if (object) {
                        if (!*object) continue;
                        if (auto font = ReadFont(*object); font && SpinEditPropertyAccepted(key, *font)) {
                            store.Write(key, *font);
                            continue;
                        }
                    }
                    why = DISP_E_TYPEMISMATCH;
                } else if (auto value = FromVariant(*v, kind, why)) {
                    if (SpinEditPropertyAccepted(key, *value)) {
                        store.Write(key, *value);
                        continue;
                    }
                    why = CTL_E_INVALIDPROPERTYVALUE;
                }
            }
            Report(log, key, why);
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
