// The value model, the stored form-only properties, the text box's state
// and the methods of the control's dual interface.
#include "spinedit/control/win/spin_edit_box_dual.h"

namespace brisko::dual {

STDMETHODIMP SpinEditBoxDual::get_MouseIcon(IPictureDisp** v) {
    return GetPicture(v, owner_.Pictures().mouseIcon);
}

STDMETHODIMP SpinEditBoxDual::put_MouseIcon(IPictureDisp* v) {
    return SetPicture(DISPID_SPINEDIT_MOUSEICON, v, owner_.Pictures().mouseIcon);
}

STDMETHODIMP SpinEditBoxDual::putref_MouseIcon(IPictureDisp* v) {
    return SetPicture(DISPID_SPINEDIT_MOUSEICON, v, owner_.Pictures().mouseIcon);
}

STDMETHODIMP SpinEditBoxDual::get_RightToLeft(VARIANT_BOOL* v) {
    return Get(v, [](SpinEdit& b) { return Vb(b.RightToLeft()); });
}

STDMETHODIMP SpinEditBoxDual::put_RightToLeft(VARIANT_BOOL v) {
    return Set(DISPID_SPINEDIT_RIGHTTOLEFT, [&](SpinEdit& b) { b.SetRightToLeft(v != VARIANT_FALSE); });
}

STDMETHODIMP SpinEditBoxDual::get_AccessKeys(BSTR* v) {
    return Get(v, [](SpinEdit& b) { return Bstr(b.Retained().accessKeys); });
}

STDMETHODIMP SpinEditBoxDual::put_AccessKeys(BSTR v) {
    const HRESULT hr = Set(DISPID_SPINEDIT_ACCESSKEYS, [&](SpinEdit& b) { b.Retained().accessKeys = Str(v); });
    if (hr == S_OK) owner_.ControlInfoChanged();
    return hr;
}

STDMETHODIMP SpinEditBoxDual::get_KeyPreview(VARIANT_BOOL* v) {
    return Get(v, [](SpinEdit& b) { return Vb(b.Retained().keyPreview); });
}

STDMETHODIMP SpinEditBoxDual::put_KeyPreview(VARIANT_BOOL v) {
    return Set(DISPID_SPINEDIT_KEYPREVIEW, [&](SpinEdit& b) { b.Retained().keyPreview = v != VARIANT_FALSE; });
}

STDMETHODIMP SpinEditBoxDual::get_IMEMode(sebIMEModeConstants* v) {
    return Get(v, [](SpinEdit& b) { return static_cast<sebIMEModeConstants>(b.IMEMode()); });
}

STDMETHODIMP SpinEditBoxDual::put_IMEMode(sebIMEModeConstants v) {
    return Set(DISPID_SPINEDIT_IMEMODE, [&](SpinEdit& b) { b.SetIMEMode(v); });
}

STDMETHODIMP SpinEditBoxDual::get_ArrowSpin(VARIANT_BOOL* v) {
    return Get(v, [](SpinEdit& b) { return Vb(b.Model().ArrowSpin()); });
}

STDMETHODIMP SpinEditBoxDual::put_ArrowSpin(VARIANT_BOOL v) {
    return Set(DISPID_SPINEDIT_ARROWSPIN, [&](SpinEdit& b) { b.Model().SetArrowSpin(v != VARIANT_FALSE); });
}

STDMETHODIMP SpinEditBoxDual::get_Silence(VARIANT_BOOL* v) {
    return Get(v, [](SpinEdit& b) { return Vb(b.Model().Silence()); });
}

STDMETHODIMP SpinEditBoxDual::put_Silence(VARIANT_BOOL v) {
    return Set(DISPID_SPINEDIT_SILENCE, [&](SpinEdit& b) { b.Model().SetSilence(v != VARIANT_FALSE); });
}

STDMETHODIMP SpinEditBoxDual::get_BeepSound(sebBeepSoundConstants* v) {
    return Get(v, [](SpinEdit& b) { return static_cast<sebBeepSoundConstants>(b.BeepSound()); });
}

STDMETHODIMP SpinEditBoxDual::put_BeepSound(sebBeepSoundConstants v) {
    return Set(DISPID_SPINEDIT_BEEPSOUND, [&](SpinEdit& b) { b.SetBeepSound(v); });
}

STDMETHODIMP SpinEditBoxDual::get_Value(double* v) {
    return Get(v, [](SpinEdit& b) { return b.Value(); });
}

STDMETHODIMP SpinEditBoxDual::put_Value(double v) {
    return Set(DISPID_SPINEDIT_VALUE, [&](SpinEdit& b) { b.SetValue(v); });
}

STDMETHODIMP SpinEditBoxDual::get_Max(double* v) {
    return Get(v, [](SpinEdit& b) { return b.Max(); });
}

STDMETHODIMP SpinEditBoxDual::put_Max(double v) {
    return Set(DISPID_SPINEDIT_MAX, [&](SpinEdit& b) { b.SetMax(v); });
}

STDMETHODIMP SpinEditBoxDual::get_Min(double* v) {
    return Get(v, [](SpinEdit& b) { return b.Min(); });
}

STDMETHODIMP SpinEditBoxDual::put_Min(double v) {
    return Set(DISPID_SPINEDIT_MIN, [&](SpinEdit& b) { b.SetMin(v); });
}

STDMETHODIMP SpinEditBoxDual::get_Increment(double* v) {
    return Get(v, [](SpinEdit& b) { return b.Increment(); });
}

STDMETHODIMP SpinEditBoxDual::put_Increment(double v) {
    return Set(DISPID_SPINEDIT_INCREMENT, [&](SpinEdit& b) { b.SetIncrement(v); });
}

STDMETHODIMP SpinEditBoxDual::get_DecFig(short* v) {
    return Get(v, [](SpinEdit& b) { return b.DecFig(); });
}

STDMETHODIMP SpinEditBoxDual::put_DecFig(short v) {
    return Set(DISPID_SPINEDIT_DECFIG, [&](SpinEdit& b) { b.SetDecFig(v); });
}

STDMETHODIMP SpinEditBoxDual::get_Wrap(VARIANT_BOOL* v) {
    return Get(v, [](SpinEdit& b) { return Vb(b.Model().Wrap()); });
}

STDMETHODIMP SpinEditBoxDual::put_Wrap(VARIANT_BOOL v) {
    return Set(DISPID_SPINEDIT_WRAP, [&](SpinEdit& b) { b.Model().SetWrap(v != VARIANT_FALSE); });
}

STDMETHODIMP SpinEditBoxDual::get_Multiple(VARIANT_BOOL* v) {
    return Get(v, [](SpinEdit& b) { return Vb(b.Model().Multiple()); });
}

STDMETHODIMP SpinEditBoxDual::put_Multiple(VARIANT_BOOL v) {
    return Set(DISPID_SPINEDIT_MULTIPLE, [&](SpinEdit& b) { b.Model().SetMultiple(v != VARIANT_FALSE); });
}

STDMETHODIMP SpinEditBoxDual::get_EnabledSpin(VARIANT_BOOL* v) {
    return Get(v, [](SpinEdit& b) { return Vb(b.EnabledSpin()); });
}

STDMETHODIMP SpinEditBoxDual::put_EnabledSpin(VARIANT_BOOL v) {
    return Set(DISPID_SPINEDIT_ENABLEDSPIN, [&](SpinEdit& b) { b.SetEnabledSpin(v != VARIANT_FALSE); });
}

STDMETHODIMP SpinEditBoxDual::get_VisibleSpin(VARIANT_BOOL* v) {
    return Get(v, [](SpinEdit& b) { return Vb(b.VisibleSpin()); });
}

STDMETHODIMP SpinEditBoxDual::put_VisibleSpin(VARIANT_BOOL v) {
    return Set(DISPID_SPINEDIT_VISIBLESPIN, [&](SpinEdit& b) { b.SetVisibleSpin(v != VARIANT_FALSE); });
}

STDMETHODIMP SpinEditBoxDual::get_SpinMousePointer(sebMousePointerConstants* v) {
    return Get(v, [](SpinEdit& b) { return static_cast<sebMousePointerConstants>(b.SpinMousePointer()); });
}

STDMETHODIMP SpinEditBoxDual::put_SpinMousePointer(sebMousePointerConstants v) {
    return Set(DISPID_SPINEDIT_SPINMOUSEPOINTER, [&](SpinEdit& b) { b.SetSpinMousePointer(v); });
}

STDMETHODIMP SpinEditBoxDual::get_SpinMouseIcon(IPictureDisp** v) {
    return GetPicture(v, owner_.Pictures().spinMouseIcon);
}

STDMETHODIMP SpinEditBoxDual::put_SpinMouseIcon(IPictureDisp* v) {
    return SetPicture(DISPID_SPINEDIT_SPINMOUSEICON, v, owner_.Pictures().spinMouseIcon);
}

STDMETHODIMP SpinEditBoxDual::putref_SpinMouseIcon(IPictureDisp* v) {
    return SetPicture(DISPID_SPINEDIT_SPINMOUSEICON, v, owner_.Pictures().spinMouseIcon);
}

STDMETHODIMP SpinEditBoxDual::get_Text(BSTR* v) {
    return Get(v, [](SpinEdit& b) { return Bstr(b.Text()); });
}

STDMETHODIMP SpinEditBoxDual::put_Text(BSTR v) {
    return Set(DISPID_SPINEDIT_TEXT, [&](SpinEdit& b) { b.SetText(Str(v)); });
}

STDMETHODIMP SpinEditBoxDual::get_NormalText(BSTR* v) {
    return Get(v, [](SpinEdit& b) { return Bstr(b.NormalText()); });
}

STDMETHODIMP SpinEditBoxDual::get_TextSelection(VARIANT_BOOL* v) {
    return Get(v, [](SpinEdit& b) { return Vb(b.Model().TextSelection()); });
}

STDMETHODIMP SpinEditBoxDual::put_TextSelection(VARIANT_BOOL v) {
    return Set(DISPID_SPINEDIT_TEXTSELECTION, [&](SpinEdit& b) { b.Model().SetTextSelection(v != VARIANT_FALSE); });
}

STDMETHODIMP SpinEditBoxDual::get_MaxLength(short* v) {
    return Get(v, [](SpinEdit& b) { return b.MaxLength(); });
}

STDMETHODIMP SpinEditBoxDual::put_MaxLength(short v) {
    return Set(DISPID_SPINEDIT_MAXLENGTH, [&](SpinEdit& b) { b.SetMaxLength(v); });
}

STDMETHODIMP SpinEditBoxDual::get_PasswordChar(BSTR* v) {
    return Get(v, [](SpinEdit& b) { return Bstr(b.PasswordChar()); });
}

STDMETHODIMP SpinEditBoxDual::put_PasswordChar(BSTR v) {
    return Set(DISPID_SPINEDIT_PASSWORDCHAR, [&](SpinEdit& b) { b.SetPasswordChar(Str(v)); });
}

STDMETHODIMP SpinEditBoxDual::get_Locked(VARIANT_BOOL* v) {
    return Get(v, [](SpinEdit& b) { return Vb(b.Locked()); });
}

STDMETHODIMP SpinEditBoxDual::put_Locked(VARIANT_BOOL v) {
    return Set(DISPID_SPINEDIT_LOCKED, [&](SpinEdit& b) { b.SetLocked(v != VARIANT_FALSE); });
}

STDMETHODIMP SpinEditBoxDual::get_InputControl(VARIANT_BOOL* v) {
    return Get(v, [](SpinEdit& b) { return Vb(b.Model().InputControl()); });
}

STDMETHODIMP SpinEditBoxDual::put_InputControl(VARIANT_BOOL v) {
    return Set(DISPID_SPINEDIT_INPUTCONTROL, [&](SpinEdit& b) { b.Model().SetInputControl(v != VARIANT_FALSE); });
}

STDMETHODIMP SpinEditBoxDual::get_LinkItem(BSTR* v) {
    return Get(v, [](SpinEdit& b) { return Bstr(b.Retained().linkItem); });
}

STDMETHODIMP SpinEditBoxDual::put_LinkItem(BSTR v) {
    return Set(DISPID_SPINEDIT_LINKITEM, [&](SpinEdit& b) { b.Retained().linkItem = Str(v); });
}

STDMETHODIMP SpinEditBoxDual::get_LinkMode(sebLinkModeConstants* v) {
    return Get(v, [](SpinEdit& b) { return static_cast<sebLinkModeConstants>(b.Retained().linkMode); });
}

STDMETHODIMP SpinEditBoxDual::put_LinkMode(sebLinkModeConstants v) {
    return Set(DISPID_SPINEDIT_LINKMODE, [&](SpinEdit& b) {
        // A form stored with a link keeps it, but no link is ever made.
        if (InRange(v, 0, 3) != 0)
            throw ControlError(
                kNotSupported,
                L"SpinEditBox コントロールは DDE リンクを行いません。LinkMode は 0 だけを設定できます。");
        b.Retained().linkMode = 0;
    });
}

STDMETHODIMP SpinEditBoxDual::get_LinkTimeout(short* v) {
    return Get(v, [](SpinEdit& b) { return b.Retained().linkTimeout; });
}

STDMETHODIMP SpinEditBoxDual::put_LinkTimeout(short v) {
    return Set(DISPID_SPINEDIT_LINKTIMEOUT, [&](SpinEdit& b) { b.Retained().linkTimeout = v; });
}

STDMETHODIMP SpinEditBoxDual::get_LinkTopic(BSTR* v) {
    return Get(v, [](SpinEdit& b) { return Bstr(b.Retained().linkTopic); });
}

STDMETHODIMP SpinEditBoxDual::put_LinkTopic(BSTR v) {
    return Set(DISPID_SPINEDIT_LINKTOPIC, [&](SpinEdit& b) { b.Retained().linkTopic = Str(v); });
}

STDMETHODIMP SpinEditBoxDual::get_OLEDragMode(sebOLEDragConstants* v) {
    return Get(v, [](SpinEdit& b) { return static_cast<sebOLEDragConstants>(b.Retained().oleDragMode); });
}

STDMETHODIMP SpinEditBoxDual::put_OLEDragMode(sebOLEDragConstants v) {
    return Set(DISPID_SPINEDIT_OLEDRAGMODE, [&](SpinEdit& b) { b.Retained().oleDragMode = InRange(v, 0, 1); });
}

STDMETHODIMP SpinEditBoxDual::get_OLEDropMode(sebOLEDropConstants* v) {
    return Get(v, [](SpinEdit& b) { return static_cast<sebOLEDropConstants>(b.Retained().oleDropMode); });
}

STDMETHODIMP SpinEditBoxDual::put_OLEDropMode(sebOLEDropConstants v) {
    const HRESULT hr =
        Set(DISPID_SPINEDIT_OLEDROPMODE, [&](SpinEdit& b) { b.Retained().oleDropMode = InRange(v, 0, 2); });
    if (hr == S_OK) owner_.DropModeChanged();
    return hr;
}

STDMETHODIMP SpinEditBoxDual::get_SelStart(LONG* v) {
    return Get(v, [](SpinEdit& b) { return LONG{b.SelStart()}; });
}

STDMETHODIMP SpinEditBoxDual::put_SelStart(LONG v) {
    return Set(DISPID_SPINEDIT_SELSTART, [&](SpinEdit& b) { b.SetSelStart(v); });
}

STDMETHODIMP SpinEditBoxDual::get_SelLength(LONG* v) {
    return Get(v, [](SpinEdit& b) { return LONG{b.SelLength()}; });
}

STDMETHODIMP SpinEditBoxDual::put_SelLength(LONG v) {
    return Set(DISPID_SPINEDIT_SELLENGTH, [&](SpinEdit& b) { b.SetSelLength(v); });
}

STDMETHODIMP SpinEditBoxDual::get_SelText(BSTR* v) {
    return Get(v, [](SpinEdit& b) { return Bstr(b.SelText()); });
}

STDMETHODIMP SpinEditBoxDual::put_SelText(BSTR v) {
    return Set(DISPID_SPINEDIT_SELTEXT, [&](SpinEdit& b) { b.SetSelText(Str(v)); });
}

STDMETHODIMP SpinEditBoxDual::get_IsFocused(VARIANT_BOOL* v) {
    return Get(v, [](SpinEdit& b) { return Vb(b.IsFocused()); });
}

STDMETHODIMP SpinEditBoxDual::get_hWnd(LONG* v) {
    return Get(v, [](SpinEdit& b) { return Handle(b.hWnd()); });
}

STDMETHODIMP SpinEditBoxDual::get_hWndText(LONG* v) {
    return Get(v, [](SpinEdit& b) { return Handle(b.hWndText()); });
}

STDMETHODIMP SpinEditBoxDual::get_hWndSpin(LONG* v) {
    return Get(v, [](SpinEdit& b) { return Handle(b.hWndSpin()); });
}

STDMETHODIMP SpinEditBoxDual::get_TextBoxObject(SpinEditTextBox** v) {
    if (!v) return E_POINTER;
    *v = nullptr;
    return With([&](SpinEdit&) {
        if (!textBox_) textBox_ = MakeTextBoxPart(parts_);
        *v = ComPtr<SpinEditTextBox>(textBox_).Detach();
    });
}

STDMETHODIMP SpinEditBoxDual::get_SpinBtnObject(SpinEditSpinButton** v) {
    if (!v) return E_POINTER;
    *v = nullptr;
    return With([&](SpinEdit&) {
        if (!spinButton_) spinButton_ = MakeSpinButtonPart(parts_);
        *v = ComPtr<SpinEditSpinButton>(spinButton_).Detach();
    });
}

STDMETHODIMP SpinEditBoxDual::AboutBox() {
    return owner_.Guard([&] { owner_.ShowAboutBox(); });
}

STDMETHODIMP SpinEditBoxDual::SpinUpDown(LONG upDown, LONG* result) {
    return Get(result, [&](SpinEdit& b) { return LONG{b.SpinUpDown(upDown)}; });
}

STDMETHODIMP SpinEditBoxDual::ErrCheck(VARIANT showMsg, VARIANT caption, VARIANT title, VARIANT helpFile,
                                       VARIANT context, LONG* result) {
    return Get(result, [&](SpinEdit& b) {
        return LONG{b.ErrCheck(Optional(showMsg, false), Optional(caption, std::wstring()),
                               Optional(title, std::wstring()), Optional(helpFile, std::wstring()),
                               Optional<std::int32_t>(context, 0))};
    });
}

STDMETHODIMP SpinEditBoxDual::FormatMessage(LONG error, VARIANT caption, BSTR* message) {
    return Get(message, [&](SpinEdit& b) { return Bstr(b.FormatMessage(error, Optional(caption, std::wstring()))); });
}

STDMETHODIMP SpinEditBoxDual::Beep(VARIANT type, VARIANT frequency, VARIANT duration) {
    return With([&](SpinEdit& b) {
        b.Beep(Optional<std::int32_t>(type, -1), Optional<std::int32_t>(frequency, SpinEditCore::kBeepFrequency),
               Optional<std::int32_t>(duration, SpinEditCore::kBeepDuration));
    });
}

STDMETHODIMP SpinEditBoxDual::HitTest(VARIANT x, VARIANT y, LONG* result) {
    return Get(result, [&](SpinEdit& b) {
        if (Missing(x) && Missing(y)) return LONG{b.HitTest()};
        return LONG{b.HitTest(Pixels(Optional(x, 0.0)), Pixels(Optional(y, 0.0)))};
    });
}

STDMETHODIMP SpinEditBoxDual::Pos(float left, float top) {
    return Place(left, top, std::nullopt, std::nullopt);
}

STDMETHODIMP SpinEditBoxDual::Size(float width, float height) {
    return Place(std::nullopt, std::nullopt, width, height);
}

STDMETHODIMP SpinEditBoxDual::Move(float left, VARIANT top, VARIANT width, VARIANT height) {
    std::optional<double> t, w, h;
    const HRESULT hr = owner_.Guard([&] {
        if (!Missing(top)) t = Optional(top, 0.0);
        if (!Missing(width)) w = Optional(width, 0.0);
        if (!Missing(height)) h = Optional(height, 0.0);
    });
    return FAILED(hr) ? hr : Place(left, t, w, h);
}

STDMETHODIMP SpinEditBoxDual::Refresh() {
    return With([](SpinEdit& b) { b.Refresh(); });
}

STDMETHODIMP SpinEditBoxDual::SetFocus() {
    return With([](SpinEdit& b) { b.SetFocus(); });
}

STDMETHODIMP SpinEditBoxDual::OLEDrag() {
    return With([&](SpinEdit&) { owner_.DragSelection(); });
}

STDMETHODIMP SpinEditBoxDual::PopupMenu(IDispatch*, VARIANT, VARIANT, VARIANT, VARIANT) {
    return With([](SpinEdit&) {
        throw ControlError(kNotSupported,
                           L"メニューはフォームのものです。フォームの PopupMenu メソッドで表示して下さい。");
    });
}

STDMETHODIMP SpinEditBoxDual::AsyncRead(BSTR, LONG, VARIANT, VARIANT) {
    return With([](SpinEdit&) {
        throw ControlError(kNotSupported, L"SpinEditBox コントロールは非同期読み込みを行いません。");
    });
}

STDMETHODIMP SpinEditBoxDual::CancelAsyncRead(VARIANT) {
    return With([](SpinEdit&) {
        throw ControlError(kNotSupported, L"SpinEditBox コントロールは非同期読み込みを行いません。");
    });
}

STDMETHODIMP SpinEditBoxDual::TextHeight(BSTR text, float* result) {
    return Get(result, [&](SpinEdit& b) { return static_cast<float>(Extent(b, text).cy * ScreenTwipsPerPixel()); });
}

STDMETHODIMP SpinEditBoxDual::TextWidth(BSTR text, float* result) {
    return Get(result, [&](SpinEdit& b) { return static_cast<float>(Extent(b, text).cx * ScreenTwipsPerPixel()); });
}

void SpinEditBoxDual::WatchFont(const ComPtr<IFontDisp>& font) {
    StopWatchingFont();
    font_ = font.As<IFont>(IID_IFont);
    if (auto points = font.As<IConnectionPointContainer>(IID_IConnectionPointContainer))
        points->FindConnectionPoint(IID_IPropertyNotifySink, fontPoint_.Put());
    if (fontPoint_ && FAILED(fontPoint_->Advise(&fontWatch_, &fontCookie_))) fontPoint_.Reset();
}

void SpinEditBoxDual::StopWatchingFont() {
    if (fontPoint_) fontPoint_->Unadvise(fontCookie_);
    fontPoint_.Reset();
    font_.Reset();
}

::SIZE SpinEditBoxDual::Extent(SpinEdit& b, BSTR text) {
    WindowDC dc(b.hWndText(), DcArea::Client);
    SelectInDC select(dc.Get(), reinterpret_cast<HGDIOBJ>(SendMessageW(b.hWnd(), WM_GETFONT, 0, 0)));
    ::SIZE size{};
    GetTextExtentPoint32W(dc.Get(), text ? text : L"", static_cast<int>(SysStringLen(text)), &size);
    return size;
}

HRESULT SpinEditBoxDual::Place(std::optional<double> left, std::optional<double> top, std::optional<double> width,
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

void SpinEditBoxDual::PutNumber(IDispatch* object, const wchar_t* name, double value) {
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

}  // namespace brisko::dual
