// The spin edit box's properties and methods as its window keeps them, and
// their persistence through the table of stored properties.
#include <optional>

#include "common/win/gdi.h"
#include "spinedit/spin_layout.h"
#include "spinedit/win/spin_edit.h"
#include "spinedit/win/spin_edit_internal.h"

namespace brisko {

using spin_edit_detail::Invalid;

void SpinEdit::SetAlignment(std::int32_t v) {
    if (v < kAlignLeft || v > kAlignCenter) Invalid("Alignment must be 0 to 2");
    if (v == props_.alignment) return;
    props_.alignment = v;
    // A single-line edit box takes its alignment only when created.
    CreateEditBox();
    Layout();
}

void SpinEdit::SetVAlign(std::int32_t v) {
    if (v < kVAlignTop || v > kVAlignMiddle) Invalid("VAlign must be 0 to 2");
    props_.vAlign = v;
    Layout();
}

void SpinEdit::SetMargin(std::int16_t& margin, std::int16_t v) {
    if (v < 0) Invalid("margins must not be negative");
    margin = v;
    Layout();
}

// Appearance and BorderStyle together make the frame.
void SpinEdit::SetFrameStyle(std::int32_t& style, std::int32_t v, const char* what) {
    static_assert(kAppearanceFlat == kBorderStyleNone && kAppearance3D == kBorderStyleFixedSingle);
    if (v != kBorderStyleNone && v != kBorderStyleFixedSingle) Invalid(what);
    style = v;
    ApplyFrame();
    Layout();
    UpdateColors();
}

void SpinEdit::SetColor(std::uint32_t& color, std::uint32_t v) {
    color = v;
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
    props_.enabledSpin = v;
    if (spin_) EnableWindow(spin_, v);
    core_.SetSpinEnabled(v);
}

void SpinEdit::SetVisibleSpin(bool v) {
    props_.visibleSpin = v;
    EnforceMinWidth();
    Layout();
}

void SpinEdit::SetMousePointer(std::int32_t v) {
    if (!IsPointerShape(v)) Invalid("MousePointer must be 0 to 15 or 99");
    props_.mousePointer = v;
}

void SpinEdit::SetSpinMousePointer(std::int32_t v) {
    if (!IsPointerShape(v)) Invalid("SpinMousePointer must be 0 to 15 or 99");
    props_.spinMousePointer = v;
}

void SpinEdit::SetPasswordChar(const std::wstring& v) {
    if (v.size() > 1) Invalid("PasswordChar takes at most one character");
    props_.passwordChar = v;
    if (box_) {
        CallTextBox(EM_SETPASSWORDCHAR, v.empty() ? 0 : v[0], 0);
        InvalidateRect(box_, nullptr, TRUE);
    }
}

void SpinEdit::SetRightToLeft(bool v) {
    props_.rightToLeft = v;
    if (!box_) return;
    LONG_PTR ex = GetWindowLongPtrW(box_, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_RTLREADING);
    SetWindowLongPtrW(box_, GWL_EXSTYLE, v ? ex | WS_EX_RTLREADING : ex);
    InvalidateRect(box_, nullptr, TRUE);
}

void SpinEdit::SetIMEMode(std::int32_t v) {
    if (v < static_cast<std::int32_t>(ImeMode::NoOp) || v > static_cast<std::int32_t>(ImeMode::AlphaSng))
        Invalid("IMEMode must be 0 to 8");
    props_.imeMode = v;
    ApplyImeMode(IsFocused());
}

void SpinEdit::SetFont(const std::optional<FontSpec>& font) {
    props_.font = font;
    ownFont_.Reset();
    if (props_.font) ownFont_ = MakeFont(*props_.font);
    if (box_) SendMessageW(box_, WM_SETFONT, reinterpret_cast<WPARAM>(CurrentFont()), TRUE);
    Layout();
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
    // The window's own fields and the host's as kept; the value model's from the core.
    SpinEditProperties p = props_;
    p.raiseEvents = core_.RaiseEvents();
    p.enabled = Enabled();
    p.caption = core_.Caption();
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
    p.text = Text();
    p.textSelection = core_.TextSelection();
    p.inputControl = core_.InputControl();
    p.maxLength = core_.MaxLength();
    p.locked = core_.Locked();
    SaveSpinEditProperties(p, store);
}

void SpinEdit::Load(const PropertyStore& store) {
    const SpinEditProperties p = LoadSpinEditProperties(store);
    if (p.font) SetFont(p.font);
    SetAlignment(p.alignment);
    SetVAlign(p.vAlign);
    SetLeftMargin(p.leftMargin);
    SetRightMargin(p.rightMargin);
    SetVMargin(p.vMargin);
    props_.appearance = p.appearance;
    SetBorderStyle(p.borderStyle);
    core_.SetRaiseEvents(p.raiseEvents);
    SetEnabled(p.enabled);
    core_.SetCaption(p.caption);
    SetMousePointer(p.mousePointer);
    SetRightToLeft(p.rightToLeft);
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
    // The rest (colours, what only a form host acts on) is kept as read; the
    // fields set above hold the same values already. A stored form without
    // a font keeps the one the control shows.
    const std::optional<FontSpec> font = props_.font;
    props_ = p;
    props_.font = font;
    UpdateColors();
}

}  // namespace brisko
