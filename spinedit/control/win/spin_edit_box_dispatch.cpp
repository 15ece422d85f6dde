// IDispatch through the type library embedded in the module, as late-bound
// callers drive the control, and the font and appearance properties.
#include "spinedit/control/win/spin_edit_box_dual.h"

namespace brisko {
namespace dual {

STDMETHODIMP SpinEditBoxDual::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = info_ ? 1 : 0;
    return S_OK;
}

STDMETHODIMP SpinEditBoxDual::GetTypeInfo(UINT index, LCID, ITypeInfo** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    if (!info_) return TYPE_E_CANTLOADLIBRARY;
    *out = info_.Get();
    (*out)->AddRef();
    return S_OK;
}

STDMETHODIMP SpinEditBoxDual::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids) return E_POINTER;
    if (!info_) return TYPE_E_CANTLOADLIBRARY;
    return Barrier([&] { return info_->GetIDsOfNames(names, count, ids); });
}

STDMETHODIMP SpinEditBoxDual::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* error, UINT* argError) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!ValidParams(params)) return E_INVALIDARG;
    if (!info_) return TYPE_E_CANTLOADLIBRARY;
    SetErrorInfo(0, nullptr);
    return Barrier(
        [&] { return info_->Invoke(static_cast<_SpinEditBox*>(this), id, flags, params, result, error, argError); });
}

STDMETHODIMP SpinEditBoxDual::get_Version(LONG* v) {
    return Get(v, [](SpinEdit&) { return SpinEdit::Version(); });
}

