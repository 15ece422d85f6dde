#pragma once
// A text box that behaves like the platform's, for the spin edit core's tests
// and its fuzzer: replacing the text reports the change at once and puts the
// caret at the start, typing and pasting replace the selection at the caret,
// and a selection stays within the text.
#include <algorithm>
#include <string>
#include <vector>

#include "spinedit/spin_edit_core.h"

namespace brisko {

class FakeTextBox : public SpinTextBoxPort {
public:
    SpinEditCore* core = nullptr;
    std::wstring text = L"0", clipboard;
    std::int32_t selStart = 0, selLength = 0;
    bool readOnly = false, visible = true;
    int focusCount = 0;
    std::vector<std::wstring> messages;  // title, text, help file and context
    std::vector<std::int32_t> sounds;    // each beep's kind, -1 for one not of the usual pitch and length

    std::wstring Text() const override { return text; }
    void SetText(const std::wstring& t) override {
        text = t;
        selStart = selLength = 0;
        if (core) core->OnTextChanged();
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
    bool Visible() const override { return visible; }
    void Focus() override { ++focusCount; }
    std::wstring ClipboardText() const override { return clipboard; }
    void ShowMessage(const std::wstring& t, const std::wstring& title, const std::wstring& help,
                     std::int32_t ctx) override {
        messages.push_back(title + L"|" + t + L"|" + help + L"|" + std::to_wstring(ctx));
    }
    void PlaySound(std::int32_t kind, std::int32_t f, std::int32_t d) override {
        sounds.push_back(f == 1500 && d == 10 ? kind : -1);
    }

    // What the platform text box does with an accepted character or a paste.
    void Insert(const std::wstring& s) {
        if (readOnly) return;
        text.replace(static_cast<std::size_t>(selStart), static_cast<std::size_t>(selLength), s);
        selStart += static_cast<std::int32_t>(s.size());
        selLength = 0;
        if (core) core->OnTextChanged();
    }
};

}  // namespace brisko
