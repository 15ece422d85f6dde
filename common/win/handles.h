#pragma once
// RAII owners for the window system's handles.
#include <windows.h>

#include <cstdint>
#include <utility>

namespace brisko {

template <class H, class Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, H{})) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) Reset(std::exchange(o.h_, H{}));
        return *this;
    }
    ~UniqueHandle() { Reset(); }
    void Reset(H h = H{}) {
        if (h_) Traits::Close(h_);
        h_ = h;
    }
    H Release() { return std::exchange(h_, H{}); }
    H Get() const { return h_; }
    explicit operator bool() const { return h_ != H{}; }

private:
    H h_{};
};

struct MenuTraits {
    static void Close(HMENU h) { DestroyMenu(h); }
};
struct RegKeyTraits {
    static void Close(HKEY h) { RegCloseKey(h); }
};
struct WindowTraits {
    static void Close(HWND h) {
        if (IsWindow(h)) DestroyWindow(h);
    }
};
struct MemDCTraits {
    static void Close(HDC h) { DeleteDC(h); }
};
struct GlobalTraits {
    static void Close(HGLOBAL h) { GlobalFree(h); }
};
struct CursorTraits {
    static void Close(HCURSOR h) { DestroyCursor(h); }
};

using UniqueMenu = UniqueHandle<HMENU, MenuTraits>;
using UniqueKey = UniqueHandle<HKEY, RegKeyTraits>;
using UniqueWindow = UniqueHandle<HWND, WindowTraits>;
using UniqueMemDC = UniqueHandle<HDC, MemDCTraits>;
using UniqueGlobal = UniqueHandle<HGLOBAL, GlobalTraits>;

// Which part of a window a DC draws on: the client area (GetDC) or the
// whole window, frame and non-client area included (GetWindowDC).
enum class DcArea { Client, WholeWindow };

// A window DC, released with ReleaseDC.
class WindowDC {
public:
    WindowDC(HWND w, DcArea area) : w_(w), dc_(area == DcArea::WholeWindow ? GetWindowDC(w) : GetDC(w)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc_) ReleaseDC(w_, dc_);
    }
    HDC Get() const { return dc_; }

private:
    HWND w_;
    HDC dc_;
};

// Selects an object into a DC for a scope and selects the previous one back.
class SelectInDC {
public:
    SelectInDC(HDC dc, HGDIOBJ obj) : dc_(dc), old_(dc && obj ? SelectObject(dc, obj) : nullptr) {}
    SelectInDC(const SelectInDC&) = delete;
    SelectInDC& operator=(const SelectInDC&) = delete;
    ~SelectInDC() {
        if (old_) SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

inline HWND ToHwnd(std::intptr_t h) {
    return reinterpret_cast<HWND>(h);
}
inline std::intptr_t FromHwnd(HWND h) {
    return reinterpret_cast<std::intptr_t>(h);
}

}  // namespace brisko
