#include "spinedit/spin_drop.h"

#include <cstring>

namespace brisko {

namespace {

constexpr std::size_t kHeaderSize = 20;  // offset, point, non-client flag, wide flag

std::uint32_t U32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

}  // namespace

std::optional<std::wstring> WideTextOf(const std::uint8_t* data, std::size_t size, std::size_t maxChars) {
    std::wstring text;
    if (!data) return text;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const auto c = static_cast<wchar_t>(data[i] | data[i + 1] << 8);
        if (c == 0) break;
        if (text.size() == maxChars) return std::nullopt;
        text.push_back(c);
    }
    return text;
}

std::optional<std::string> AnsiTextOf(const std::uint8_t* data, std::size_t size, std::size_t maxChars) {
    std::string text;
    if (!data) return text;
    for (std::size_t i = 0; i < size && data[i] != 0; ++i) {
        if (text.size() == maxChars) return std::nullopt;
        text.push_back(static_cast<char>(data[i]));
    }
    return text;
}

std::optional<DroppedFiles> ParseDropFiles(const std::uint8_t* data, std::size_t size, std::size_t maxFiles) {
    if (!data || size < kHeaderSize) return std::nullopt;
    const std::uint32_t offset = U32(data);
    const bool wide = U32(data + 16) != 0;
    if (offset < kHeaderSize || offset > size) return std::nullopt;
    DroppedFiles files;
    std::size_t at = offset;
    const std::size_t unit = wide ? 2 : 1;
    while (at + unit <= size) {
        std::size_t end = at;
        while (end + unit <= size && (wide ? (data[end] | data[end + 1]) != 0 : data[end] != 0)) end += unit;
        if (end + unit > size) break;  // cut short by the end of the block
        if (end == at) break;          // the empty name that ends the list
        if (files.wide.size() + files.ansi.size() == maxFiles) return std::nullopt;
        if (wide) {
            std::wstring name;
            for (std::size_t i = at; i < end; i += 2) name.push_back(static_cast<wchar_t>(data[i] | data[i + 1] << 8));
            files.wide.push_back(std::move(name));
        } else {
            files.ansi.emplace_back(reinterpret_cast<const char*>(data + at), end - at);
        }
        at = end + unit;
    }
    return files;
}

std::vector<std::uint8_t> MakeDropFiles(const std::vector<std::wstring>& names) {
    std::vector<std::uint8_t> out;
    PutU32(out, kHeaderSize);
    for (int i = 0; i < 3; ++i) PutU32(out, 0);
    PutU32(out, 1);  // wide names
    for (const std::wstring& name : names) {
        for (wchar_t c : name) {
            out.push_back(static_cast<std::uint8_t>(c & 0xFF));
            out.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
        }
        out.push_back(0);
        out.push_back(0);
    }
    out.push_back(0);
    out.push_back(0);
    return out;
}

std::uint32_t DropEffectFor(std::uint32_t allowed, std::uint32_t keyState) {
    if (keyState & kKeyControl) return allowed & kDropCopy;
    if (keyState & kKeyShift) return allowed & kDropMove;
    if (allowed & kDropMove) return kDropMove;
    return allowed & kDropCopy;
}

std::int16_t DropButton(std::uint32_t keyState) {
    return static_cast<std::int16_t>(((keyState & kKeyLeft) ? 1 : 0) | ((keyState & kKeyRight) ? 2 : 0) |
                                     ((keyState & kKeyMiddle) ? 4 : 0));
}

std::int16_t DropShift(std::uint32_t keyState) {
    return static_cast<std::int16_t>(((keyState & kKeyShift) ? 1 : 0) | ((keyState & kKeyControl) ? 2 : 0) |
                                     ((keyState & kKeyAlt) ? 4 : 0));
}

}  // namespace brisko
