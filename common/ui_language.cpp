#include "common/ui_language.h"

namespace brisko {

namespace {
constexpr std::uint16_t kPrimaryLanguageMask = 0x03FF;
constexpr std::uint16_t kLangJapanese = 0x11;
constexpr std::uint16_t kJapaneseJapan = 0x0411;
constexpr std::uint16_t kEnglishUnitedStates = 0x0409;
constexpr std::size_t kStringsPerBlock = 16;
}  // namespace

Language LanguageOfLangId(std::uint16_t langId) {
    return (langId & kPrimaryLanguageMask) == kLangJapanese ? Language::Japanese : Language::English;
}

std::uint16_t ResourceLangId(Language language) {
    return language == Language::Japanese ? kJapaneseJapan : kEnglishUnitedStates;
}

std::optional<std::wstring> StringOfBlock(std::span<const std::uint8_t> block, std::size_t index) {
    if (index >= kStringsPerBlock) return std::nullopt;
    std::size_t at = 0;
    const auto unit = [&](std::size_t i) { return static_cast<std::uint16_t>(block[i] | (block[i + 1] << 8)); };
    for (std::size_t entry = 0;; ++entry) {
        if (block.size() - at < 2) return std::nullopt;
        const std::size_t count = unit(at);
        at += 2;
        if (count > (block.size() - at) / 2) return std::nullopt;
        if (entry == index) {
            if (count == 0) return std::nullopt;
            std::wstring text(count, L'\0');
            for (std::size_t i = 0; i < count; ++i) text[i] = static_cast<wchar_t>(unit(at + 2 * i));
            return text;
        }
        at += 2 * count;
    }
}

std::wstring FormatText(std::wstring_view text, std::span<const std::wstring> args) {
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%' && i + 1 < text.size() && text[i + 1] >= L'1' && text[i + 1] <= L'9') {
            const auto n = static_cast<std::size_t>(text[i + 1] - L'1');
            if (n < args.size()) {
                out += args[n];
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

}  // namespace brisko
