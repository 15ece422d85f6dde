#include "host/registration.h"

#include <objbase.h>
#include <oleauto.h>
#include <olectl.h>
#include <shlwapi.h>

#include <string>

#include "common/win/com_ptr.h"
#include "common/win/handles.h"
#include "host/extensibility.h"
#include "host/module.h"
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

// Creates root\path and sets its default value (and one named value).
bool WriteKey(HKEY root, const std::wstring& path, const std::wstring& def, const wchar_t* name = nullptr,
              const std::wstring& value = {}) {
    UniqueKey key = CreateKey(root, path);
    if (!key) return false;
    if (SetText(key.Get(), nullptr, def) != ERROR_SUCCESS) return false;
    if (name && SetText(key.Get(), name, value) != ERROR_SUCCESS) return false;
    return true;
}

// A creatable class of this server: its CLSID key, in-process server and
// ProgID, both ways, each key's default value naming it.
struct ServerClass {
    const CLSID& clsid;
    const wchar_t* progId;
    const wchar_t* className;   // CLSID\{...}
    const wchar_t* progIdName;  // the ProgID key
};

const ServerClass kLoaderClass{CLSID_Loader, L"Brisko.Loader", L"Brisko.Loader", L"Brisko"};
const ServerClass kSpinEditBoxClass{CLSID_SpinEditBox, L"Brisko.SpinEditBox", L"Brisko SpinEditBox Control",
                                    L"Brisko SpinEditBox Control"};

bool WriteClass(HKEY root, const ServerClass& c, const std::wstring& path) {
    const std::wstring clsid = GuidText(c.clsid);
    const std::wstring clsidKey = L"CLSID\\" + clsid;
    return WriteKey(root, clsidKey, c.className) &&
           WriteKey(root, clsidKey + L"\\InprocServer32", path, L"ThreadingModel", L"Apartment") &&
           WriteKey(root, clsidKey + L"\\ProgID", c.progId) && WriteKey(root, c.progId, c.progIdName) &&
           WriteKey(root, std::wstring(c.progId) + L"\\CLSID", clsid);
}

void DeleteClass(HKEY root, const ServerClass& c) {
    SHDeleteKeyW(root, (L"CLSID\\" + GuidText(c.clsid)).c_str());
    SHDeleteKeyW(root, c.progId);
}

// What a form container reads before it places the control: that it is a
// control at all, its toolbox picture, how it wants to be activated, and
// where its type library is.
bool WriteControlKeys(HKEY root, const std::wstring& path) {
    const std::wstring clsidKey = L"CLSID\\" + GuidText(CLSID_SpinEditBox);
    return static_cast<bool>(CreateKey(root, clsidKey + L"\\Control")) &&
           WriteKey(root, clsidKey + L"\\ToolboxBitmap32",
                    path + L", " + std::to_wstring(BRISKO_SPINEDITBOX_TOOLBOX_BITMAP)) &&
           WriteKey(root, clsidKey + L"\\MiscStatus", L"0") &&
           WriteKey(root, clsidKey + L"\\MiscStatus\\1", std::to_wstring(kSpinEditBoxMiscStatus)) &&
           WriteKey(root, clsidKey + L"\\TypeLib", GuidText(LIBID_Brisko)) &&
           WriteKey(root, clsidKey + L"\\Version", L"1.0");
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

const wchar_t* const kAddinValues[] = {L"FriendlyName", L"Description", L"LoadBehavior", L"CommandLineSafe"};

}  // namespace

HRESULT RegisterServer(HKEY classesRoot) {
    const std::wstring path = ModulePath();
    if (path.empty()) return SELFREG_E_CLASS;
    if (!WriteClass(classesRoot, kLoaderClass, path) || !WriteClass(classesRoot, kSpinEditBoxClass, path) ||
        !WriteControlKeys(classesRoot, path))
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
        SetText(key.Get(), L"Description", kDescription) != ERROR_SUCCESS ||
        SetDword(key.Get(), L"LoadBehavior", kLoadBehavior) != ERROR_SUCCESS ||
        SetDword(key.Get(), L"CommandLineSafe", 0) != ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    return S_OK;
}

HRESULT UnregisterServer(HKEY classesRoot) {
    DeleteClass(classesRoot, kLoaderClass);
    DeleteClass(classesRoot, kSpinEditBoxClass);

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
