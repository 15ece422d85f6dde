// The in-process server's entry points.
#include <objbase.h>
#include <olectl.h>
#include <windows.h>

#include <new>

#include "common/win/com_object.h"
#include "host/win/extensibility.h"
#include "host/win/loader_com.h"
#include "host/win/module.h"
#include "host/win/registration.h"
#include "spinedit/control/spin_edit_box.h"

namespace brisko {
namespace {

// Every function that COM, regsvr32 or the loader calls: no exception may
// reach their frames (memory runs out anywhere a string is made).
template <class F>
HRESULT Barrier(F&& f) noexcept {
    try {
        return f();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// One static factory per class; each makes its objects with create.
class ClassFactory final : public IClassFactory {
public:
    explicit constexpr ClassFactory(IUnknown* (*create)()) : create_(create) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        return AnswerQueryInterface(static_cast<IClassFactory*>(this), riid, ppv, {&IID_IUnknown, &IID_IClassFactory});
    }
    // The factory is static; its references keep the module loaded.
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

ClassFactory g_loaderFactory(&CreateLoaderObject);
// Live controls hold the module like any other object, so DllCanUnloadNow
// answers S_FALSE while a form still shows one.
ClassFactory g_spinEditBoxFactory(&CreateSpinEditBoxObject);

HKEY UserClasses() {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return key;
}

}  // namespace
}  // namespace brisko

using namespace brisko;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        SetModuleInstance(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    return Barrier([&] {
        if (IsEqualCLSID(clsid, CLSID_Loader)) return g_loaderFactory.QueryInterface(riid, ppv);
        if (IsEqualCLSID(clsid, kClsidSpinEditBox)) return g_spinEditBoxFactory.QueryInterface(riid, ppv);
        return CLASS_E_CLASSNOTAVAILABLE;
    });
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return Barrier([] {
        if (ModuleRefCount() != 0) return S_FALSE;
        UnregisterControlClasses();
        return S_OK;
    });
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    return Barrier([] { return RegisterServer(HKEY_CLASSES_ROOT); });
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return Barrier([] { return UnregisterServer(HKEY_CLASSES_ROOT); });
}

// regsvr32 /n /i:user registers for the current user only, without
// administrator rights; regsvr32 /u /n /i:user removes that again.
extern "C" HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR cmdLine) {
    if (!cmdLine || lstrcmpiW(cmdLine, L"user") != 0) return cmdLine && *cmdLine ? E_INVALIDARG : S_OK;
    HKEY classes = UserClasses();
    if (!classes) return E_ACCESSDENIED;
    const HRESULT hr = Barrier([&] { return install ? RegisterServer(classes) : UnregisterServer(classes); });
    RegCloseKey(classes);
    return hr;
}
