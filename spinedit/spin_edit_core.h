#pragma once
// The spin edit box without its windows: the value model, validation,
// stepping and the filters for keys, characters, pastes and text changes.
// The window layer owns the text box and hands it in as a TextBoxPort; it
// forwards the text box's input to the On... methods and lets them decide.
#include <cstdint>
#include <string>
#include <string_view>

#include "spinedit/spin_number.h"

namespace brisko {

// What the core needs from the one-line text box underneath.
class SpinTextBoxPort {
public:
    virtual ~SpinTextBoxPort() = default;
    virtual std::wstring Text() const = 0;
    // Replacing the text runs the change processing again before it returns
    // (the text box reports its change synchronously).
    virtual void SetText(const std::wstring& text) = 0;
    virtual std::int32_t SelStart() const = 0;
    virtual std::int32_t SelLength() const = 0;
    virtual void SetSel(std::int32_t start, std::int32_t length) = 0;
    virtual bool ReadOnly() const = 0;
    virtual void SetReadOnly(bool readOnly) = 0;
    virtual bool Visible() const = 0;
    virtual void Focus() = 0;
    virtual std::wstring ClipboardText() const = 0;
    virtual void ShowMessage(const std::wstring& text, const std::wstring& title, const std::wstring& helpFile,
                             std::int32_t context) = 0;
    // kind 1..7 as for SpinEditCore::Beep.
    virtual void PlaySound(std::int32_t kind, std::int32_t frequency, std::int32_t duration) = 0;
};

// The control's events. By-reference arguments may be changed by the handler.
// Shift states have bit 1 for Shift, 2 for Ctrl, 4 for Alt.
class SpinEditEvents {
public:
    virtual ~SpinEditEvents() = default;
    virtual void Change() {}
    virtual void ChangeValue() {}
    virtual void SpinBeforeClick(std::int32_t /*upDown*/, bool& /*cancel*/) {}
    virtual void SpinClick(std::int32_t /*upDown*/) {}
    virtual void OnPaste(std::wstring& /*text*/, bool& /*cancel*/) {}
    virtual void BeforeKeyDown(std::int16_t& /*keyCode*/, std::int16_t& /*shift*/, bool& /*cancel*/) {}
    virtual void KeyDown(std::int16_t& /*keyCode*/, std::int16_t& /*shift*/) {}
    virtual void KeyPress(std::int16_t& /*keyAscii*/) {}
    virtual void KeyPress2(std::int16_t& /*keyAscii*/, std::int16_t /*shift*/) {}
    virtual void BeforeKeyUp(std::int16_t& /*keyCode*/, std::int16_t& /*shift*/, bool& /*cancel*/) {}
    virtual void KeyUp(std::int16_t& /*keyCode*/, std::int16_t& /*shift*/) {}
};

// The scaled fields as they are stored with a form.
struct SpinScaledState {
    std::int32_t value = 0, max = 100, min = 0, increment = 1;
    std::int16_t decFig = 0;
};

class SpinEditCore {
public:
    static constexpr std::int32_t kBeepFrequency = 1500;
    static constexpr std::int32_t kBeepDuration = 10;

    explicit SpinEditCore(SpinTextBoxPort& box) : box_(box) {}
    SpinEditCore(const SpinEditCore&) = delete;
    SpinEditCore& operator=(const SpinEditCore&) = delete;

    // Held without ownership; the owner detaches (nullptr) before it goes away.
    void SetEventSink(SpinEditEvents* sink) { sink_ = sink; }

    // Value model. The double setters throw Error(Overflow) for numbers whose
    // scaled form does not fit 32 bits. None of them touches the text.
    double Value() const { return spin::FromScaled(state_.value, state_.decFig); }
    void SetValue(double v);
    double Max() const { return spin::FromScaled(state_.max, state_.decFig); }
    void SetMax(double v);
    double Min() const { return spin::FromScaled(state_.min, state_.decFig); }
    void SetMin(double v);
    double Increment() const { return spin::FromScaled(state_.increment, state_.decFig); }
    void SetIncrement(double v);
    std::int16_t DecFig() const { return state_.decFig; }
    void SetDecFig(std::int16_t decFig);  // outside 0..9: ignored
    const SpinScaledState& Scaled() const { return state_; }
    // Stored numbers go straight into the fields, without conversion or events.
    void LoadScaled(const SpinScaledState& s);

