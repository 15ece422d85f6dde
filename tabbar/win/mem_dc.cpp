#include "tabbar/win/mem_dc.h"

namespace brisko {

void CMemDC::Destroy() {
    m_selected.reset();
    m_bitmap.Reset();
    m_hdc.Reset();
    m_lWidth = m_lHeight = 0;
}

void CMemDC::Rebuild(std::int32_t w, std::int32_t h) {
    Destroy();
    ScreenDC screen;
    if (!screen.Get()) return;
    m_hdc = MakeMemoryDC(screen.Get());
    // A side still 0 (the width set before the height) gets one pixel, so
    // that the surface has a bitmap of its own and records both sizes.
    if (m_hdc) m_bitmap.Reset(CreateCompatibleBitmap(screen.Get(), w > 0 ? w : 1, h > 0 ? h : 1));
    // A surface that could not be made leaves no half-built state behind;
    // the next paint tries again.
    if (!m_bitmap) return Destroy();
    m_selected.emplace(m_hdc.Get(), m_bitmap.Get());
    m_lWidth = w;
    m_lHeight = h;
}

void CMemDC::CreateFromBitmap(HBITMAP bmp) {
    BITMAP info{};
    if (!bmp || GetObjectA(bmp, sizeof(info), &info) == 0) return;
    EnsureSize(info.bmWidth, info.bmHeight);
    if (!m_hdc) return;
    UniqueDC src = MakeMemoryDC(m_hdc.Get());
    if (!src) return;
    SelectInDC sel(src.Get(), bmp);
    BitBlt(m_hdc.Get(), 0, 0, info.bmWidth, info.bmHeight, src.Get(), 0, 0, SRCCOPY);
}

}  // namespace brisko
