#include "spinedit/control/win/spin_edit_box.h"

#include <olectl.h>

#include <new>
#include <string>

#include "common/units.h"
#include "common/win/gdi.h"
#include "comserver/win/module.h"
#include "spinedit/control/win/automation.h"
#include "spinedit/control/win/ole_font.h"
#include "spinedit/control/win/spin_edit_box_class.h"
#include "spinedit/control/win/spin_edit_box_drag.h"
#include "spinedit/control/win/spin_edit_box_events.h"
#include "spinedit/control/win/spin_edit_box_idl.h"
#include "spinedit/spin_properties.h"

namespace brisko {

namespace {

// The size of a new control: one line of text and the arrows, in HIMETRIC.
constexpr SIZEL kDefaultExtent{2143, 582};  // 1215 x 330 twips

constexpr wchar_t kParkingClassName[] = L"BriskoSpinEditParking";

// The hidden parent of a control's window while no container shows it. One
// left to close after its control went holds the module until it is gone.
LRESULT CALLBACK ParkingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCDESTROY && GetWindowLongPtrW(hwnd, GWLP_USERDATA)) ModuleRelease();
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool RegisterParkingClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &ParkingProc;
    wc.hInstance = ModuleInstance();
    wc.lpszClassName = kParkingClassName;
    return RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

ComPtr<ITypeLib> ControlTypeLib() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(ModuleInstance(), path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    ComPtr<ITypeLib> lib;
    if (FAILED(LoadTypeLibEx(path, REGKIND_NONE, lib.Put()))) lib.Reset();
    return lib;
}

void UnregisterControlClasses() {
    UnregisterSpinEditClass(ModuleInstance());
    UnregisterClassW(kParkingClassName, ModuleInstance());
}

IUnknown* CreateSpinEditBoxObject() {
    auto* object = new (std::nothrow) SpinEditBoxObject();
    if (!object) return nullptr;
    if (!object->Init()) {
        object->Release();
        return nullptr;
    }
    return static_cast<IOleObject*>(object);
}

SpinEditBoxObject::SpinEditBoxObject() : extent_(kDefaultExtent) {
    ModuleAddRef();
}

SpinEditBoxObject::~SpinEditBoxObject() {
    SpinEdit* box = Box();
    // The last reference went at the end of a message of the window, which
    // is still on its way out: the window must outlive it.
    const bool inMessage = box && box->InMessage();
    if (drag_) drag_->Revoke();
    if (box) {
        box->SetKeeper(nullptr);
        box->SetEventSink(nullptr);
        box->SetFocusObserver(nullptr);
        box->SetMouseObserver(nullptr);
        box->SetPressFilter(nullptr);
        box->SetDestroyObserver(nullptr);
        box->SetCustomCursors(nullptr, nullptr);
    }
    if (eventPoint_) eventPoint_->Clear();
    if (notifyPoint_) notifyPoint_->Clear();
    if (box && parking_) {
        ShowWindow(window_, SW_HIDE);
        SetParent(window_, parking_.Get());
    }
    if (inMessage && parking_) {
        // The window goes once that message is over, and the module stays
        // loaded until then.
        SetWindowLongPtrW(parking_.Get(), GWLP_USERDATA, 1);
        ModuleAddRef();
        PostMessageW(parking_.Release(), WM_CLOSE, 0, 0);
    } else {
        parking_.Reset();
    }
    ModuleRelease();
}

bool SpinEditBoxObject::Init() {
    try {
        if (!RegisterSpinEditClass(ModuleInstance()) || !RegisterParkingClass()) return false;
        parking_.Reset(CreateWindowExW(WS_EX_TOOLWINDOW, kParkingClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       ModuleInstance(), nullptr));
        if (!parking_) return false;
        const int dpi = ScreenDpi();
        SpinEdit* box = SpinEdit::Create(parking_.Get(), 1, 0, 0, HimetricToPixels(extent_.cx, dpi),
                                         HimetricToPixels(extent_.cy, dpi));
        if (!box) return false;
        window_ = box->hWnd();
        eventPoint_ = std::make_unique<ConnectionPoint>(*this, kDiidSpinEditBoxEvents);
        notifyPoint_ = std::make_unique<ConnectionPoint>(*this, IID_IPropertyNotifySink);
        bridge_ = std::make_unique<EventBridge>(*this, *eventPoint_);
        drag_ = std::make_unique<DragDrop>(*this);
        dual_ = MakeDualPart(*this);
        if (!dual_) return false;
        box->SetEventSink(bridge_.get());
        box->SetKeeper(this);
        box->SetFocusObserver([this](bool focused) { OnFocusChange(focused); });
        box->SetMouseObserver([this](UINT msg, WPARAM keys, POINT at) { bridge_->Mouse(msg, keys, at); });
        box->SetPressFilter([this](POINT screen) { return drag_->TakePress(screen); });
        box->SetDestroyObserver([this] { drag_->Revoke(); });
        return true;
    } catch (...) {
        return false;
    }
}

SpinEdit* SpinEditBoxObject::Box() const {
    // A container may destroy the window with its own; the object then has no box.
    return window_ && IsWindow(window_) ? SpinEdit::FromWindow(window_) : nullptr;
}

STDMETHODIMP SpinEditBoxObject::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    void* out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleObject))
        out = static_cast<IOleObject*>(this);
    else if (IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, kIidSpinEditBox))
        out = dual_ ? dual_->Dispatch() : nullptr;
    else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceObject))
        out = static_cast<IOleInPlaceObject*>(this);
    else if (IsEqualIID(riid, IID_IOleInPlaceActiveObject))
        out = static_cast<IOleInPlaceActiveObject*>(this);
    else if (IsEqualIID(riid, IID_IOleControl))
        out = static_cast<IOleControl*>(this);
    else if (IsEqualIID(riid, IID_IViewObject) || IsEqualIID(riid, IID_IViewObject2))
        out = static_cast<IViewObject2*>(this);
    else if (IsEqualIID(riid, IID_IProvideClassInfo) || IsEqualIID(riid, IID_IProvideClassInfo2))
        out = static_cast<IProvideClassInfo2*>(this);
    else if (IsEqualIID(riid, IID_IConnectionPointContainer))
        out = static_cast<IConnectionPointContainer*>(this);
    else if (IsEqualIID(riid, IID_ISupportErrorInfo))
        out = static_cast<ISupportErrorInfo*>(this);
    else if (IsEqualIID(riid, IID_IPersist) || IsEqualIID(riid, IID_IPersistStreamInit))
        out = static_cast<IPersistStreamInit*>(this);
    else if (IsEqualIID(riid, IID_IPersistPropertyBag))
        out = static_cast<IPersistPropertyBag*>(this);
    else if (IsEqualIID(riid, IID_IPersistStorage))
        out = static_cast<IPersistStorage*>(this);
    else if (IsEqualIID(riid, IID_IObjectSafety))
        out = static_cast<IObjectSafety*>(this);
    *ppv = out;
    if (!out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) SpinEditBoxObject::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

