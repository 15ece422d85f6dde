#include "comserver/win/server_registry.h"

#include <objbase.h>
#include <oleauto.h>
#include <shlwapi.h>

#include "common/win/com_ptr.h"
#include "common/win/handles.h"
#include "comserver/win/module.h"

// In oleaut32 since Windows Vista; the MinGW headers do not declare them.
extern "C" {
WINOLEAUTAPI RegisterTypeLibForUser(ITypeLib* lib, OLECHAR* fullPath, OLECHAR* helpDir);
WINOLEAUTAPI UnRegisterTypeLibForUser(REFGUID libId, WORD majorVersion, WORD minorVersion, LCID lcid, SYSKIND syskind);
}

namespace brisko {
namespace {

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

ComPtr<ITypeLib> LoadOwnTypeLib(const std::wstring& path) {
    ComPtr<ITypeLib> lib;
    if (path.empty() || FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib.Put()))) lib.Reset();
    return lib;
}

}  // namespace

std::wstring GuidText(const GUID& guid) {
    wchar_t buf[64] = {};
    StringFromGUID2(guid, buf, 64);
    return buf;
}

std::wstring ModulePath() {
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD len = GetModuleFileNameW(ModuleInstance(), path, MAX_PATH * 2);
    if (len == 0 || len >= MAX_PATH * 2) return {};
    return std::wstring(path, len);
}

bool WriteKeys(HKEY root, const std::vector<RegistryKeyWrite>& keys) {
    for (const RegistryKeyWrite& k : keys) {
        UniqueKey key = CreateKey(root, k.path);
        if (!key) return false;
        if (k.hasDefault && SetText(key.Get(), nullptr, k.defaultValue) != ERROR_SUCCESS) return false;
        if (!k.valueName.empty() && SetText(key.Get(), k.valueName.c_str(), k.value) != ERROR_SUCCESS) return false;
    }
    return true;
}

void DeleteClass(HKEY root, const ServerClass& c) {
    SHDeleteKeyW(root, (L"CLSID\\" + c.clsid).c_str());
    SHDeleteKeyW(root, c.progId);
}

HRESULT RegisterOwnTypeLib(const std::wstring& path, bool perUser) {
    ComPtr<ITypeLib> lib = LoadOwnTypeLib(path);
    if (!lib) return TYPE_E_CANTLOADLIBRARY;
    std::wstring pathCopy = path;  // the registration functions take a non-const string
    return perUser ? RegisterTypeLibForUser(lib.Get(), pathCopy.data(), nullptr)
                   : RegisterTypeLib(lib.Get(), pathCopy.data(), nullptr);
}

void UnregisterOwnTypeLib(const std::wstring& path, bool perUser) {
    // The library's identity (version, locale, platform) is read from the
    // library itself.
    ComPtr<ITypeLib> lib = LoadOwnTypeLib(path);
    if (!lib) return;
    TLIBATTR* attr = nullptr;
    if (FAILED(lib->GetLibAttr(&attr)) || !attr) return;
    const TLIBATTR a = *attr;
    lib->ReleaseTLibAttr(attr);
    if (perUser)
        UnRegisterTypeLibForUser(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind);
    else
        UnRegisterTypeLib(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind);
}

bool WriteAddinEntry(const AddinEntry& entry, const std::wstring& description) {
    UniqueKey key = CreateKey(HKEY_CURRENT_USER, std::wstring(entry.key));
    if (!key) return false;
    constexpr DWORD kNotCommandLineSafe = 0;
    return SetText(key.Get(), L"FriendlyName", kFriendlyName) == ERROR_SUCCESS &&
           SetText(key.Get(), L"Description", description) == ERROR_SUCCESS &&
           SetDword(key.Get(), L"LoadBehavior", entry.loadBehavior) == ERROR_SUCCESS &&
           (!entry.writesCommandLineSafe ||
            SetDword(key.Get(), L"CommandLineSafe", kNotCommandLineSafe) == ERROR_SUCCESS);
}

void RemoveAddinEntry(const AddinEntry& entry) {
    const std::wstring path(entry.key);
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ | KEY_WRITE, &raw) != ERROR_SUCCESS) return;
    UniqueKey key(raw);
    for (const wchar_t* name : kAddinValues) RegDeleteValueW(key.Get(), name);
    DWORD subkeys = 0, values = 0;
    const bool empty = RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                        nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                       subkeys == 0 && values == 0;
    key.Reset();
    if (empty) RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
}

}  // namespace brisko
