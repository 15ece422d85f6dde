#include "spinedit/spin_picture.h"

#include <cstring>

namespace brisko {

namespace {

constexpr std::uint32_t kPictureHeader = 0x0000746C;  // "lt\0\0"
constexpr std::size_t kFileHeader = 14;               // BITMAPFILEHEADER
constexpr std::size_t kCoreHeader = 12;               // BITMAPCOREHEADER
constexpr std::size_t kInfoHeader = 40;               // BITMAPINFOHEADER
// Beyond any icon or pointer shape, and far below what could overflow a
// size computed from it.
constexpr std::int64_t kMaxSide = 1 << 15;

// Reads little-endian numbers inside [0, size); a read past the end fails.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t Size() const { return size_; }
    bool Has(std::uint64_t offset, std::uint64_t length) const { return offset <= size_ && length <= size_ - offset; }
    std::uint32_t U16(std::size_t at) const { return Has(at, 2) ? data_[at] | data_[at + 1] << 8 : 0; }
    std::uint32_t U32(std::size_t at) const {
        return Has(at, 4) ? U16(at) | static_cast<std::uint32_t>(U16(at + 2)) << 16 : 0;
    }
    std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }
    bool Starts(std::size_t at, const char* magic, std::size_t n) const {
        return Has(at, n) && std::memcmp(data_ + at, magic, n) == 0;
    }
    Bytes Sub(std::size_t offset, std::size_t length) const { return Bytes(data_ + offset, length); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

bool KnownDepth(std::uint32_t bpp) {
    return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
}

std::uint64_t RowBytes(std::int64_t width, std::uint32_t bpp) {
    return (static_cast<std::uint64_t>(width) * bpp + 31) / 32 * 4;
}

// The palette a device-independent bitmap of that depth carries, in entries.
std::uint64_t PaletteEntries(std::uint32_t bpp, std::uint32_t used) {
    if (bpp > 8) return used;
    return used ? used : std::uint64_t{1} << bpp;
}

// A bitmap file: its headers, palette and pixels inside the bytes.
bool BitmapFits(const Bytes& b) {
    if (!b.Starts(0, "BM", 2) || !b.Has(0, kFileHeader + kCoreHeader)) return false;
    const std::uint32_t bits = b.U32(10), info = b.U32(kFileHeader);
    std::int64_t width = 0, height = 0;
    std::uint32_t planes = 0, bpp = 0, compression = 0, imageSize = 0, used = 0, entry = 4;
    if (info == kCoreHeader) {
        width = b.U16(18);
        height = b.U16(20);
        planes = b.U16(22);
        bpp = b.U16(24);
        entry = 3;
    } else if (info >= kInfoHeader && info <= 124 && b.Has(kFileHeader, info)) {
        width = b.I32(18);
        height = b.I32(22);
        planes = b.U16(26);
        bpp = b.U16(28);
        compression = b.U32(30);
        imageSize = b.U32(34);
        used = b.U32(46);
    } else {
        return false;
    }
    if (height < 0) height = -height;  // top-down rows
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || planes != 1 || !KnownDepth(bpp))
        return false;
    if (bpp <= 8 && used > (1u << bpp)) return false;
    const std::uint64_t palette = PaletteEntries(bpp, used) * entry;
    if (!b.Has(kFileHeader + info, palette) || bits < kFileHeader + info || bits > b.Size()) return false;
    const std::uint64_t left = b.Size() - bits;
    switch (compression) {
        case 0:  // uncompressed
            return RowBytes(width, bpp) * static_cast<std::uint64_t>(height) <= left;
        case 3:  // bit fields
            return (bpp == 16 || bpp == 32) && RowBytes(width, bpp) * static_cast<std::uint64_t>(height) <= left;
        case 1:  // run-length, 8 bits
            return bpp == 8 && imageSize > 0 && imageSize <= left;
        case 2:  // run-length, 4 bits
            return bpp == 4 && imageSize > 0 && imageSize <= left;
        default:
            return false;
    }
}

bool PngFits(const Bytes& b) {
    static const char kSignature[] = "\x89PNG\r\n\x1a\n";
    // The signature, then the image header chunk of 13 bytes first.
    return b.Starts(0, kSignature, 8) && b.Has(0, 33) && b.U32(8) == 0x0D000000u && b.Starts(12, "IHDR", 4);
}

// One image of an icon or cursor file: a bitmap header whose colour and mask
// rows fit the bytes, or a PNG.
bool IconImageFits(const Bytes& b) {
    if (PngFits(b)) return true;
    if (!b.Has(0, kInfoHeader) || b.U32(0) != kInfoHeader) return false;
    const std::int64_t width = b.I32(4), height = b.I32(8);
    const std::uint32_t planes = b.U16(12), bpp = b.U16(14), compression = b.U32(16), used = b.U32(32);
    // The height counts the colour rows and the mask rows. Deep colours may
    // come as bit fields, their three masks after the header.
    const bool fields = compression == 3 && (bpp == 16 || bpp == 32);
    if (width <= 0 || height <= 0 || width > kMaxSide || height > 2 * kMaxSide || planes != 1 || !KnownDepth(bpp) ||
        (compression != 0 && !fields) || (bpp <= 8 && used > (1u << bpp)))
        return false;
    const std::uint64_t rows = static_cast<std::uint64_t>(height) / 2;
    const std::uint64_t needed = kInfoHeader + (fields ? 12 : 0) + PaletteEntries(bpp, used) * 4 +
                                 (RowBytes(width, bpp) + RowBytes(width, 1)) * rows;
    return needed <= b.Size();
}

bool IconFileFits(const Bytes& b, std::uint32_t type) {
    if (!b.Has(0, 6) || b.U16(0) != 0 || b.U16(2) != type) return false;
    const std::uint32_t count = b.U16(4);
    const std::uint64_t directory = 6 + 16 * static_cast<std::uint64_t>(count);
    if (count == 0 || !b.Has(0, directory)) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = 6 + 16 * static_cast<std::size_t>(i);
        const std::uint32_t length = b.U32(at + 8), offset = b.U32(at + 12);
        if (offset < directory || !b.Has(offset, length) || !IconImageFits(b.Sub(offset, length))) return false;
    }
    return true;
}

