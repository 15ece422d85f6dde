#pragma once
// The control object's dual interface _SpinEditBox, shared by the two files
// that implement it: spin_edit_box_dispatch.cpp (IDispatch, the font and
// the appearance) and spin_edit_box_members.cpp (the value model, the other
// properties and the methods). Each member forwards to the window class.
#include <windows.h>
// The control's method FormatMessage, not the system function of that name.
#undef FormatMessage

#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>

#include "common/win/gdi.h"
#include "spinedit/control/win/automation.h"
#include "spinedit/control/win/ole_font.h"
#include "spinedit/control/win/spin_edit_box.h"
#include "spinedit/control/win/spin_edit_box_idl.h"
#include "spinedit/control/win/spin_edit_box_parts.h"

namespace brisko::dual {

inline VARIANT_BOOL Vb(bool b) {
    return b ? VARIANT_TRUE : VARIANT_FALSE;
}

inline BSTR Bstr(const std::wstring& s) {
    BSTR b = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    if (!b) throw std::bad_alloc();
    return b;
}

inline std::wstring Str(BSTR b) {
    return b ? std::wstring(b, SysStringLen(b)) : std::wstring();
}

[[noreturn]] inline void Invalid(const char* what) {
    throw Error(ErrorNumber::InvalidPropertyValue, what);
}

// An optional argument the caller left out arrives as VT_ERROR
// DISP_E_PARAMNOTFOUND (or empty from a vtable caller).
inline bool Missing(const VARIANT& v) {
    return V_VT(&v) == VT_EMPTY || (V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND);
}

// An optional argument as the type the member takes; a value that does not
// convert is the caller's type mismatch.
template <class T>
T Optional(const VARIANT& v, T fallback) {
    if (Missing(v)) return fallback;
    VARIANT t;
    VariantInit(&t);
    constexpr VARTYPE vt = std::is_same_v<T, bool>           ? VT_BOOL
                           : std::is_same_v<T, std::wstring> ? VT_BSTR
                           : std::is_same_v<T, double>       ? VT_R8
                                                             : VT_I4;
    if (FAILED(VariantChangeType(&t, const_cast<VARIANT*>(&v), 0, vt)))
        throw Error(ErrorNumber::TypeMismatch, "argument of the wrong type");
    T out{};
    if constexpr (std::is_same_v<T, bool>)
        out = V_BOOL(&t) != VARIANT_FALSE;
    else if constexpr (std::is_same_v<T, std::wstring>)
        out = Str(V_BSTR(&t));
    else if constexpr (std::is_same_v<T, double>)
        out = V_R8(&t);
    else
        out = static_cast<T>(V_I4(&t));
    VariantClear(&t);
    return out;
}

inline std::uint32_t CheckedColor(OLE_COLOR c) {
    if (!TranslateOleColor(c)) Invalid("not a colour");
    return c;
}

// The font the text box shows, also when it is the parent's.
inline FontSpec ShownFont(const SpinEdit& box) {
    if (auto font = box.Font()) return *font;
    return FontSpecOfGdiFont(reinterpret_cast<HFONT>(SendMessageW(box.hWnd(), WM_GETFONT, 0, 0))).value_or(FontSpec{});
}

class SpinEditBoxDual;

// Listens to the font object that Font hands out, so that changing it
// (Font.Size = 12) changes the control. Held without a count by the font
// object; the owner unadvises before it goes.
class FontWatch final : public IPropertyNotifySink {
public:
    explicit FontWatch(SpinEditBoxDual& owner) : owner_(owner) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPropertyNotifySink)) {
            *ppv = static_cast<IPropertyNotifySink*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP OnChanged(DISPID) override;
    STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }

private:
    SpinEditBoxDual& owner_;
};

