#include "tabbar/win/mem_dc.h"

namespace brisko {

void CMemDC::Destroy() {
    if (m_hPrevBitmap && m_hdc) SelectObject(m_hdc.Get(), m_hPrevBitmap);
    m_hPrevBitmap = nullptr;
    m_bitmap.Reset();
    m_lWidth = m_lHeight = 0;
    m_hdc.Reset();
}

void CMemDC::Rebuild(std::int32_t w, std::int32_t h) {
    Destroy();
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!display) return;
    m_hdc.Reset(CreateCompatibleDC(display));
    if (m_hdc) {
        // A side still 0 (the width set before the height) gets one pixel, so
        // that the surface has a bitmap of its own and records both sizes.
        m_bitmap.Reset(CreateCompatibleBitmap(display, w > 0 ? w : 1, h > 0 ? h : 1));
        if (m_bitmap) m_hPrevBitmap = SelectObject(m_hdc.Get(), m_bitmap.Get());
        if (m_hPrevBitmap) {
            m_lWidth = w;
            m_lHeight = h;
        }
    }
    DeleteDC(display);
    // A surface that could not be made leaves no half-built state behind;
    // the next paint tries again.
    if (!m_hPrevBitmap) Destroy();
}

void CMemDC::CreateFromBitmap(HBITMAP bmp) {
    BITMAP info{};
    if (!bmp || GetObjectA(bmp, sizeof(info), &info) == 0) return;
    SetWidth(info.bmWidth);
    SetHeight(info.bmHeight);
    if (!m_hdc) return;
    UniqueMemDC src(CreateCompatibleDC(m_hdc.Get()));
    if (!src) return;
    SelectInDC sel(src.Get(), bmp);
    BitBlt(m_hdc.Get(), 0, 0, info.bmWidth, info.bmHeight, src.Get(), 0, 0, SRCCOPY);
}

}  // namespace brisko