STDMETHODIMP_(ULONG) SpinEditBoxObject::Release() {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT SpinEditBoxObject::Report(const Error& e) noexcept {
    const HRESULT code = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<int>(e.Number()));
    const HRESULT hr = Barrier([&] { return ReportOrThrow(e, code); });
    return hr == E_OUTOFMEMORY || hr == E_UNEXPECTED ? code : hr;
}

HRESULT SpinEditBoxObject::ReportOrThrow(const Error& e, HRESULT code) {
    if (e.Number() == ErrorNumber::InvalidPropertyValue && !UserMode()) {
        // The designer's property window: say so and keep the old value.
        HWND owner = nullptr;
        if (auto window = site_.As<IOleWindow>(IID_IOleInPlaceSite)) window->GetWindow(&owner);
        MessageBoxW(owner ? GetAncestor(owner, GA_ROOT) : nullptr, L"プロパティの値が不正です。", ControlName().c_str(),
                    MB_OK | MB_ICONSTOP);
        return S_FALSE;  // no error for the caller, and nothing changed
    }
    ReportError(e, kIidSpinEditBox);
    return code;
}

void SpinEditBoxObject::Changed(DISPID id) noexcept {
    dirty_ = true;
    // A colour set by hand no longer follows the site's.
    if (id == DISPID_SPINEDIT_FORECOLOR) foreFollowsAmbient_ = false;
    if (id == DISPID_SPINEDIT_DISABLECOLOR) disableFollowsAmbient_ = false;
    Barrier([&] {
        for (const ComPtr<IUnknown>& sink : notifyPoint_->Sinks())
            static_cast<IPropertyNotifySink*>(static_cast<void*>(sink.Get()))->OnChanged(id);
        return S_OK;
    });
    if (viewSink_) viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
}

