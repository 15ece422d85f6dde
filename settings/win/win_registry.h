#pragma once
// The registry accessor's store on the real registry, through the ANSI
// functions: text and names cross in the system's code page.
#include "settings/registry.h"

namespace brisko {

class Win32Registry : public RegistryStore {
public:
    bool KeyExists(std::uint32_t root, std::wstring_view path) override;
    Query QueryValue(std::uint32_t root, std::wstring_view path, std::wstring_view name) override;
    bool CreateKey(std::uint32_t root, std::wstring_view path) override;
    bool SetValue(std::uint32_t root, std::wstring_view path, std::wstring_view name, std::uint32_t type,
                  const RegBytes& data) override;
    bool DeleteKey(std::uint32_t root, std::wstring_view path) override;
    bool DeleteValue(std::uint32_t root, std::wstring_view path, std::wstring_view name) override;
    std::string ToAnsi(std::wstring_view text) override;
    std::wstring FromAnsi(std::string_view bytes) override;
    std::string ExpandEnvironment(std::string_view ansi) override;
};

// The one store on the real registry; it holds no state.
RegistryStore& SystemRegistry();

}  // namespace brisko
