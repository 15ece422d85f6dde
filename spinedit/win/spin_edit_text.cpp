// The text box inside the spin edit box: its input, watched through the
// window-system service's subclassing and handed to the value model's
// filters, and its text and selection.
//
// The service watches windows with ANSI procedures, as the host's are, so
// the text box's characters arrive as the host's ANSI key codes: a
// double-byte character as a lead byte and a trail byte (or both at once).
// Its text is read and written through its own Unicode procedure.
#include <algorithm>
#include <string>

#include "common/win/ansi.h"
#include "spinedit/win/spin_edit.h"
#include "spinedit/win/spin_edit_internal.h"

namespace brisko {

using spin_edit_detail::Invalid;

namespace {

constexpr std::int16_t kShiftBit = 1, kCtrlBit = 2, kAltBit = 4;

std::int16_t ShiftState() {
    std::int16_t s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= kShiftBit;
    if (GetKeyState(VK_CONTROL) < 0) s |= kCtrlBit;
    if (GetKeyState(VK_MENU) < 0) s |= kAltBit;
    return s;
}

// The character a host's key code stands for: an ANSI code, a double-byte
// one as one 16-bit number with the lead byte high.
wchar_t FromKeyAscii(std::int16_t code) {
    if (code >= 0 && code < 0x80) return static_cast<wchar_t>(code);
    std::string bytes;
    const auto u = static_cast<std::uint16_t>(code);
    if (u > 0xFF) bytes.push_back(static_cast<char>(u >> 8));
    bytes.push_back(static_cast<char>(u & 0xFF));
    const std::wstring w = FromAnsi(bytes);
    return w.empty() ? L'?' : w[0];
}

POINT PointOf(LPARAM lp) {
    return POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
}

}  // namespace

void SpinEdit::SubclassTextBox() {
    boxClassProc_ = reinterpret_cast<WNDPROC>(GetClassLongPtrW(box_, GCLP_WNDPROC));
    leadByte_ = 0;
    for (UINT msg : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_CHAR, WM_KEYUP, WM_SYSKEYUP, WM_LBUTTONDOWN, WM_LBUTTONUP,
                     WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MOUSEMOVE,
                     WM_CONTEXTMENU, WM_SETCURSOR, WM_NCDESTROY})
        boxSubclass_.AddMsg(msg, MsgPhase::Before);
    boxSubclass_.SubClass(FromHwnd(box_), this);
}

void SpinEdit::SubclassSpin() {
    for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}) spinSubclass_.AddMsg(msg, MsgPhase::Before);
    spinSubclass_.SubClass(FromHwnd(spin_), this);
}

LRESULT SpinEdit::CallTextBox(UINT msg, WPARAM wp, LPARAM lp) const {
    return box_ && boxClassProc_ ? CallWindowProcW(boxClassProc_, box_, msg, wp, lp) : 0;
}

bool SpinEdit::TakeCharCode(std::uintptr_t wParam, std::int16_t& code) {
    const auto low = static_cast<std::uint8_t>(wParam & 0xFF);
    if (wParam & 0xFF00) {
        leadByte_ = 0;
        code = static_cast<std::int16_t>(wParam & 0xFFFF);
    } else if (leadByte_) {
        code = static_cast<std::int16_t>((leadByte_ << 8) | low);
        leadByte_ = 0;
    } else if (IsDBCSLeadByte(low)) {
        leadByte_ = low;
        return false;
    } else {
        code = low;
    }
    return true;
}

void SpinEdit::iSubclass_Proc(bool, bool& bHandled, std::intptr_t& lReturn, WindowHandle& hWnd, std::uint32_t& uMsg,
                              std::uintptr_t& wParam, std::intptr_t& lParam) {
    const UINT msg = uMsg;
    const WPARAM wp = wParam;
    const LPARAM lp = lParam;
    MessageScope scope(*this);
    if (hWnd == spinSubclass_.hWnd()) {
        bHandled = true;
        lReturn = spinSubclass_.CallOrigWndProc(msg, wp, lp);
        return;
    }
    auto pass = [&](WPARAM w) { return boxSubclass_.CallOrigWndProc(msg, w, lp); };
    bHandled = true;
    lReturn = 0;
    switch (msg) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            PreviewKey(msg, wp, lp);
            std::int16_t key = static_cast<std::int16_t>(wp), shift = ShiftState();
            if (core_.OnKeyDown(key, shift)) lReturn = pass(static_cast<std::uint16_t>(key));
            return;
        }
        case WM_CHAR: {
            std::int16_t code = 0;
            if (!TakeCharCode(wp, code) || !core_.OnChar(code, ShiftState())) return;
            // On to the text box as the character the code stands for, through
            // its own Unicode procedure: an ANSI WM_CHAR on its way to Unicode
            // does not carry a double-byte character everywhere.
            lReturn = CallTextBox(WM_CHAR, FromKeyAscii(code), lp);
            return;
        }
        case WM_KEYUP:
        case WM_SYSKEYUP: {
            PreviewKey(msg, wp, lp);
            std::int16_t key = static_cast<std::int16_t>(wp), shift = ShiftState();
            if (core_.OnKeyUp(key, shift)) lReturn = pass(static_cast<std::uint16_t>(key));
            core_.AfterKeyUp(static_cast<std::int16_t>(wp));
            return;
        }
        case WM_CONTEXTMENU:
            lReturn = pass(wp);
            core_.AfterContextMenu();
            return;
        case WM_SETCURSOR:
            if (SetCursorFor(box_))
                lReturn = TRUE;
            else
                bHandled = false;
            return;
        case WM_NCDESTROY:
            // The service lets go of the window itself.
            box_ = nullptr;
            boxClassProc_ = nullptr;
            bHandled = false;
            return;
        default: {
            if (msg == WM_LBUTTONDOWN && pressFilter_) {
                POINT screen = PointOf(lp);
                ClientToScreen(box_, &screen);
                if (pressFilter_(screen)) return;
            }
            // The mouse: the text box acts first (a press focuses it), then the host hears of it.
            lReturn = pass(wp);
            if (mouseObserver_ && box_) {
                POINT pt = PointOf(lp);
                MapWindowPoints(box_, hwnd_, &pt, 1);
                mouseObserver_(msg, wp, pt);
            }
            return;
        }
    }
}

// The host's forms do not preview the navigation keys that a text box
// keeps; with KeyPreview on the control hands them to its form as well.
void SpinEdit::PreviewKey(UINT msg, WPARAM wp, LPARAM lp) const {
    if (!props_.keyPreview) return;
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

std::wstring SpinEdit::ReadText() const {
    const auto n = static_cast<int>(CallTextBox(WM_GETTEXTLENGTH, 0, 0));
    std::wstring s(static_cast<std::size_t>(n > 0 ? n : 0) + 1, L'\0');
    const auto got =
        static_cast<int>(CallTextBox(WM_GETTEXT, static_cast<WPARAM>(n + 1), reinterpret_cast<LPARAM>(s.data())));
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
    CallTextBox(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
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
    CallTextBox(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(v.c_str()));
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

}  // namespace brisko