void SpinEditBoxObject::RaiseEvent(const wchar_t* name, VARIANT* args, int count, bool always) {
    SpinEdit* box = Box();
    if (!box || (!always && !box->Model().RaiseEvents())) return;
    bridge_->Raise(name, args, count);
}

bool SpinEditBoxObject::Raises() const {
    SpinEdit* box = Box();
    return box && box->Model().RaiseEvents() && FiresEvents();
}

void SpinEditBoxObject::ShowAboutBox() {
    const std::wstring name = ControlName();
    HWND owner = window_ && inPlaceActive_ ? GetAncestor(window_, GA_ROOT) : nullptr;
    MessageBoxW(owner, SpinEditAboutText(name).c_str(), SpinEditAboutTitle(name).c_str(), MB_OK | MB_ICONINFORMATION);
}

void SpinEditBoxObject::ControlInfoChanged() {
    if (auto controlSite = site_.As<IOleControlSite>(IID_IOleControlSite)) controlSite->OnControlInfoChanged();
}

// IOleObject

STDMETHODIMP SpinEditBoxObject::SetClientSite(IOleClientSite* site) {
    return Barrier([&] {
        site_ = ComPtr<IOleClientSite>(site);
        if (site) {
            ApplyAmbientFont();
            if (SpinEdit* box = Box()) box->SetDesignMode(!UserMode());
        }
        return S_OK;
    });
}

STDMETHODIMP SpinEditBoxObject::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = site_.Get();
    if (*site) (*site)->AddRef();
    return S_OK;
}

STDMETHODIMP SpinEditBoxObject::Close(DWORD saveOption) {
    return Barrier([&] {
        if (saveOption == OLECLOSE_SAVEIFDIRTY && dirty_ && site_) site_->SaveObject();
        InPlaceDeactivate();
        if (adviseHolder_) adviseHolder_->SendOnClose();
        return S_OK;
    });
}

