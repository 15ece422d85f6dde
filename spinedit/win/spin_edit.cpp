#include "spinedit/win/spin_edit.h"

#include <imm.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "common/error.h"
#include "common/rounding.h"
#include "common/win/ansi.h"
#include "spinedit/spin_layout.h"

namespace brisko {

namespace {

HINSTANCE g_instance = nullptr;

constexpr std::int16_t kShiftBit = 1, kCtrlBit = 2, kAltBit = 4;

[[noreturn]] void Invalid(const char* what) {
    throw Error(ErrorNumber::InvalidPropertyValue, what);
}

std::int16_t ShiftState() {
    std::int16_t s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= kShiftBit;
    if (GetKeyState(VK_CONTROL) < 0) s |= kCtrlBit;
    if (GetKeyState(VK_MENU) < 0) s |= kAltBit;
    return s;
}

COLORREF ToRgb(std::uint32_t oleColor) {
    if (oleColor & 0x80000000u) return GetSysColor(static_cast<int>(oleColor & 0xFF));
    return static_cast<COLORREF>(oleColor & 0xFFFFFF);
}

double TwipsPerPixel() {
    WindowDC dc(nullptr, false);
    const int dpi = dc.Get() ? GetDeviceCaps(dc.Get(), LOGPIXELSX) : 96;
    return 1440.0 / (dpi > 0 ? dpi : 96);
}

// The host's pointer numbers for the standard cursors.
LPCSTR CursorFor(std::int32_t pointer) {
    switch (pointer) {
        case 1:
            return IDC_ARROW;
        case 2:
            return IDC_CROSS;
        case 3:
            return IDC_IBEAM;
        case 5:
        case 15:
            return IDC_SIZEALL;
        case 6:
            return IDC_SIZENESW;
        case 7:
            return IDC_SIZENS;
        case 8:
            return IDC_SIZENWSE;
        case 9:
            return IDC_SIZEWE;
        case 10:
            return IDC_UPARROW;
        case 11:
            return IDC_WAIT;
        case 12:
            return IDC_NO;
        case 13:
            return IDC_APPSTARTING;
        case 14:
            return IDC_HELP;
        default:
            return nullptr;
    }
}

// A character of the text box as the host language's key codes give it: the
// ANSI code, double-byte characters as one negative 16-bit number.
std::int16_t ToKeyAscii(wchar_t c) {
    if (c < 0x80) return static_cast<std::int16_t>(c);
    const std::string bytes = ToAnsi(std::wstring_view(&c, 1));
    if (bytes.size() == 1) return static_cast<std::uint8_t>(bytes[0]);
    if (bytes.size() == 2)
        return static_cast<std::int16_t>((static_cast<std::uint8_t>(bytes[0]) << 8) |
                                         static_cast<std::uint8_t>(bytes[1]));
    return static_cast<std::int16_t>(c);
}

wchar_t FromKeyAscii(std::int16_t code) {
    if (code >= 0 && code < 0x80) return static_cast<wchar_t>(code);
    std::string bytes;
    if (code > 0 && code < 0x100)
        bytes.push_back(static_cast<char>(code));
    else {
        const auto u = static_cast<std::uint16_t>(code);
        bytes.push_back(static_cast<char>(u >> 8));
        bytes.push_back(static_cast<char>(u & 0xFF));
    }
    const std::wstring w = FromAnsi(bytes);
    return w.empty() ? L'?' : w[0];
}

class ClipboardLock {
public:
    explicit ClipboardLock(HWND owner) {
        // Another program may hold the clipboard for a moment.
        for (int i = 0; i < 5 && !open_; ++i) {
            open_ = OpenClipboard(owner) != FALSE;
            if (!open_) Sleep(10);
        }
    }
    ~ClipboardLock() {
        if (open_) CloseClipboard();
    }
    ClipboardLock(const ClipboardLock&) = delete;
    ClipboardLock& operator=(const ClipboardLock&) = delete;
    bool Open() const { return open_; }

private:
    bool open_ = false;
};

// The input method functions, taken from imm32.dll where the process has it
// (every process with an input method does) so that the DLL does not import it.
struct ImmApi {
    decltype(&ImmAssociateContextEx) associateContextEx = nullptr;
    decltype(&ImmGetContext) getContext = nullptr;
    decltype(&ImmReleaseContext) releaseContext = nullptr;
    decltype(&ImmSetOpenStatus) setOpenStatus = nullptr;
    decltype(&ImmGetConversionStatus) getConversionStatus = nullptr;
    decltype(&ImmSetConversionStatus) setConversionStatus = nullptr;

