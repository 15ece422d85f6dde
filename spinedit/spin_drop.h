#pragma once
// What an OLE drag and drop hands the control, read from the bytes of the
// global memory a source gives (never past their end, however it lies about
// its contents), the list of files the control offers in turn, and the rules
// of a drop: which effect it takes and what the mouse and the keys were.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brisko {

// The effects as OLE numbers them (DROPEFFECT_...).
inline constexpr std::uint32_t kDropNone = 0, kDropCopy = 1, kDropMove = 2, kDropScroll = 0x80000000u;
// The key state bits OLE reports with a drag (MK_...).
inline constexpr std::uint32_t kKeyLeft = 0x01, kKeyRight = 0x02, kKeyShift = 0x04, kKeyControl = 0x08,
                               kKeyMiddle = 0x10, kKeyAlt = 0x20;

// The longest text the control takes from a drop: more than a text box holds
// by far, and little enough memory.
inline constexpr std::size_t kMaxDropText = 1u << 20;
inline constexpr std::size_t kMaxDropFiles = 1u << 14;

// UTF-16 text up to its first NUL or the end of the bytes; nothing when it
// has more than maxChars characters.
std::optional<std::wstring> WideTextOf(const std::uint8_t* data, std::size_t size, std::size_t maxChars = kMaxDropText);
// ANSI text (its bytes, for the caller's code page) likewise.
std::optional<std::string> AnsiTextOf(const std::uint8_t* data, std::size_t size, std::size_t maxChars = kMaxDropText);

// The names of a DROPFILES block: wide names, or the bytes of ANSI ones. A
// list ends at an empty name or at the end of the block, where a name cut
// short is left out. Nothing when the header does not hold together or the
// list is longer than maxFiles.
struct DroppedFiles {
    std::vector<std::wstring> wide;
    std::vector<std::string> ansi;
};
std::optional<DroppedFiles> ParseDropFiles(const std::uint8_t* data, std::size_t size,
                                           std::size_t maxFiles = kMaxDropFiles);
// A DROPFILES block of wide names, as a source hands it over.
std::vector<std::uint8_t> MakeDropFiles(const std::vector<std::wstring>& names);

// The effect of a drop by the keys held, among those the source allows, as a
// text box chooses it: Ctrl copies, Shift moves, otherwise a move where
// allowed and else a copy.
std::uint32_t DropEffectFor(std::uint32_t allowed, std::uint32_t keyState);
// The mouse buttons (1 left, 2 right, 4 middle) and the Shift, Ctrl and Alt
// bits (1, 2, 4) of a key state, as the host language's events give them.
std::int16_t DropButton(std::uint32_t keyState);
std::int16_t DropShift(std::uint32_t keyState);

}  // namespace brisko