STDMETHODIMP SpinEditBoxObject::GetMoniker(DWORD, DWORD, IMoniker** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP SpinEditBoxObject::GetClipboardData(DWORD, IDataObject** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP SpinEditBoxObject::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND, LPCRECT posRect) {
    return Barrier([&] {
        switch (verb) {
            case OLEIVERB_PRIMARY:
            case OLEIVERB_SHOW:
            case OLEIVERB_OPEN:
            case OLEIVERB_UIACTIVATE:
                return Activate(true, activeSite, posRect);
            case OLEIVERB_INPLACEACTIVATE:
                return Activate(false, activeSite, posRect);
            case OLEIVERB_HIDE:
                UIDeactivate();
                Show(false);
                return S_OK;
            case OLEIVERB_DISCARDUNDOSTATE:
                return S_OK;
            default:
                return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
        }
    });
}

STDMETHODIMP SpinEditBoxObject::EnumVerbs(IEnumOLEVERB** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    // The standard verbs are all it has; none is registered for a menu.
    const HRESULT hr = OleRegEnumVerbs(kClsidSpinEditBox, out);
    if (SUCCEEDED(hr)) return hr;
    if (*out) (*out)->Release();
    *out = nullptr;
    return OLEOBJ_E_NOVERBS;
}

void SpinEditBoxObject::DragSelection() {
    drag_->DragSelection();
}

void SpinEditBoxObject::DropModeChanged() {
    drag_->Update();
}

namespace {

// The pointer a picture can be: an icon's or a cursor's handle, which the
// picture keeps while it is held.
HCURSOR PointerOf(const ComPtr<IPictureDisp>& picture) {
    auto p = picture.As<IPicture>(IID_IPicture);
    SHORT type = PICTYPE_NONE;
    OLE_HANDLE handle = 0;
    if (!p || FAILED(p->get_Type(&type)) || type != PICTYPE_ICON || FAILED(p->get_Handle(&handle))) return nullptr;
    return reinterpret_cast<HCURSOR>(static_cast<ULONG_PTR>(handle));
}

}  // namespace

void SpinEditBoxObject::PicturesChanged() {
    if (SpinEdit* box = Box())
        box->SetCustomCursors(PointerOf(pictures_.mouseIcon), PointerOf(pictures_.spinMouseIcon));
}

STDMETHODIMP SpinEditBoxObject::GetUserClassID(CLSID* clsid) {
    return GetClassID(clsid);
}

STDMETHODIMP SpinEditBoxObject::GetUserType(DWORD form, LPOLESTR* type) {
    if (!type) return E_POINTER;
    *type = nullptr;
    if (SUCCEEDED(OleRegGetUserType(kClsidSpinEditBox, form, type)) && *type) return S_OK;
    const std::size_t bytes = sizeof kSpinEditBoxClassName;
    *type = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (!*type) return E_OUTOFMEMORY;
    memcpy(*type, kSpinEditBoxClassName, bytes);
    return S_OK;
}

STDMETHODIMP SpinEditBoxObject::SetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (size->cx < 0 || size->cy < 0) return E_INVALIDARG;
    extent_ = *size;
    // While parked the window takes the size too, so that it lays itself out for drawing.
    if (!inPlaceActive_ && window_ && IsWindow(window_)) {
        const int dpi = ScreenDpi();
        SetWindowPos(window_, nullptr, 0, 0, HimetricToPixels(size->cx, dpi), HimetricToPixels(size->cy, dpi),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return S_OK;
}

STDMETHODIMP SpinEditBoxObject::GetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *size = extent_;
    return S_OK;
}

STDMETHODIMP SpinEditBoxObject::Advise(IAdviseSink* sink, DWORD* cookie) {
    if (!sink || !cookie) return E_POINTER;
    if (!adviseHolder_ && FAILED(CreateOleAdviseHolder(adviseHolder_.Put()))) return E_OUTOFMEMORY;
    return adviseHolder_->Advise(sink, cookie);
}

STDMETHODIMP SpinEditBoxObject::Unadvise(DWORD cookie) {
    return adviseHolder_ ? adviseHolder_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

STDMETHODIMP SpinEditBoxObject::EnumAdvise(IEnumSTATDATA** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return adviseHolder_ ? adviseHolder_->EnumAdvise(out) : E_FAIL;
}

STDMETHODIMP SpinEditBoxObject::GetMiscStatus(DWORD aspect, DWORD* status) {
    if (!status) return E_POINTER;
    *status = aspect == DVASPECT_CONTENT ? kSpinEditBoxMiscStatus : 0;
    return S_OK;
}

// IProvideClassInfo2

STDMETHODIMP SpinEditBoxObject::GetClassInfo(ITypeInfo** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Barrier([&] {
        ComPtr<ITypeLib> lib = ControlTypeLib();
        return lib ? lib->GetTypeInfoOfGuid(kClsidSpinEditBox, out) : TYPE_E_CANTLOADLIBRARY;
    });
}

STDMETHODIMP SpinEditBoxObject::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *guid = kDiidSpinEditBoxEvents;
    return S_OK;
}

// IConnectionPointContainer

STDMETHODIMP SpinEditBoxObject::EnumConnectionPoints(IEnumConnectionPoints** out) {
    return EnumeratePoints({eventPoint_.get(), notifyPoint_.get()}, out);
}

STDMETHODIMP SpinEditBoxObject::FindConnectionPoint(REFIID riid, IConnectionPoint** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, kDiidSpinEditBoxEvents))
        *out = eventPoint_.get();
    else if (IsEqualIID(riid, IID_IPropertyNotifySink))
        *out = notifyPoint_.get();
    if (!*out) return CONNECT_E_NOCONNECTION;
    (*out)->AddRef();
    return S_OK;
}

STDMETHODIMP SpinEditBoxObject::InterfaceSupportsErrorInfo(REFIID riid) {
    return IsEqualIID(riid, kIidSpinEditBox) || IsEqualIID(riid, IID_IDispatch) ? S_OK : S_FALSE;
}

}  // namespace brisko
