#pragma once
// A stand-in for the IDE to open the settings dialog on: a frame window with
// an MDI client and a bar of three tabs attached to it. The demo and the
// dialog's tests share it.
#include <windows.h>

#include <memory>
#include <string>

#include "common/win/handles.h"
#include "tabbar/mdi_tab.h"
#include "tabbar/win/tab_bar.h"

namespace brisko {

struct BarFrame {
    UniqueWindow frame;
    HWND mdi = nullptr;
    std::unique_ptr<CMDITab> bar;

    // Empty members when a window cannot be made.
    static BarFrame Make() {
        static const wchar_t kClass[] = L"BriskoConfigFrame";
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = GetSysColorBrush(COLOR_APPWORKSPACE);
        wc.lpszClassName = kClass;
        RegisterClassW(&wc);  // fails harmlessly when already registered
        BarFrame f;
        f.frame.Reset(CreateWindowExW(0, kClass, L"IDE", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 760, 560, nullptr,
                                      nullptr, wc.hInstance, nullptr));
        if (!f.frame) return f;
        CLIENTCREATESTRUCT ccs{};
        ccs.idFirstChild = 100;
        f.mdi = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                740, 500, f.frame.Get(), nullptr, wc.hInstance, &ccs);
        if (!f.mdi) return f;
        f.bar = CreateTabBar();
        for (int i = 0; i < 3; ++i) f.bar->AddTab(-1, L"#" + std::to_wstring(i), L"Form" + std::to_wstring(i), true);
        f.bar->SetStyle(1);
        f.bar->Attach(FromHwnd(f.mdi));
        return f;
    }
};

}  // namespace brisko
