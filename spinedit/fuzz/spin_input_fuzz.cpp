// Fuzzes the spin edit box's input filters as a user drives them: keys,
// characters (double-byte ones included), pastes of any clipboard text and
// text set from outside, mixed with selections, spins and changes of the
// properties the filters read. Nothing may crash or throw, a text the box
// keeps never exceeds MaxLength, and the last accepted text is always one the
// change filter accepts.
#include <functional>

#include "common/error.h"
#include "spinedit/fuzz/fuzz_input.h"
#include "spinedit/spin_text_box_fake_test.h"

using namespace brisko;
using fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    FakeTextBox box;
    SpinEditCore core(box);
    box.core = &core;
    SpinEditEvents quiet;
    core.SetEventSink(&quiet);
    // Mostly the characters of numbers, some double-byte ones.
    const auto text = [&] { return in.Text(in.Byte() % 10, L"0123456789.+-, a", 0x3040); };
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
                    box.clipboard = text();
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
                    box.SetText(text());
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
