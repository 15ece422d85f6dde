// Paint benchmark: one PaintBar with 10, 100 and 1,000 tabs in fixed and fit
// width style, next to a bare BitBlt of the same strip, in one run.
//   wine-run.sh tabbar_bench.exe [iterations [strip.bmp]]
// With a file name, the top 60 rows of the 10-tab fixed-width client window
// are also saved as a 24-bit BMP, to look at.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "tabbar/win/tabbar_paint_host.h"

namespace {

double Now() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(freq.QuadPart);
}

void SaveTop(HWND hwnd, const char* path) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    const int w = r.right - r.left, h = 60;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HDC window = GetWindowDC(hwnd);
    HDC mem = CreateCompatibleDC(window);
    HBITMAP dib = CreateDIBSection(window, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, window, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u, size = stride * h;
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
    fh.bfSize = fh.bfOffBits + size;
    if (FILE* f = std::fopen(path, "wb")) {
        std::fwrite(&fh, sizeof(fh), 1, f);
        std::fwrite(&bi.bmiHeader, sizeof(bi.bmiHeader), 1, f);
        std::fwrite(bits, size, 1, f);
        std::fclose(f);
    }
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(hwnd, window);
}

void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

}  // namespace

int main(int argc, char** argv) {
    const int iterations = argc > 1 ? std::atoi(argv[1]) : 2000;
    std::printf("%-6s %-6s %14s %14s\n", "tabs", "style", "PaintBar us", "BitBlt us");
    for (int tabs : {0, 10, 100, 1000}) {
        for (std::int32_t style : {0, 1}) {
            brisko::test::PaintHost host(tabs, style);
            Pump();
            const auto h = reinterpret_cast<brisko::WindowHandle>(host.mdi);
            for (int i = 0; i < 50; ++i) host.bar->PaintBar(h, false);
            double t0 = Now();
            for (int i = 0; i < iterations; ++i) host.bar->PaintBar(h, false);
            const double paint = (Now() - t0) / iterations * 1e6;

            // The same strip copied from a memory DC, with the window DC taken
            // and released as the paint does.
            const brisko::Rect b = host.bar->BarRect();
            HDC screen = GetDC(nullptr);
            HDC mem = CreateCompatibleDC(screen);
            HBITMAP bmp = CreateCompatibleBitmap(screen, 600, 401);
            HGDIOBJ old = SelectObject(mem, bmp);
            t0 = Now();
            for (int i = 0; i < iterations; ++i) {
                HDC dc = GetWindowDC(host.mdi);
                BitBlt(dc, b.left, b.top, b.right - b.left, b.bottom - b.top + 2, mem, b.left, b.top, SRCCOPY);
                ReleaseDC(host.mdi, dc);
            }
            const double blit = (Now() - t0) / iterations * 1e6;
            SelectObject(mem, old);
            DeleteObject(bmp);
            DeleteDC(mem);
            ReleaseDC(nullptr, screen);
            std::printf("%-6d %-6s %14.1f %14.1f\n", tabs, style == 0 ? "fixed" : "fit", paint, blit);
            if (argc > 2 && tabs == 10 && style == 0) {
                host.bar->SetScrollPos(0);
                host.bar->PaintBar(h, false);
                SaveTop(host.mdi, argv[2]);
            }
        }
    }
    return 0;
}
