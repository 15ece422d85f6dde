#include "host/win/loader_com.h"

#include <oleauto.h>

#include <memory>
#include <new>

#include "common/entry_frame.h"
#include "common/win/com_object.h"
#include "comserver/win/module.h"
#include "host/win/extensibility.h"
#include "host/win/loader.h"

namespace brisko {
namespace {

// {0A7E3C51-2D4B-4F6A-9E18-7B5C3D2E1F40}: identifies our own objects to LoaderOf.
constexpr IID IID_BriskoLoaderImpl = {0x0A7E3C51, 0x2D4B, 0x4F6A, {0x9E, 0x18, 0x7B, 0x5C, 0x3D, 0x2E, 0x1F, 0x40}};

// Reports a failure to the caller through the standard error object. The
// text is made by the system, so that memory running out here loses the
// text and nothing else.
HRESULT Fail(const char* what) noexcept {
    ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.Put()))) {
        const UINT n = static_cast<UINT>(lstrlenA(what));
        BSTR desc = SysAllocStringLen(nullptr, n);
        for (UINT i = 0; desc && i < n; ++i) desc[i] = static_cast<unsigned char>(what[i]);
        BSTR source = SysAllocString(L"Brisko.Loader");
        create->SetDescription(desc);
        create->SetSource(source);
        SysFreeString(desc);
        SysFreeString(source);
        ComPtr<IErrorInfo> info = create.As<IErrorInfo>(IID_IErrorInfo);
        SetErrorInfo(0, info.Get());
    }
    return E_FAIL;
}

// Each IDE call is a call from outside: work that a disconnection put off
// for it runs as it returns (see common/entry_frame.h).
template <class F>
HRESULT Guard(F&& f) noexcept {
    const EntryFrame frame;
    try {
        f();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::exception& e) {
        return Fail(e.what());
    } catch (...) {
        return E_UNEXPECTED;
    }
}

class LoaderObject final : public UntypedDispatch<IDTExtensibility2> {
public:
    LoaderObject() { ModuleAddRef(); }
    ~LoaderObject() override {
        loader_.reset();
        ModuleRelease();
    }
    Loader& Impl() { return *loader_; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        return AnswerQueryInterface(static_cast<IDTExtensibility2*>(this), riid, ppv,
                                    {&IID_IUnknown, &IID_IDispatch, &IID_IDTExtensibility2, &IID_BriskoLoaderImpl});
    }

    // ---- IDispatch, for late-bound callers ----
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        static const struct {
            const wchar_t* name;
            DISPID id;
        } kNames[] = {{L"OnConnection", DISPID_OnConnection},
                      {L"OnDisconnection", DISPID_OnDisconnection},
                      {L"OnAddInsUpdate", DISPID_OnAddInsUpdate},
                      {L"OnStartupComplete", DISPID_OnStartupComplete},
                      {L"OnBeginShutdown", DISPID_OnBeginShutdown}};
        if (!names || !ids) return E_POINTER;
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        if (count == 0) return S_OK;
        if (!names[0]) return DISP_E_UNKNOWNNAME;
        for (const auto& n : kNames)
            if (lstrcmpiW(names[0], n.name) == 0) ids[0] = n.id;
        if (ids[0] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
        if (count > 1) hr = DISP_E_UNKNOWNNAME;  // the methods' parameters are positional only
        return hr;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* dp, VARIANT* result, EXCEPINFO*,
                        UINT* argErr) override {
        if (result) VariantInit(result);
        // A count without the arguments behind it, or named arguments, which
        // the methods do not take, are refused before anything is read.
        if (dp && dp->cArgs > 0 && !dp->rgvarg) return E_INVALIDARG;
        if (dp && dp->cNamedArgs > 0) return DISP_E_NONAMEDARGS;
        const UINT n = dp ? dp->cArgs : 0;
        // Arguments arrive last to first.
        auto arg = [&](UINT k) -> VARIANT* { return k < n ? &dp->rgvarg[n - 1 - k] : nullptr; };
        switch (id) {
            case DISPID_OnConnection: {
                VARIANT* app = arg(0);
                VARIANT* mode = arg(1);
                if (!app || !mode) return DISP_E_BADPARAMCOUNT;
                IDispatch* application = nullptr;
                if (app->vt == VT_DISPATCH)
                    application = app->pdispVal;
                else if (app->vt == (VT_DISPATCH | VT_BYREF) && app->ppdispVal)
                    application = *app->ppdispVal;
                else {
                    if (argErr) *argErr = n - 1;
                    return DISP_E_TYPEMISMATCH;
                }
                VARIANT m;
                VariantInit(&m);
                if (FAILED(VariantChangeType(&m, mode, 0, VT_I4))) {
                    if (argErr) *argErr = n - 2;
                    return DISP_E_TYPEMISMATCH;
                }
                return OnConnection(application, m.lVal, nullptr, nullptr);
            }
            case DISPID_OnDisconnection:
                return OnDisconnection(0, nullptr);
            case DISPID_OnAddInsUpdate:
                return OnAddInsUpdate(nullptr);
            case DISPID_OnStartupComplete:
                return OnStartupComplete(nullptr);
            case DISPID_OnBeginShutdown:
                return OnBeginShutdown(nullptr);
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

    // ---- IDTExtensibility2 ----
    STDMETHODIMP OnConnection(IDispatch* Application, long ConnectMode, IDispatch*, SAFEARRAY**) override {
        return Guard([&] { loader_->OnConnection(Application, ConnectMode); });
    }
    STDMETHODIMP OnDisconnection(long, SAFEARRAY**) override {
        return Guard([&] { loader_->OnDisconnection(); });
    }
    STDMETHODIMP OnAddInsUpdate(SAFEARRAY**) override { return S_OK; }
    STDMETHODIMP OnStartupComplete(SAFEARRAY**) override {
        return Guard([&] { loader_->OnStartupComplete(); });
    }
    STDMETHODIMP OnBeginShutdown(SAFEARRAY**) override {
        return Guard([&] { loader_->OnBeginShutdown(); });
    }

private:
    std::unique_ptr<Loader> loader_ = std::make_unique<Loader>(static_cast<IDTExtensibility2*>(this));
};

}  // namespace

IUnknown* CreateLoaderObject() {
    try {
        return static_cast<IDTExtensibility2*>(new LoaderObject());
    } catch (...) {
        return nullptr;
    }
}

Loader* LoaderOf(IUnknown* obj) {
    if (!obj) return nullptr;
    IDTExtensibility2* p = nullptr;
    if (FAILED(obj->QueryInterface(IID_BriskoLoaderImpl, reinterpret_cast<void**>(&p)))) return nullptr;
    Loader* l = &static_cast<LoaderObject*>(p)->Impl();
    p->Release();
    return l;
}

}  // namespace brisko
