#pragma once
// The language the add-in speaks, and the rules that pick and read its texts
// without the window system: which language a Windows display language gets,
// one string of a string-table block, and numbered inserts in a text.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace brisko {

enum class Language { Japanese, English };

// Japanese for a Japanese display language (whatever its sublanguage),
// English for every other one.
Language LanguageOfLangId(std::uint16_t langId);
// The language its texts are tagged with in the resources: Japanese (Japan)
// or English (United States).
std::uint16_t ResourceLangId(Language language);

// Entry `index` (0..15) of a string-table block as the resource compiler lays
// it out: sixteen entries in a row, each a 16-bit count of UTF-16 units
// followed by the units. nullopt for an empty entry (no string has that id)
// and for one that runs past the end of the block.
std::optional<std::wstring> StringOfBlock(std::span<const std::uint8_t> block, std::size_t index);

// `text` with each "%1" to "%9" replaced by the argument of that number; a
// number without an argument, and every other "%", stay as they are.
std::wstring FormatText(std::wstring_view text, std::span<const std::wstring> args);

}  // namespace brisko
