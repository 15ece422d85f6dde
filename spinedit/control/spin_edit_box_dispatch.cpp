// The dual interface _SpinEditBox: each member forwards to the window class,
// and IDispatch runs through the type library embedded in the module, as
// late-bound callers drive it.
#include <windows.h>
// The control's method FormatMessage, not the system function of that name.
#undef FormatMessage

#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>

#include "spinedit/control/ole_font.h"
#include "spinedit/control/spin_edit_box.h"
#include "spinedit/control/spin_edit_box_idl.h"

namespace brisko {

namespace {

VARIANT_BOOL Vb(bool b) {
    return b ? VARIANT_TRUE : VARIANT_FALSE;
}

BSTR Bstr(const std::wstring& s) {
    BSTR b = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    if (!b) throw std::bad_alloc();
    return b;
}

std::wstring Str(BSTR b) {
    return b ? std::wstring(b, SysStringLen(b)) : std::wstring();
}

[[noreturn]] void Invalid(const char* what) {
    throw Error(ErrorNumber::InvalidPropertyValue, what);
}

// An optional argument the caller left out arrives as VT_ERROR
// DISP_E_PARAMNOTFOUND (or empty from a vtable caller).
bool Missing(const VARIANT& v) {
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

std::uint32_t CheckedColor(OLE_COLOR c) {
    COLORREF rgb = 0;
    if (FAILED(OleTranslateColor(c, nullptr, &rgb))) Invalid("not a colour");
    return c;
}

int Dpi() {
    WindowDC dc(nullptr, false);
    const int dpi = dc.Get() ? GetDeviceCaps(dc.Get(), LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}

double TwipsPerPixel() {
    return 1440.0 / Dpi();
}

// The font the text box shows, also when it is the parent's.
FontSpec ShownFont(const SpinEdit& box) {
    if (auto font = box.Font()) return *font;
    FontSpec value;
    LOGFONTW lf{};
    auto font = reinterpret_cast<HFONT>(SendMessageW(box.hWnd(), WM_GETFONT, 0, 0));
    if (!font || !GetObjectW(font, sizeof lf, &lf)) return value;
    value.name = lf.lfFaceName;
    value.SetSize(std::abs(lf.lfHeight) * 72.0 / Dpi());
    value.weight = static_cast<std::int16_t>(lf.lfWeight ? lf.lfWeight : 400);
    value.italic = lf.lfItalic != 0;
    value.underline = lf.lfUnderline != 0;
    value.strikethrough = lf.lfStrikeOut != 0;
    value.charset = lf.lfCharSet;
    return value;
}

class Dual;

// Listens to the font object that Font hands out, so that changing it
// (Font.Size = 12) changes the control. Held without a count by the font
// object; the owner unadvises before it goes.
class FontWatch final : public IPropertyNotifySink {
public:
    explicit FontWatch(Dual& owner) : owner_(owner) {}
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
    Dual& owner_;
};

class Dual final : public DualPart, public _SpinEditBox {
public:
    explicit Dual(SpinEditBoxObject& owner) : owner_(owner) {
        if (ComPtr<ITypeLib> lib = ControlTypeLib()) lib->GetTypeInfoOfGuid(kIidSpinEditBox, info_.Put());
    }
    ~Dual() override { StopWatchingFont(); }

    void FontObjectChanged() {
        if (!font_) return;
        const HRESULT hr = owner_.Guard([&] {
            if (auto value = FontSpecOf(font_.Get())) owner_.SetFontFromUser(value);
        });
        if (SUCCEEDED(hr)) owner_.Changed(DISPID_UNKNOWN);
    }
    IDispatch* Dispatch() override { return static_cast<_SpinEditBox*>(this); }

    // IUnknown: the object's identity.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { return owner_.QueryInterface(riid, ppv); }
    STDMETHODIMP_(ULONG) AddRef() override { return owner_.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return owner_.Release(); }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = info_ ? 1 : 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        if (!info_) return TYPE_E_CANTLOADLIBRARY;
        *out = info_.Get();
        (*out)->AddRef();
        return S_OK;
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (!names || !ids) return E_POINTER;
        if (!info_) return TYPE_E_CANTLOADLIBRARY;
        return info_->GetIDsOfNames(names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* error,
                        UINT* argError) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (!params) return E_INVALIDARG;
        if (!info_) return TYPE_E_CANTLOADLIBRARY;
        SetErrorInfo(0, nullptr);
        return info_->Invoke(static_cast<_SpinEditBox*>(this), id, flags, params, result, error, argError);
    }

    // Properties
    STDMETHODIMP get_Version(LONG* v) override {
        return Get(v, [](SpinEdit&) { return SpinEdit::Version(); });
    }
    STDMETHODIMP get_Font(IFontDisp** v) override {
        if (!v) return E_POINTER;
        *v = nullptr;
        return With([&](SpinEdit& b) {
            // The object handed out last, while it still describes the control's font.
            if (!font_ || FontSpecOf(font_.Get()) != ShownFont(b)) {
                ComPtr<IFontDisp> font = MakeFontObject(ShownFont(b));
                if (!font) throw std::bad_alloc();
                WatchFont(font);
            }
            font_->QueryInterface(IID_IFontDisp, reinterpret_cast<void**>(v));
        });
    }
    STDMETHODIMP put_Font(IFontDisp* v) override { return putref_Font(v); }
    STDMETHODIMP putref_Font(IFontDisp* v) override {
        return Set([&](SpinEdit&) {
            auto value = FontSpecOf(v);
            if (!value) Invalid("not a font");
            StopWatchingFont();
            owner_.SetFontFromUser(value);
        });
    }
    STDMETHODIMP get_FontBold(VARIANT_BOOL* v) override {
        return Get(v, [](SpinEdit& b) { return Vb(ShownFont(b).Bold()); });
    }
    STDMETHODIMP put_FontBold(VARIANT_BOOL v) override {
        return EditFont([&](FontSpec& f) { f.SetBold(v != VARIANT_FALSE); });
    }
    STDMETHODIMP get_FontItalic(VARIANT_BOOL* v) override {
        return Get(v, [](SpinEdit& b) { return Vb(ShownFont(b).italic); });
    }
    STDMETHODIMP put_FontItalic(VARIANT_BOOL v) override {
        return EditFont([&](FontSpec& f) { f.italic = v != VARIANT_FALSE; });
    }
    STDMETHODIMP get_FontName(BSTR* v) override {
        return Get(v, [](SpinEdit& b) { return Bstr(ShownFont(b).name); });
    }
    STDMETHODIMP put_FontName(BSTR v) override {
        return EditFont([&](FontSpec& f) {
            if (SysStringLen(v) == 0 || SysStringLen(v) >= LF_FACESIZE) Invalid("no font name");
            f.name = Str(v);
        });
    }
    STDMETHODIMP get_FontSize(float* v) override {
        return Get(v, [](SpinEdit& b) { return ShownFont(b).Size(); });
    }
    STDMETHODIMP put_FontSize(float v) override {
        return EditFont([&](FontSpec& f) {
            if (!(v > 0.0f && v <= 2160.0f)) Invalid("font size out of range");
            f.SetSize(v);
        });
    }
    STDMETHODIMP get_FontStrikethru(VARIANT_BOOL* v) override {
        return Get(v, [](SpinEdit& b) { return Vb(ShownFont(b).strikethrough); });
    }
    STDMETHODIMP put_FontStrikethru(VARIANT_BOOL v) override {
        return EditFont([&](FontSpec& f) { f.strikethrough = v != VARIANT_FALSE; });
    }
    STDMETHODIMP get_FontUnderline(VARIANT_BOOL* v) override {
        return Get(v, [](SpinEdit& b) { return Vb(ShownFont(b).underline); });
    }
    STDMETHODIMP put_FontUnderline(VARIANT_BOOL v) override {
        return EditFont([&](FontSpec& f) { f.underline = v != VARIANT_FALSE; });
    }
    STDMETHODIMP get_Alignment(sebAlignmentConstants* v) override {
        return Get(v, [](SpinEdit& b) { return static_cast<sebAlignmentConstants>(b.Alignment()); });
    }
    STDMETHODIMP put_Alignment(sebAlignmentConstants v) override {
        return Set([&](SpinEdit& b) { b.SetAlignment(v); });
    }
    STDMETHODIMP get_VAlign(sebVAlignConstants* v) override {
        return Get(v, [](SpinEdit& b) { return static_cast<sebVAlignConstants>(b.VAlign()); });
    }
    STDMETHODIMP put_VAlign(sebVAlignConstants v) override {
        return Set([&](SpinEdit& b) { b.SetVAlign(v); });
    }
    STDMETHODIMP get_LeftMargin(short* v) override {
        return Get(v, [](SpinEdit& b) { return b.LeftMargin(); });
    }
    STDMETHODIMP put_LeftMargin(short v) override {
        return Set([&](SpinEdit& b) { b.SetLeftMargin(v); });
    }
    STDMETHODIMP get_RightMargin(short* v) override {
        return Get(v, [](SpinEdit& b) { return b.RightMargin(); });
    }
    STDMETHODIMP put_RightMargin(short v) override {
        return Set([&](SpinEdit& b) { b.SetRightMargin(v); });
    }
    STDMETHODIMP get_VMargin(short* v) override {
        return Get(v, [](SpinEdit& b) { return b.VMargin(); });
    }
    STDMETHODIMP put_VMargin(short v) override {
        return Set([&](SpinEdit& b) { b.SetVMargin(v); });
    }
    STDMETHODIMP get_AutoRedraw(VARIANT_BOOL* v) override {
        return Get(v, [](SpinEdit& b) { return Vb(b.Retained().autoRedraw); });
    }
    STDMETHODIMP put_AutoRedraw(VARIANT_BOOL v) override {
        return Set([&](SpinEdit& b) { b.Retained().autoRedraw = v != VARIANT_FALSE; });
    }
    STDMETHODIMP get_Appearance(sebAppearanceConstants* v) override {
        return Get(v, [](SpinEdit& b) { return static_cast<sebAppearanceConstants>(b.Appearance()); });
    }
    STDMETHODIMP put_Appearance(sebAppearanceConstants v) override {
        return Set([&](SpinEdit& b) { b.SetAppearance(v); });
    }
    STDMETHODIMP get_BorderStyle(sebBorderStyleConstants* v) override {
        return Get(v, [](SpinEdit& b) { return static_cast<sebBorderStyleConstants>(b.BorderStyle()); });
    }
    STDMETHODIMP put_BorderStyle(sebBorderStyleConstants v) override {
        return Set([&](SpinEdit& b) { b.SetBorderStyle(v); });
    }
    STDMETHODIMP get_ForeColor(OLE_COLOR* v) override {
        return Get(v, [](SpinEdit& b) { return b.ForeColor(); });
    }
    STDMETHODIMP put_ForeColor(OLE_COLOR v) override {
        return Set([&](SpinEdit& b) { b.SetForeColor(CheckedColor(v)); });
    }
    STDMETHODIMP get_FocusColor(OLE_COLOR* v) override {
        return Get(v, [](SpinEdit& b) { return b.FocusColor(); });
    }
    STDMETHODIMP put_FocusColor(OLE_COLOR v) override {
        return Set([&](SpinEdit& b) { b.SetFocusColor(CheckedColor(v)); });
    }
    STDMETHODIMP get_BackColor(OLE_COLOR* v) override {
        return Get(v, [](SpinEdit& b) { return b.BackColor(); });
    }
    STDMETHODIMP put_BackColor(OLE_COLOR v) override {
        return Set([&](SpinEdit& b) { b.SetBackColor(CheckedColor(v)); });
    }
    STDMETHODIMP get_DisableColor(OLE_COLOR* v) override {
        return Get(v, [](SpinEdit& b) { return b.DisableColor(); });
    }
    STDMETHODIMP put_DisableColor(OLE_COLOR v) override {
        return Set([&](SpinEdit& b) { b.SetDisableColor(CheckedColor(v)); });
    }
    STDMETHODIMP get_HideSelection(VARIANT_BOOL* v) override {
        return Get(v, [](SpinEdit& b) { return Vb(!(GetWindowLongPtrW(b.hWndText(), GWL_STYLE) & ES_NOHIDESEL)); });
    }
    STDMETHODIMP get_RaiseEvents(VARIANT_BOOL* v) override {
        return Get(v, [](SpinEdit& b) { return Vb(b.Model().RaiseEvents()); });
    }
    STDMETHODIMP put_RaiseEvents(VARIANT_BOOL v) override {
        return Set([&](SpinEdit& b) { b.Model().SetRaiseEvents(v != VARIANT_FALSE); });
    }
    STDMETHODIMP get_Enabled(VARIANT_BOOL* v) override {
        return Get(v, [](SpinEdit& b) { return Vb(b.Enabled()); });
    }
    STDMETHODIMP put_Enabled(VARIANT_BOOL v) override {
        return Set([&](SpinEdit& b) { b.SetEnabled(v != VARIANT_FALSE); });
    }
    STDMETHODIMP get_Caption(BSTR* v) override {
        return Get(v, [](SpinEdit& b) { return Bstr(b.Caption()); });
    }
    STDMETHODIMP put_Caption(BSTR v) override {
        return Set([&](SpinEdit& b) { b.SetCaption(Str(v)); });
    }
    STDMETHODIMP get_MousePointer(sebMousePointerConstants* v) override {
        return Get(v, [](SpinEdit& b) { return static_cast<sebMousePointerConstants>(b.MousePointer()); });
    }
    STDMETHODIMP put_MousePointer(sebMousePointerConstants v) override {
        return Set([&](SpinEdit& b) { b.SetMousePointer(v); });
    }
    STDMETHODIMP get_MouseIcon(IPictureDisp** v) override { return GetPicture(v, owner_.Pictures().mouseIcon); }
    STDMETHODIMP put_MouseIcon(IPictureDisp* v) override { return SetPicture(v, owner_.Pictures().mouseIcon); }
    STDMETHODIMP putref_MouseIcon(IPictureDisp* v) override { return SetPicture(v, owner_.Pictures().mouseIcon); }
    STDMETHODIMP get_RightToLeft(VARIANT_BOOL* v) override {
        return Get(
            v, [](SpinEdit& b) { return Vb((GetWindowLongPtrW(b.hWndText(), GWL_EXSTYLE) & WS_EX_RTLREADING) != 0); });
    }
    STDMETHODIMP put_RightToLeft(VARIANT_BOOL v) override {
        return Set([&](SpinEdit& b) {
            LONG_PTR ex = GetWindowLongPtrW(b.hWndText(), GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_RTLREADING);
            if (v != VARIANT_FALSE) ex |= WS_EX_RTLREADING;
            SetWindowLongPtrW(b.hWndText(), GWL_EXSTYLE, ex);
            InvalidateRect(b.hWndText(), nullptr, TRUE);
        });
    }
    STDMETHODIMP get_AccessKeys(BSTR* v) override {
        return Get(v, [](SpinEdit& b) { return Bstr(b.Retained().accessKeys); });
    }
    STDMETHODIMP put_AccessKeys(BSTR v) override {
        const HRESULT hr = Set([&](SpinEdit& b) { b.Retained().accessKeys = Str(v); });
        if (SUCCEEDED(hr)) owner_.ControlInfoChanged();
        return hr;
    }
    STDMETHODIMP get_KeyPreview(VARIANT_BOOL* v) override {
        return Get(v, [](SpinEdit& b) { return Vb(b.Retained().keyPreview); });
    }
    STDMETHODIMP put_KeyPreview(VARIANT_BOOL v) override {
        return Set([&](SpinEdit& b) { b.Retained().keyPreview = v != VARIANT_FALSE; });
    }
    STDMETHODIMP get_IMEMode(sebIMEModeConstants* v) override {
        return Get(v, [](SpinEdit& b) { return static_cast<sebIMEModeConstants>(b.IMEMode()); });
    }
    STDMETHODIMP put_IMEMode(sebIMEModeConstants v) override {
        return Set([&](SpinEdit& b) { b.SetIMEMode(v); });
    }
    STDMETHODIMP get_ArrowSpin(VARIANT_BOOL* v) override {
        return Get(v, [](SpinEdit& b) { return Vb(b.Model().ArrowSpin()); });
    }
    STDMETHODIMP put_ArrowSpin(VARIANT_BOOL v) override {
        return Set([&](SpinEdit& b) { b.Model().SetArrowSpin(v != VARIANT_FALSE); });
    }
    STDMETHODIMP get_Silence(VARIANT_BOOL* v) override {
        return Get(v, [](SpinEdit& b) { return Vb(b.Model().Silence()); });
    }
    STDMETHODIMP put_Silence(VARIANT_BOOL v) override {
        return Set([&](SpinEdit& b) { b.Model().SetSilence(v != VARIANT_FALSE); });
    }
    STDMETHODIMP get_BeepSound(sebBeepSoundConstants* v) override {
        return Get(v, [](SpinEdit& b) { return static_cast<sebBeepSoundConstants>(b.BeepSound()); });
    }
    STDMETHODIMP put_BeepSound(sebBeepSoundConstants v) override {
        return Set([&](SpinEdit& b) { b.SetBeepSound(v); });
    }
    STDMETHODIMP get_Value(double* v) override {
        return Get(v, [](SpinEdit& b) { return b.Value(); });
    }
    STDMETHODIMP put_Value(double v) override {
        return Set([&](SpinEdit& b) { b.SetValue(v); });
    }
    STDMETHODIMP get_Max(double* v) override {
        return Get(v, [](SpinEdit& b) { return b.Max(); });
    }
    STDMETHODIMP put_Max(double v) override {
        return Set([&](SpinEdit& b) { b.SetMax(v); });
    }
    STDMETHODIMP get_Min(double* v) override {
        return Get(v, [](SpinEdit& b) { return b.Min(); });
    }
    STDMETHODIMP put_Min(double v) override {
        return Set([&](SpinEdit& b) { b.SetMin(v); });
    }
    STDMETHODIMP get_Increment(double* v) override {
        return Get(v, [](SpinEdit& b) { return b.Increment(); });
    }
    STDMETHODIMP put_Increment(double v) override {
        return Set([&](SpinEdit& b) { b.SetIncrement(v); });
    }
    STDMETHODIMP get_DecFig(short* v) override {
        return Get(v, [](SpinEdit& b) { return b.DecFig(); });
    }
    STDMETHODIMP put_DecFig(short v) override {
        return Set([&](SpinEdit& b) { b.SetDecFig(v); });
    }
    STDMETHODIMP get_Wrap(VARIANT_BOOL* v) override {
        return Get(v, [](SpinEdit& b) { return Vb(b.Model().Wrap()); });
    }
    STDMETHODIMP put_Wrap(VARIANT_BOOL v) override {
        return Set([&](SpinEdit& b) { b.Model().SetWrap(v != VARIANT_FALSE); });
    }
    STDMETHODIMP get_Multiple(VARIANT_BOOL* v) override {
        return Get(v, [](SpinEdit& b) { return Vb(b.Model().Multiple()); });
    }
    STDMETHODIMP put_Multiple(VARIANT_BOOL v) override {
        return Set([&](SpinEdit& b) { b.Model().SetMultiple(v != VARIANT_FALSE); });
    }
    STDMETHODIMP get_EnabledSpin(VARIANT_BOOL* v) override {
        return Get(v, [](SpinEdit& b) { return Vb(b.EnabledSpin()); });
    }
    STDMETHODIMP put_EnabledSpin(VARIANT_BOOL v) override {
        return Set([&](SpinEdit& b) { b.SetEnabledSpin(v != VARIANT_FALSE); });
    }
    STDMETHODIMP get_VisibleSpin(VARIANT_BOOL* v) override {
        return Get(v, [](SpinEdit& b) { return Vb(b.VisibleSpin()); });
    }
    STDMETHODIMP put_VisibleSpin(VARIANT_BOOL v) override {
        return Set([&](SpinEdit& b) { b.SetVisibleSpin(v != VARIANT_FALSE); });
    }
    STDMETHODIMP get_SpinMousePointer(sebMousePointerConstants* v) override {
        return Get(v, [](SpinEdit& b) { return static_cast<sebMousePointerConstants>(b.SpinMousePointer()); });
    }
    STDMETHODIMP put_SpinMousePointer(sebMousePointerConstants v) override {
        return Set([&](SpinEdit& b) { b.SetSpinMousePointer(v); });
    }
    STDMETHODIMP get_SpinMouseIcon(IPictureDisp** v) override { return GetPicture(v, owner_.Pictures().spinMouseIcon); }
    STDMETHODIMP put_SpinMouseIcon(IPictureDisp* v) override { return SetPicture(v, owner_.Pictures().spinMouseIcon); }
    STDMETHODIMP putref_SpinMouseIcon(IPictureDisp* v) override {
        return SetPicture(v, owner_.Pictures().spinMouseIcon);
    }
    STDMETHODIMP get_Text(BSTR* v) override {
        return Get(v, [](SpinEdit& b) { return Bstr(b.Text()); });
    }
    STDMETHODIMP put_Text(BSTR v) override {
        return Set([&](SpinEdit& b) { b.SetText(Str(v)); });
    }
    STDMETHODIMP get_NormalText(BSTR* v) override {
        return Get(v, [](SpinEdit& b) { return Bstr(b.NormalText()); });
    }
    STDMETHODIMP get_TextSelection(VARIANT_BOOL* v) override {
        return Get(v, [](SpinEdit& b) { return Vb(b.Model().TextSelection()); });
    }
    STDMETHODIMP put_TextSelection(VARIANT_BOOL v) override {
        return Set([&](SpinEdit& b) { b.Model().SetTextSelection(v != VARIANT_FALSE); });
    }
    STDMETHODIMP get_MaxLength(short* v) override {
        return Get(v, [](SpinEdit& b) { return b.MaxLength(); });
    }
    STDMETHODIMP put_MaxLength(short v) override {
        return Set([&](SpinEdit& b) { b.SetMaxLength(v); });
    }
    STDMETHODIMP get_PasswordChar(BSTR* v) override {
        return Get(v, [](SpinEdit& b) { return Bstr(b.PasswordChar()); });
    }
    STDMETHODIMP put_PasswordChar(BSTR v) override {
        return Set([&](SpinEdit& b) { b.SetPasswordChar(Str(v)); });
    }
    STDMETHODIMP get_Locked(VARIANT_BOOL* v) override {
        return Get(v, [](SpinEdit& b) { return Vb(b.Locked()); });
    }
    STDMETHODIMP put_Locked(VARIANT_BOOL v) override {
        return Set([&](SpinEdit& b) { b.SetLocked(v != VARIANT_FALSE); });
    }
    STDMETHODIMP get_InputControl(VARIANT_BOOL* v) override {
        return Get(v, [](SpinEdit& b) { return Vb(b.Model().InputControl()); });
    }
    STDMETHODIMP put_InputControl(VARIANT_BOOL v) override {
        return Set([&](SpinEdit& b) { b.Model().SetInputControl(v != VARIANT_FALSE); });
    }
    STDMETHODIMP get_LinkItem(BSTR* v) override {
        return Get(v, [](SpinEdit& b) { return Bstr(b.Retained().linkItem); });
    }
    STDMETHODIMP put_LinkItem(BSTR v) override {
        return Set([&](SpinEdit& b) { b.Retained().linkItem = Str(v); });
    }
    STDMETHODIMP get_LinkMode(sebLinkModeConstants* v) override {
        return Get(v, [](SpinEdit& b) { return static_cast<sebLinkModeConstants>(b.Retained().linkMode); });
    }
    STDMETHODIMP put_LinkMode(sebLinkModeConstants v) override {
        return Set([&](SpinEdit& b) { b.Retained().linkMode = InRange(v, 0, 3); });
    }
    STDMETHODIMP get_LinkTimeout(short* v) override {
        return Get(v, [](SpinEdit& b) { return b.Retained().linkTimeout; });
    }
    STDMETHODIMP put_LinkTimeout(short v) override {
        return Set([&](SpinEdit& b) { b.Retained().linkTimeout = v; });
    }
    STDMETHODIMP get_LinkTopic(BSTR* v) override {
        return Get(v, [](SpinEdit& b) { return Bstr(b.Retained().linkTopic); });
    }
    STDMETHODIMP put_LinkTopic(BSTR v) override {
        return Set([&](SpinEdit& b) { b.Retained().linkTopic = Str(v); });
    }
    STDMETHODIMP get_OLEDragMode(sebOLEDragConstants* v) override {
        return Get(v, [](SpinEdit& b) { return static_cast<sebOLEDragConstants>(b.Retained().oleDragMode); });
    }
    STDMETHODIMP put_OLEDragMode(sebOLEDragConstants v) override {
        return Set([&](SpinEdit& b) { b.Retained().oleDragMode = InRange(v, 0, 1); });
    }
    STDMETHODIMP get_OLEDropMode(sebOLEDropConstants* v) override {
        return Get(v, [](SpinEdit& b) { return static_cast<sebOLEDropConstants>(b.Retained().oleDropMode); });
    }
    STDMETHODIMP put_OLEDropMode(sebOLEDropConstants v) override {
        return Set([&](SpinEdit& b) { b.Retained().oleDropMode = InRange(v, 0, 2); });
    }
    STDMETHODIMP get_SelStart(LONG* v) override {
        return Get(v, [](SpinEdit& b) { return LONG{b.SelStart()}; });
    }
    STDMETHODIMP put_SelStart(LONG v) override {
        return Set([&](SpinEdit& b) { b.SetSelStart(v); });
    }
    STDMETHODIMP get_SelLength(LONG* v) override {
        return Get(v, [](SpinEdit& b) { return LONG{b.SelLength()}; });
    }
    STDMETHODIMP put_SelLength(LONG v) override {
        return Set([&](SpinEdit& b) { b.SetSelLength(v); });
    }
    STDMETHODIMP get_SelText(BSTR* v) override {
        return Get(v, [](SpinEdit& b) { return Bstr(b.SelText()); });
    }
    STDMETHODIMP put_SelText(BSTR v) override {
        return Set([&](SpinEdit& b) { b.SetSelText(Str(v)); });
    }
    STDMETHODIMP get_IsFocused(VARIANT_BOOL* v) override {
        return Get(v, [](SpinEdit& b) { return Vb(b.IsFocused()); });
    }
    STDMETHODIMP get_hWnd(LONG* v) override {
        return Get(v, [](SpinEdit& b) { return Handle(b.hWnd()); });
    }
    STDMETHODIMP get_hWndText(LONG* v) override {
        return Get(v, [](SpinEdit& b) { return Handle(b.hWndText()); });
    }
    STDMETHODIMP get_hWndSpin(LONG* v) override {
        return Get(v, [](SpinEdit& b) { return Handle(b.hWndSpin()); });
    }
    // The parts are plain windows here, with no objects of their own to hand out.
    STDMETHODIMP get_TextBoxObject(IDispatch** v) override { return NoObject(v); }
    STDMETHODIMP get_SpinBtnObject(IDispatch** v) override { return NoObject(v); }

    // Methods
    STDMETHODIMP AboutBox() override {
        return owner_.Guard([&] { owner_.ShowAboutBox(); });
    }
    STDMETHODIMP SpinUpDown(LONG upDown, LONG* result) override {
        return Get(result, [&](SpinEdit& b) { return LONG{b.SpinUpDown(upDown)}; });
    }
    STDMETHODIMP ErrCheck(VARIANT showMsg, VARIANT caption, VARIANT title, VARIANT helpFile, VARIANT context,
                          LONG* result) override {
        return Get(result, [&](SpinEdit& b) {
            return LONG{b.ErrCheck(Optional(showMsg, false), Optional(caption, std::wstring()),
                                   Optional(title, std::wstring()), Optional(helpFile, std::wstring()),
                                   Optional<std::int32_t>(context, 0))};
        });
    }
    STDMETHODIMP FormatMessage(LONG error, VARIANT caption, BSTR* message) override {
        return Get(message,
                   [&](SpinEdit& b) { return Bstr(b.FormatMessage(error, Optional(caption, std::wstring()))); });
    }
    STDMETHODIMP Beep(VARIANT type, VARIANT frequency, VARIANT duration) override {
        return With([&](SpinEdit& b) {
            b.Beep(Optional<std::int32_t>(type, -1), Optional<std::int32_t>(frequency, SpinEditCore::kBeepFrequency),
                   Optional<std::int32_t>(duration, SpinEditCore::kBeepDuration));
        });
    }
    // Points are in twips of the control, like the coordinates of its
    // container's mouse events.
    STDMETHODIMP HitTest(VARIANT x, VARIANT y, LONG* result) override {
        return Get(result, [&](SpinEdit& b) {
            if (Missing(x) && Missing(y)) return LONG{b.HitTest()};
            return LONG{b.HitTest(Pixels(Optional(x, 0.0)), Pixels(Optional(y, 0.0)))};
        });
    }
    STDMETHODIMP Pos(float left, float top) override { return Place(left, top, std::nullopt, std::nullopt); }
    STDMETHODIMP Size(float width, float height) override { return Place(std::nullopt, std::nullopt, width, height); }
    STDMETHODIMP Move(float left, VARIANT top, VARIANT width, VARIANT height) override {
        std::optional<double> t, w, h;
        const HRESULT hr = owner_.Guard([&] {
            if (!Missing(top)) t = Optional(top, 0.0);
            if (!Missing(width)) w = Optional(width, 0.0);
            if (!Missing(height)) h = Optional(height, 0.0);
        });
        return FAILED(hr) ? hr : Place(left, t, w, h);
    }
    STDMETHODIMP Refresh() override {
        return With([](SpinEdit& b) { b.Refresh(); });
    }
    STDMETHODIMP SetFocus() override {
        return With([](SpinEdit& b) { b.SetFocus(); });
    }
    // Drag and drop, menus and asynchronous reads are the container's
    // business; this control has nothing of its own to add to them.
    STDMETHODIMP OLEDrag() override { return E_NOTIMPL; }
    STDMETHODIMP PopupMenu(IDispatch*, VARIANT, VARIANT, VARIANT, VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP AsyncRead(BSTR, LONG, VARIANT, VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP CancelAsyncRead(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP TextHeight(BSTR text, float* result) override {
        return Get(result, [&](SpinEdit& b) { return static_cast<float>(Extent(b, text).cy * TwipsPerPixel()); });
    }
    STDMETHODIMP TextWidth(BSTR text, float* result) override {
        return Get(result, [&](SpinEdit& b) { return static_cast<float>(Extent(b, text).cx * TwipsPerPixel()); });
    }

private:
    void WatchFont(const ComPtr<IFontDisp>& font) {
        StopWatchingFont();
        font_ = font.As<IFont>(IID_IFont);
        if (auto points = font.As<IConnectionPointContainer>(IID_IConnectionPointContainer))
            points->FindConnectionPoint(IID_IPropertyNotifySink, fontPoint_.Put());
        if (fontPoint_ && FAILED(fontPoint_->Advise(&fontWatch_, &fontCookie_))) fontPoint_.Reset();
    }
    void StopWatchingFont() {
        if (fontPoint_) fontPoint_->Unadvise(fontCookie_);
        fontPoint_.Reset();
        font_.Reset();
    }
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
    template <class F>
    HRESULT Set(F&& write) {
        const HRESULT hr = With(write);
        if (SUCCEEDED(hr)) owner_.Changed(DISPID_UNKNOWN);
        return hr;
    }
    template <class F>
    HRESULT EditFont(F&& edit) {
        return Set([&](SpinEdit& b) {
            FontSpec f = ShownFont(b);
            edit(f);
            owner_.SetFontFromUser(f);
        });
    }
    HRESULT GetPicture(IPictureDisp** out, const ComPtr<IPictureDisp>& held) {
        if (!out) return E_POINTER;
        *out = held.Get();
        if (*out) (*out)->AddRef();
        return S_OK;
    }
    HRESULT SetPicture(IPictureDisp* picture, ComPtr<IPictureDisp>& held) {
        held = ComPtr<IPictureDisp>(picture);
        owner_.Changed(DISPID_UNKNOWN);
        return S_OK;
    }
    static HRESULT NoObject(IDispatch** out) {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    static LONG Handle(HWND h) { return static_cast<LONG>(reinterpret_cast<LONG_PTR>(h)); }
    static std::int32_t InRange(std::int32_t v, std::int32_t lo, std::int32_t hi) {
        if (v < lo || v > hi) Invalid("value out of range");
        return v;
    }
    static int Pixels(double twips) {
        const double px = std::round(twips / TwipsPerPixel());
        if (!(std::fabs(px) < 1e9)) throw Error(ErrorNumber::Overflow, "coordinate out of range");
        return static_cast<int>(px);
    }
    static ::SIZE Extent(SpinEdit& b, BSTR text) {
        WindowDC dc(b.hWndText(), false);
        SelectInDC select(dc.Get(), reinterpret_cast<HGDIOBJ>(SendMessageW(b.hWnd(), WM_GETFONT, 0, 0)));
        ::SIZE size{};
        GetTextExtentPoint32W(dc.Get(), text ? text : L"", static_cast<int>(SysStringLen(text)), &size);
        return size;
    }
    // Moving and sizing belong to the container: through its extended
    // control when it has one (in its own units), else in twips within the
    // container's window.
    HRESULT Place(std::optional<double> left, std::optional<double> top, std::optional<double> width,
                  std::optional<double> height) {
        return With([&](SpinEdit& b) {
            if (ComPtr<IDispatch> extended = owner_.ExtendedControl()) {
                const std::pair<const wchar_t*, std::optional<double>> parts[] = {
                    {L"Left", left}, {L"Top", top}, {L"Width", width}, {L"Height", height}};
                for (const auto& [name, value] : parts)
                    if (value) PutNumber(extended.Get(), name, *value);
                return;
            }
            if (left || top)
                b.Move(Pixels(left.value_or(0)), top ? std::optional<std::int32_t>(Pixels(*top)) : std::nullopt);
            if (width || height) {
                RECT r{};
                GetWindowRect(b.hWnd(), &r);
                b.Size(width ? Pixels(*width) : r.right - r.left, height ? Pixels(*height) : r.bottom - r.top);
            }
        });
    }
    static void PutNumber(IDispatch* object, const wchar_t* name, double value) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = DISPID_UNKNOWN;
        if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return;
        VARIANT arg;
        V_VT(&arg) = VT_R8;
        V_R8(&arg) = value;
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{&arg, &named, 1, 1};
        const HRESULT hr =
            object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
        if (FAILED(hr)) Invalid("the container refused the position");
    }

    SpinEditBoxObject& owner_;
    ComPtr<ITypeInfo> info_;
    FontWatch fontWatch_{*this};
    ComPtr<IFont> font_;
    ComPtr<IConnectionPoint> fontPoint_;
    DWORD fontCookie_ = 0;
};

STDMETHODIMP FontWatch::OnChanged(DISPID) {
    owner_.FontObjectChanged();
    return S_OK;
}

}  // namespace

std::unique_ptr<DualPart> MakeDualPart(SpinEditBoxObject& owner) {
    return std::make_unique<Dual>(owner);
}

}  // namespace brisko
