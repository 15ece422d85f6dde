#pragma once
// The bytes of a picture as a stored record carries them (what a picture
// object writes through its own persistence: an "lt" header with the image's
// size, then the image), checked before the system's picture decoder sees
// them. The image must be of a kind that decoder reads, whole, and for the
// kinds a control's pointer and drag icons take (icons, cursors, bitmaps)
// with a header whose sizes and offsets stay inside the bytes.
#include <cstddef>
#include <cstdint>
#include <optional>

namespace brisko {

enum class PictureFormat { Bitmap, Icon, Cursor, Metafile, EnhancedMetafile, Gif, Jpeg, Png };

// Where the image lies inside the bytes, and what it is.
struct PictureImage {
    PictureFormat format;
    std::size_t offset = 0;
    std::size_t size = 0;
};

// Nothing when the bytes are no picture the control passes on.
std::optional<PictureImage> CheckPictureBytes(const std::uint8_t* data, std::size_t size);

}  // namespace brisko
