// Fuzzes the spin edit box's input filters as a user drives them: keys,
// characters (double-byte ones included), pastes of any clipboard text and
// text set from outside, mixed with selections, spins and changes of the
// properties the filters read. Nothing may crash or throw, a text the box
// keeps never exceeds MaxLength, and the last accepted text is always one the
// change filter accepts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>

#include "common/error.h"
#include "spinedit/spin_edit_core.h"

using namespace brisko;

namespace {

void Require(bool ok) {
    if (!ok) std::abort();
}

// A text box as the platform's behaves: replacing the text reports the change
// at once; typing and pasting replace the selection at the caret.
class Box : public SpinTextBoxPort {
public:
    SpinEditCore* core = nullptr;
    std::wstring text = L"0", clipboard;
    std::int32_t selStart = 0, selLength = 0;
    bool readOnly = false;

    std::wstring Text() const override { return text; }
    void SetText(const std::wstring& t) override {
        text = t;
        selStart = std::min<std::int32_t>(selStart, static_cast<std::int32_t>(text.size()));
        selLength = 0;
        core->OnTextChanged();
    }
    std::int32_t SelStart() const override { return selStart; }
    std::int32_t SelLength() const override { return selLength; }
    void SetSel(std::int32_t s, std::int32_t l) override {
        const auto n = static_cast<std::int32_t>(text.size());
        selStart = std::clamp(s, 0, n);
        selLength = std::clamp(l, 0, n - selStart);
    }
    bool ReadOnly() const override { return readOnly; }
    void SetReadOnly(bool r) override { readOnly = r; }
    bool Visible() const override { return true; }
    void Focus() override {}
    std::wstring ClipboardText() const override { return clipboard; }
    void ShowMessage(const std::wstring&, const std::wstring&, const std::wstring&, std::int32_t) override {}
    void PlaySound(std::int32_t, std::int32_t, std::int32_t) override {}

    void Insert(const std::wstring& s) {
        if (readOnly) return;
        text.replace(static_cast<std::size_t>(selStart), static_cast<std::size_t>(selLength), s);
        selStart += static_cast<std::int32_t>(s.size());
        selLength = 0;
        core->OnTextChanged();
    }
};

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const { return size_ == 0; }
    std::uint8_t Byte() { return size_ ? (--size_, *data_++) : 0; }
    std::int16_t Word() { return static_cast<std::int16_t>(Byte() | Byte() << 8); }
    std::wstring Text() {
        std::wstring s;
        for (std::size_t n = Byte() % 10; n > 0 && size_; --n) {
            static const wchar_t kAlphabet[] = L"0123456789.+-, a";
            const std::uint8_t b = Byte();
            s.push_back(b < 0xF0 ? kAlphabet[b % 16] : static_cast<wchar_t>(0x3040 + b));
        }
        return s;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    Box box;
    SpinEditCore core(box);
    box.core = &core;
    SpinEditEvents quiet;
    core.SetEventSink(&quiet);
    while (!in.Empty()) {
        const std::uint8_t op = in.Byte();
        const std::wstring before = box.text;
        const std::int16_t shift = static_cast<std::int16_t>(op >> 5);  // Shift, Ctrl, Alt bits
        try {
            switch (op & 7) {
                case 0: {
                    std::int16_t key = in.Byte(), s = shift;
                    core.OnKeyDown(key, s);
                    break;
                }
                case 1: {
                    std::int16_t code = (op & 8) ? in.Word() : static_cast<std::int16_t>(in.Byte());
                    if (core.OnChar(code, shift) && code >= 32)
                        box.Insert(std::wstring(1, static_cast<wchar_t>(code & 0x7FFF)));
                    break;
                }
                case 2: {
                    std::int16_t key = in.Byte(), s = shift;
                    core.OnKeyUp(key, s);
                    core.AfterKeyUp(key);
                    break;
                }
                case 3: {
                    box.clipboard = in.Text();
                    std::int16_t key = (op & 8) ? 0x2D : 'V', s = (op & 8) ? 1 : 2;
                    if (core.OnKeyDown(key, s)) box.Insert(box.clipboard);
                    if (op & 16) core.AfterContextMenu();
                    break;
                }
                case 4:
                    box.SetSel(in.Byte() % 12, in.Byte() % 12);
                    break;
                case 5: {
                    // A change of a property the filters read.
                    const std::function<void()> changes[] = {
                        [&] { core.SetInputControl(!core.InputControl()); },
                        [&] { core.SetMaxLength(static_cast<std::int16_t>(in.Byte() % 12)); },
                        [&] { core.SetDecFig(static_cast<std::int16_t>(in.Byte() % 11)); },
                        [&] { core.SetMax(static_cast<double>(in.Word())); },
                        [&] { core.SetMin(static_cast<double>(in.Word())); },
                        [&] { core.SetMultiple(!core.Multiple()); },
                        [&] { core.SetWrap(!core.Wrap()); },
                        [&] { core.SetLocked(!core.Locked()); }};
                    changes[in.Byte() % 8]();
                    break;
                }
                case 6:
                    core.SpinUpDown(op >> 7);
                    break;
                default:
                    box.SetText(in.Text());
                    break;
            }
        } catch (const Error&) {
            // A setter refusing a value, as it does to its callers.
        }
        // A text the box took in is cut to MaxLength (a lowered MaxLength leaves
        // the text alone until it changes).
        if (core.MaxLength() > 0 && box.text != before)
            Require(box.text.size() <= static_cast<std::size_t>(core.MaxLength()));
        const std::wstring& accepted = core.NormalText();
        const std::int32_t code = spin::SyntaxCheck(accepted, core.DecFig());
        Require(code != spin::kTwoPoints && (code != spin::kNotNumber || accepted == L"+" || accepted == L"-"));
    }
    return 0;
}
