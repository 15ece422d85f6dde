#pragma once
// The class factory of an in-process server: one static instance per class,
// each making its objects with a creation function. Its references and
// server locks keep the module loaded.
#include <objbase.h>

#include "common/win/com_object.h"
#include "comserver/win/module.h"

namespace brisko {

class ClassFactory final : public IClassFactory {
public:
    explicit constexpr ClassFactory(IUnknown* (*create)()) : create_(create) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        return AnswerQueryInterface(static_cast<IClassFactory*>(this), riid, ppv, {&IID_IUnknown, &IID_IClassFactory});
    }
    // The factory is static: it counts only toward the module.
    STDMETHODIMP_(ULONG) AddRef() override {
        ModuleAddRef();
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override {
        ModuleRelease();
        return 1;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return Barrier([&] {
            IUnknown* obj = create_();
            if (!obj) return E_OUTOFMEMORY;
            const HRESULT hr = obj->QueryInterface(riid, ppv);
            obj->Release();
            return hr;
        });
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            ModuleAddRef();
        else
            ModuleRelease();
        return S_OK;
    }

private:
    IUnknown* (*create_)();
};

}  // namespace brisko
