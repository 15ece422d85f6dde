// The spin edit window: its class, its two parts and their layout, colours
// and frame, and the messages of the control's own window.
#include "spinedit/win/spin_edit.h"

#include <memory>
#include <string>

#include "common/units.h"
#include "common/win/gdi.h"
#include "spinedit/spin_layout.h"
#include "spinedit/win/spin_edit_internal.h"

namespace brisko {

namespace {

HINSTANCE g_instance = nullptr;

// A colour as the window paints it. A value the translation rejects keeps,
// as it always did, its low three bytes (no colour at all for a system colour).
COLORREF PaintColor(std::uint32_t oleColor) {
    return OleColorToRgb(oleColor, (oleColor & 0x80000000u) ? 0 : (oleColor & 0xFFFFFF));
}

// The standard cursor of a pointer shape; none for the default and the
// shapes without one (the icon and a custom picture).
LPCSTR CursorFor(std::int32_t pointer) {
    switch (static_cast<PointerShape>(pointer)) {
        case PointerShape::Arrow:
            return IDC_ARROW;
        case PointerShape::Crosshair:
            return IDC_CROSS;
        case PointerShape::Ibeam:
            return IDC_IBEAM;
        case PointerShape::SizePointer:
        case PointerShape::SizeAll:
            return IDC_SIZEALL;
        case PointerShape::SizeNESW:
            return IDC_SIZENESW;
        case PointerShape::SizeNS:
            return IDC_SIZENS;
        case PointerShape::SizeNWSE:
            return IDC_SIZENWSE;
        case PointerShape::SizeWE:
            return IDC_SIZEWE;
        case PointerShape::UpArrow:
            return IDC_UPARROW;
        case PointerShape::Hourglass:
            return IDC_WAIT;
        case PointerShape::NoDrop:
            return IDC_NO;
        case PointerShape::ArrowHourglass:
            return IDC_APPSTARTING;
        case PointerShape::ArrowQuestion:
            return IDC_HELP;
        default:
            return nullptr;
    }
}

}  // namespace

double ScreenTwipsPerPixel() {
    return TwipsPerPixel(ScreenDpi());
}

HINSTANCE spin_edit_detail::Instance() {
    return g_instance;
}

bool RegisterSpinEditClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &SpinEdit::WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kSpinEditClassName;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    g_instance = instance;
    return true;
}

void UnregisterSpinEditClass(HINSTANCE instance) {
    UnregisterClassW(kSpinEditClassName, instance);
}

SpinEdit* SpinEdit::Create(HWND parent, int id, int x, int y, int width, int height, const PropertyStore* stored) {
    HWND hwnd =
        CreateWindowExW(WS_EX_CONTROLPARENT, kSpinEditClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y,
                        width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                        g_instance ? g_instance : GetModuleHandleW(nullptr), const_cast<PropertyStore*>(stored));
    return hwnd ? FromWindow(hwnd) : nullptr;
}

SpinEdit* SpinEdit::FromWindow(HWND hwnd) {
    wchar_t cls[32] = {};
    if (!hwnd || !GetClassNameW(hwnd, cls, 32) || std::wstring_view(cls) != kSpinEditClassName) return nullptr;
    return reinterpret_cast<SpinEdit*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

SpinEdit::SpinEdit(Key, HWND hwnd) : hwnd_(hwnd) {}

SpinEdit::~SpinEdit() {
    core_.SetEventSink(nullptr);
    // Nothing of ours stays in the text box's chain once the object is gone.
    boxSubclass_.UnSubclass();
    spinSubclass_.UnSubclass();
}

LRESULT CALLBACK SpinEdit::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        // The window owns its object from here to WM_NCDESTROY.
        std::unique_ptr<SpinEdit> self;
        try {
            self = std::make_unique<SpinEdit>(Key{}, hwnd);
        } catch (...) {
            return FALSE;
        }
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self.release()));
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    auto* self = reinterpret_cast<SpinEdit*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (self && self->InMessage())
            self->windowGone_ = true;
        else
            delete self;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    MessageScope scope(*self);
    try {
        return self->Handle(msg, wp, lp);
    } catch (...) {
        // Nothing escapes into the window system; a creation that failed fails the window.
        return msg == WM_CREATE ? -1 : 0;
    }
}