class SpinEditBoxDual final : public DualPart, public _SpinEditBox {
public:
    explicit SpinEditBoxDual(SpinEditBoxObject& owner)
        : owner_(owner), parts_(std::make_shared<PartLink>(PartLink{this})) {
        if (ComPtr<ITypeLib> lib = ControlTypeLib()) lib->GetTypeInfoOfGuid(kIidSpinEditBox, info_.Put());
    }
    ~SpinEditBoxDual() override {
        parts_->control = nullptr;
        StopWatchingFont();
    }

    void FontObjectChanged() {
        if (!font_) return;
        const HRESULT hr = owner_.Guard([&] {
            if (auto value = FontSpecOf(font_.Get())) owner_.SetFontFromUser(value);
        });
        if (SUCCEEDED(hr)) owner_.Changed(DISPID_SPINEDIT_FONT);
    }
    IDispatch* Dispatch() override { return static_cast<_SpinEditBox*>(this); }

    // IUnknown: the object's identity.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { return owner_.QueryInterface(riid, ppv); }
    STDMETHODIMP_(ULONG) AddRef() override { return owner_.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return owner_.Release(); }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** out) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* error,
                        UINT* argError) override;

    // Properties
    STDMETHODIMP get_Version(LONG* v) override;
    STDMETHODIMP get_Font(IFontDisp** v) override;
    STDMETHODIMP put_Font(IFontDisp* v) override;
    STDMETHODIMP putref_Font(IFontDisp* v) override;
    STDMETHODIMP get_FontBold(VARIANT_BOOL* v) override;
    STDMETHODIMP put_FontBold(VARIANT_BOOL v) override;
    STDMETHODIMP get_FontItalic(VARIANT_BOOL* v) override;
    STDMETHODIMP put_FontItalic(VARIANT_BOOL v) override;
    STDMETHODIMP get_FontName(BSTR* v) override;
    STDMETHODIMP put_FontName(BSTR v) override;
    STDMETHODIMP get_FontSize(float* v) override;
    STDMETHODIMP put_FontSize(float v) override;
    STDMETHODIMP get_FontStrikethru(VARIANT_BOOL* v) override;
    STDMETHODIMP put_FontStrikethru(VARIANT_BOOL v) override;
    STDMETHODIMP get_FontUnderline(VARIANT_BOOL* v) override;
    STDMETHODIMP put_FontUnderline(VARIANT_BOOL v) override;
    STDMETHODIMP get_Alignment(sebAlignmentConstants* v) override;
    STDMETHODIMP put_Alignment(sebAlignmentConstants v) override;
    STDMETHODIMP get_VAlign(sebVAlignConstants* v) override;
    STDMETHODIMP put_VAlign(sebVAlignConstants v) override;
    STDMETHODIMP get_LeftMargin(short* v) override;
    STDMETHODIMP put_LeftMargin(short v) override;
    STDMETHODIMP get_RightMargin(short* v) override;
    STDMETHODIMP put_RightMargin(short v) override;
    STDMETHODIMP get_VMargin(short* v) override;
    STDMETHODIMP put_VMargin(short v) override;
    STDMETHODIMP get_AutoRedraw(VARIANT_BOOL* v) override;
    STDMETHODIMP put_AutoRedraw(VARIANT_BOOL v) override;
    STDMETHODIMP get_Appearance(sebAppearanceConstants* v) override;
    STDMETHODIMP put_Appearance(sebAppearanceConstants v) override;
    STDMETHODIMP get_BorderStyle(sebBorderStyleConstants* v) override;
    STDMETHODIMP put_BorderStyle(sebBorderStyleConstants v) override;
    STDMETHODIMP get_ForeColor(OLE_COLOR* v) override;
    STDMETHODIMP put_ForeColor(OLE_COLOR v) override;
    STDMETHODIMP get_FocusColor(OLE_COLOR* v) override;
    STDMETHODIMP put_FocusColor(OLE_COLOR v) override;
    STDMETHODIMP get_BackColor(OLE_COLOR* v) override;
    STDMETHODIMP put_BackColor(OLE_COLOR v) override;
    STDMETHODIMP get_DisableColor(OLE_COLOR* v) override;
    STDMETHODIMP put_DisableColor(OLE_COLOR v) override;
    STDMETHODIMP get_HideSelection(VARIANT_BOOL* v) override;
    STDMETHODIMP get_RaiseEvents(VARIANT_BOOL* v) override;
    STDMETHODIMP put_RaiseEvents(VARIANT_BOOL v) override;
    STDMETHODIMP get_Enabled(VARIANT_BOOL* v) override;
    STDMETHODIMP put_Enabled(VARIANT_BOOL v) override;
    STDMETHODIMP get_Caption(BSTR* v) override;
    STDMETHODIMP put_Caption(BSTR v) override;
    STDMETHODIMP get_MousePointer(sebMousePointerConstants* v) override;
    STDMETHODIMP put_MousePointer(sebMousePointerConstants v) override;
    STDMETHODIMP get_MouseIcon(IPictureDisp** v) override;
    STDMETHODIMP put_MouseIcon(IPictureDisp* v) override;
    STDMETHODIMP putref_MouseIcon(IPictureDisp* v) override;
    STDMETHODIMP get_RightToLeft(VARIANT_BOOL* v) override;
    STDMETHODIMP put_RightToLeft(VARIANT_BOOL v) override;
    STDMETHODIMP get_AccessKeys(BSTR* v) override;
    STDMETHODIMP put_AccessKeys(BSTR v) override;
    STDMETHODIMP get_KeyPreview(VARIANT_BOOL* v) override;
    STDMETHODIMP put_KeyPreview(VARIANT_BOOL v) override;
    STDMETHODIMP get_IMEMode(sebIMEModeConstants* v) override;
    STDMETHODIMP put_IMEMode(sebIMEModeConstants v) override;
    STDMETHODIMP get_ArrowSpin(VARIANT_BOOL* v) override;
    STDMETHODIMP put_ArrowSpin(VARIANT_BOOL v) override;
    STDMETHODIMP get_Silence(VARIANT_BOOL* v) override;
    STDMETHODIMP put_Silence(VARIANT_BOOL v) override;
    STDMETHODIMP get_BeepSound(sebBeepSoundConstants* v) override;
    STDMETHODIMP put_BeepSound(sebBeepSoundConstants v) override;
    STDMETHODIMP get_Value(double* v) override;
    STDMETHODIMP put_Value(double v) override;
    STDMETHODIMP get_Max(double* v) override;
    STDMETHODIMP put_Max(double v) override;
    STDMETHODIMP get_Min(double* v) override;
    STDMETHODIMP put_Min(double v) override;
    STDMETHODIMP get_Increment(double* v) override;
    STDMETHODIMP put_Increment(double v) override;
    STDMETHODIMP get_DecFig(short* v) override;
    STDMETHODIMP put_DecFig(short v) override;
    STDMETHODIMP get_Wrap(VARIANT_BOOL* v) override;
    STDMETHODIMP put_Wrap(VARIANT_BOOL v) override;
    STDMETHODIMP get_Multiple(VARIANT_BOOL* v) override;
    STDMETHODIMP put_Multiple(VARIANT_BOOL v) override;
    STDMETHODIMP get_EnabledSpin(VARIANT_BOOL* v) override;
    STDMETHODIMP put_EnabledSpin(VARIANT_BOOL v) override;
    STDMETHODIMP get_VisibleSpin(VARIANT_BOOL* v) override;
    STDMETHODIMP put_VisibleSpin(VARIANT_BOOL v) override;
    STDMETHODIMP get_SpinMousePointer(sebMousePointerConstants* v) override;
    STDMETHODIMP put_SpinMousePointer(sebMousePointerConstants v) override;
    STDMETHODIMP get_SpinMouseIcon(IPictureDisp** v) override;
    STDMETHODIMP put_SpinMouseIcon(IPictureDisp* v) override;
    STDMETHODIMP putref_SpinMouseIcon(IPictureDisp* v) override;
    STDMETHODIMP get_Text(BSTR* v) override;
    STDMETHODIMP put_Text(BSTR v) override;
    STDMETHODIMP get_NormalText(BSTR* v) override;
    STDMETHODIMP get_TextSelection(VARIANT_BOOL* v) override;
    STDMETHODIMP put_TextSelection(VARIANT_BOOL v) override;
    STDMETHODIMP get_MaxLength(short* v) override;
    STDMETHODIMP put_MaxLength(short v) override;
    STDMETHODIMP get_PasswordChar(BSTR* v) override;
    STDMETHODIMP put_PasswordChar(BSTR v) override;
    STDMETHODIMP get_Locked(VARIANT_BOOL* v) override;
    STDMETHODIMP put_Locked(VARIANT_BOOL v) override;
    STDMETHODIMP get_InputControl(VARIANT_BOOL* v) override;
    STDMETHODIMP put_InputControl(VARIANT_BOOL v) override;
    STDMETHODIMP get_LinkItem(BSTR* v) override;
    STDMETHODIMP put_LinkItem(BSTR v) override;
    STDMETHODIMP get_LinkMode(sebLinkModeConstants* v) override;
    STDMETHODIMP put_LinkMode(sebLinkModeConstants v) override;
    STDMETHODIMP get_LinkTimeout(short* v) override;
    STDMETHODIMP put_LinkTimeout(short v) override;
    STDMETHODIMP get_LinkTopic(BSTR* v) override;
    STDMETHODIMP put_LinkTopic(BSTR v) override;
    STDMETHODIMP get_OLEDragMode(sebOLEDragConstants* v) override;
    STDMETHODIMP put_OLEDragMode(sebOLEDragConstants v) override;
    STDMETHODIMP get_OLEDropMode(sebOLEDropConstants* v) override;
    STDMETHODIMP put_OLEDropMode(sebOLEDropConstants v) override;
    STDMETHODIMP get_SelStart(LONG* v) override;
    STDMETHODIMP put_SelStart(LONG v) override;
    STDMETHODIMP get_SelLength(LONG* v) override;
    STDMETHODIMP put_SelLength(LONG v) override;
    STDMETHODIMP get_SelText(BSTR* v) override;
    STDMETHODIMP put_SelText(BSTR v) override;
    STDMETHODIMP get_IsFocused(VARIANT_BOOL* v) override;
    STDMETHODIMP get_hWnd(LONG* v) override;
    STDMETHODIMP get_hWndText(LONG* v) override;
    STDMETHODIMP get_hWndSpin(LONG* v) override;
    // Objects over the parts that act on the control's own state.
    STDMETHODIMP get_TextBoxObject(SpinEditTextBox** v) override;
    STDMETHODIMP get_SpinBtnObject(SpinEditSpinButton** v) override;

    // Methods
    STDMETHODIMP AboutBox() override;
    STDMETHODIMP SpinUpDown(LONG upDown, LONG* result) override;
    STDMETHODIMP ErrCheck(VARIANT showMsg, VARIANT caption, VARIANT title, VARIANT helpFile, VARIANT context,
                          LONG* result) override;
    STDMETHODIMP FormatMessage(LONG error, VARIANT caption, BSTR* message) override;
    STDMETHODIMP Beep(VARIANT type, VARIANT frequency, VARIANT duration) override;
    // Points are in twips of the control, like the coordinates of its
    // container's mouse events.
    STDMETHODIMP HitTest(VARIANT x, VARIANT y, LONG* result) override;
    STDMETHODIMP Pos(float left, float top) override;
    STDMETHODIMP Size(float width, float height) override;
    STDMETHODIMP Move(float left, VARIANT top, VARIANT width, VARIANT height) override;
    STDMETHODIMP Refresh() override;
    STDMETHODIMP SetFocus() override;
    // A drag of the selected text with the OLE drag events.
    STDMETHODIMP OLEDrag() override;
    // Menus and asynchronous reads are the container's business: each
    // answers an error that says so.
    STDMETHODIMP PopupMenu(IDispatch*, VARIANT, VARIANT, VARIANT, VARIANT) override;
    STDMETHODIMP AsyncRead(BSTR, LONG, VARIANT, VARIANT) override;
    STDMETHODIMP CancelAsyncRead(VARIANT) override;
    STDMETHODIMP TextHeight(BSTR text, float* result) override;
    STDMETHODIMP TextWidth(BSTR text, float* result) override;

