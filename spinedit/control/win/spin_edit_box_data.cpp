#include "spinedit/control/win/spin_edit_box_data.h"

#include <cstring>
#include <new>

#include "common/win/ansi.h"
#include "spinedit/control/win/enumerator.h"
#include "spinedit/spin_drop.h"

namespace brisko {

namespace {

// Bytes of any other format, kept whole: far above what a drag carries.
constexpr std::size_t kMaxDropBytes = 16u << 20;
constexpr std::int16_t kFormatRtf = -16639;  // the host's sebCFRTF

[[noreturn]] void Fail(ErrorNumber number, const wchar_t* why) {
    throw ControlError(number, why);
}

CLIPFORMAT ClipboardFormat(std::int16_t format) {
    switch (format) {
        case kFormatText:
            return CF_UNICODETEXT;
        case kFormatFiles:
            return CF_HDROP;
        case kFormatRtf:
            return static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"Rich Text Format"));
        default:
            return static_cast<CLIPFORMAT>(static_cast<std::uint16_t>(format));
    }
}

std::int16_t HostFormat(CLIPFORMAT cf) {
    if (cf == CF_UNICODETEXT || cf == CF_TEXT) return kFormatText;
    if (cf == CF_HDROP) return kFormatFiles;
    return static_cast<std::int16_t>(cf);
}

// A format argument the caller may leave out (then text).
std::int16_t FormatArgument(const VARIANT& v) {
    if (V_VT(&v) == VT_EMPTY || (V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND)) return kFormatText;
    VARIANT n;
    VariantInit(&n);
    if (FAILED(VariantChangeType(&n, const_cast<VARIANT*>(&v), 0, VT_I2)))
        throw Error(ErrorNumber::TypeMismatch, "format of the wrong type");
    return V_I2(&n);
}

bool Missing(const VARIANT& v) {
    return V_VT(&v) == VT_EMPTY || (V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND);
}

// A safe array of the given values, handed to the caller in out.
template <class T, class Put>
void ArrayInto(VARIANT& out, VARTYPE vt, const std::vector<T>& values, Put&& put) {
    SAFEARRAY* array = SafeArrayCreateVector(vt, 0, static_cast<ULONG>(values.size()));
    if (!array) throw std::bad_alloc();
    for (LONG i = 0; i < static_cast<LONG>(values.size()); ++i) {
        if (FAILED(put(array, i, values[static_cast<std::size_t>(i)]))) {
            SafeArrayDestroy(array);
            throw std::bad_alloc();
        }
    }
    V_VT(&out) = static_cast<VARTYPE>(VT_ARRAY | vt);
    V_ARRAY(&out) = array;
}

HRESULT CopyFormat(const FORMATETC& format, FORMATETC* out) {
    *out = format;
    return S_OK;
}

HRESULT CopyName(const std::wstring& name, VARIANT* out) {
    VariantInit(out);
    V_VT(out) = VT_BSTR;
    V_BSTR(out) = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
    return V_BSTR(out) ? S_OK : E_OUTOFMEMORY;
}

using FormatEnumerator = Enumerator<IEnumFORMATETC, IID_IEnumFORMATETC, FORMATETC, FORMATETC, &CopyFormat>;
// For Each over the file names.
using NameEnumerator = Enumerator<IEnumVARIANT, IID_IEnumVARIANT, std::wstring, VARIANT, &CopyName>;

// Data.Files: the data object's list, read or filled through it.
class FileList final : public AutomationObject<SpinEditDataObjectFiles, IID_SpinEditDataObjectFiles> {
public:
    explicit FileList(SpinEditData& data) : data_(static_cast<IDataObject*>(&data)), owner_(data) {}

