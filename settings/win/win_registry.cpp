#include "settings/win/win_registry.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "common/win/ansi.h"
#include "common/win/handles.h"

namespace brisko {

namespace {

// Access for writing, deleting values and creating: query, set, create
// subkey, enumerate, notify, create link.
constexpr REGSAM kWriteAccess = 0x3F;

// The predefined roots are 32-bit numbers with the high bit set; as handles
// they are sign-extended, which matters in a 64-bit process.
HKEY RootHandle(std::uint32_t root) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(root))));
}

UniqueKey Open(std::uint32_t root, std::wstring_view path, REGSAM access) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(RootHandle(root), brisko::ToAnsi(path).c_str(), 0, access, &k) != ERROR_SUCCESS) return {};
    return UniqueKey(k);
}

UniqueKey Create(std::uint32_t root, std::wstring_view path) {
    HKEY k = nullptr;
    char noClass[1] = "";
    DWORD disposition = 0;
    if (RegCreateKeyExA(RootHandle(root), brisko::ToAnsi(path).c_str(), 0, noClass, REG_OPTION_NON_VOLATILE,
                        kWriteAccess, nullptr, &k, &disposition) != ERROR_SUCCESS)
        return {};
    return UniqueKey(k);
}

}  // namespace

bool Win32Registry::KeyExists(std::uint32_t root, std::wstring_view path) {
    return static_cast<bool>(Open(root, path, KEY_QUERY_VALUE));
}

RegistryStore::Query Win32Registry::QueryValue(std::uint32_t root, std::wstring_view path, std::wstring_view name) {
    Query q;
    UniqueKey key = Open(root, path, KEY_QUERY_VALUE);
    if (!key) return q;
    q.found = Found::NoValue;
    const std::string ansiName = brisko::ToAnsi(name);
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExA(key.Get(), ansiName.c_str(), nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) return q;
    // The size asked first can be larger than the data (the ANSI form of a
    // text) or stale if someone writes meanwhile: the read's own size counts.
    for (int attempt = 0; attempt < 4; ++attempt) {
        q.data.assign(size, 0);
        std::uint8_t dummy = 0;
        DWORD got = size;
        rc = RegQueryValueExA(key.Get(), ansiName.c_str(), nullptr, &type, size ? q.data.data() : &dummy, &got);
        if (rc == ERROR_SUCCESS) {
            q.data.resize(std::min<DWORD>(got, size));
            q.found = Found::Value;
            q.type = type;
            return q;
        }
        if (rc != ERROR_MORE_DATA) break;
        size = got;
    }
    q.data.clear();
    return q;
}

bool Win32Registry::CreateKey(std::uint32_t root, std::wstring_view path) {
    return static_cast<bool>(Create(root, path));
}

bool Win32Registry::SetValue(std::uint32_t root, std::wstring_view path, std::wstring_view name, std::uint32_t type,
                             const RegBytes& data) {
    UniqueKey key = Create(root, path);
    if (!key) return false;
    const BYTE none = 0;
    return RegSetValueExA(key.Get(), brisko::ToAnsi(name).c_str(), 0, type, data.empty() ? &none : data.data(),
                          static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool Win32Registry::DeleteKey(std::uint32_t root, std::wstring_view path) {
    return RegDeleteKeyA(RootHandle(root), brisko::ToAnsi(path).c_str()) == ERROR_SUCCESS;
}

bool Win32Registry::DeleteValue(std::uint32_t root, std::wstring_view path, std::wstring_view name) {
    UniqueKey key = Open(root, path, kWriteAccess);
    if (!key) return false;
    return RegDeleteValueA(key.Get(), brisko::ToAnsi(name).c_str()) == ERROR_SUCCESS;
}

std::string Win32Registry::ToAnsi(std::wstring_view text) {
    return brisko::ToAnsi(text);
}

std::wstring Win32Registry::FromAnsi(std::string_view bytes) {
    return brisko::FromAnsi(bytes);
}

std::string Win32Registry::ExpandEnvironment(std::string_view ansi) {
    const std::string source(ansi);
    // The size the first call answers can count characters rather than
    // bytes, too little for double-byte text: the buffer is made roomy and
    // grown until the result clearly fits.
    DWORD size = std::max<DWORD>(ExpandEnvironmentStringsA(source.c_str(), nullptr, 0), 32) * 2;
    for (int attempt = 0; attempt < 6; ++attempt) {
        std::string out(size, '\0');
        DWORD got = ExpandEnvironmentStringsA(source.c_str(), out.data(), size);
        if (got == 0) break;
        size_t len = std::strlen(out.c_str());
        if (got <= size && len + 1 < size) {
            out.resize(len);
            return out;
        }
        size = std::max(got, size) * 2;
    }
    // Text whose references cannot be expanded is better kept as written.
    return source.substr(0, std::strlen(source.c_str()));
}

RegistryStore& SystemRegistry() {
    static Win32Registry registry;
    return registry;
}

}  // namespace brisko
