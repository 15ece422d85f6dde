#pragma once
// A registry held in memory: root keys, key paths and typed named values with
// the platform's rules (names compared without regard to case, a key with
// subkeys cannot be deleted, creating a key creates its whole path). Text is
// stored one byte per character (characters above U+00FF become "?"), and
// environment references expand from the store's own table. The settings code
// runs against it where there is no platform registry, and in the tests.
#include <map>
#include <string>
#include <vector>

#include "settings/registry.h"

namespace brisko {

class MemoryRegistry : public RegistryStore {
public:
    struct StoredValue {
        std::wstring name;
        std::uint32_t type = kRegNone;
        RegBytes data;
    };

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

    // Values of a key in the order they were first written; empty when the
    // key does not exist.
    std::vector<StoredValue> Values(std::uint32_t root, std::wstring_view path) const;
    // Names of every value written by SetValue, in call order.
    const std::vector<std::wstring>& WriteLog() const { return writeLog_; }
    // Names queried by QueryValue, in call order.
    const std::vector<std::wstring>& ReadLog() const { return readLog_; }

    std::map<std::string, std::string> environment;
    // While set, every key creation fails (a key the user may not write).
    bool failCreate = false;

private:
    struct Key {
        std::vector<StoredValue> values;
    };
    using KeyId = std::pair<std::uint32_t, std::wstring>;  // root, folded path
    static KeyId Id(std::uint32_t root, std::wstring_view path);
    Key* Find(std::uint32_t root, std::wstring_view path);

    std::map<KeyId, Key> keys_;
    std::vector<std::wstring> writeLog_;
    std::vector<std::wstring> readLog_;
};

}  // namespace brisko
