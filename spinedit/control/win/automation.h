#pragma once
// What the control's automation objects share: errors that say why in the
// host language's words, the error information a caller reads, and an object
// base whose IDispatch goes through the control's type library, checking a
// caller's arguments before anything reads them.
#include <oaidl.h>
#include <windows.h>

#include <new>
#include <string>

#include "common/error.h"
#include "common/win/com_object.h"
#include "common/win/com_ptr.h"

namespace brisko {

// Run-time error numbers of the host language that the control's own errors use.
inline constexpr ErrorNumber kOutOfMemory = static_cast<ErrorNumber>(7);
inline constexpr ErrorNumber kNotSupported = static_cast<ErrorNumber>(438);
inline constexpr ErrorNumber kFormatMismatch = static_cast<ErrorNumber>(461);
inline constexpr ErrorNumber kDataReadOnly = static_cast<ErrorNumber>(672);

// An error whose description the caller sees as it is.
class ControlError : public Error {
public:
    ControlError(ErrorNumber number, std::wstring description)
        : Error(number, "the control refused the call"), description_(std::move(description)) {}
    const std::wstring& Description() const { return description_; }

private:
    std::wstring description_;
};

// The text a caller reads for an error: the control's own, or the host
// language's for its standard numbers.
std::wstring ErrorDescription(const Error& e);

// The HRESULT of an error (FACILITY_CONTROL and its number), with the
// thread's error information set for interface iid.
HRESULT ReportError(const Error& e, REFIID iid) noexcept;

// What a caller of IDispatch::Invoke hands in, before anything reads it:
// as many arguments as it says, and named ones among them.
inline bool ValidParams(const DISPPARAMS* params) {
    return params && (params->cArgs == 0 || params->rgvarg) && (params->cNamedArgs == 0 || params->rgdispidNamedArgs) &&
           params->cNamedArgs <= params->cArgs;
}

// The type information of one interface of the control's type library.
ComPtr<ITypeInfo> ControlTypeInfo(REFIID iid);

// A method body of an automation object: errors become the caller's error
// information, nothing else escapes.
template <class F>
HRESULT Automation(REFIID iid, F&& body) noexcept {
    try {
        return body();
    } catch (const Error& e) {
        return ReportError(e, iid);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// A counted object that offers one dual interface of the control's library.
template <class Interface, const IID& kIid>
class AutomationObject : public Interface, public ISupportErrorInfo {
public:
    AutomationObject() : info_(ControlTypeInfo(kIid)) {}
    virtual ~AutomationObject() = default;
    AutomationObject(const AutomationObject&) = delete;
    AutomationObject& operator=(const AutomationObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, kIid))
            *ppv = static_cast<Interface*>(this);
        else if (IsEqualIID(riid, IID_ISupportErrorInfo))
            *ppv = static_cast<ISupportErrorInfo*>(this);
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = info_ ? 1 : 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        if (!info_) return TYPE_E_CANTLOADLIBRARY;
        *out = info_.Get();
        (*out)->AddRef();
        return S_OK;
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (!names || !ids) return E_POINTER;
        if (!info_) return TYPE_E_CANTLOADLIBRARY;
        return info_->GetIDsOfNames(names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* error,
                        UINT* argError) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (!ValidParams(params)) return E_INVALIDARG;
        if (!info_) return TYPE_E_CANTLOADLIBRARY;
        SetErrorInfo(0, nullptr);
        return info_->Invoke(static_cast<Interface*>(this), id, flags, params, result, error, argError);
    }
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override { return IsEqualIID(riid, kIid) ? S_OK : S_FALSE; }

protected:
    template <class F>
    HRESULT Run(F&& body) noexcept {
        return Automation(kIid, std::forward<F>(body));
    }

private:
    LONG refs_ = 1;
    ComPtr<ITypeInfo> info_;
};

}  // namespace brisko
