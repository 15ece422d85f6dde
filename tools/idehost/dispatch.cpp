#include "tools/idehost/dispatch.h"

#include <oleauto.h>

#include <cstring>
#include <exception>

namespace brisko::idehost {

namespace {

// The size of the value a typed ByRef argument points at; 0 for the types
// the object model does not take.
std::size_t ByRefValueSize(VARTYPE vt) {
    switch (vt) {
        case VT_UI1:
            return 1;
        case VT_I2:
        case VT_BOOL:
            return 2;
        case VT_I4:
        case VT_R4:
        case VT_ERROR:
            return 4;
        case VT_R8:
            return 8;
        case VT_BSTR:
        case VT_DISPATCH:
        case VT_UNKNOWN:
            return sizeof(void*);
        default:
            return 0;
    }
}

}  // namespace

Args::Args(const DISPPARAMS& params) {
    values_.reserve(params.cArgs);
    for (UINT i = params.cArgs; i-- > 0;) {
        const VARIANT& v = params.rgvarg[i];
        if ((v.vt & VT_BYREF) && v.pvarVal && v.vt == (VT_BYREF | VT_VARIANT)) {
            values_.push_back(*v.pvarVal);  // a Variant passed ByRef
        } else if (v.vt & VT_BYREF) {
            // A typed ByRef argument: read the value it points at, without
            // taking over anything the caller owns.
            VARIANT plain;
            VariantInit(&plain);
            plain.vt = static_cast<VARTYPE>(v.vt & ~VT_BYREF);
            if (const std::size_t size = v.byref ? ByRefValueSize(plain.vt) : 0) {
                std::memcpy(&plain.bVal, v.byref, size);  // the union's first byte
            } else {
                plain.vt = VT_ERROR;
                plain.scode = DISP_E_TYPEMISMATCH;
            }
            values_.push_back(plain);
        } else {
            values_.push_back(v);
        }
    }
}

bool Args::Missing(unsigned i) const {
    if (i >= values_.size()) return true;
    const VARIANT& v = values_[i];
    return v.vt == VT_EMPTY || (v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND);
}

bool Args::ToLong(unsigned i, long& out) const {
    if (i >= values_.size()) return false;
    VARIANT converted;
    VariantInit(&converted);
    // VariantChangeType only reads the source; the copy in values_ stays the caller's.
    VARIANT source = values_[i];
    if (source.vt == VT_ERROR || source.vt == VT_EMPTY || source.vt == VT_DISPATCH || source.vt == VT_UNKNOWN)
        return false;
    if (FAILED(VariantChangeType(&converted, &source, 0, VT_I4))) return false;
    out = converted.lVal;
    return true;
}

DispatchObject::DispatchObject() {
    ++live_;
}
DispatchObject::~DispatchObject() {
    --live_;
}

HRESULT STDMETHODCALLTYPE DispatchObject::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IdeHostObject)) {
        *out = static_cast<IDispatch*>(this);
    } else {
        *out = QueryOther(iid);
    }
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE DispatchObject::AddRef() {
    return ++refs_;
}

ULONG STDMETHODCALLTYPE DispatchObject::Release() {
    const ULONG left = --refs_;
    if (left == 0) std::unique_ptr<DispatchObject> self(this);
    return left;
}

HRESULT STDMETHODCALLTYPE DispatchObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT STDMETHODCALLTYPE DispatchObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (count == 0) return S_OK;
    if (!names || !ids) return E_POINTER;
    HRESULT hr = S_OK;
    ids[0] = DISPID_UNKNOWN;
    if (names[0]) {
        for (const Member& m : Members()) {
            if (CompareStringOrdinal(names[0], -1, m.name, -1, TRUE) == CSTR_EQUAL) {
                ids[0] = m.id;
                break;
            }
        }
    }
    if (ids[0] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    // No member has named parameters.
    for (UINT i = 1; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE DispatchObject::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                                 VARIANT* result, EXCEPINFO* excep, UINT* argErr) {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (excep) *excep = EXCEPINFO{};
    const Member* member = nullptr;
    for (const Member& m : Members()) {
        if (m.id == id) {
            member = &m;
            break;
        }
    }
    if (!member) return DISP_E_MEMBERNOTFOUND;
    // Every member is a method or a read-only property.
    if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
    static DISPPARAMS none{};
    if (!params) params = &none;
    if (params->cArgs > 0 && !params->rgvarg) return E_POINTER;
    if (params->cNamedArgs > 0) return DISP_E_NONAMEDARGS;
    if (params->cArgs < member->minArgs || params->cArgs > member->maxArgs) return DISP_E_BADPARAMCOUNT;

    VARIANT local;
    VariantInit(&local);
    unsigned bad = 0;
    HRESULT hr;
    try {
        hr = Call(id, Args(*params), local, bad);
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    } catch (...) {
        hr = E_FAIL;
    }
    if (FAILED(hr)) {
        VariantClear(&local);
        // The argument index counts from the last argument, as DISPPARAMS stores them.
        if (argErr && hr == DISP_E_TYPEMISMATCH && bad < params->cArgs) *argErr = params->cArgs - 1 - bad;
        return hr;
    }
    if (result) {
        *result = local;  // hands over the reference
    } else {
        VariantClear(&local);
    }
    return hr;
}

void SetLong(VARIANT& v, long value) {
    VariantClear(&v);
    v.vt = VT_I4;
    v.lVal = value;
}

void SetString(VARIANT& v, const std::wstring& value) {
    VariantClear(&v);
    BSTR b = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    if (!b) throw std::bad_alloc();
    v.vt = VT_BSTR;
    v.bstrVal = b;
}

void SetObject(VARIANT& v, IDispatch* object) {
    VariantClear(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = object;
    if (object) object->AddRef();
}

void SetBool(VARIANT& v, bool value) {
    VariantClear(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

}  // namespace brisko::idehost