bool MetafileFits(const Bytes& b) {
    // The placeable header, then the metafile's own: memory type, nine words.
    return b.U32(0) == 0x9AC6CDD7u && b.Has(0, 22 + 18) && (b.U16(22) == 1 || b.U16(22) == 2) && b.U16(24) == 9;
}

bool EnhancedMetafileFits(const Bytes& b) {
    // The header record: its type, its size, the " EMF" signature, the file's size.
    return b.Has(0, 88) && b.U32(0) == 1 && b.U32(4) >= 88 && b.Has(0, b.U32(4)) && b.U32(40) == 0x464D4520u &&
           b.U32(48) <= b.Size();
}

std::optional<PictureFormat> FormatOf(const Bytes& b) {
    if (b.Starts(0, "BM", 2)) return BitmapFits(b) ? std::optional(PictureFormat::Bitmap) : std::nullopt;
    if (b.Has(0, 4) && b.U16(0) == 0 && (b.U16(2) == 1 || b.U16(2) == 2)) {
        const auto type = b.U16(2);
        if (!IconFileFits(b, type)) return std::nullopt;
        return type == 1 ? PictureFormat::Icon : PictureFormat::Cursor;
    }
    if (PngFits(b)) return PictureFormat::Png;
    if ((b.Starts(0, "GIF87a", 6) || b.Starts(0, "GIF89a", 6)) && b.Has(0, 13)) return PictureFormat::Gif;
    if (b.Starts(0, "\xFF\xD8\xFF", 3) && b.Has(0, 4)) return PictureFormat::Jpeg;
    if (MetafileFits(b)) return PictureFormat::Metafile;
    if (EnhancedMetafileFits(b)) return PictureFormat::EnhancedMetafile;
    return std::nullopt;
}

}  // namespace

std::optional<PictureImage> CheckPictureBytes(const std::uint8_t* data, std::size_t size) {
    if (!data) return std::nullopt;
    const Bytes all(data, size);
    PictureImage image{PictureFormat::Bitmap, 0, size};
    if (all.Has(0, 8) && all.U32(0) == kPictureHeader) {
        const std::uint32_t length = all.U32(4);
        if (length == 0 || !all.Has(8, length)) return std::nullopt;
        image.offset = 8;
        image.size = length;
    }
    const auto format = FormatOf(all.Sub(image.offset, image.size));
    if (!format) return std::nullopt;
    image.format = *format;
    return image;
}

}  // namespace brisko
