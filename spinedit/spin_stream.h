#pragma once
// The binary form of a spin edit box's stored properties, for containers that
// keep their controls in streams: the same ordered list of keys and values as
// the text form, with each picture as the bytes of its own persistence.
//
// A record, all numbers little-endian:
//   header  "BSEB", u16 version, u16 reserved (0), u32 body size
//   body    u16 entry count, then per entry:
//           u8 kind (StoredKind + 1), u8 key length, the key in UTF-16,
//           and the value by kind: Bool u8 0 or 1; Byte u8; Int16 i16;
//           Int32 i32; Text u32 length and UTF-16; Picture u32 size and bytes;
//           Font u8 name length, name in UTF-16, i64 size in points x 10000,
//           i16 weight, u8 flags (1 italic, 2 underline, 4 strikethrough),
//           i16 character set.
// Entries are the control's stored keys, each once, in the stored order, with
// values the control accepts, so that a record decodes only when it is one
// the control itself could have written. Version 1 knows every key but
// RightToLeft; a record holding RightToLeft says version 2, so that a reader
// that knows only version 1 refuses it by its header, and any other record
// still says 1 and loads in both.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "common/font.h"

namespace brisko {

struct PictureBytes {
    std::vector<std::uint8_t> bytes;
    friend bool operator==(const PictureBytes&, const PictureBytes&) = default;
};

using StreamValue = std::variant<bool, std::uint8_t, std::int16_t, std::int32_t, std::wstring, FontSpec, PictureBytes>;

struct StreamEntry {
    std::wstring key;
    StreamValue value;
    friend bool operator==(const StreamEntry&, const StreamEntry&) = default;
};

inline constexpr std::size_t kSpinStreamHeaderSize = 12;
inline constexpr std::uint16_t kSpinStreamVersion = 2;
// Far above what a control with three icons writes, and low enough that a
// garbled size cannot make a reader take the machine's memory.
inline constexpr std::uint32_t kSpinStreamMaxBody = 16u << 20;

std::vector<std::uint8_t> EncodeSpinStream(const std::vector<StreamEntry>& entries);

// The size of a whole record from its first kSpinStreamHeaderSize bytes;
// nothing when they are not the header of a record this version reads.
std::optional<std::size_t> SpinStreamSize(const std::uint8_t* header, std::size_t size);

// The entries of exactly one whole record; nothing when it is truncated, has
// bytes to spare, or holds anything the encoder would not write.
std::optional<std::vector<StreamEntry>> DecodeSpinStream(const std::uint8_t* data, std::size_t size);

}  // namespace brisko
