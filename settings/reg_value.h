#pragma once
// The values that travel through the registry accessor and the rules that turn
// them into stored bytes and back. No <windows.h>: the text code page and the
// environment expansion are the store's business (see registry.h).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace brisko {

using RegBytes = std::vector<std::uint8_t>;

// Empty, 16-bit integer, 32-bit integer, text or an array of bytes.
using RegValue = std::variant<std::monostate, std::int16_t, std::int32_t, std::wstring, RegBytes>;

// Registry data types by number.
enum RegType : std::uint32_t {
    kRegNone = 0,
    kRegSz = 1,
    kRegExpandSz = 2,
    kRegBinary = 3,
    kRegDword = 4,
    kRegDwordBigEndian = 5,
    kRegLink = 6,
    kRegMultiSz = 7,
};

// The predefined root of the current user, as the 32-bit number callers pass.
inline constexpr std::uint32_t kHKeyCurrentUser = 0x80000001u;

inline bool IsEmpty(const RegValue& v) {
    return std::holds_alternative<std::monostate>(v);
}

// True when the text holds a "%" and a second "%" at least two characters
// further on: only then can it name an environment variable, so only then is
// it stored as an expandable string.
bool HasEnvironmentReference(std::wstring_view text);

// The text a value converts to when it is written as a string: empty gives "",
// integers their decimal digits, an array of bytes the UTF-16 code units it
// holds (an odd last byte is dropped).
std::wstring RegValueText(const RegValue& v);

// The number a value reads as, or nullopt when it is not a number (an array of
// bytes, text that is no number, empty). Text may be decimal with an optional
// sign, fraction and exponent, or "&H"/"&O" hexadecimal or octal of at most
// 32 bits, with spaces around it.
std::optional<double> RegValueNumber(const RegValue& v);

// The stored text of a REG_SZ/REG_EXPAND_SZ/REG_MULTI_SZ value: every byte but
// the terminating NUL. A value stored without any bytes is "", and one whose
// writer left the terminator off keeps its last character.
std::string StoredTextBytes(const RegBytes& data);

// A REG_DWORD or REG_DWORD_BIG_ENDIAN value as a 32-bit integer. Data shorter
// than 4 bytes fills the first bytes of a zeroed field (before any reversal);
// longer data gives its first 4 bytes. Never reads past the data.
std::int32_t StoredDword(const RegBytes& data, bool bigEndian);

// What an assignment writes: the type actually stored and its bytes.
struct RegWrite {
    std::uint32_t type = kRegNone;
    RegBytes data;
    friend bool operator==(const RegWrite&, const RegWrite&) = default;
};

// The write rules by the accessor's ValueType. `toAnsi` converts text to the
// stored code page. nullopt when the value does not fit the type, or the type
// is not one that is written: then nothing is written.
template <class ToAnsi>
std::optional<RegWrite> EncodeRegValue(std::uint32_t valueType, const RegValue& v, ToAnsi&& toAnsi);

// Building blocks of EncodeRegValue, independent of the code page.
RegWrite EncodeTextBytes(std::uint32_t valueType, bool expandable, std::string_view ansi);
std::optional<RegWrite> EncodeNonText(std::uint32_t valueType, const RegValue& v);

template <class ToAnsi>
std::optional<RegWrite> EncodeRegValue(std::uint32_t valueType, const RegValue& v, ToAnsi&& toAnsi) {
    if (valueType == kRegSz || valueType == kRegExpandSz) {
        std::wstring text = RegValueText(v);
        std::string ansi = toAnsi(std::wstring_view(text));
        return EncodeTextBytes(valueType, HasEnvironmentReference(text), ansi);
    }
    return EncodeNonText(valueType, v);
}

}  // namespace brisko
