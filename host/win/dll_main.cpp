// The in-process server's entry points.
#include <objbase.h>
#include <olectl.h>
#include <windows.h>

#include "comserver/win/class_factory.h"
#include "host/win/extensibility.h"
#include "host/win/loader_com.h"
#include "host/win/registration.h"
#include "spinedit/control/win/spin_edit_box.h"

namespace brisko {
namespace {

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
