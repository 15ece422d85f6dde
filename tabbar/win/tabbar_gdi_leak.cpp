// 10,000 paints of a bar with every kind of element (selected tab, icons'
// absence, hot button, dimmed glyphs, fit titles) between two markers on
// stderr; gdi_leak_check.sh compares Wine's live GDI handle counts at them.
#include <windows.h>

#include <cstdio>

#include "tabbar/win/tabbar_paint_host.h"

int main() {
    brisko::test::PaintHost host(40, 1);
    const auto h = reinterpret_cast<brisko::WindowHandle>(host.mdi);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    for (int i = 0; i < 20; ++i) host.bar->PaintBar(h, false);
    std::fprintf(stderr, "BRISKO-MARK before\n");
    std::fflush(stderr);
    host.bar->SetLockUpdate(true);
    for (int i = 0; i < 10000; ++i) {
        // Alternate the looks so that every drawing path runs.
        host.bar->SetEnable(i % 3 != 0);
        host.bar->SetStyle(i % 2);
        host.bar->SetAlign(i % 4 == 0 ? 1 : 0);
        host.bar->SetBorderStyle(i % 7 == 0 ? 1 : 2);
        host.bar->PaintBar(h, i % 5 == 0);
    }
    // And once through the window's own frame painting.
    host.bar->SetLockUpdate(false);
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    std::fprintf(stderr, "BRISKO-MARK after\n");
    std::fflush(stderr);
    return 0;
}
