#pragma once
// CRegistry: an accessor for one registry value at a time. The caller sets the
// root, the key path and the value name, then reads or assigns Value. Every
// operation opens the key, does its work and closes it again; failures come
// back as false or an empty read, never as an exception.
//
// The accessor's rules are portable; the registry itself sits behind
// RegistryStore, which the Win32 layer implements on the real registry
// (settings/win/win_registry.h) and tests implement in memory.
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/reg_value.h"

namespace brisko {

class RegistryStore {
public:
    enum class Found { NoKey, NoValue, Value };
    struct Query {
        Found found = Found::NoKey;
        std::uint32_t type = kRegNone;
        RegBytes data;  // exactly the bytes the value holds
    };

    virtual ~RegistryStore() = default;

    // Each operation opens the key itself and closes it before returning.
    virtual bool KeyExists(std::uint32_t root, std::wstring_view path) = 0;
    virtual Query QueryValue(std::uint32_t root, std::wstring_view path, std::wstring_view name) = 0;
    // Creates every missing key along the path.
    virtual bool CreateKey(std::uint32_t root, std::wstring_view path) = 0;
    virtual bool SetValue(std::uint32_t root, std::wstring_view path, std::wstring_view name, std::uint32_t type,
                          const RegBytes& data) = 0;
    virtual bool DeleteKey(std::uint32_t root, std::wstring_view path) = 0;
    // False when the key cannot be opened for writing or the value is not there.
    virtual bool DeleteValue(std::uint32_t root, std::wstring_view path, std::wstring_view name) = 0;

    // Stored text is in the store's ANSI code page.
    virtual std::string ToAnsi(std::wstring_view text) = 0;
    virtual std::wstring FromAnsi(std::string_view bytes) = 0;
    // Replaces %NAME% references by the environment's values.
    virtual std::string ExpandEnvironment(std::string_view ansi) = 0;
};

class CRegistry {
public:
    explicit CRegistry(RegistryStore& store) : store_(&store) {}

    std::uint32_t ClassKey() const { return classKey_; }
    void SetClassKey(std::uint32_t v) { classKey_ = v; }
    const std::wstring& SectionKey() const { return sectionKey_; }
    void SetSectionKey(std::wstring v) { sectionKey_ = std::move(v); }
    const std::wstring& ValueKey() const { return valueKey_; }
    void SetValueKey(std::wstring v) { valueKey_ = std::move(v); }
    // The type used for writing; a successful read replaces it by the type found.
    std::uint32_t ValueType() const { return valueType_; }
    void SetValueType(std::uint32_t v) { valueType_ = v; }
    // What a read returns when the key exists but the value does not.
    const RegValue& Default() const { return default_; }
    void SetDefault(RegValue v) { default_ = std::move(v); }

    bool KeyExists();
    bool CreateKey();
    bool DeleteKey();
    bool DeleteValue();

    // Empty when the key is missing, a copy of Default when the value is.
    RegValue Value();
    // Writes by ValueType; a value that does not fit the type writes nothing.
    void SetValue(const RegValue& v);

    RegValue ValueEx(std::uint32_t eClassKey, std::wstring sSectionKey, std::wstring sValueKey,
                     std::uint32_t eValueType, RegValue vDefault);
    // With REG_SZ an empty text is replaced by the default, also in the
    // caller's variable.
    void SetValueEx(std::uint32_t eClassKey, std::wstring sSectionKey, std::wstring sValueKey, std::uint32_t eValueType,
                    RegValue vDefault, RegValue& vNewValue);

private:
    void SetAll(std::uint32_t eClassKey, std::wstring&& sSectionKey, std::wstring&& sValueKey, std::uint32_t eValueType,
                RegValue&& vDefault);

    RegistryStore* store_;
    std::uint32_t classKey_ = 0;
    std::wstring sectionKey_;
    std::wstring valueKey_;
    std::uint32_t valueType_ = 0;
    RegValue default_;
};

}  // namespace brisko
