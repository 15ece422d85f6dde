#pragma once
// CMemDC: the bar's off-screen surface, a memory DC holding a bitmap
// compatible with the display. It only ever grows, so a bar is composed
// without reallocating unless its window grows beyond every earlier size.
#include <windows.h>

#include <cstdint>
#include <optional>

#include "common/win/gdi.h"

namespace brisko {

class CMemDC {
public:
    CMemDC() = default;
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;
    ~CMemDC() { Destroy(); }

    HDC hdc() const { return m_hdc.Get(); }
    std::int32_t Width() const { return m_lWidth; }
    std::int32_t Height() const { return m_lHeight; }
    // Grow only: a smaller value leaves the surface as it is.
    void SetWidth(std::int32_t w) { EnsureSize(w, m_lHeight); }
    void SetHeight(std::int32_t h) { EnsureSize(m_lWidth, h); }
    // Both at once: at most one rebuild.
    void EnsureSize(std::int32_t w, std::int32_t h) {
        if (w > m_lWidth || h > m_lHeight) Rebuild(w > m_lWidth ? w : m_lWidth, h > m_lHeight ? h : m_lHeight);
    }
    // Sizes the surface to a bitmap (growing only) and copies it in at (0, 0).
    void CreateFromBitmap(HBITMAP bmp);

private:
    void Rebuild(std::int32_t w, std::int32_t h);
    void Destroy();

    // Undone in reverse order of declaration: the selection before the bitmap and the DC.
    UniqueDC m_hdc;
    UniqueBitmap m_bitmap;
    std::optional<SelectInDC> m_selected;
    std::int32_t m_lWidth = 0, m_lHeight = 0;
};

}  // namespace brisko