STDMETHODIMP SpinEditBoxDual::get_Font(IFontDisp** v) {
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

STDMETHODIMP SpinEditBoxDual::put_Font(IFontDisp* v) {
    return putref_Font(v);
}

STDMETHODIMP SpinEditBoxDual::putref_Font(IFontDisp* v) {
    return Set(DISPID_SPINEDIT_FONT, [&](SpinEdit&) {
        auto value = FontSpecOf(v);
        if (!value) Invalid("not a font");
        StopWatchingFont();
        owner_.SetFontFromUser(value);
    });
}

STDMETHODIMP SpinEditBoxDual::get_FontBold(VARIANT_BOOL* v) {
    return Get(v, [](SpinEdit& b) { return Vb(ShownFont(b).Bold()); });
}

STDMETHODIMP SpinEditBoxDual::put_FontBold(VARIANT_BOOL v) {
    return EditFont(DISPID_SPINEDIT_FONTBOLD, [&](FontSpec& f) { f.SetBold(v != VARIANT_FALSE); });
}

STDMETHODIMP SpinEditBoxDual::get_FontItalic(VARIANT_BOOL* v) {
    return Get(v, [](SpinEdit& b) { return Vb(ShownFont(b).italic); });
}

STDMETHODIMP SpinEditBoxDual::put_FontItalic(VARIANT_BOOL v) {
    return EditFont(DISPID_SPINEDIT_FONTITALIC, [&](FontSpec& f) { f.italic = v != VARIANT_FALSE; });
}

STDMETHODIMP SpinEditBoxDual::get_FontName(BSTR* v) {
    return Get(v, [](SpinEdit& b) { return Bstr(ShownFont(b).name); });
}

STDMETHODIMP SpinEditBoxDual::put_FontName(BSTR v) {
    return EditFont(DISPID_SPINEDIT_FONTNAME, [&](FontSpec& f) {
        if (SysStringLen(v) == 0 || SysStringLen(v) >= LF_FACESIZE) Invalid("no font name");
        f.name = Str(v);
    });
}

STDMETHODIMP SpinEditBoxDual::get_FontSize(float* v) {
    return Get(v, [](SpinEdit& b) { return ShownFont(b).Size(); });
}

STDMETHODIMP SpinEditBoxDual::put_FontSize(float v) {
    return EditFont(DISPID_SPINEDIT_FONTSIZE, [&](FontSpec& f) {
        if (!(v > 0.0f && v <= 2160.0f)) Invalid("font size out of range");
        f.SetSize(v);
    });
}

STDMETHODIMP SpinEditBoxDual::get_FontStrikethru(VARIANT_BOOL* v) {
    return Get(v, [](SpinEdit& b) { return Vb(ShownFont(b).strikethrough); });
}

STDMETHODIMP SpinEditBoxDual::put_FontStrikethru(VARIANT_BOOL v) {
    return EditFont(DISPID_SPINEDIT_FONTSTRIKETHRU, [&](FontSpec& f) { f.strikethrough = v != VARIANT_FALSE; });
}

STDMETHODIMP SpinEditBoxDual::get_FontUnderline(VARIANT_BOOL* v) {
    return Get(v, [](SpinEdit& b) { return Vb(ShownFont(b).underline); });
}

STDMETHODIMP SpinEditBoxDual::put_FontUnderline(VARIANT_BOOL v) {
    return EditFont(DISPID_SPINEDIT_FONTUNDERLINE, [&](FontSpec& f) { f.underline = v != VARIANT_FALSE; });
}

STDMETHODIMP SpinEditBoxDual::get_Alignment(sebAlignmentConstants* v) {
    return Get(v, [](SpinEdit& b) { return static_cast<sebAlignmentConstants>(b.Alignment()); });
}

STDMETHODIMP SpinEditBoxDual::put_Alignment(sebAlignmentConstants v) {
    return Set(DISPID_SPINEDIT_ALIGNMENT, [&](SpinEdit& b) { b.SetAlignment(v); });
}

STDMETHODIMP SpinEditBoxDual::get_VAlign(sebVAlignConstants* v) {
    return Get(v, [](SpinEdit& b) { return static_cast<sebVAlignConstants>(b.VAlign()); });
}

STDMETHODIMP SpinEditBoxDual::put_VAlign(sebVAlignConstants v) {
    return Set(DISPID_SPINEDIT_VALIGN, [&](SpinEdit& b) { b.SetVAlign(v); });
}

STDMETHODIMP SpinEditBoxDual::get_LeftMargin(short* v) {
    return Get(v, [](SpinEdit& b) { return b.LeftMargin(); });
}

STDMETHODIMP SpinEditBoxDual::put_LeftMargin(short v) {
    return Set(DISPID_SPINEDIT_LEFTMARGIN, [&](SpinEdit& b) { b.SetLeftMargin(v); });
}

STDMETHODIMP SpinEditBoxDual::get_RightMargin(short* v) {
    return Get(v, [](SpinEdit& b) { return b.RightMargin(); });
}

STDMETHODIMP SpinEditBoxDual::put_RightMargin(short v) {
    return Set(DISPID_SPINEDIT_RIGHTMARGIN, [&](SpinEdit& b) { b.SetRightMargin(v); });
}

STDMETHODIMP SpinEditBoxDual::get_VMargin(short* v) {
    return Get(v, [](SpinEdit& b) { return b.VMargin(); });
}

STDMETHODIMP SpinEditBoxDual::put_VMargin(short v) {
    return Set(DISPID_SPINEDIT_VMARGIN, [&](SpinEdit& b) { b.SetVMargin(v); });
}

STDMETHODIMP SpinEditBoxDual::get_AutoRedraw(VARIANT_BOOL* v) {
    return Get(v, [](SpinEdit& b) { return Vb(b.Retained().autoRedraw); });
}

STDMETHODIMP SpinEditBoxDual::put_AutoRedraw(VARIANT_BOOL v) {
    return Set(DISPID_SPINEDIT_AUTOREDRAW, [&](SpinEdit& b) { b.Retained().autoRedraw = v != VARIANT_FALSE; });
}

STDMETHODIMP SpinEditBoxDual::get_Appearance(sebAppearanceConstants* v) {
    return Get(v, [](SpinEdit& b) { return static_cast<sebAppearanceConstants>(b.Appearance()); });
}

STDMETHODIMP SpinEditBoxDual::put_Appearance(sebAppearanceConstants v) {
    return Set(DISPID_SPINEDIT_APPEARANCE, [&](SpinEdit& b) { b.SetAppearance(v); });
}

STDMETHODIMP SpinEditBoxDual::get_BorderStyle(sebBorderStyleConstants* v) {
    return Get(v, [](SpinEdit& b) { return static_cast<sebBorderStyleConstants>(b.BorderStyle()); });
}

STDMETHODIMP SpinEditBoxDual::put_BorderStyle(sebBorderStyleConstants v) {
    return Set(DISPID_SPINEDIT_BORDERSTYLE, [&](SpinEdit& b) { b.SetBorderStyle(v); });
}

STDMETHODIMP SpinEditBoxDual::get_ForeColor(OLE_COLOR* v) {
    return Get(v, [](SpinEdit& b) { return b.ForeColor(); });
}

STDMETHODIMP SpinEditBoxDual::put_ForeColor(OLE_COLOR v) {
    return Set(DISPID_SPINEDIT_FORECOLOR, [&](SpinEdit& b) { b.SetForeColor(CheckedColor(v)); });
}

STDMETHODIMP SpinEditBoxDual::get_FocusColor(OLE_COLOR* v) {
    return Get(v, [](SpinEdit& b) { return b.FocusColor(); });
}

STDMETHODIMP SpinEditBoxDual::put_FocusColor(OLE_COLOR v) {
    return Set(DISPID_SPINEDIT_FOCUSCOLOR, [&](SpinEdit& b) { b.SetFocusColor(CheckedColor(v)); });
}

STDMETHODIMP SpinEditBoxDual::get_BackColor(OLE_COLOR* v) {
    return Get(v, [](SpinEdit& b) { return b.BackColor(); });
}

STDMETHODIMP SpinEditBoxDual::put_BackColor(OLE_COLOR v) {
    return Set(DISPID_SPINEDIT_BACKCOLOR, [&](SpinEdit& b) { b.SetBackColor(CheckedColor(v)); });
}

STDMETHODIMP SpinEditBoxDual::get_DisableColor(OLE_COLOR* v) {
    return Get(v, [](SpinEdit& b) { return b.DisableColor(); });
}

STDMETHODIMP SpinEditBoxDual::put_DisableColor(OLE_COLOR v) {
    return Set(DISPID_SPINEDIT_DISABLECOLOR, [&](SpinEdit& b) { b.SetDisableColor(CheckedColor(v)); });
}

STDMETHODIMP SpinEditBoxDual::get_HideSelection(VARIANT_BOOL* v) {
    return Get(v, [](SpinEdit& b) { return Vb(!(GetWindowLongPtrW(b.hWndText(), GWL_STYLE) & ES_NOHIDESEL)); });
}

STDMETHODIMP SpinEditBoxDual::get_RaiseEvents(VARIANT_BOOL* v) {
    return Get(v, [](SpinEdit& b) { return Vb(b.Model().RaiseEvents()); });
}

STDMETHODIMP SpinEditBoxDual::put_RaiseEvents(VARIANT_BOOL v) {
    return Set(DISPID_SPINEDIT_RAISEEVENTS, [&](SpinEdit& b) { b.Model().SetRaiseEvents(v != VARIANT_FALSE); });
}

STDMETHODIMP SpinEditBoxDual::get_Enabled(VARIANT_BOOL* v) {
    return Get(v, [](SpinEdit& b) { return Vb(b.Enabled()); });
}

STDMETHODIMP SpinEditBoxDual::put_Enabled(VARIANT_BOOL v) {
    return Set(DISPID_SPINEDIT_ENABLED, [&](SpinEdit& b) { b.SetEnabled(v != VARIANT_FALSE); });
}

STDMETHODIMP SpinEditBoxDual::get_Caption(BSTR* v) {
    return Get(v, [](SpinEdit& b) { return Bstr(b.Caption()); });
}

STDMETHODIMP SpinEditBoxDual::put_Caption(BSTR v) {
    return Set(DISPID_SPINEDIT_CAPTION, [&](SpinEdit& b) { b.SetCaption(Str(v)); });
}

STDMETHODIMP SpinEditBoxDual::get_MousePointer(sebMousePointerConstants* v) {
    return Get(v, [](SpinEdit& b) { return static_cast<sebMousePointerConstants>(b.MousePointer()); });
}

STDMETHODIMP SpinEditBoxDual::put_MousePointer(sebMousePointerConstants v) {
    return Set(DISPID_SPINEDIT_MOUSEPOINTER, [&](SpinEdit& b) { b.SetMousePointer(v); });
}

STDMETHODIMP FontWatch::OnChanged(DISPID) {
    owner_.FontObjectChanged();
    return S_OK;
}

}  // namespace dual

std::unique_ptr<DualPart> MakeDualPart(SpinEditBoxObject& owner) {
    return std::make_unique<dual::SpinEditBoxDual>(owner);
}

}  // namespace brisko
