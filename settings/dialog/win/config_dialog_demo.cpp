// Opens the settings dialog on a bar over an empty MDI client, with the
// add-in's own resources linked in (so the caption shows the shipped version).
// Run by hand:  wine-run.sh config_dialog_demo.exe [picture.bmp]
// With a path, the dialog's window is copied from the screen into a 24-bit
// BMP once it has painted, and the dialog is cancelled.
// With BRISKO_DEMO_CYCLES=n it opens the dialog n more times, presses Reset
// and cancels each time, between two markers for the GDI leak check.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/win/gdi.h"
#include "settings/dialog/win/bar_frame.h"
#include "settings/dialog/win/config_dialog.h"

namespace {

using namespace brisko;

frmConfig* g_form = nullptr;
std::string g_shot;

bool SaveWindowBitmap(HWND hwnd, const std::string& path) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    ScreenDC screen;
    UniqueDC mem = MakeMemoryDC(screen.Get());
    UniqueBitmap bmp(CreateCompatibleBitmap(screen.Get(), w, h));
    if (!mem || !bmp) return false;
    {
        SelectInDC sel(mem.Get(), bmp.Get());
        BitBlt(mem.Get(), 0, 0, w, h, screen.Get(), r.left, r.top, SRCCOPY);
    }
    BITMAPINFOHEADER bi{};
    bi.biSize = sizeof bi;
    bi.biWidth = w;
    bi.biHeight = h;
    bi.biPlanes = 1;
    bi.biBitCount = 24;
    const int stride = (w * 3 + 3) & ~3;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(stride) * h);
    if (!GetDIBits(mem.Get(), bmp.Get(), 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS))
        return false;
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi;
    fh.bfSize = fh.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fwrite(&fh, sizeof fh, 1, f);
    std::fwrite(&bi, sizeof bi, 1, f);
    std::fwrite(pixels.data(), 1, pixels.size(), f);
    return std::fclose(f) == 0;
}

// One cycle: Reset (which makes new preview fonts), then the close box.
void CALLBACK ResetAndClose(HWND, UINT, UINT_PTR, DWORD) {
    static int step = 0;
    HWND dlg = g_form ? g_form->hWnd() : nullptr;
    if (!dlg || !IsWindowVisible(dlg)) return;
    if (step++ % 2 == 0)
        PostMessageW(GetDlgItem(dlg, brisko::config::kBtnReset), BM_CLICK, 0, 0);
    else
        PostMessageW(dlg, WM_CLOSE, 0, 0);
}

void CALLBACK Shoot(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = g_form ? g_form->hWnd() : nullptr;
    if (!dlg || !IsWindowVisible(dlg)) return;
    KillTimer(nullptr, id);
    RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (!SaveWindowBitmap(dlg, g_shot)) std::fprintf(stderr, "cannot write %s\n", g_shot.c_str());
    PostMessageW(dlg, WM_CLOSE, 0, 0);
}

}  // namespace

int main(int argc, char** argv) {
    BarFrame ide = BarFrame::Make();
    if (!ide.bar) return 1;
    HWND frame = ide.frame.Get();
    auto& bar = ide.bar;

    std::int32_t iconStyle = 0;
    bool mouseWheel = true;
    if (const char* cycles = std::getenv("BRISKO_DEMO_CYCLES")) {
        const int n = std::atoi(cycles);
        bar->SetFont(FontSpec::Make(L"MS UI Gothic", 11, true));
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, &ResetAndClose);
        for (int i = 0; i <= n; ++i) {
            if (i == 1) std::fprintf(stderr, "BRISKO-MARK before\n");
            frmConfig form(frame);
            g_form = &form;
            try {
                form.ShowConfigWnd(*bar, iconStyle, mouseWheel);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "%s\n", e.what());
                return 1;
            }
            g_form = nullptr;
        }
        std::fprintf(stderr, "BRISKO-MARK after\n");
        KillTimer(nullptr, timer);
        bar.reset();
        return 0;
    }
    frmConfig form(frame);
    g_form = &form;
    if (argc > 1) {
        g_shot = argv[1];
        SetTimer(nullptr, 0, 500, &Shoot);
    }
    bool ok = false;
    try {
        ok = form.ShowConfigWnd(*bar, iconStyle, mouseWheel);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::printf("confirmed=%d iconStyle=%d mouseWheel=%d align=%d style=%d tabWidth=%d\n", ok ? 1 : 0,
                static_cast<int>(iconStyle), mouseWheel ? 1 : 0, static_cast<int>(bar->Align()),
                static_cast<int>(bar->Style()), static_cast<int>(bar->TabWidth()));
    g_form = nullptr;
    bar.reset();
    return 0;
}