    template <class F>
    static void Get(HMODULE m, const char* name, F& f) {
        f = reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(m, name)));
    }
    ImmApi() {
        HMODULE m = GetModuleHandleW(L"imm32.dll");
        if (!m) return;
        Get(m, "ImmAssociateContextEx", associateContextEx);
        Get(m, "ImmGetContext", getContext);
        Get(m, "ImmReleaseContext", releaseContext);
        Get(m, "ImmSetOpenStatus", setOpenStatus);
        Get(m, "ImmGetConversionStatus", getConversionStatus);
        Get(m, "ImmSetConversionStatus", setConversionStatus);
    }
    bool Complete() const {
        return associateContextEx && getContext && releaseContext && setOpenStatus && getConversionStatus &&
               setConversionStatus;
    }
};

const ImmApi& Imm() {
    static const ImmApi api;
    return api;
}

// The help file of the message box being shown, for its Help button.
thread_local const std::wstring* t_helpFile = nullptr;

void CALLBACK MessageHelp(LPHELPINFO info) {
    if (t_helpFile && info)
        WinHelpW(static_cast<HWND>(info->hItemHandle), t_helpFile->c_str(), HELP_CONTEXT,
                 static_cast<ULONG_PTR>(info->dwContextId));
}

}  // namespace

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

SpinEdit::~SpinEdit() {
    core_.SetEventSink(nullptr);
    if (box_ && IsWindow(box_) && boxProc_) {
        SetWindowLongPtrW(box_, GWLP_USERDATA, 0);
        SetWindowLongPtrW(box_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(boxProc_));
    }
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
        std::unique_ptr<SpinEdit> owned(self);
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    try {
        return self->Handle(msg, wp, lp);
    } catch (...) {
        // Nothing escapes into the window system; a creation that failed fails the window.
        return msg == WM_CREATE ? -1 : 0;
    }
}

