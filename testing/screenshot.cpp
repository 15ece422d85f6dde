#include "testing/screenshot.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <fstream>

#include "common/win/gdi.h"
#include "testing/pump.h"

namespace brisko::test {

namespace {

void PutBigEndian32(std::string& out, uint32_t v) {
    out += static_cast<char>(v >> 24);
    out += static_cast<char>(v >> 16);
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v);
}

uint32_t Crc32(const char* data, size_t size, uint32_t crc = 0) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutBigEndian32(out, static_cast<uint32_t>(data.size()));
    const std::string body = std::string(type, 4) + data;
    out += body;
    PutBigEndian32(out, Crc32(body.data(), body.size()));
}

}  // namespace

// A PNG of 8-bit RGB from a bottom-up 24-bit DIB, its image data in stored
// (uncompressed) deflate blocks: no compression library needed, and any
// reader takes it.
std::string EncodePng(const unsigned char* bottomUpBgr, int width, int height, unsigned long stride) {
    std::string raw;
    raw.reserve(static_cast<size_t>(height) * (static_cast<size_t>(width) * 3 + 1));
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = bottomUpBgr + static_cast<size_t>(height - 1 - y) * stride;
        raw += '\0';  // no filter
        for (int x = 0; x < width; ++x) {
            raw += static_cast<char>(row[x * 3 + 2]);
            raw += static_cast<char>(row[x * 3 + 1]);
            raw += static_cast<char>(row[x * 3]);
        }
    }
    std::string zlib = "\x78\x01";
    for (size_t pos = 0; pos < raw.size() || pos == 0;) {
        const size_t len = std::min<size_t>(65535, raw.size() - pos);
        const bool last = pos + len == raw.size();
        zlib += static_cast<char>(last ? 1 : 0);
        zlib += static_cast<char>(len & 0xFF);
        zlib += static_cast<char>(len >> 8);
        zlib += static_cast<char>(~len & 0xFF);
        zlib += static_cast<char>((~len >> 8) & 0xFF);
        zlib.append(raw, pos, len);
        pos += len;
        if (last) break;
    }
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian32(zlib, (b << 16) | a);

    std::string png = "\x89PNG\r\n\x1A\n";
    std::string header;
    PutBigEndian32(header, static_cast<uint32_t>(width));
    PutBigEndian32(header, static_cast<uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", std::string());
    return png;
}

bool SaveScreenshot(HWND window, const std::filesystem::path& file) {
    if (!IsWindow(window)) return false;
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(50);
    RECT r{};
    if (!GetWindowRect(window, &r)) return false;
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;

    ScreenDC screen;
    if (!screen.Get()) return false;
    UniqueDC mem = MakeMemoryDC(screen.Get());
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;  // bottom-up, as the file stores rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap dib(CreateDIBSection(screen.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!mem || !dib || !bits) return false;
    {
        SelectInDC select(mem.Get(), dib.Get());
        if (!BitBlt(mem.Get(), 0, 0, w, h, screen.Get(), r.left, r.top, SRCCOPY | CAPTUREBLT)) return false;
    }
    GdiFlush();

    const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
    const auto* pixels = static_cast<const unsigned char*>(bits);
    std::string ext = file.extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    if (ext == ".png") {
        const std::string png = EncodePng(pixels, w, h, stride);
        out.write(png.data(), static_cast<std::streamsize>(png.size()));
    } else {
        const DWORD imageSize = stride * static_cast<DWORD>(h);
        BITMAPFILEHEADER fh{};
        fh.bfType = 0x4D42;  // "BM"
        fh.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
        fh.bfSize = fh.bfOffBits + imageSize;
        BITMAPINFOHEADER ih = bi.bmiHeader;
        ih.biSizeImage = imageSize;
        out.write(reinterpret_cast<const char*>(&fh), sizeof(fh));
        out.write(reinterpret_cast<const char*>(&ih), sizeof(ih));
        out.write(reinterpret_cast<const char*>(pixels), imageSize);
    }
    return static_cast<bool>(out.flush());
}

}  // namespace brisko::test