    STDMETHODIMP get_Count(LONG* count) override {
        if (!count) return E_POINTER;
        return Run([&] {
            *count = static_cast<LONG>(owner_.Files().size());
            return S_OK;
        });
    }
    STDMETHODIMP get_Item(LONG index, BSTR* name) override {
        if (!name) return E_POINTER;
        *name = nullptr;
        return Run([&] {
            const auto& files = owner_.Files();
            if (index < 0 || static_cast<std::size_t>(index) >= files.size())
                Fail(ErrorNumber::SubscriptOutOfRange, L"インデックスが有効範囲にありません。");
            const std::wstring& f = files[static_cast<std::size_t>(index)];
            *name = SysAllocStringLen(f.data(), static_cast<UINT>(f.size()));
            return *name ? S_OK : E_OUTOFMEMORY;
        });
    }
    STDMETHODIMP Add(BSTR name, VARIANT index) override {
        return Run([&] {
            owner_.RequireOffer();
            auto& files = owner_.Files();
            std::size_t at = files.size();
            if (!Missing(index)) {
                VARIANT n;
                VariantInit(&n);
                if (FAILED(VariantChangeType(&n, &index, 0, VT_I4)))
                    throw Error(ErrorNumber::TypeMismatch, "index of the wrong type");
                if (V_I4(&n) < 0 || static_cast<std::size_t>(V_I4(&n)) > files.size())
                    Fail(ErrorNumber::SubscriptOutOfRange, L"インデックスが有効範囲にありません。");
                at = static_cast<std::size_t>(V_I4(&n));
            }
            files.insert(files.begin() + static_cast<std::ptrdiff_t>(at),
                         name ? std::wstring(name, SysStringLen(name)) : std::wstring());
            return S_OK;
        });
    }
    STDMETHODIMP Clear() override {
        return Run([&] {
            owner_.RequireOffer();
            owner_.Files().clear();
            return S_OK;
        });
    }
    STDMETHODIMP Remove(LONG index) override {
        return Run([&] {
            owner_.RequireOffer();
            auto& files = owner_.Files();
            if (index < 0 || static_cast<std::size_t>(index) >= files.size())
                Fail(ErrorNumber::SubscriptOutOfRange, L"インデックスが有効範囲にありません。");
            files.erase(files.begin() + index);
            return S_OK;
        });
    }
    STDMETHODIMP get__NewEnum(IUnknown** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return Run([&] {
            *out = new NameEnumerator(owner_.Files());
            return S_OK;
        });
    }

private:
    ComPtr<IDataObject> data_;  // keeps the owner alive
    SpinEditData& owner_;
};

}  // namespace

ComPtr<SpinEditData> SpinEditData::Reading(IDataObject* source) {
    auto data = ComPtr<SpinEditData>::Attach(new SpinEditData());
    data->source_ = ComPtr<IDataObject>(source);
    return data;
}

ComPtr<SpinEditData> SpinEditData::Offering(Request request) {
    auto data = ComPtr<SpinEditData>::Attach(new SpinEditData());
    data->mode_ = Mode::Offer;
    data->request_ = std::move(request);
    return data;
}

