#include "spinedit/control/win/spin_edit_box_parts.h"

#include "spinedit/control/win/automation.h"

namespace brisko {

namespace {

// A part's member: the control's own member, or the error of a part whose
// control has gone.
template <class Interface, const IID& kIid>
class Part : public AutomationObject<Interface, kIid> {
public:
    explicit Part(std::shared_ptr<PartLink> link) : link_(std::move(link)) {}

protected:
    template <class F>
    HRESULT Call(F&& member) {
        return this->Run([&]() -> HRESULT {
            if (!link_ || !link_->control)
                throw ControlError(ErrorNumber::Automation,
                                   L"この部品の SpinEditBox コントロールは既に解放されています。");
            return member(*link_->control);
        });
    }

private:
    std::shared_ptr<PartLink> link_;
};

class TextBoxPart final : public Part<SpinEditTextBox, IID_SpinEditTextBox> {
public:
    using Part::Part;

    STDMETHODIMP get_Text(BSTR* v) override {
        return Call([&](_SpinEditBox& c) { return c.get_Text(v); });
    }
    STDMETHODIMP put_Text(BSTR v) override {
        return Call([&](_SpinEditBox& c) { return c.put_Text(v); });
    }
    STDMETHODIMP get_SelStart(LONG* v) override {
        return Call([&](_SpinEditBox& c) { return c.get_SelStart(v); });
    }
    STDMETHODIMP put_SelStart(LONG v) override {
        return Call([&](_SpinEditBox& c) { return c.put_SelStart(v); });
    }
    STDMETHODIMP get_SelLength(LONG* v) override {
        return Call([&](_SpinEditBox& c) { return c.get_SelLength(v); });
    }
    STDMETHODIMP put_SelLength(LONG v) override {
        return Call([&](_SpinEditBox& c) { return c.put_SelLength(v); });
    }
    STDMETHODIMP get_SelText(BSTR* v) override {
        return Call([&](_SpinEditBox& c) { return c.get_SelText(v); });
    }
    STDMETHODIMP put_SelText(BSTR v) override {
        return Call([&](_SpinEditBox& c) { return c.put_SelText(v); });
    }
    STDMETHODIMP get_Locked(VARIANT_BOOL* v) override {
        return Call([&](_SpinEditBox& c) { return c.get_Locked(v); });
    }
    STDMETHODIMP put_Locked(VARIANT_BOOL v) override {
        return Call([&](_SpinEditBox& c) { return c.put_Locked(v); });
    }
    STDMETHODIMP get_MaxLength(short* v) override {
        return Call([&](_SpinEditBox& c) { return c.get_MaxLength(v); });
    }
    STDMETHODIMP put_MaxLength(short v) override {
        return Call([&](_SpinEditBox& c) { return c.put_MaxLength(v); });
    }
    STDMETHODIMP get_PasswordChar(BSTR* v) override {
        return Call([&](_SpinEditBox& c) { return c.get_PasswordChar(v); });
    }
    STDMETHODIMP put_PasswordChar(BSTR v) override {
        return Call([&](_SpinEditBox& c) { return c.put_PasswordChar(v); });
    }
    STDMETHODIMP get_Alignment(sebAlignmentConstants* v) override {
        return Call([&](_SpinEditBox& c) { return c.get_Alignment(v); });
    }
    STDMETHODIMP put_Alignment(sebAlignmentConstants v) override {
        return Call([&](_SpinEditBox& c) { return c.put_Alignment(v); });
    }
    // The text box works exactly when the control does.
    STDMETHODIMP get_Enabled(VARIANT_BOOL* v) override {
        return Call([&](_SpinEditBox& c) { return c.get_Enabled(v); });
    }
    STDMETHODIMP put_Enabled(VARIANT_BOOL v) override {
        return Call([&](_SpinEditBox& c) { return c.put_Enabled(v); });
    }
    STDMETHODIMP get_Visible(VARIANT_BOOL* v) override {
        if (!v) return E_POINTER;
        return Call([&](_SpinEditBox& c) {
            LONG handle = 0;
            const HRESULT hr = c.get_hWndText(&handle);
            *v = SUCCEEDED(hr) && IsWindowVisible(reinterpret_cast<HWND>(static_cast<LONG_PTR>(handle)))
                     ? VARIANT_TRUE
                     : VARIANT_FALSE;
            return hr;
        });
    }
    STDMETHODIMP put_Visible(VARIANT_BOOL v) override {
        return Call([&](_SpinEditBox&) -> HRESULT {
            if (v != VARIANT_FALSE) return S_OK;
            throw ControlError(ErrorNumber::InvalidPropertyValue,
                               L"テキストボックスはコントロールと共に表示されるため、単独では隠せません。"
                               L"コントロールの Visible プロパティを設定して下さい。");
        });
    }
    STDMETHODIMP get_hWnd(LONG* v) override {
        return Call([&](_SpinEditBox& c) { return c.get_hWndText(v); });
    }
    STDMETHODIMP get_Font(IFontDisp** v) override {
        return Call([&](_SpinEditBox& c) { return c.get_Font(v); });
    }
    STDMETHODIMP put_Font(IFontDisp* v) override {
        return Call([&](_SpinEditBox& c) { return c.put_Font(v); });
    }
    STDMETHODIMP putref_Font(IFontDisp* v) override {
        return Call([&](_SpinEditBox& c) { return c.putref_Font(v); });
    }
    STDMETHODIMP get_ForeColor(OLE_COLOR* v) override {
        return Call([&](_SpinEditBox& c) { return c.get_ForeColor(v); });
    }
    STDMETHODIMP put_ForeColor(OLE_COLOR v) override {
        return Call([&](_SpinEditBox& c) { return c.put_ForeColor(v); });
    }
    STDMETHODIMP get_BackColor(OLE_COLOR* v) override {
        return Call([&](_SpinEditBox& c) { return c.get_BackColor(v); });
    }
    STDMETHODIMP put_BackColor(OLE_COLOR v) override {
        return Call([&](_SpinEditBox& c) { return c.put_BackColor(v); });
    }
    STDMETHODIMP SetFocus() override {
        return Call([&](_SpinEditBox& c) { return c.SetFocus(); });
    }
    STDMETHODIMP Refresh() override {
        return Call([&](_SpinEditBox& c) { return c.Refresh(); });
    }
};

// The arrows step the control's value between its bounds; their own
// enabled and shown states are the control's EnabledSpin and VisibleSpin.
class SpinButtonPart final : public Part<SpinEditSpinButton, IID_SpinEditSpinButton> {
public:
    using Part::Part;

