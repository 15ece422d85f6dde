#include "host/win/registration.h"

#include <objbase.h>
#include <oleauto.h>
#include <olectl.h>
#include <shlwapi.h>

#include <string>

#include "common/win/com_ptr.h"
#include "common/win/handles.h"
#include "common/win/ui_text.h"
#include "host/win/extensibility.h"
#include "host/win/module.h"
#include "spinedit/control/spin_edit_box_idl.h"
#include "spinedit/control/spin_edit_box_resources.h"

// In oleaut32 since Windows Vista; the MinGW headers do not declare them.
extern "C" {
WINOLEAUTAPI RegisterTypeLibForUser(ITypeLib* lib, OLECHAR* fullPath, OLECHAR* helpDir);
WINOLEAUTAPI UnRegisterTypeLibForUser(REFGUID libId, WORD majorVersion, WORD minorVersion, LCID lcid, SYSKIND syskind);
}

namespace brisko {
namespace {

std::wstring GuidText(const GUID& guid) {
    wchar_t buf[64] = {};
    StringFromGUID2(guid, buf, 64);
    return buf;
}

LSTATUS SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

LSTATUS SetDword(HKEY key, const wchar_t* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

UniqueKey CreateKey(HKEY root, const std::wstring& path) {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return UniqueKey();
    return UniqueKey(raw);
}

bool Write(HKEY root, const std::vector<RegistryKeyWrite>& keys) {
    for (const RegistryKeyWrite& k : keys) {
        UniqueKey key = CreateKey(root, k.path);
        if (!key) return false;
        if (k.hasDefault && SetText(key.Get(), nullptr, k.defaultValue) != ERROR_SUCCESS) return false;
        if (!k.valueName.empty() && SetText(key.Get(), k.valueName.c_str(), k.value) != ERROR_SUCCESS) return false;
    }
    return true;
}

ServerClass LoaderClass() {
    return {GuidText(CLSID_Loader), L"Brisko.Loader", L"Brisko.Loader", L"Brisko"};
}
ServerClass SpinEditBoxClass() {
    return {GuidText(CLSID_SpinEditBox), L"Brisko.SpinEditBox", L"Brisko SpinEditBox Control",
            L"Brisko SpinEditBox Control"};
}

void DeleteClass(HKEY root, const ServerClass& c) {
    SHDeleteKeyW(root, (L"CLSID\\" + c.clsid).c_str());
    SHDeleteKeyW(root, c.progId);
}

ComPtr<ITypeLib> LoadOwnTypeLib(const wchar_t* path) {
    ComPtr<ITypeLib> lib;
    if (FAILED(LoadTypeLibEx(path, REGKIND_NONE, lib.Put()))) lib.Reset();
    return lib;
}

// The DLL's path, or empty when it does not fit.
std::wstring ModulePath() {
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD len = GetModuleFileNameW(ModuleInstance(), path, MAX_PATH * 2);
    if (len == 0 || len >= MAX_PATH * 2) return {};
    return std::wstring(path, len);
}

// HKEY_CLASSES_ROOT is the machine-wide form; any other root is one user's.
bool PerUser(HKEY classesRoot) {
    return classesRoot != HKEY_CLASSES_ROOT;
}

}  // namespace

HRESULT RegisterServer(HKEY classesRoot) {
    const std::wstring path = ModulePath();
    if (path.empty()) return SELFREG_E_CLASS;
    const std::wstring clsid = GuidText(CLSID_SpinEditBox);
    if (!Write(classesRoot, ClassKeys(LoaderClass(), path)) ||
        !Write(classesRoot, ClassKeys(SpinEditBoxClass(), path)) ||
        !Write(classesRoot, ControlKeys(clsid, path, BRISKO_SPINEDITBOX_TOOLBOX_BITMAP, kSpinEditBoxMiscStatus,
                                        GuidText(LIBID_Brisko))))
        return SELFREG_E_CLASS;

    ComPtr<ITypeLib> lib = LoadOwnTypeLib(path.c_str());
    if (!lib) return SELFREG_E_TYPELIB;
    std::wstring pathCopy = path;  // the registration functions take a non-const string
    const HRESULT hrLib = PerUser(classesRoot) ? RegisterTypeLibForUser(lib.Get(), pathCopy.data(), nullptr)
                                               : RegisterTypeLib(lib.Get(), pathCopy.data(), nullptr);
    if (FAILED(hrLib)) return SELFREG_E_TYPELIB;

    UniqueKey key = CreateKey(HKEY_CURRENT_USER, kAddinKey);
    if (!key) return SELFREG_E_CLASS;
    if (SetText(key.Get(), L"FriendlyName", kFriendlyName) != ERROR_SUCCESS ||
        SetText(key.Get(), L"Description", AddinDescription()) != ERROR_SUCCESS ||
        SetDword(key.Get(), L"LoadBehavior", kLoadBehavior) != ERROR_SUCCESS ||
        SetDword(key.Get(), L"CommandLineSafe", kCommandLineSafe) != ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    return S_OK;
}

HRESULT UnregisterServer(HKEY classesRoot) {
    DeleteClass(classesRoot, LoaderClass());
    DeleteClass(classesRoot, SpinEditBoxClass());

    // The library's identity (version, locale, platform) is read from the
    // library itself; an unregistered library is nothing to remove.
    const std::wstring path = ModulePath();
    if (ComPtr<ITypeLib> lib = path.empty() ? ComPtr<ITypeLib>() : LoadOwnTypeLib(path.c_str())) {
        TLIBATTR* attr = nullptr;
        if (SUCCEEDED(lib->GetLibAttr(&attr)) && attr) {
            const TLIBATTR a = *attr;
            lib->ReleaseTLibAttr(attr);
            if (PerUser(classesRoot))
                UnRegisterTypeLibForUser(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind);
            else
                UnRegisterTypeLib(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind);
        }
    }

    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kAddinKey, 0, KEY_READ | KEY_WRITE, &raw) == ERROR_SUCCESS) {
        UniqueKey key(raw);
        for (const wchar_t* name : kAddinValues) RegDeleteValueW(key.Get(), name);
        // The key goes only when nothing of the user's is left in it.
        DWORD subkeys = 0, values = 0;
        const bool empty = RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                            nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                           subkeys == 0 && values == 0;
        key.Reset();
        if (empty) RegDeleteKeyW(HKEY_CURRENT_USER, kAddinKey);
    }
    return S_OK;
}

}  // namespace brisko