LRESULT CALLBACK SpinEdit::EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<SpinEdit*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    try {
        return self->HandleEdit(msg, wp, lp);
    } catch (...) {
        return 0;
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
        case WM_WINDOWPOSCHANGING: {
            auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
            if (!visibleSpin_ && !(pos->flags & SWP_NOSIZE)) {
                const int minWidth = MinSpinEditWidth(TwipsPerPixel());
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
            if (box_ && !font_) SendMessageW(box_, WM_SETFONT, wp, lp);
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
            if (box_) return CallWindowProcW(boxProc_, box_, msg, wp, lp);
            break;
        case WM_GETTEXTLENGTH:
            if (box_) return CallWindowProcW(boxProc_, box_, msg, wp, lp);
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
            UniqueGdi brush(CreateSolidBrush(CurrentColor()));
            FillRect(reinterpret_cast<HDC>(wp), &rc, static_cast<HBRUSH>(brush.Get()));
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

LRESULT SpinEdit::HandleEdit(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            PreviewKey(msg, wp, lp);
            std::int16_t key = static_cast<std::int16_t>(wp), shift = ShiftState();
            if (!core_.OnKeyDown(key, shift)) return 0;
            return CallWindowProcW(boxProc_, box_, msg, static_cast<WPARAM>(static_cast<std::uint16_t>(key)), lp);
        }
        case WM_CHAR: {
            const std::int16_t original = ToKeyAscii(static_cast<wchar_t>(wp));
            std::int16_t code = original;
            if (!core_.OnChar(code, ShiftState())) return 0;
            const WPARAM ch = code == original ? wp : static_cast<WPARAM>(FromKeyAscii(code));
            return CallWindowProcW(boxProc_, box_, msg, ch, lp);
        }
        case WM_KEYUP:
        case WM_SYSKEYUP: {
            PreviewKey(msg, wp, lp);
            std::int16_t key = static_cast<std::int16_t>(wp), shift = ShiftState();
            LRESULT r = 0;
            if (core_.OnKeyUp(key, shift))
                r = CallWindowProcW(boxProc_, box_, msg, static_cast<WPARAM>(static_cast<std::uint16_t>(key)), lp);
            core_.AfterKeyUp(static_cast<std::int16_t>(wp));
            return r;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
        case WM_MOUSEMOVE: {
            // The text box acts first (a press focuses it), then the host hears of it.
            const LRESULT r = CallWindowProcW(boxProc_, box_, msg, wp, lp);
            if (mouseObserver_ && box_) {
                POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
                MapWindowPoints(box_, hwnd_, &pt, 1);
                mouseObserver_(msg, wp, pt);
            }
            return r;
        }
        case WM_CONTEXTMENU: {
            const LRESULT r = CallWindowProcW(boxProc_, box_, msg, wp, lp);
            core_.AfterContextMenu();
            return r;
        }
        case WM_SETCURSOR:
            if (SetCursorFor(box_)) return TRUE;
            break;
        case WM_NCDESTROY: {
            WNDPROC prev = boxProc_;
            SetWindowLongPtrW(box_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prev));
            SetWindowLongPtrW(box_, GWLP_USERDATA, 0);
            HWND dying = box_;
            box_ = nullptr;
            boxProc_ = nullptr;
            return CallWindowProcW(prev, dying, msg, wp, lp);
        }
        default:
            break;
    }
    return CallWindowProcW(boxProc_, box_, msg, wp, lp);
}

// The host's forms do not preview the navigation keys that a text box
// keeps; with KeyPreview on the control hands them to its form as well.
void SpinEdit::PreviewKey(UINT msg, WPARAM wp, LPARAM lp) const {
    if (!retained_.keyPreview) return;
    switch (wp) {
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_HOME:
        case VK_END:
        case VK_DELETE:
            break;
        default:
            return;
    }
    static constexpr std::wstring_view kForms[] = {L"ThunderRT6MDIForm", L"ThunderRT6FormDC", L"ThunderFormDC"};
    for (HWND w = GetParent(hwnd_); w; w = GetParent(w)) {
        wchar_t cls[32] = {};
        GetClassNameW(w, cls, 32);
        if (std::find(std::begin(kForms), std::end(kForms), std::wstring_view(cls)) != std::end(kForms)) {
            SendMessageW(w, msg, wp, lp);
            return;
        }
    }
}

bool SpinEdit::CreateParts() {
    // Until the parent gives a font, the shell's dialog font rather than the system font.
    parentFont_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    CreateEditBox();
    spin_ = CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_VERT, 0, 0, 0, 0, hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSpinId)), g_instance, nullptr);
    if (!box_ || !spin_) return false;
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
        DestroyWindow(box_);  // its WM_NCDESTROY detaches it
    }
    static constexpr DWORD kAlign[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | kAlign[alignment_] |
                        (readOnly ? ES_READONLY : 0) | (IsWindowEnabled(hwnd_) ? 0 : WS_DISABLED);
    HWND box = CreateWindowExW(0, L"EDIT", text.c_str(), style, 0, 0, 0, 0, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), g_instance, nullptr);
    if (!box) return;
    SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    boxProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditProc)));
    box_ = box;
    if (HFONT f = CurrentFont()) SendMessageW(box_, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
    if (!passwordChar_.empty()) SendMessageW(box_, EM_SETPASSWORDCHAR, passwordChar_[0], 0);
    ApplyImeMode(false);
}

