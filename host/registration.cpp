#include "host/registration.h"

#include <objbase.h>
#include <olectl.h>
#include <shlwapi.h>

#include <string>

#include "common/win/handles.h"
#include "host/extensibility.h"
#include "host/module.h"

namespace brisko {
namespace {

std::wstring ClsidText() {
    wchar_t buf[64] = {};
    StringFromGUID2(CLSID_Loader, buf, 64);
    return buf;
}

LSTATUS SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

LSTATUS SetDword(HKEY key, const wchar_t* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// Creates root\path and sets its default value (and one named value).
bool WriteKey(HKEY root, const std::wstring& path, const std::wstring& def, const wchar_t* name = nullptr,
              const std::wstring& value = {}) {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return false;
    UniqueKey key(raw);
    if (SetText(key.Get(), nullptr, def) != ERROR_SUCCESS) return false;
    if (name && SetText(key.Get(), name, value) != ERROR_SUCCESS) return false;
    return true;
}

const wchar_t* const kAddinValues[] = {L"FriendlyName", L"Description", L"LoadBehavior", L"CommandLineSafe"};

}  // namespace

HRESULT RegisterServer(HKEY classesRoot) {
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD len = GetModuleFileNameW(ModuleInstance(), path, MAX_PATH * 2);
    if (len == 0 || len >= MAX_PATH * 2) return SELFREG_E_CLASS;
    const std::wstring clsid = ClsidText();
    const std::wstring progId = L"Brisko.Loader";
    const std::wstring clsidKey = L"CLSID\\" + clsid;
    if (!WriteKey(classesRoot, clsidKey, progId) ||
        !WriteKey(classesRoot, clsidKey + L"\\InprocServer32", path, L"ThreadingModel", L"Apartment") ||
        !WriteKey(classesRoot, clsidKey + L"\\ProgID", progId) || !WriteKey(classesRoot, progId, L"Brisko") ||
        !WriteKey(classesRoot, progId + L"\\CLSID", clsid))
        return SELFREG_E_CLASS;

    HKEY raw = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kAddinKey, 0, nullptr, 0, KEY_WRITE, nullptr, &raw, nullptr) !=
        ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    UniqueKey key(raw);
    if (SetText(key.Get(), L"FriendlyName", kFriendlyName) != ERROR_SUCCESS ||
        SetText(key.Get(), L"Description", kDescription) != ERROR_SUCCESS ||
        SetDword(key.Get(), L"LoadBehavior", kLoadBehavior) != ERROR_SUCCESS ||
        SetDword(key.Get(), L"CommandLineSafe", 0) != ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    return S_OK;
}

HRESULT UnregisterServer(HKEY classesRoot) {
    const std::wstring clsid = ClsidText();
    SHDeleteKeyW(classesRoot, (L"CLSID\\" + clsid).c_str());
    SHDeleteKeyW(classesRoot, L"Brisko.Loader");

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