STDMETHODIMP SpinEditData::QueryInterface(REFIID riid, void** ppv) {
    if (ppv && IsEqualIID(riid, IID_IDataObject)) {
        *ppv = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    return AutomationObject::QueryInterface(riid, ppv);
}

SpinEditData::Bytes_ SpinEditData::Bytes(const std::wstring& text) {
    Bytes_ bytes((text.size() + 1) * sizeof(wchar_t));
    std::memcpy(bytes.data(), text.c_str(), bytes.size());
    return bytes;
}

void SpinEditData::RequireUsable() const {
    if (mode_ == Mode::Over)
        Fail(ErrorNumber::Automation, L"このデータは、ドラッグ アンド ドロップが終わった後には使用できません。");
}

void SpinEditData::RequireOffer() const {
    RequireUsable();
    if (mode_ != Mode::Offer)
        Fail(kDataReadOnly,
             L"ドロップされたデータは変更できません。データを設定できるのは OLEStartDrag と "
             L"OLESetData イベントの中だけです。");
}

std::optional<SpinEditData::Bytes_> SpinEditData::Read(CLIPFORMAT cf, std::size_t limit) {
    if (!source_) return std::nullopt;
    FORMATETC format{cf, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(source_->GetData(&format, &medium))) return std::nullopt;
    std::optional<Bytes_> bytes;
    // The memory's own size bounds what is read, whatever the contents claim.
    const SIZE_T size = medium.tymed == TYMED_HGLOBAL && medium.hGlobal ? GlobalSize(medium.hGlobal) : 0;
    if (size > 0 && size <= limit) {
        if (const auto* p = static_cast<const std::uint8_t*>(GlobalLock(medium.hGlobal))) {
            bytes = Bytes_(p, p + size);
            GlobalUnlock(medium.hGlobal);
        }
    }
    ReleaseStgMedium(&medium);
    return bytes;
}

bool SpinEditData::Has(CLIPFORMAT cf) {
    if (mode_ == Mode::Read) {
        FORMATETC format{cf, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        return source_ && source_->QueryGetData(&format) == S_OK;
    }
    if (cf == CF_TEXT) cf = CF_UNICODETEXT;
    if (cf == CF_HDROP && !files_.empty()) return true;
    return offered_.count(cf) != 0;
}

const SpinEditData::Bytes_* SpinEditData::Offered(CLIPFORMAT cf) {
    auto it = offered_.find(cf);
    if (it == offered_.end()) return nullptr;
    if (!it->second && request_ && !asking_) {
        // Declared without its data: the handler of OLESetData supplies it now.
        asking_ = true;
        try {
            request_(*this, HostFormat(cf));
        } catch (...) {
            asking_ = false;
            throw;
        }
        asking_ = false;
        it = offered_.find(cf);
        if (it == offered_.end()) return nullptr;
    }
    return it->second ? &*it->second : nullptr;
}

std::optional<std::wstring> SpinEditData::Text() {
    if (mode_ != Mode::Read) {
        const Bytes_* b = Offered(CF_UNICODETEXT);
        return b ? WideTextOf(b->data(), b->size()) : std::nullopt;
    }
    // Too much text counts as none; GetData tells the two apart.
    if (auto wide = Read(CF_UNICODETEXT, (kMaxDropText + 1) * sizeof(wchar_t)))
        return WideTextOf(wide->data(), wide->size());
    if (auto ansi = Read(CF_TEXT, kMaxDropText * 2 + 1)) {
        auto text = AnsiTextOf(ansi->data(), ansi->size(), kMaxDropText * 2);
        if (!text) return std::nullopt;
        std::wstring wide = FromAnsi(*text);
        if (wide.size() > kMaxDropText) return std::nullopt;
        return wide;
    }
    return std::nullopt;
}

std::vector<std::wstring>& SpinEditData::Files() {
    RequireUsable();
    if (mode_ == Mode::Read && !filesRead_) {
        filesRead_ = true;
        if (auto bytes = Read(CF_HDROP, kMaxDropBytes)) {
            if (auto list = ParseDropFiles(bytes->data(), bytes->size())) {
                files_ = std::move(list->wide);
                for (const std::string& a : list->ansi) files_.push_back(FromAnsi(a));
            }
        }
    }
    return files_;
}

STDMETHODIMP SpinEditData::Clear() {
    return Run([&] {
        RequireOffer();
        offered_.clear();
        files_.clear();
        return S_OK;
    });
}

STDMETHODIMP SpinEditData::GetData(VARIANT formatArg, VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    return Run([&] {
        RequireUsable();
        const std::int16_t format = FormatArgument(formatArg);
        const CLIPFORMAT cf = ClipboardFormat(format);
        if (format == kFormatText) {
            auto text = Text();
            if (!text) {
                if (!Has(CF_UNICODETEXT) && !Has(CF_TEXT)) Fail(kFormatMismatch, L"文字列のデータはありません。");
                Fail(kOutOfMemory, L"ドロップされた文字列が長すぎます。受け取れるのは 1048576 文字までです。");
            }
            V_VT(out) = VT_BSTR;
            V_BSTR(out) = SysAllocStringLen(text->data(), static_cast<UINT>(text->size()));
            if (!V_BSTR(out)) throw std::bad_alloc();
            return S_OK;
        }
        if (format == kFormatFiles) {
            if (!Has(CF_HDROP)) Fail(kFormatMismatch, L"ファイルの一覧はありません。");
            ArrayInto(*out, VT_BSTR, Files(), [](SAFEARRAY* a, LONG i, const std::wstring& name) {
                BSTR b = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
                if (!b) return E_OUTOFMEMORY;
                const HRESULT hr = SafeArrayPutElement(a, &i, b);
                SysFreeString(b);
                return hr;
            });
            return S_OK;
        }
        std::optional<Bytes_> bytes;
        if (mode_ == Mode::Read) {
            bytes = Read(cf, kMaxDropBytes);
        } else if (const Bytes_* b = Offered(cf)) {
            bytes = *b;
        }
        if (!bytes) Fail(kFormatMismatch, L"指定の形式のデータはないか、SpinEditBox では受け取れない形式です。");
        SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes->size()));
        void* into = nullptr;
        if (!array || FAILED(SafeArrayAccessData(array, &into))) {
            if (array) SafeArrayDestroy(array);
            throw std::bad_alloc();
        }
        if (!bytes->empty()) std::memcpy(into, bytes->data(), bytes->size());
        SafeArrayUnaccessData(array);
        V_VT(out) = VT_ARRAY | VT_UI1;
        V_ARRAY(out) = array;
        return S_OK;
    });
}

