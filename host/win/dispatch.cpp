#include "host/win/dispatch.h"

#include <oleauto.h>

#include <string>
#include <vector>

#include "common/error.h"
#include "common/win/ansi.h"

namespace brisko {

Variant Variant::Int(long v) {
    Variant out;
    out.v_.vt = VT_I4;
    out.v_.lVal = v;
    return out;
}

Variant Variant::Object(IDispatch* p) {
    Variant out;
    out.v_.vt = VT_DISPATCH;
    out.v_.pdispVal = p;
    if (p) p->AddRef();
    return out;
}

long Variant::AsLong() const {
    VARIANT tmp;
    VariantInit(&tmp);
    if (FAILED(VariantChangeType(&tmp, const_cast<VARIANT*>(&v_), 0, VT_I4)))
        throw Error(ErrorNumber::TypeMismatch, "not a number");
    return tmp.lVal;
}

std::wstring Variant::AsString() const {
    if (v_.vt == VT_BSTR) return v_.bstrVal ? std::wstring(v_.bstrVal, SysStringLen(v_.bstrVal)) : std::wstring();
    VARIANT tmp;
    VariantInit(&tmp);
    if (FAILED(VariantChangeType(&tmp, const_cast<VARIANT*>(&v_), 0, VT_BSTR)))
        throw Error(ErrorNumber::TypeMismatch, "not text");
    std::wstring s = tmp.bstrVal ? std::wstring(tmp.bstrVal, SysStringLen(tmp.bstrVal)) : std::wstring();
    VariantClear(&tmp);
    return s;
}

ComPtr<IDispatch> Variant::AsObject() const {
    if (v_.vt == VT_DISPATCH) return ComPtr<IDispatch>(v_.pdispVal);
    if (v_.vt == (VT_DISPATCH | VT_BYREF) && v_.ppdispVal) return ComPtr<IDispatch>(*v_.ppdispVal);
    if (v_.vt == VT_UNKNOWN && v_.punkVal) {
        ComPtr<IDispatch> d;
        v_.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(d.Put()));
        return d;
    }
    if (v_.vt == VT_EMPTY || v_.vt == VT_NULL) return {};
    throw Error(ErrorNumber::TypeMismatch, "not an object");
}

Variant DispGet(IDispatch* obj, const wchar_t* name, std::initializer_list<Variant> args) {
    if (!obj) throw Error(ErrorNumber::ObjectRequired, "object required");
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = obj->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) throw Error(ErrorNumber::Automation, "unknown member " + ToAnsi(name));
    // DISPPARAMS takes the arguments last to first.
    std::vector<VARIANT> argv(args.size());
    size_t k = args.size();
    for (const Variant& a : args) argv[--k] = a.Get();
    DISPPARAMS dp{argv.empty() ? nullptr : argv.data(), nullptr, static_cast<UINT>(argv.size()), 0};
    Variant result;
    EXCEPINFO ei{};
    UINT argErr = 0;
    hr = obj->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &dp, result.Put(), &ei,
                     &argErr);
    if (hr == DISP_E_EXCEPTION) {
        SysFreeString(ei.bstrSource);
        SysFreeString(ei.bstrDescription);
        SysFreeString(ei.bstrHelpFile);
    }
    if (FAILED(hr)) throw Error(ErrorNumber::Automation, "call of " + ToAnsi(name) + " failed");
    return result;
}

ComPtr<IDispatch> DispGetObject(IDispatch* obj, const wchar_t* name, std::initializer_list<Variant> args) {
    return DispGet(obj, name, args).AsObject();
}

}  // namespace brisko
