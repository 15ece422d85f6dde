// The container's side of the control: the ambient properties a site
// offers (user mode, font, colours, the name for messages), its units for
// the events' coordinates, the extended control, mnemonics and frozen
// events, and what the control declares safe.
#include <objsafe.h>

#include <string>

#include "common/units.h"
#include "common/win/gdi.h"
#include "spinedit/control/win/ole_font.h"
#include "spinedit/control/win/spin_edit_box.h"
#include "spinedit/control/win/spin_edit_box_drag.h"
#include "spinedit/control/win/spin_edit_box_idl.h"

namespace brisko {

namespace {

std::wstring PropertyText(IDispatch* object, const wchar_t* name) {
    if (!object) return {};
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return {};
    DISPPARAMS none{};
    VARIANT result;
    VariantInit(&result);
    std::wstring text;
    if (SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr,
                                 nullptr)) &&
        SUCCEEDED(VariantChangeType(&result, &result, 0, VT_BSTR)) && V_BSTR(&result))
        text.assign(V_BSTR(&result), SysStringLen(V_BSTR(&result)));
    VariantClear(&result);
    return text;
}

// A colour a site offers, when it names one.
std::optional<std::uint32_t> ColorOf(VARIANT& v) {
    if (FAILED(VariantChangeType(&v, &v, 0, VT_I4))) return std::nullopt;
    const auto color = static_cast<OLE_COLOR>(V_I4(&v));
    COLORREF rgb = 0;
    if (FAILED(OleTranslateColor(color, nullptr, &rgb))) return std::nullopt;
    return color;
}

bool IsPersistence(REFIID riid) {
    return IsEqualIID(riid, IID_IPersistPropertyBag) || IsEqualIID(riid, IID_IPersistStreamInit) ||
           IsEqualIID(riid, IID_IPersistStorage);
}

}  // namespace

bool SpinEditBoxObject::AmbientValue(DISPID id, VARIANT& out) const {
    VariantInit(&out);
    if (!site_) return false;
    ComPtr<IDispatch> ambient = site_.As<IDispatch>(IID_IDispatch);
    if (!ambient) return false;
    DISPPARAMS none{};
    return SUCCEEDED(
        ambient->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &out, nullptr, nullptr));
}

bool SpinEditBoxObject::UserMode() const {
    VARIANT v;
    if (!AmbientValue(DISPID_AMBIENT_USERMODE, v)) return true;
    bool run = true;
    if (SUCCEEDED(VariantChangeType(&v, &v, 0, VT_BOOL))) run = V_BOOL(&v) != VARIANT_FALSE;
    VariantClear(&v);
    return run;
}

std::optional<FontSpec> SpinEditBoxObject::AmbientFont() const {
    VARIANT v;
    if (!AmbientValue(DISPID_AMBIENT_FONT, v)) return std::nullopt;
    std::optional<FontSpec> font;
    if (V_VT(&v) == VT_DISPATCH || V_VT(&v) == VT_UNKNOWN) font = FontSpecOf(V_UNKNOWN(&v));
    VariantClear(&v);
    return font;
}

void SpinEditBoxObject::ApplyAmbientFont() {
    if (!fontFollowsAmbient_) return;
    if (SpinEdit* box = Box())
        if (auto font = AmbientFont()) box->SetFont(font);
}

void SpinEditBoxObject::SetFontFromUser(const std::optional<FontSpec>& font) {
    fontFollowsAmbient_ = false;
    if (SpinEdit* box = Box()) box->SetFont(font);
}

ComPtr<IDispatch> SpinEditBoxObject::ExtendedControl() const {
    ComPtr<IDispatch> extended;
    if (auto controlSite = site_.As<IOleControlSite>(IID_IOleControlSite))
        if (FAILED(controlSite->GetExtendedControl(extended.Put()))) extended.Reset();
    return extended;
}