LRESULT SpinEdit::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE: {
            if (!CreateParts()) return -1;
            const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
            if (cs->lpCreateParams)
                Load(*static_cast<const PropertyStore*>(cs->lpCreateParams));
            else if (cs->lpszName && !IS_INTRESOURCE(cs->lpszName) && *cs->lpszName)
                SetText(cs->lpszName);
            EnforceMinWidth();
            return 0;
        }
        case WM_SIZE:
            Layout();
            return 0;
        case WM_DESTROY:
            if (destroyObserver_) destroyObserver_();
            break;
        case WM_WINDOWPOSCHANGING: {
            auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
            if (!props_.visibleSpin && !(pos->flags & SWP_NOSIZE)) {
                const int minWidth = MinSpinEditWidth(ScreenTwipsPerPixel());
                if (pos->cx < minWidth) pos->cx = minWidth;
            }
            break;
        }
        case WM_SETFOCUS:
            if (box_) ::SetFocus(box_);
            return 0;
        case WM_ENABLE:
            UpdateColors();
            return 0;
        case WM_SETFONT:
            parentFont_ = reinterpret_cast<HFONT>(wp);
            if (box_ && !props_.font) SendMessageW(box_, WM_SETFONT, wp, lp);
            Layout();
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(CurrentFont());
        case WM_SETTEXT:
            if (box_) {
                SetText(lp ? reinterpret_cast<const wchar_t*>(lp) : L"");
                return TRUE;
            }
            break;
        case WM_GETTEXT:
        case WM_GETTEXTLENGTH:
            if (box_) return CallTextBox(msg, wp, lp);
            break;
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lp) == box_ && box_) {
                switch (HIWORD(wp)) {
                    case EN_CHANGE:
                        changeSeen_ = true;
                        core_.OnTextChanged();
                        break;
                    case EN_SETFOCUS:
                        ApplyImeMode(true);
                        core_.OnGotFocus();
                        UpdateColors();
                        if (focusObserver_) focusObserver_(true);
                        break;
                    case EN_KILLFOCUS:
                        UpdateColors();
                        if (focusObserver_) focusObserver_(false);
                        break;
                    default:
                        break;
                }
                return 0;
            }
            break;
        case WM_VSCROLL:
            if (reinterpret_cast<HWND>(lp) == spin_ && spin_) {
                // Either arrow moves the bar off its resting place 1; each
                // press is one step and the bar goes back to rest.
                switch (LOWORD(wp)) {
                    case SB_LINEUP:
                    case SB_PAGEUP:
                        core_.SpinUpDown(0);
                        break;
                    case SB_LINEDOWN:
                    case SB_PAGEDOWN:
                        core_.SpinUpDown(1);
                        break;
                    default:
                        break;
                }
                SetScrollPos(spin_, SB_CTL, 1, TRUE);
                return 0;
            }
            break;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lp) == box_ && box_)
                return reinterpret_cast<LRESULT>(ColorBrush(reinterpret_cast<HDC>(wp)));
            break;
        case WM_ERASEBKGND: {
            RECT rc;
            GetClientRect(hwnd_, &rc);
            UniqueBrush brush(CreateSolidBrush(CurrentColor()));
            FillRect(reinterpret_cast<HDC>(wp), &rc, brush.Get());
            return TRUE;
        }
        case WM_SETCURSOR:
            if (SetCursorFor(reinterpret_cast<HWND>(wp))) return TRUE;
            break;
        case WM_MOUSEMOVE:
            if (mouseObserver_)
                mouseObserver_(msg, wp, POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            // A press or release on the margins reaches the text box as the left button's.
            if (box_) {
                const bool down = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN;
                POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
                MapWindowPoints(hwnd_, box_, &pt, 1);
                SendMessageW(box_, down ? WM_LBUTTONDOWN : WM_LBUTTONUP, down ? (wp | MK_LBUTTON) : (wp & ~MK_LBUTTON),
                             MAKELPARAM(pt.x, pt.y));
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

bool SpinEdit::CreateParts() {
    // Until the parent gives a font, the shell's dialog font rather than the system font.
    parentFont_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    CreateEditBox();
    spin_ = CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_VERT, 0, 0, 0, 0, hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSpinId)), g_instance, nullptr);
    if (!box_ || !spin_) return false;
    SubclassSpin();
    SetScrollRange(spin_, SB_CTL, 0, 2, FALSE);
    SetScrollPos(spin_, SB_CTL, 1, FALSE);
    ApplyFrame();
    Layout();
    return true;
}