HFONT SpinEdit::CurrentFont() const {
    if (ownFont_) return static_cast<HFONT>(ownFont_.Get());
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
        WindowDC dc(box_, false);
        SelectInDC select(dc.Get(), CurrentFont() ? CurrentFont() : GetStockObject(SYSTEM_FONT));
        TEXTMETRICW tm{};
        GetTextMetricsW(dc.Get(), &tm);
        in.lineHeight = tm.tmHeight;
    }
    in.twipsPerPixel = TwipsPerPixel();
    in.leftMargin = leftMargin_;
    in.rightMargin = rightMargin_;
    in.vMargin = vMargin_;
    in.vAlign = vAlign_;
    in.visibleSpin = visibleSpin_;
    const SpinLayout out = ComputeSpinLayout(in);
    MoveWindow(box_, out.edit.left, out.edit.top, out.edit.Width(), out.edit.Height(), TRUE);
    if (visibleSpin_) MoveWindow(spin_, out.spin.left, out.spin.top, out.spin.Width(), out.spin.Height(), TRUE);
    ShowWindow(spin_, visibleSpin_ ? SW_SHOWNA : SW_HIDE);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void SpinEdit::EnforceMinWidth() {
    if (visibleSpin_) return;
    RECT rc;
    GetWindowRect(hwnd_, &rc);
    const int minWidth = MinSpinEditWidth(TwipsPerPixel());
    if (rc.right - rc.left < minWidth)
        SetWindowPos(hwnd_, nullptr, 0, 0, minWidth, rc.bottom - rc.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

COLORREF SpinEdit::CurrentColor() const {
    if (designMode_) return ToRgb(backColor_);
    if (!IsWindowEnabled(hwnd_)) return ToRgb(disableColor_);
    if (box_ && GetFocus() == box_) return ToRgb(focusColor_);
    return ToRgb(backColor_);
}

HBRUSH SpinEdit::ColorBrush(HDC dc) {
    const COLORREF c = CurrentColor();
    if (!brush_ || brushColor_ != c) {
        brush_.Reset(CreateSolidBrush(c));
        brushColor_ = c;
    }
    SetBkColor(dc, c);
    SetTextColor(dc, ToRgb(foreColor_));
    return static_cast<HBRUSH>(brush_.Get());
}

void SpinEdit::UpdateColors() {
    InvalidateRect(hwnd_, nullptr, TRUE);
    if (box_) InvalidateRect(box_, nullptr, TRUE);
}

void SpinEdit::ApplyFrame() {
    LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_BORDER);
    LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE);
    if (borderStyle_ == 1) {
        if (appearance_ == 1)
            ex |= WS_EX_CLIENTEDGE;
        else
            style |= WS_BORDER;
    }
    SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex);
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SpinEdit::ApplyImeMode(bool focusing) {
    const ImmApi& imm = Imm();
    if (!box_ || !imm.Complete()) return;
    if (imeMode_ == 3) {  // disabled: no input context at all
        imm.associateContextEx(box_, nullptr, 0);
        return;
    }
    imm.associateContextEx(box_, nullptr, IACE_DEFAULT);
    if (!focusing || imeMode_ == 0) return;
    HIMC imc = imm.getContext(box_);
    if (!imc) return;
    if (imeMode_ == 2) {
        imm.setOpenStatus(imc, FALSE);
    } else {
        imm.setOpenStatus(imc, TRUE);
        static constexpr DWORD kModes[] = {0,
                                           0,
                                           0,
                                           0,
                                           IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE,
                                           IME_CMODE_NATIVE | IME_CMODE_KATAKANA | IME_CMODE_FULLSHAPE,
                                           IME_CMODE_NATIVE | IME_CMODE_KATAKANA,
                                           IME_CMODE_FULLSHAPE,
                                           IME_CMODE_ALPHANUMERIC};
        if (imeMode_ >= 4) {
            DWORD conversion = 0, sentence = 0;
            imm.getConversionStatus(imc, &conversion, &sentence);
            imm.setConversionStatus(imc, kModes[imeMode_], sentence);
        }
    }
    imm.releaseContext(box_, imc);
}