std::wstring SpinEditBoxObject::ControlName() const {
    // The name the container gives the control for messages, else the
    // instance's name, else the class's.
    VARIANT v;
    std::wstring name;
    if (AmbientValue(DISPID_AMBIENT_DISPLAYNAME, v) && SUCCEEDED(VariantChangeType(&v, &v, 0, VT_BSTR)) && V_BSTR(&v))
        name.assign(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
    VariantClear(&v);
    if (name.empty()) name = PropertyText(ExtendedControl().Get(), L"Name");
    return name.empty() ? std::wstring(kSpinEditBoxClassName) : name;
}

std::optional<std::uint32_t> SpinEditBoxObject::AmbientColor(DISPID id) const {
    VARIANT v;
    if (!AmbientValue(id, v)) return std::nullopt;
    auto color = ColorOf(v);
    VariantClear(&v);
    return color;
}

// A control placed new takes the form's text colour, and for its disabled
// look the form's back colour, until its own are set; its back and focus
// colours stay the entry field's own, as a text box's do.
void SpinEditBoxObject::ApplyAmbientColors() {
    SpinEdit* box = Box();
    if (!box) return;
    if (foreFollowsAmbient_)
        if (auto color = AmbientColor(DISPID_AMBIENT_FORECOLOR)) box->SetForeColor(*color);
    if (disableFollowsAmbient_)
        if (auto color = AmbientColor(DISPID_AMBIENT_BACKCOLOR)) box->SetDisableColor(*color);
}

std::pair<float, float> SpinEditBoxObject::ContainerPoint(POINT client) const {
    const int dpi = ScreenDpi();
    if (auto controlSite = site_.As<IOleControlSite>(IID_IOleControlSite)) {
        // An offset from the control's corner, hence a size to the container.
        POINTL himetric{PixelsToHimetric(client.x, dpi), PixelsToHimetric(client.y, dpi)};
        POINTF units{};
        if (SUCCEEDED(
                controlSite->TransformCoords(&himetric, &units, XFORMCOORDS_SIZE | XFORMCOORDS_HIMETRICTOCONTAINER)))
            return {units.x, units.y};
    }
    const auto twips = static_cast<float>(TwipsPerPixel(dpi));
    return {static_cast<float>(client.x) * twips, static_cast<float>(client.y) * twips};
}

// IOleControl

void SpinEditBoxObject::RebuildAccelerators() {
    accelerators_.Reset();
    acceleratorCount_ = 0;
    SpinEdit* box = Box();
    if (!box) return;
    std::vector<ACCEL> table;
    for (wchar_t c : box->Retained().accessKeys) {
        const SHORT scan = VkKeyScanW(c);
        if (scan == -1) continue;
        table.push_back(
            {static_cast<BYTE>(FVIRTKEY | FALT), static_cast<WORD>(scan & 0xFF), static_cast<WORD>(table.size() + 1)});
    }
    if (table.empty()) return;
    accelerators_.Reset(CreateAcceleratorTableW(table.data(), static_cast<int>(table.size())));
    if (accelerators_) acceleratorCount_ = static_cast<int>(table.size());
}

STDMETHODIMP SpinEditBoxObject::GetControlInfo(CONTROLINFO* info) {
    if (!info) return E_POINTER;
    if (const HRESULT hr = Barrier([&] {
            RebuildAccelerators();
            return S_OK;
        });
        FAILED(hr))
        return hr;
    info->cb = sizeof *info;
    info->hAccel = accelerators_.Get();
    info->cAccel = static_cast<USHORT>(acceleratorCount_);
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP SpinEditBoxObject::OnMnemonic(MSG* msg) {
    if (!msg) return E_POINTER;
    return Barrier([&] { return Mnemonic(*msg); });
}

HRESULT SpinEditBoxObject::Mnemonic(const MSG& msg) {
    SpinEdit* box = Box();
    if (!box) return E_UNEXPECTED;
    // The access key as the form declared it, whichever case was typed.
    std::int16_t keyAscii = 0;
    for (wchar_t c : box->Retained().accessKeys) {
        const SHORT scan = VkKeyScanW(c);
        if (scan != -1 && static_cast<WPARAM>(scan & 0xFF) == msg.wParam) {
            keyAscii = static_cast<std::int16_t>(c);
            break;
        }
    }
    if (keyAscii == 0) return S_FALSE;
    box->SetFocus();
    VARIANT arg;
    V_VT(&arg) = VT_I2;
    V_I2(&arg) = keyAscii;
    RaiseEvent(L"AccessKeyPress", &arg, 1);
    return S_OK;
}

STDMETHODIMP SpinEditBoxObject::OnAmbientPropertyChange(DISPID id) {
    return Barrier([&] {
        if (id == DISPID_AMBIENT_FONT || id == DISPID_UNKNOWN) ApplyAmbientFont();
        if (id == DISPID_AMBIENT_FORECOLOR || id == DISPID_AMBIENT_BACKCOLOR || id == DISPID_UNKNOWN)
            ApplyAmbientColors();
        if (id == DISPID_AMBIENT_USERMODE || id == DISPID_UNKNOWN) drag_->Update();
        if (SpinEdit* box = Box()) {
            if (id == DISPID_AMBIENT_USERMODE || id == DISPID_UNKNOWN) box->SetDesignMode(!UserMode());
            box->Refresh();
        }
        return S_OK;
    });
}

STDMETHODIMP SpinEditBoxObject::FreezeEvents(BOOL freeze) {
    if (freeze)
        ++freezeCount_;
    else if (freezeCount_ > 0)
        --freezeCount_;
    return S_OK;
}

// IObjectSafety: the stored properties' readers take anything a container
// hands them, so initialising from untrusted data is safe; scripting the
// control from an untrusted page is not declared safe.

STDMETHODIMP SpinEditBoxObject::GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) {
    if (!supported || !enabled) return E_POINTER;
    *supported = *enabled = 0;
    if (IsPersistence(riid)) {
        *supported = INTERFACESAFE_FOR_UNTRUSTED_DATA;
        *enabled = safeForData_ ? INTERFACESAFE_FOR_UNTRUSTED_DATA : 0;
        return S_OK;
    }
    return IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, kIidSpinEditBox) ? S_OK : E_NOINTERFACE;
}

STDMETHODIMP SpinEditBoxObject::SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) {
    const DWORD wanted = mask & enabled;
    if (IsPersistence(riid)) {
        if (wanted & ~static_cast<DWORD>(INTERFACESAFE_FOR_UNTRUSTED_DATA)) return E_FAIL;
        if (mask & INTERFACESAFE_FOR_UNTRUSTED_DATA) safeForData_ = (wanted & INTERFACESAFE_FOR_UNTRUSTED_DATA) != 0;
        return S_OK;
    }
    if (IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, kIidSpinEditBox)) return wanted ? E_FAIL : S_OK;
    return E_NOINTERFACE;
}

}  // namespace brisko