void SpinEdit::CreateEditBox() {
    std::wstring text = L"0";
    bool readOnly = false;
    if (box_) {
        text = ReadText();
        readOnly = ReadOnly();
        boxSubclass_.UnSubclass();
        DestroyWindow(box_);
        box_ = nullptr;  // no stale handle if the new box cannot be made
        boxClassProc_ = nullptr;
    }
    static constexpr DWORD kAlign[] = {ES_LEFT, ES_RIGHT, ES_CENTER};  // by kAlignLeft, kAlignRight, kAlignCenter
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | kAlign[props_.alignment] |
                        (readOnly ? ES_READONLY : 0) | (IsWindowEnabled(hwnd_) ? 0 : WS_DISABLED);
    HWND box = CreateWindowExW(props_.rightToLeft ? WS_EX_RTLREADING : 0, L"EDIT", text.c_str(), style, 0, 0, 0, 0,
                               hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), g_instance, nullptr);
    if (!box) return;
    box_ = box;
    SubclassTextBox();
    if (HFONT f = CurrentFont()) SendMessageW(box_, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
    if (!props_.passwordChar.empty()) CallTextBox(EM_SETPASSWORDCHAR, props_.passwordChar[0], 0);
    ApplyImeMode(false);
}

HFONT SpinEdit::CurrentFont() const {
    if (ownFont_) return ownFont_.Get();
    return parentFont_;
}

void SpinEdit::Layout() {
    if (!box_ || !spin_) return;
    RECT rc;
    GetClientRect(hwnd_, &rc);
    SpinLayoutInput in;
    in.innerWidth = rc.right;
    in.innerHeight = rc.bottom;
    {
        WindowDC dc(box_, DcArea::Client);
        SelectInDC select(dc.Get(), CurrentFont() ? CurrentFont() : GetStockObject(SYSTEM_FONT));
        TEXTMETRICW tm{};
        GetTextMetricsW(dc.Get(), &tm);
        in.lineHeight = tm.tmHeight;
    }
    in.twipsPerPixel = ScreenTwipsPerPixel();
    in.leftMargin = props_.leftMargin;
    in.rightMargin = props_.rightMargin;
    in.vMargin = props_.vMargin;
    in.vAlign = props_.vAlign;
    in.visibleSpin = props_.visibleSpin;
    const SpinLayout out = ComputeSpinLayout(in);
    MoveWindow(box_, out.edit.left, out.edit.top, out.edit.Width(), out.edit.Height(), TRUE);
    if (props_.visibleSpin) MoveWindow(spin_, out.spin.left, out.spin.top, out.spin.Width(), out.spin.Height(), TRUE);
    ShowWindow(spin_, props_.visibleSpin ? SW_SHOWNA : SW_HIDE);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void SpinEdit::EnforceMinWidth() {
    if (props_.visibleSpin) return;
    RECT rc;
    GetWindowRect(hwnd_, &rc);
    const int minWidth = MinSpinEditWidth(ScreenTwipsPerPixel());
    if (rc.right - rc.left < minWidth)
        SetWindowPos(hwnd_, nullptr, 0, 0, minWidth, rc.bottom - rc.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

COLORREF SpinEdit::CurrentColor() const {
    if (designMode_) return PaintColor(props_.backColor);
    if (!IsWindowEnabled(hwnd_)) return PaintColor(props_.disableColor);
    if (box_ && GetFocus() == box_) return PaintColor(props_.focusColor);
    return PaintColor(props_.backColor);
}

HBRUSH SpinEdit::ColorBrush(HDC dc) {
    const COLORREF c = CurrentColor();
    if (!brush_ || brushColor_ != c) {
        brush_.Reset(CreateSolidBrush(c));
        brushColor_ = c;
    }
    SetBkColor(dc, c);
    SetTextColor(dc, PaintColor(props_.foreColor));
    return brush_.Get();
}

void SpinEdit::UpdateColors() {
    InvalidateRect(hwnd_, nullptr, TRUE);
    if (box_) InvalidateRect(box_, nullptr, TRUE);
}

void SpinEdit::ApplyFrame() {
    LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_BORDER);
    LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE);
    if (props_.borderStyle == kBorderStyleFixedSingle) {
        if (props_.appearance == kAppearance3D)
            ex |= WS_EX_CLIENTEDGE;
        else
            style |= WS_BORDER;
    }
    SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex);
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool SpinEdit::SetCursorFor(HWND over) const {
    if (over != spin_ && over != box_ && over != hwnd_) return false;
    const std::int32_t pointer = over == spin_ ? props_.spinMousePointer : props_.mousePointer;
    HCURSOR cursor = nullptr;
    if (pointer == static_cast<std::int32_t>(PointerShape::Custom))
        cursor = over == spin_ ? spinCursor_ : textCursor_;
    else if (LPCSTR id = CursorFor(pointer))
        cursor = LoadCursorA(nullptr, id);
    if (!cursor) return false;
    SetCursor(cursor);
    return true;
}

}  // namespace brisko