    bool Wrap() const { return wrap_; }
    void SetWrap(bool v) { wrap_ = v; }
    bool Multiple() const { return multiple_; }
    void SetMultiple(bool v) { multiple_ = v; }
    bool InputControl() const { return inputControl_; }
    void SetInputControl(bool v) { inputControl_ = v; }
    bool ArrowSpin() const { return arrowSpin_; }
    void SetArrowSpin(bool v) { arrowSpin_ = v; }
    bool TextSelection() const { return textSelection_; }
    void SetTextSelection(bool v) { textSelection_ = v; }
    bool Silence() const { return silence_; }
    void SetSilence(bool v) { silence_ = v; }
    bool RaiseEvents() const { return raiseEvents_; }
    void SetRaiseEvents(bool v) { raiseEvents_ = v; }
    // Whether the spin arrows are enabled (the arrow keys spin only then).
    bool SpinEnabled() const { return spinEnabled_; }
    void SetSpinEnabled(bool v) { spinEnabled_ = v; }
    const std::wstring& Caption() const { return caption_; }
    void SetCaption(std::wstring v) { caption_ = std::move(v); }

    std::int16_t MaxLength() const { return maxLength_; }
    void SetMaxLength(std::int16_t v);  // negative: Error(InvalidPropertyValue)
    std::int32_t BeepSound() const { return beepSound_; }
    void SetBeepSound(std::int32_t v);  // outside 1..7: Error(InvalidPropertyValue)

    // The user's read-only choice. A refused paste locks the text box for a
    // moment; a choice made meanwhile is applied when the lock ends.
    bool Locked() const { return pasteLocked_ ? savedReadOnly_ : box_.ReadOnly(); }
    void SetLocked(bool v);
    bool PasteLocked() const { return pasteLocked_; }

    std::wstring Text() const { return box_.Text(); }
    void SetText(const std::wstring& text) { box_.SetText(text); }
    const std::wstring& NormalText() const { return lastAccepted_; }

    // Methods.
    std::int32_t ErrCheck(bool showMsg = false, std::wstring_view caption = {}, std::wstring_view title = {},
                          std::wstring_view helpFile = {}, std::int32_t context = 0);
    std::wstring FormatMessage(std::int32_t error, std::wstring_view caption = {}) const;
    std::int32_t SpinUpDown(std::int32_t upDown);
    void Beep(std::int32_t beepType = -1, std::int32_t frequency = kBeepFrequency,
              std::int32_t duration = kBeepDuration);

    // Input from the text box. Each returns whether the text box should see
    // the message; by-reference arguments carry what the handlers left.
    void OnTextChanged();
    bool OnKeyDown(std::int16_t& keyCode, std::int16_t& shift);
    bool OnChar(std::int16_t& keyAscii, std::int16_t shift);
    bool OnKeyUp(std::int16_t& keyCode, std::int16_t& shift);
    // After the text box has handled a key-up (the key as it arrived): a
    // refused paste's lock ends, except at the release of the Applications
    // key that caused it, whose menu comes only afterwards.
    void AfterKeyUp(std::int16_t keyCode);
    // After the text box's context menu has closed: a lock still held ends.
    void AfterContextMenu();
    void OnGotFocus();

private:
    spin::Limits Limits() const { return {state_.max, state_.min, state_.increment, multiple_}; }
    bool Events() const { return sink_ && raiseEvents_; }
    void SetScaledValue(std::int32_t v);
    void Refuse();
    // Whether a paste of the clipboard text would be refused (and raises OnPaste).
    bool PasteRefused();
    std::int32_t CheckText(std::wstring_view s) const;

    SpinTextBoxPort& box_;
    SpinEditEvents* sink_ = nullptr;
    SpinScaledState state_;
    bool wrap_ = false;
    bool multiple_ = false;
    bool inputControl_ = true;
    bool arrowSpin_ = true;
    bool textSelection_ = false;
    bool silence_ = false;
    bool raiseEvents_ = true;
    bool spinEnabled_ = true;
    std::wstring caption_;
    std::int16_t maxLength_ = 0;
    std::int32_t beepSound_ = 1;
    std::wstring lastAccepted_ = L"0";
    bool pasteLocked_ = false;
    std::int16_t pasteLockKey_ = 0;
    bool savedReadOnly_ = false;
    bool swallowChar_ = false;
};

}  // namespace brisko