STDMETHODIMP SpinEditData::GetFormat(short format, VARIANT_BOOL* present) {
    if (!present) return E_POINTER;
    *present = VARIANT_FALSE;
    return Run([&] {
        RequireUsable();
        bool has = Has(ClipboardFormat(format));
        if (format == kFormatText && mode_ == Mode::Read) has = has || Has(CF_TEXT);
        *present = has ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

STDMETHODIMP SpinEditData::SetData(VARIANT value, VARIANT formatArg) {
    return Run([&] {
        RequireOffer();
        if (Missing(value) && Missing(formatArg))
            Fail(static_cast<ErrorNumber>(5), L"SetData には値か形式のどちらかが必要です。");
        const std::int16_t format = FormatArgument(formatArg);
        const CLIPFORMAT cf = ClipboardFormat(format);
        if (Missing(value)) {
            // Declared now, supplied by OLESetData when a target asks.
            offered_.emplace(cf, std::nullopt);
            return S_OK;
        }
        if (format == kFormatFiles) Fail(kFormatMismatch, L"ファイルの一覧は Files で設定して下さい。");
        if (format == kFormatText) {
            VARIANT text;
            VariantInit(&text);
            if (FAILED(VariantChangeType(&text, &value, 0, VT_BSTR)))
                throw Error(ErrorNumber::TypeMismatch, "text of the wrong type");
            const std::wstring s = V_BSTR(&text) ? std::wstring(V_BSTR(&text), SysStringLen(V_BSTR(&text))) : L"";
            VariantClear(&text);
            offered_[cf] = Bytes(s);
            return S_OK;
        }
        // Any other format takes the bytes of a Byte array.
        SAFEARRAY* array = nullptr;
        if (V_VT(&value) == (VT_ARRAY | VT_UI1)) array = V_ARRAY(&value);
        if (V_VT(&value) == (VT_BYREF | VT_ARRAY | VT_UI1) && V_ARRAYREF(&value)) array = *V_ARRAYREF(&value);
        LONG lo = 0, hi = -1;
        void* from = nullptr;
        if (!array || SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetLBound(array, 1, &lo)) ||
            FAILED(SafeArrayGetUBound(array, 1, &hi)) || FAILED(SafeArrayAccessData(array, &from)))
            Fail(ErrorNumber::TypeMismatch, L"この形式のデータは Byte 型の配列で設定して下さい。");
        const auto* b = static_cast<const std::uint8_t*>(from);
        Bytes_ bytes(b, b + (hi >= lo ? hi - lo + 1 : 0));
        SafeArrayUnaccessData(array);
        offered_[cf] = std::move(bytes);
        return S_OK;
    });
}

STDMETHODIMP SpinEditData::get_Files(SpinEditDataObjectFiles** files) {
    if (!files) return E_POINTER;
    *files = nullptr;
    return Run([&] {
        RequireUsable();
        *files = new FileList(*this);
        return S_OK;
    });
}

STDMETHODIMP SpinEditData::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (!format || !medium) return E_INVALIDARG;
    if (format->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!(format->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
    return Barrier([&] {
        if (mode_ == Mode::Over) return E_UNEXPECTED;
        Bytes_ bytes;
        if (format->cfFormat == CF_HDROP) {
            if (files_.empty() && offered_.count(CF_HDROP)) Offered(CF_HDROP);
            if (files_.empty()) return DV_E_FORMATETC;
            bytes = MakeDropFiles(files_);
        } else if (format->cfFormat == CF_TEXT) {
            const Bytes_* b = Offered(CF_UNICODETEXT);
            if (!b) return DV_E_FORMATETC;
            const std::string ansi = ToAnsi(*WideTextOf(b->data(), b->size(), b->size()));
            bytes.assign(ansi.begin(), ansi.end());
            bytes.push_back(0);
        } else if (const Bytes_* b = Offered(format->cfFormat)) {
            bytes = *b;
        } else {
            return DV_E_FORMATETC;
        }
        HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size());
        if (!global) return E_OUTOFMEMORY;
        if (void* p = GlobalLock(global)) {
            if (!bytes.empty()) std::memcpy(p, bytes.data(), bytes.size());
            GlobalUnlock(global);
        }
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = global;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    });
}

STDMETHODIMP SpinEditData::QueryGetData(FORMATETC* format) {
    if (!format) return E_INVALIDARG;
    if (format->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!(format->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
    return Barrier([&] { return mode_ != Mode::Over && Has(format->cfFormat) ? S_OK : DV_E_FORMATETC; });
}

STDMETHODIMP SpinEditData::GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) {
    if (!in || !out) return E_INVALIDARG;
    *out = *in;
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

STDMETHODIMP SpinEditData::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    return Barrier([&] {
        std::vector<FORMATETC> formats;
        const auto add = [&](CLIPFORMAT cf) { formats.push_back({cf, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}); };
        for (const auto& entry : offered_) {
            add(entry.first);
            if (entry.first == CF_UNICODETEXT) add(CF_TEXT);
        }
        if (!files_.empty() && !offered_.count(CF_HDROP)) add(CF_HDROP);
        *out = new FormatEnumerator(std::move(formats));
        return S_OK;
    });
}

}  // namespace brisko
