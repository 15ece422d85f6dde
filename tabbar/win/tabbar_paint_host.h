#pragma once
// A top-level window holding a 600 x 400 MDI client with a bar attached, for
// the GDI leak check and the Wine test; tab i is "#i", the middle one selected.
#include <windows.h>

#include <memory>
#include <string>

#include "common/win/handles.h"
#include "tabbar/win/tab_bar.h"

namespace brisko::test {

struct PaintHost {
    UniqueWindow frame;
    HWND mdi = nullptr;
    std::unique_ptr<CMDITab> bar;

    PaintHost(int tabs, std::int32_t style, int width = 600) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "BriskoPaintHost";
        RegisterClassA(&wc);
        frame.Reset(CreateWindowExA(0, "BriskoPaintHost", "paint", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, width + 60,
                                    520, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
        CLIENTCREATESTRUCT ccs{};
        mdi = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE, 0, 50, width, 400,
                              frame.Get(), nullptr, GetModuleHandleA(nullptr), &ccs);
        bar = CreateTabBar();
        bar->SetStyle(style);
        for (int i = 0; i < tabs; ++i)
            bar->AddTab(-1, L"#" + std::to_wstring(i), L"Project1 - Form" + std::to_wstring(i), true);
        if (tabs > 0) bar->SetSelectedIndex(static_cast<std::int16_t>(tabs / 2));
        bar->Attach(FromHwnd(mdi));
    }
    ~PaintHost() { bar.reset(); }
};

}  // namespace brisko::test