bool SpinEdit::SetCursorFor(HWND over) const {
    const std::int32_t pointer = over == spin_ ? spinMousePointer_ : mousePointer_;
    LPCSTR id = CursorFor(pointer);
    if (!id || (over != spin_ && over != box_ && over != hwnd_)) return false;
    SetCursor(LoadCursorA(nullptr, id));
    return true;
}

std::wstring SpinEdit::ReadText() const {
    const int n = GetWindowTextLengthW(box_);
    std::wstring s(static_cast<std::size_t>(n > 0 ? n : 0) + 1, L'\0');
    const int got = GetWindowTextW(box_, s.data(), n + 1);
    s.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return s;
}

void SpinEdit::SetText(const std::wstring& text) {
    // Like the host's text boxes, the same text again is no change (a load
    // must not turn the stored value back into the default text's number).
    if (!box_ || ReadText() == text) return;
    // The edit box reports the change itself; where it would not, the
    // change processing still runs once.
    changeSeen_ = false;
    SetWindowTextW(box_, text.c_str());
    if (!changeSeen_) core_.OnTextChanged();
}

std::int32_t SpinEdit::SelStart() const {
    DWORD start = 0, end = 0;
    if (box_) SendMessageW(box_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<std::int32_t>(start);
}

std::int32_t SpinEdit::SelLength() const {
    DWORD start = 0, end = 0;
    if (box_) SendMessageW(box_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<std::int32_t>(end - start);
}

void SpinEdit::SetSel(std::int32_t start, std::int32_t length) {
    if (!box_) return;
    SendMessageW(box_, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start + length));
    SendMessageW(box_, EM_SCROLLCARET, 0, 0);
}

void SpinEdit::SetSelStart(std::int32_t v) {
    if (v < 0) Invalid("SelStart must not be negative");
    SetSel(v, 0);
}

void SpinEdit::SetSelLength(std::int32_t v) {
    if (v < 0) Invalid("SelLength must not be negative");
    SetSel(SelStart(), v);
}

std::wstring SpinEdit::SelText() const {
    const std::wstring t = Text();
    const auto start = static_cast<std::size_t>(SelStart());
    return start < t.size() ? t.substr(start, static_cast<std::size_t>(SelLength())) : std::wstring();
}

void SpinEdit::SetSelText(const std::wstring& v) {
    if (box_) SendMessageW(box_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(v.c_str()));
}

bool SpinEdit::ReadOnly() const {
    return box_ && (GetWindowLongPtrW(box_, GWL_STYLE) & ES_READONLY);
}

void SpinEdit::SetReadOnly(bool readOnly) {
    if (box_) SendMessageW(box_, EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
    UpdateColors();
}

bool SpinEdit::Visible() const {
    return box_ && IsWindowVisible(box_);
}

void SpinEdit::Focus() {
    if (box_) ::SetFocus(box_);
}

std::wstring SpinEdit::ClipboardText() const {
    ClipboardLock lock(hwnd_);
    if (!lock.Open()) return L"";
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return L"";
    const auto* p = static_cast<const wchar_t*>(GlobalLock(data));
    if (!p) return L"";
    const SIZE_T max = GlobalSize(data) / sizeof(wchar_t);
    std::wstring text(p, wcsnlen(p, max));
    GlobalUnlock(data);
    return text;
}

void SpinEdit::ShowMessage(const std::wstring& text, const std::wstring& title, const std::wstring& helpFile,
                           std::int32_t context) {
    MSGBOXPARAMSW params{};
    params.cbSize = sizeof params;
    params.hwndOwner = GetAncestor(hwnd_, GA_ROOT);
    params.hInstance = g_instance;
    params.lpszText = text.c_str();
    params.lpszCaption = title.c_str();
    params.dwStyle = MB_OK;
    if (!helpFile.empty()) {
        params.dwStyle |= MB_HELP;
        params.dwContextHelpId = static_cast<DWORD_PTR>(context);
        params.lpfnMsgBoxCallback = &MessageHelp;
    }
    const std::wstring* previous = t_helpFile;
    t_helpFile = &helpFile;
    MessageBoxIndirectW(&params);
    t_helpFile = previous;
}

void SpinEdit::PlaySound(std::int32_t kind, std::int32_t frequency, std::int32_t duration) {
    switch (kind) {
        case 1:
            MessageBeep(MB_OK);
            break;
        case 2:
            ::Beep(static_cast<DWORD>(frequency), static_cast<DWORD>(duration));
            break;
        case 3:
            MessageBeep(0xFFFFFFFF);
            break;
        case 4:
            MessageBeep(MB_ICONASTERISK);
            break;
        case 5:
            MessageBeep(MB_ICONQUESTION);
            break;
        case 6:
            MessageBeep(MB_ICONEXCLAMATION);
            break;
        case 7:
            MessageBeep(MB_ICONHAND);
            break;
        default:
            return;
    }
    if (soundObserver_) soundObserver_(kind);
}

void SpinEdit::SetAlignment(std::int32_t v) {
    if (v < 0 || v > 2) Invalid("Alignment must be 0 to 2");
    if (v == alignment_) return;
    alignment_ = v;
    // A single-line edit box takes its alignment only when created.
    CreateEditBox();
    Layout();
}

void SpinEdit::SetVAlign(std::int32_t v) {
    if (v < 0 || v > 2) Invalid("VAlign must be 0 to 2");
    vAlign_ = v;
    Layout();
}

void SpinEdit::SetLeftMargin(std::int16_t v) {
    if (v < 0) Invalid("margins must not be negative");
    leftMargin_ = v;
    Layout();
}

void SpinEdit::SetRightMargin(std::int16_t v) {
    if (v < 0) Invalid("margins must not be negative");
    rightMargin_ = v;
    Layout();
}

void SpinEdit::SetVMargin(std::int16_t v) {
    if (v < 0) Invalid("margins must not be negative");
    vMargin_ = v;
    Layout();
}

void SpinEdit::SetAppearance(std::int32_t v) {
    if (v < 0 || v > 1) Invalid("Appearance must be 0 or 1");
    appearance_ = v;
    ApplyFrame();
    Layout();
    UpdateColors();
}

void SpinEdit::SetBorderStyle(std::int32_t v) {
    if (v < 0 || v > 1) Invalid("BorderStyle must be 0 or 1");
    borderStyle_ = v;
    ApplyFrame();
    Layout();
}

void SpinEdit::SetForeColor(std::uint32_t v) {
    foreColor_ = v;
    UpdateColors();
}

void SpinEdit::SetFocusColor(std::uint32_t v) {
    focusColor_ = v;
    UpdateColors();
}

void SpinEdit::SetBackColor(std::uint32_t v) {
    backColor_ = v;
    UpdateColors();
}

void SpinEdit::SetDisableColor(std::uint32_t v) {
    disableColor_ = v;
    UpdateColors();
}

// Enabled reaches the arrows as well as the text box, and EnabledSpin the
// arrows alone, so whichever was set last decides whether the arrows (and the
// Up and Down keys) spin: a field stored with its arrows off spins again once
// its owner enables it.
void SpinEdit::SetEnabled(bool v) {
    if (box_) EnableWindow(box_, v);
    EnableWindow(hwnd_, v);
    SetEnabledSpin(v);
    UpdateColors();
}

void SpinEdit::SetEnabledSpin(bool v) {
    enabledSpin_ = v;
    if (spin_) EnableWindow(spin_, v);
    core_.SetSpinEnabled(v);
}

void SpinEdit::SetVisibleSpin(bool v) {
    visibleSpin_ = v;
    EnforceMinWidth();
    Layout();
}

void SpinEdit::SetMousePointer(std::int32_t v) {
    if (v < 0 || (v > 15 && v != 99)) Invalid("MousePointer must be 0 to 15 or 99");
    mousePointer_ = v;
}

void SpinEdit::SetSpinMousePointer(std::int32_t v) {
    if (v < 0 || (v > 15 && v != 99)) Invalid("SpinMousePointer must be 0 to 15 or 99");
    spinMousePointer_ = v;
}

void SpinEdit::SetPasswordChar(const std::wstring& v) {
    if (v.size() > 1) Invalid("PasswordChar takes at most one character");
    passwordChar_ = v;
    if (box_) {
        SendMessageW(box_, EM_SETPASSWORDCHAR, v.empty() ? 0 : v[0], 0);
        InvalidateRect(box_, nullptr, TRUE);
    }
}

void SpinEdit::SetIMEMode(std::int32_t v) {
    if (v < 0 || v > 8) Invalid("IMEMode must be 0 to 8");
    imeMode_ = v;
    ApplyImeMode(IsFocused());
}

void SpinEdit::SetFont(const std::optional<FontSpec>& font) {
    font_ = font;
    ownFont_.Reset();
    if (font_) {
        WindowDC dc(nullptr, false);
        const int dpi = dc.Get() ? GetDeviceCaps(dc.Get(), LOGPIXELSY) : 96;
        LOGFONTW lf{};
        lf.lfHeight = -ToInt32(static_cast<double>(font_->sizeCy) / 10000.0 * dpi / 72.0).value_or(12);
        lf.lfWeight = font_->weight;
        lf.lfItalic = font_->italic;
        lf.lfUnderline = font_->underline;
        lf.lfStrikeOut = font_->strikethrough;
        lf.lfCharSet = static_cast<BYTE>(font_->charset);
        wcsncpy(lf.lfFaceName, font_->name.c_str(), LF_FACESIZE - 1);
        ownFont_.Reset(CreateFontIndirectW(&lf));
    }
    if (box_) SendMessageW(box_, WM_SETFONT, reinterpret_cast<WPARAM>(CurrentFont()), TRUE);
    Layout();
}

void SpinEdit::AboutBox() const {
    MessageBoxW(GetAncestor(hwnd_, GA_ROOT), SpinEditAboutText().c_str(), SpinEditAboutTitle().c_str(),
                MB_OK | MB_ICONINFORMATION);
}

std::int32_t SpinEdit::HitTest(std::int32_t x, std::int32_t y) const {
    if (!box_) return -2;
    RECT r;
    GetWindowRect(box_, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    const Rect text{r.left, r.top, r.right, r.bottom};
    const std::int32_t direction = HitDirection(text, x, y);
    if (direction != 0) return direction;
    const LRESULT pos = SendMessageW(box_, EM_CHARFROMPOS, 0, MAKELPARAM(x - r.left, y - r.top));
    return static_cast<std::int32_t>(LOWORD(pos));
}

std::int32_t SpinEdit::HitTest() const {
    POINT pt{};
    GetCursorPos(&pt);
    ScreenToClient(hwnd_, &pt);
    return HitTest(pt.x, pt.y);
}

void SpinEdit::Pos(std::int32_t left, std::int32_t top) {
    SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SpinEdit::Size(std::int32_t width, std::int32_t height) {
    if (width < 0 || height < 0) Invalid("sizes must not be negative");
    SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SpinEdit::Move(std::int32_t left, std::optional<std::int32_t> top, std::optional<std::int32_t> width,
                    std::optional<std::int32_t> height) {
    RECT r;
    GetWindowRect(hwnd_, &r);
    MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
    const int w = width.value_or(r.right - r.left), h = height.value_or(r.bottom - r.top);
    if (w < 0 || h < 0) Invalid("sizes must not be negative");
    SetWindowPos(hwnd_, nullptr, left, top.value_or(r.top), w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

void SpinEdit::Refresh() {
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void SpinEdit::SetFocus() {
    Focus();
}

void SpinEdit::Save(PropertyStore& store) const {
    SpinEditProperties p = retained_;
    p.font = font_;
    p.alignment = alignment_;
    p.vAlign = vAlign_;
    p.leftMargin = leftMargin_;
    p.rightMargin = rightMargin_;
    p.vMargin = vMargin_;
    p.appearance = appearance_;
    p.borderStyle = borderStyle_;
    p.foreColor = foreColor_;
    p.focusColor = focusColor_;
    p.backColor = backColor_;
    p.disableColor = disableColor_;
    p.raiseEvents = core_.RaiseEvents();
    p.enabled = Enabled();
    p.caption = core_.Caption();
    p.mousePointer = mousePointer_;
    p.imeMode = imeMode_;
    p.arrowSpin = core_.ArrowSpin();
    p.silence = core_.Silence();
    p.beepSound = core_.BeepSound();
    const auto& s = core_.Scaled();
    p.value = s.value;
    p.max = s.max;
    p.min = s.min;
    p.increment = s.increment;
    p.decFig = static_cast<std::uint8_t>(s.decFig);
    p.wrap = core_.Wrap();
    p.multiple = core_.Multiple();
    p.enabledSpin = enabledSpin_;
    p.visibleSpin = visibleSpin_;
    p.spinMousePointer = spinMousePointer_;
    p.text = Text();
    p.textSelection = core_.TextSelection();
    p.inputControl = core_.InputControl();
    p.maxLength = core_.MaxLength();
    p.passwordChar = passwordChar_;
    p.locked = core_.Locked();
    SaveSpinEditProperties(p, store);
}

void SpinEdit::Load(const PropertyStore& store) {
    const SpinEditProperties p = LoadSpinEditProperties(store);
    retained_ = p;
    if (p.font) SetFont(p.font);
    SetAlignment(p.alignment);
    SetVAlign(p.vAlign);
    SetLeftMargin(p.leftMargin);
    SetRightMargin(p.rightMargin);
    SetVMargin(p.vMargin);
    appearance_ = p.appearance;
    SetBorderStyle(p.borderStyle);
    foreColor_ = p.foreColor;
    focusColor_ = p.focusColor;
    backColor_ = p.backColor;
    disableColor_ = p.disableColor;
    core_.SetRaiseEvents(p.raiseEvents);
    SetEnabled(p.enabled);
    core_.SetCaption(p.caption);
    SetMousePointer(p.mousePointer);
    SetIMEMode(p.imeMode);
    core_.SetArrowSpin(p.arrowSpin);
    core_.SetSilence(p.silence);
    SetBeepSound(p.beepSound);
    core_.LoadScaled({p.value, p.max, p.min, p.increment, static_cast<std::int16_t>(p.decFig)});
    core_.SetWrap(p.wrap);
    core_.SetMultiple(p.multiple);
    SetEnabledSpin(p.enabledSpin);
    SetVisibleSpin(p.visibleSpin);
    SetSpinMousePointer(p.spinMousePointer);
    SetText(p.text);
    core_.SetTextSelection(p.textSelection);
    core_.SetInputControl(p.inputControl);
    SetMaxLength(p.maxLength);
    SetPasswordChar(p.passwordChar);
    SetLocked(p.locked);
    UpdateColors();
}

}  // namespace brisko