    STDMETHODIMP get_Value(double* v) override {
        return Call([&](_SpinEditBox& c) { return c.get_Value(v); });
    }
    STDMETHODIMP put_Value(double v) override {
        return Call([&](_SpinEditBox& c) { return c.put_Value(v); });
    }
    STDMETHODIMP get_Min(double* v) override {
        return Call([&](_SpinEditBox& c) { return c.get_Min(v); });
    }
    STDMETHODIMP put_Min(double v) override {
        return Call([&](_SpinEditBox& c) { return c.put_Min(v); });
    }
    STDMETHODIMP get_Max(double* v) override {
        return Call([&](_SpinEditBox& c) { return c.get_Max(v); });
    }
    STDMETHODIMP put_Max(double v) override {
        return Call([&](_SpinEditBox& c) { return c.put_Max(v); });
    }
    STDMETHODIMP get_Enabled(VARIANT_BOOL* v) override {
        return Call([&](_SpinEditBox& c) { return c.get_EnabledSpin(v); });
    }
    STDMETHODIMP put_Enabled(VARIANT_BOOL v) override {
        return Call([&](_SpinEditBox& c) { return c.put_EnabledSpin(v); });
    }
    STDMETHODIMP get_Visible(VARIANT_BOOL* v) override {
        return Call([&](_SpinEditBox& c) { return c.get_VisibleSpin(v); });
    }
    STDMETHODIMP put_Visible(VARIANT_BOOL v) override {
        return Call([&](_SpinEditBox& c) { return c.put_VisibleSpin(v); });
    }
    STDMETHODIMP get_hWnd(LONG* v) override {
        return Call([&](_SpinEditBox& c) { return c.get_hWndSpin(v); });
    }
};

}  // namespace

ComPtr<SpinEditTextBox> MakeTextBoxPart(std::shared_ptr<PartLink> link) {
    return ComPtr<SpinEditTextBox>::Attach(new TextBoxPart(std::move(link)));
}

ComPtr<SpinEditSpinButton> MakeSpinButtonPart(std::shared_ptr<PartLink> link) {
    return ComPtr<SpinEditSpinButton>::Attach(new SpinButtonPart(std::move(link)));
}

}  // namespace brisko
