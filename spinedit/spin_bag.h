#pragma once
// The values a container's property bag hands back for the control's stored
// keys, reduced to what decides their fate, and the rules by which the
// control takes them: coerced to the key's kind the way a form file's text is
// read (numbers from text, booleans from numbers, "&H" hexadecimal), then
// checked against what the key's setter accepts. The Win32 side only turns a
// VARIANT into a BagValue; nothing here calls the container.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "common/font.h"
#include "spinedit/spin_properties.h"

namespace brisko {

struct BagNull {};         // a null value: "Nothing" for an object
struct BagPicture {};      // a picture object
struct BagOtherObject {};  // an object that is neither a font nor a picture
struct BagUnsupported {};  // an array, an error value, a type no key is stored as
// std::monostate: nothing stored under the key (an empty value).
using BagValue = std::variant<std::monostate, BagNull, bool, std::int64_t, double, std::wstring, FontSpec, BagPicture,
                              BagOtherObject, BagUnsupported>;

enum class BagProblem { None, TypeMismatch, Overflow, InvalidValue };

struct BagDecision {
    enum class Action {
        KeepDefault,  // nothing usable stored: the key keeps its default
        Take,         // value holds what the control takes
        TakePicture,  // the picture object itself is the value
        Report,       // malformed: the default stays and problem says why
    };
    Action action = Action::KeepDefault;
    std::optional<PropertyValue> value;
    BagProblem problem = BagProblem::None;
};

// What the control does with the value a bag gave for one of its keys; a key
// the control does not store is a type mismatch.
BagDecision DecideBagValue(std::wstring_view key, const BagValue& value);

// A number written as text: blanks around it, an optional sign, decimal digits
// with an optional point and exponent, or "&H" (hexadecimal) and "&O" (octal)
// digits, which are 16-bit two's complement up to four (hex) or six (octal)
// digits and 32-bit beyond, as in the host language. Nothing for anything else.
std::optional<double> ParseBagNumber(std::wstring_view text);

}  // namespace brisko
