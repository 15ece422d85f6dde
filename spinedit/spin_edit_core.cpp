#include "spinedit/spin_edit_core.h"

#include <algorithm>

#include "common/error.h"
#include "common/text.h"

namespace brisko {

namespace {

constexpr std::int16_t kShiftBit = 1, kCtrlBit = 2, kAltBit = 4;
constexpr std::int16_t kVkInsert = 0x2D, kVkApps = 0x5D, kVkUp = 0x26, kVkDown = 0x28;

std::int32_t ScaledOrThrow(double v, std::int16_t decFig) {
    auto s = spin::ToScaled(v, decFig);
    if (!s) throw Error(ErrorNumber::Overflow, "the number does not fit the control's range");
    return *s;
}

std::int32_t Len(const std::wstring& s) {
    return static_cast<std::int32_t>(s.size());
}

}  // namespace

void SpinEditCore::SetScaledValue(std::int32_t v) {
    if (v == state_.value) return;
    state_.value = v;
    if (Events()) sink_->ChangeValue();
}

void SpinEditCore::SetValue(double v) {
    SetScaledValue(ScaledOrThrow(v, state_.decFig));
}

// Max and Min may be given in either order; a value left outside the range
// that they span moves to the nearer bound.
void SpinEditCore::SetMax(double v) {
    const std::int32_t s = ScaledOrThrow(v, state_.decFig);
    if (s == state_.max) return;
    state_.max = s;
    const auto limits = Limits();
    if (state_.value > limits.Upper())
        SetScaledValue(limits.Upper());
    else if (state_.value < limits.Lower())
        SetScaledValue(limits.Lower());
}

void SpinEditCore::SetMin(double v) {
    const std::int32_t s = ScaledOrThrow(v, state_.decFig);
    if (s == state_.min) return;
    state_.min = s;
    const auto limits = Limits();
    if (state_.value < limits.Lower())
        SetScaledValue(limits.Lower());
    else if (state_.value > limits.Upper())
        SetScaledValue(limits.Upper());
}

void SpinEditCore::SetIncrement(double v) {
    state_.increment = ScaledOrThrow(v, state_.decFig);
}

void SpinEditCore::SetDecFig(std::int16_t decFig) {
    const std::int16_t old = state_.decFig;
    if (decFig < 0 || decFig > spin::kMaxDecFig || decFig == old) return;
    if (decFig > old) {
        const std::int64_t factor = spin::PowerOfTen(static_cast<std::int16_t>(decFig - old));
        for (std::int32_t* f : {&state_.value, &state_.max, &state_.min, &state_.increment}) {
            const std::int64_t r = static_cast<std::int64_t>(*f) * factor;
            if (r >= INT32_MIN && r <= INT32_MAX) *f = static_cast<std::int32_t>(r);  // else keeps its number
        }
    } else {
        const std::int32_t divisor = spin::PowerOfTen(static_cast<std::int16_t>(old - decFig));
        const bool hadIncrement = state_.increment != 0;
        for (std::int32_t* f : {&state_.value, &state_.max, &state_.min, &state_.increment}) *f /= divisor;
        if (hadIncrement && state_.increment == 0) state_.increment = 1;
    }
    state_.decFig = decFig;
}

void SpinEditCore::LoadScaled(const SpinScaledState& s) {
    state_ = s;
    if (s.decFig < 0 || s.decFig > spin::kMaxDecFig) state_.decFig = 0;
}

void SpinEditCore::SetMaxLength(std::int16_t v) {
    if (v < 0) throw Error(ErrorNumber::InvalidPropertyValue, "MaxLength must not be negative");
    maxLength_ = v;
}

void SpinEditCore::SetBeepSound(std::int32_t v) {
    if (v < 1 || v > 7) throw Error(ErrorNumber::InvalidPropertyValue, "BeepSound must be 1 to 7");
    beepSound_ = v;
}

void SpinEditCore::SetLocked(bool v) {
    if (pasteLocked_)
        savedReadOnly_ = v;
    else
        box_.SetReadOnly(v);
}

std::int32_t SpinEditCore::CheckText(std::wstring_view s) const {
    std::int32_t code = spin::SyntaxCheck(s, state_.decFig);
    if (code != spin::kOk) return code;
    auto x = spin::ParseScaled(s, state_.decFig);
    if (!x) return spin::kInternal;
    return spin::RangeCheck(*x, Limits());
}

std::int32_t SpinEditCore::ErrCheck(bool showMsg, std::wstring_view caption, std::wstring_view title,
                                    std::wstring_view helpFile, std::int32_t context) {
    try {
        const std::wstring s = TrimSpaces(box_.Text());
        const std::int32_t code = CheckText(s);
        if (code != spin::kOk && showMsg) {
            const std::wstring boxTitle = title.empty() ? std::wstring(L"入力エラー") : std::wstring(title);
            box_.ShowMessage(FormatMessage(code, caption), boxTitle, std::wstring(helpFile), context);
            if (box_.Visible()) {
                box_.Focus();
                box_.SetSel(0, Len(s));
            }
        }
        return code;
    } catch (...) {
        return spin::kInternal;
    }
}

std::wstring SpinEditCore::FormatMessage(std::int32_t error, std::wstring_view caption) const {
    return spin::ErrorMessage(error, caption.empty() ? std::wstring_view(caption_) : caption, Limits(), state_.decFig);
}

std::int32_t SpinEditCore::SpinUpDown(std::int32_t upDown) {
    if (upDown != 0 && upDown != 1) return spin::kInternal;
    if (Events()) {
        bool cancel = false;
        sink_->SpinBeforeClick(upDown, cancel);
        if (cancel) return spin::kOk;
    }
    std::int32_t code = ErrCheck();
    bool stepped = false;
    switch (code) {
        case spin::kOk:
        case spin::kAboveMax:
        case spin::kBelowMin:
        case spin::kTooManyDecimals:
        case spin::kNotMultiple:
        case spin::kNotInteger: {
            std::wstring s = TrimSpaces(box_.Text());
            if (code == spin::kTooManyDecimals || code == spin::kNotInteger) s = spin::CutDecimals(s, state_.decFig);
            if (auto x = spin::ParseScaled(s, state_.decFig)) {
                SetScaledValue(spin::Step(*x, upDown, state_.value, Limits(), wrap_));
                stepped = true;
            } else {
                code = spin::kInternal;
            }
            break;
        }
        default:
            break;
    }
    // Unreadable text is replaced by the value the model still holds.
    box_.SetText(spin::FormatScaled(state_.value, state_.decFig));
    box_.Focus();
    const std::int32_t len = Len(box_.Text());
    if (textSelection_)
        box_.SetSel(0, len);
    else
        box_.SetSel(len, 0);
    if (Events()) sink_->SpinClick(upDown);
    return stepped ? spin::kOk : code;
}

void SpinEditCore::Beep(std::int32_t beepType, std::int32_t frequency, std::int32_t duration) {
    if (beepType == -1) beepType = beepSound_;
    if (beepType >= 1 && beepType <= 7) box_.PlaySound(beepType, frequency, duration);
}

void SpinEditCore::Refuse() {
    if (!silence_) Beep(-1, kBeepFrequency, kBeepDuration);
}

void SpinEditCore::OnTextChanged() {
    std::wstring s = box_.Text();
    if (maxLength_ > 0 && Len(s) > maxLength_) {
        // Typed or pasted past the limit: drop what arrived just before the caret.
        const std::int32_t excess = Len(s) - maxLength_;
        const std::int32_t caret = std::clamp(box_.SelStart(), 0, Len(s));
        const std::int32_t cut = std::min(excess, caret);
        s.erase(static_cast<std::size_t>(caret - cut), static_cast<std::size_t>(cut));
        if (Len(s) > maxLength_) s.resize(static_cast<std::size_t>(maxLength_));
        // The shortened text runs its own change processing.
        box_.SetText(s);
        box_.SetSel(std::min(caret - cut, Len(box_.Text())), 0);
        return;
    }
    if (inputControl_) {
        const std::int32_t c = spin::SyntaxCheck(s, state_.decFig);
        if (c == spin::kOk || c == spin::kTooManyDecimals || c == spin::kNotInteger) {
            lastAccepted_ = s;
            const std::wstring forValue = c == spin::kOk ? s : spin::CutDecimals(s, state_.decFig);
            if (auto x = spin::ParseScaled(forValue, state_.decFig)) {
                const auto limits = Limits();
                std::int32_t v = *x;
                if (v > limits.Upper())
                    v = wrap_ ? limits.Lower() : limits.Upper();
                else if (v < limits.Lower())
                    v = wrap_ ? limits.Upper() : limits.Lower();
                SetScaledValue(v);
            }
        } else if (c == spin::kEmpty || c == spin::kOutOfLimits ||
                   (c == spin::kNotNumber && (s == L"+" || s == L"-"))) {
            lastAccepted_ = s;
        } else {
            // Put the last good text back, the caret where the edit began. A
            // MaxLength lowered since then cuts it first: a text the limit
            // would cut again must not come back (the cut and the restore
            // would take turns for ever), and a beginning of an accepted
            // text is accepted too.
            std::wstring back = lastAccepted_;
            if (maxLength_ > 0 && Len(back) > maxLength_) back.resize(static_cast<std::size_t>(maxLength_));
            const std::int32_t caret = std::clamp(box_.SelStart() - (Len(s) - Len(back)), 0, Len(back));
            box_.SetText(back);
            box_.SetSel(std::min(caret, Len(box_.Text())), 0);
            return;
        }
    }
    if (Events()) sink_->Change();
}

bool SpinEditCore::PasteRefused() {
    const std::wstring t = box_.ClipboardText();
    if (t.empty()) return false;
    const std::wstring text = box_.Text();
    const std::int32_t start = std::clamp(box_.SelStart(), 0, Len(text));
    const std::int32_t end = std::clamp(start + box_.SelLength(), start, Len(text));
    std::wstring result =
        text.substr(0, static_cast<std::size_t>(start)) + t + text.substr(static_cast<std::size_t>(end));
    bool cancel = (maxLength_ > 0 && Len(result) > maxLength_);
    if (inputControl_) {
        const std::int32_t c = spin::SyntaxCheck(result, state_.decFig);
        if (c != spin::kOk && c != spin::kTooManyDecimals && c != spin::kNotInteger) cancel = true;
    }
    // OnPaste is raised even while the other events are off.
    if (sink_) sink_->OnPaste(result, cancel);
    return cancel;
}

bool SpinEditCore::OnKeyDown(std::int16_t& keyCode, std::int16_t& shift) {
    // A refused key that produced no character must not eat the next one.
    swallowChar_ = false;
    bool refused = false;
    if (inputControl_ && !(shift & (kCtrlBit | kAltBit))) {
        const std::wstring text = box_.Text();
        spin::KeyContext ctx{text, box_.SelStart(), box_.SelLength(), state_.decFig, state_.max, state_.min};
        refused = spin::KeyRefused(keyCode, shift, ctx);
    }
    if (Events()) sink_->BeforeKeyDown(keyCode, shift, refused);
    if (refused) {
        keyCode = 0;
        shift = 0;
        swallowChar_ = true;
        Refuse();
        return false;
    }
    if (Events()) sink_->KeyDown(keyCode, shift);
    if (keyCode == 0) return false;

    const bool ctrl = shift & kCtrlBit, alt = shift & kAltBit, shifted = shift & kShiftBit;
    const bool pasteKey =
        (keyCode == 'V' && ctrl && !alt) || (keyCode == kVkInsert && shifted && !ctrl && !alt) || keyCode == kVkApps;
    if (pasteKey && !pasteLocked_ && PasteRefused()) {
        // The text box ignores the paste while it is read-only.
        savedReadOnly_ = box_.ReadOnly();
        box_.SetReadOnly(true);
        pasteLocked_ = true;
        pasteLockKey_ = keyCode;
        if (keyCode != kVkApps) Refuse();
    }
    if (arrowSpin_ && spinEnabled_ && (keyCode == kVkUp || keyCode == kVkDown)) {
        SpinUpDown(keyCode == kVkUp ? 0 : 1);
        keyCode = 0;
        shift = 0;
        return false;
    }
    return true;
}

bool SpinEditCore::OnChar(std::int16_t& keyAscii, std::int16_t shift) {
    if (swallowChar_) {
        swallowChar_ = false;
        return false;
    }
    if (Events()) {
        sink_->KeyPress(keyAscii);
        if (Events()) sink_->KeyPress2(keyAscii, shift);
    }
    if (keyAscii == 0) return false;
    const bool ctrl = shift & kCtrlBit, alt = shift & kAltBit;
    const std::int32_t code = keyAscii;
    if (alt) return true;
    if (!ctrl) {
        if (code == 13 || code == 27) {
            Refuse();
            return false;
        }
        const bool control = (code >= 1 && code <= 31) || (code >= 127 && code <= 160) || code >= 224;
        if (!control && maxLength_ > 0 && Len(box_.Text()) + 1 - box_.SelLength() > maxLength_) {
            Refuse();
            return false;
        }
        return true;
    }
    switch (code) {
        case 1:  // Ctrl+A
            box_.SetSel(0, Len(box_.Text()));
            return false;
        case 3:
        case 22:
        case 26:  // copy, paste, undo
            return true;
        case 24:  // cut
            if (box_.SelLength() == 0) {
                Refuse();
                return false;
            }
            return true;
        default:
            break;
    }
    if ((code >= 1 && code <= 7) || (code >= 9 && code <= 29) || code == 127) {
        Refuse();
        return false;
    }
    return true;
}

bool SpinEditCore::OnKeyUp(std::int16_t& keyCode, std::int16_t& shift) {
    bool cancel = false;
    if (Events()) sink_->BeforeKeyUp(keyCode, shift, cancel);
    if (cancel) {
        keyCode = 0;
        shift = 0;
        return false;
    }
    if (Events()) sink_->KeyUp(keyCode, shift);
    return keyCode != 0;
}

void SpinEditCore::AfterKeyUp(std::int16_t keyCode) {
    // Any key-up ends a refused paste's lock, so that it can never outlive the
    // paste it stopped. The Applications key is released before the text box
    // opens its menu, and the menu must still find the box read-only (its
    // Paste off): that lock ends with the menu, or at any other key's release.
    if (!pasteLocked_ || (pasteLockKey_ == kVkApps && keyCode == kVkApps)) return;
    AfterContextMenu();
}

void SpinEditCore::AfterContextMenu() {
    if (!pasteLocked_) return;
    pasteLocked_ = false;
    pasteLockKey_ = 0;
    box_.SetReadOnly(savedReadOnly_);
}

void SpinEditCore::OnGotFocus() {
    if (textSelection_) box_.SetSel(0, Len(box_.Text()));
}

}  // namespace brisko