private:
    void WatchFont(const ComPtr<IFontDisp>& font);
    void StopWatchingFont();
    SpinEdit& BoxOrFail() {
        SpinEdit* box = owner_.Box();
        if (!box) throw std::logic_error("the control's window is gone");
        return *box;
    }
    template <class F>
    HRESULT With(F&& body) {
        return owner_.Guard([&] { body(BoxOrFail()); });
    }
    template <class T, class F>
    HRESULT Get(T* out, F&& read) {
        if (!out) return E_POINTER;
        return With([&](SpinEdit& b) { *out = read(b); });
    }
    // A property set through the interface; the property sinks hear of it,
    // and of Value when it moved with it.
    template <class F>
    HRESULT Set(DISPID id, F&& write) {
        const SpinEdit* before = owner_.Box();
        const double value = before ? before->Value() : 0;
        const HRESULT hr = With(write);
        if (hr != S_OK) return hr;
        owner_.Changed(id);
        if (const SpinEdit* after = owner_.Box(); after && id != DISPID_SPINEDIT_VALUE && after->Value() != value)
            owner_.Changed(DISPID_SPINEDIT_VALUE);
        return hr;
    }
    template <class F>
    HRESULT EditFont(DISPID id, F&& edit) {
        const HRESULT hr = Set(id, [&](SpinEdit& b) {
            FontSpec f = ShownFont(b);
            edit(f);
            owner_.SetFontFromUser(f);
        });
        if (hr == S_OK) owner_.Changed(DISPID_SPINEDIT_FONT);
        return hr;
    }
    HRESULT GetPicture(IPictureDisp** out, const ComPtr<IPictureDisp>& held) {
        if (!out) return E_POINTER;
        *out = held.Get();
        if (*out) (*out)->AddRef();
        return S_OK;
    }
    HRESULT SetPicture(DISPID id, IPictureDisp* picture, ComPtr<IPictureDisp>& held) {
        held = ComPtr<IPictureDisp>(picture);
        owner_.PicturesChanged();
        owner_.Changed(id);
        return S_OK;
    }
    static LONG Handle(HWND h) { return static_cast<LONG>(reinterpret_cast<LONG_PTR>(h)); }
    static std::int32_t InRange(std::int32_t v, std::int32_t lo, std::int32_t hi) {
        if (v < lo || v > hi) Invalid("value out of range");
        return v;
    }
    static int Pixels(double twips) {
        const double px = std::round(twips / ScreenTwipsPerPixel());
        if (!(std::fabs(px) < 1e9)) throw Error(ErrorNumber::Overflow, "coordinate out of range");
        return static_cast<int>(px);
    }
    static ::SIZE Extent(SpinEdit& b, BSTR text);
    // Moving and sizing belong to the container: through its extended
    // control when it has one (in its own units), else in twips within the
    // container's window.
    HRESULT Place(std::optional<double> left, std::optional<double> top, std::optional<double> width,
                  std::optional<double> height);
    static void PutNumber(IDispatch* object, const wchar_t* name, double value);

    SpinEditBoxObject& owner_;
    ComPtr<ITypeInfo> info_;
    std::shared_ptr<PartLink> parts_;
    ComPtr<SpinEditTextBox> textBox_;
    ComPtr<SpinEditSpinButton> spinButton_;
    FontWatch fontWatch_{*this};
    ComPtr<IFont> font_;
    ComPtr<IConnectionPoint> fontPoint_;
    DWORD fontCookie_ = 0;
};

}  // namespace brisko::dual
