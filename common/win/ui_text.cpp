#include "common/win/ui_text.h"

#include <atomic>
#include <optional>

#include "common/win/this_module.h"
#include "resources/texts.h"

namespace brisko {

namespace {

// Not chosen yet, or the chosen Language.
constexpr int kNotChosen = -1;
std::atomic<int> g_language{kNotChosen};

// RT_STRING, in the form the wide functions take whatever UNICODE says.
constexpr WORD kStringTable = 6;


// The string from the block of the string table that holds it, in exactly this language.
std::optional<std::wstring> StringIn(HMODULE module, unsigned id, Language language) {
    const HRSRC info = FindResourceExW(module, MAKEINTRESOURCEW(kStringTable), MAKEINTRESOURCEW(id / 16 + 1),
                                       ResourceLangId(language));
    if (!info) return std::nullopt;
    const HGLOBAL data = LoadResource(module, info);
    const void* bytes = data ? LockResource(data) : nullptr;
    if (!bytes) return std::nullopt;
    return StringOfBlock(std::span(static_cast<const std::uint8_t*>(bytes), SizeofResource(module, info)), id % 16);
}

}  // namespace

Language UserLanguage() {
    return LanguageOfLangId(GetUserDefaultUILanguage());
}

Language TextLanguage() {
    int chosen = g_language.load();
    if (chosen == kNotChosen) {
        g_language.compare_exchange_strong(chosen, static_cast<int>(UserLanguage()));
        chosen = g_language.load();
    }
    return static_cast<Language>(chosen);
}

void ChooseTextLanguage() {
    ChooseTextLanguage(UserLanguage());
}

void ChooseTextLanguage(Language language) {
    g_language = static_cast<int>(language);
}

std::wstring ResourceText(unsigned id) {
    return ResourceText(id, TextLanguage());
}

std::wstring ResourceText(unsigned id, Language language, HMODULE module) {
    return StringIn(module ? module : ThisModule(), id, language).value_or(std::wstring());
}

std::wstring AddinDescription() {
    return ResourceText(BRISKO_IDS_ADDIN_DESCRIPTION, UserLanguage());
}

}  // namespace brisko
