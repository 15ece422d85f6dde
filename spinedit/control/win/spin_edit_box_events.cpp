#include "spinedit/control/win/spin_edit_box_events.h"

#include <initializer_list>
#include <new>

#include "common/units.h"
#include "common/win/com_object.h"
#include "common/win/gdi.h"
#include "spinedit/control/win/enumerator.h"
#include "spinedit/control/win/event_args.h"
#include "spinedit/control/win/spin_edit_box.h"

namespace brisko {

std::vector<ComPtr<IUnknown>> ConnectionPoint::Sinks() const {
    std::vector<ComPtr<IUnknown>> out;
    out.reserve(sinks_.size());
    for (const auto& s : sinks_) out.push_back(s.second);
    return out;
}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)) {
        *ppv = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ConnectionPoint::AddRef() {
    return owner_.AddRef();
}

STDMETHODIMP_(ULONG) ConnectionPoint::Release() {
    return owner_.Release();
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = iid_;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
    if (!out) return E_POINTER;
    *out = &owner_;
    owner_.AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (cookie) *cookie = 0;
    if (!sink || !cookie) return E_POINTER;
    return Barrier([&] {
        // The sink is kept as the interface it answers for; an event sink
        // may answer only IDispatch.
        IUnknown* wanted = nullptr;
        if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(&wanted))) || !wanted) {
            wanted = nullptr;
            if (IsEqualIID(iid_, IID_IPropertyNotifySink) ||
                FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&wanted))) || !wanted)
                return CONNECT_E_CANNOTCONNECT;
        }
        ComPtr<IUnknown> held = ComPtr<IUnknown>::Attach(wanted);
        sinks_.emplace_back(nextCookie_, std::move(held));
        *cookie = nextCookie_++;
        return S_OK;
    });
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
        if (it->first == cookie) {
            // Released after it has left the list, in case its release calls back.
            ComPtr<IUnknown> gone = std::move(it->second);
            sinks_.erase(it);
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

namespace {

HRESULT CopyPoint(const ComPtr<IConnectionPoint>& point, IConnectionPoint** out) {
    *out = point.Get();
    (*out)->AddRef();
    return S_OK;
}

// The control's connection points for a container that lists them.
using PointEnumerator = Enumerator<IEnumConnectionPoints, IID_IEnumConnectionPoints, ComPtr<IConnectionPoint>,
                                   IConnectionPoint*, &CopyPoint>;

}  // namespace

HRESULT EnumeratePoints(std::initializer_list<IConnectionPoint*> points, IEnumConnectionPoints** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Barrier([&] {
        std::vector<ComPtr<IConnectionPoint>> held;
        for (IConnectionPoint* p : points) held.emplace_back(p);
        *out = new PointEnumerator(std::move(held));
        return S_OK;
    });
}

EventBridge::EventBridge(SpinEditBoxObject& owner, ConnectionPoint& point) : owner_(owner), point_(point) {
    if (ComPtr<ITypeLib> lib = ControlTypeLib()) lib->GetTypeInfoOfGuid(kDiidSpinEditBoxEvents, info_.Put());
}

const EventBridge::Signature* EventBridge::Find(const wchar_t* name) {
    if (auto it = signatures_.find(name); it != signatures_.end()) return &it->second;
    if (!info_) return nullptr;
    Signature sig;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(info_->GetIDsOfNames(names, 1, &sig.id))) return nullptr;
    TYPEATTR* attr = nullptr;
    if (FAILED(info_->GetTypeAttr(&attr)) || !attr) return nullptr;
    const UINT functions = attr->cFuncs;
    info_->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < functions; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(info_->GetFuncDesc(i, &f)) || !f) continue;
        if (f->memid == sig.id) {
            for (SHORT p = 0; p < f->cParams; ++p) {
                const TYPEDESC* t = &f->lprgelemdescParam[p].tdesc;
                const bool byRef = t->vt == VT_PTR && t->lptdesc;
                VARTYPE vt = byRef ? t->lptdesc->vt : t->vt;
                if (vt == VT_USERDEFINED) vt = VT_I4;  // the enumerations
                sig.types.push_back(vt);
                sig.byRef.push_back(byRef);
            }
        }
        info_->ReleaseFuncDesc(f);
    }
    return &signatures_.emplace(name, std::move(sig)).first->second;
}

// A handler may let the control go: the message that raised the event holds
// it until the message is over (SpinEdit's keeper), and a container's call
// holds it by the rules of COM.
void EventBridge::Raise(const wchar_t* name, VARIANT* args, int count) noexcept {
    try {
        RaiseOrThrow(name, args, count);
    } catch (...) {
        // An event that cannot be raised (no memory for its arguments) is skipped.
    }
}

void EventBridge::RaiseOrThrow(const wchar_t* name, VARIANT* args, int count) {
    if (!owner_.FiresEvents()) return;
    std::vector<ComPtr<IUnknown>> sinks = point_.Sinks();
    if (sinks.empty()) return;
    const Signature* sig = Find(name);
    if (!sig || static_cast<int>(sig->types.size()) != count) return;
    EventArgs store(count);
    std::vector<VARIANT> passed(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        VARIANT& s = store.Data()[i];
        const VARTYPE vt = sig->types[static_cast<std::size_t>(i)];
        const HRESULT hr = vt == VT_VARIANT ? VariantCopy(&s, &args[i]) : VariantChangeType(&s, &args[i], 0, vt);
        if (FAILED(hr)) return;
        // The dispatch convention passes the last argument first.
        VARIANT& p = passed[static_cast<std::size_t>(count - 1 - i)];
        VariantInit(&p);
        if (!sig->byRef[static_cast<std::size_t>(i)]) {
            p = s;  // a shallow view; store owns it
        } else if (vt == VT_VARIANT) {
            V_VT(&p) = VT_BYREF | VT_VARIANT;
            V_VARIANTREF(&p) = &s;
        } else {
            V_VT(&p) = static_cast<VARTYPE>(VT_BYREF | vt);
            V_BYREF(&p) = &V_I4(&s);  // the start of the value, whatever its type
        }
    }
    DISPPARAMS params{passed.data(), nullptr, static_cast<UINT>(count), 0};
    for (const ComPtr<IUnknown>& sink : sinks) {
        // Advise keeps what the sink answered for the event interface, an IDispatch.
        auto* target = static_cast<IDispatch*>(static_cast<void*>(sink.Get()));
        EXCEPINFO error{};
        target->Invoke(sig->id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &error, nullptr);
        SysFreeString(error.bstrSource);
        SysFreeString(error.bstrDescription);
        SysFreeString(error.bstrHelpFile);
    }
    for (int i = 0; i < count; ++i) {
        if (!sig->byRef[static_cast<std::size_t>(i)]) continue;
        VariantClear(&args[i]);
        VariantCopy(&args[i], &store.Data()[i]);
    }
}

void EventBridge::Mouse(UINT msg, WPARAM keys, POINT at) {
    std::int16_t button = 0;
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
            button = 1;
            break;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            button = 2;
            break;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            button = 4;
            break;
        default:  // a move: the buttons held
            button = static_cast<std::int16_t>(((keys & MK_LBUTTON) ? 1 : 0) | ((keys & MK_RBUTTON) ? 2 : 0) |
                                               ((keys & MK_MBUTTON) ? 4 : 0));
            break;
    }
    const auto shift = static_cast<std::int16_t>(((keys & MK_SHIFT) ? 1 : 0) | ((keys & MK_CONTROL) ? 2 : 0) |
                                                 (GetKeyState(VK_MENU) < 0 ? 4 : 0));
    // In the container's units, as its own controls' events give them.
    const auto [x, y] = owner_.ContainerPoint(at);
    VARIANT a[4];
    V_VT(&a[0]) = VT_I2;
    V_I2(&a[0]) = button;
    V_VT(&a[1]) = VT_I2;
    V_I2(&a[1]) = shift;
    V_VT(&a[2]) = VT_R4;
    V_R4(&a[2]) = x;
    V_VT(&a[3]) = VT_R4;
    V_R4(&a[3]) = y;
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            owner_.RaiseEvent(L"MouseDown", a, 4);
            break;
        case WM_LBUTTONDBLCLK:
            owner_.RaiseEvent(L"MouseDown", a, 4);
            owner_.RaiseEvent(L"DblClick", nullptr, 0);
            break;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            owner_.RaiseEvent(L"MouseUp", a, 4);
            if (msg == WM_LBUTTONUP) owner_.RaiseEvent(L"Click", nullptr, 0);
            break;
        case WM_MOUSEMOVE:
            owner_.RaiseEvent(L"MouseMove", a, 4);
            break;
        default:
            break;
    }
}

void EventBridge::Change() {
    Raise(L"Change", nullptr, 0);
}

void EventBridge::ChangeValue() {
    Raise(L"ChangeValue", nullptr, 0);
}

void EventBridge::SpinBeforeClick(std::int32_t upDown, bool& cancel) {
    EventArgs a(2);
    a.I4(0, upDown);
    a.Bool(1, cancel);
    Raise(L"SpinBeforeClick", a.Data(), a.Count());
    cancel = a.BoolOf(1, cancel);
}

void EventBridge::SpinClick(std::int32_t upDown) {
    EventArgs a(1);
    a.I4(0, upDown);
    Raise(L"SpinClick", a.Data(), a.Count());
}

void EventBridge::OnPaste(std::wstring& text, bool& cancel) {
    EventArgs a(2);
    a.Str(0, text);
    a.Bool(1, cancel);
    Raise(L"OnPaste", a.Data(), a.Count());
    text = a.StrOf(0, text);
    cancel = a.BoolOf(1, cancel);
}

void EventBridge::RaiseKey(const wchar_t* name, std::int16_t& keyCode, std::int16_t& shift, bool* cancel) {
    EventArgs a(cancel ? 3 : 2);
    a.I2(0, keyCode);
    a.I2(1, shift);
    if (cancel) a.Bool(2, *cancel);
    Raise(name, a.Data(), a.Count());
    keyCode = a.I2Of(0, keyCode);
    shift = a.I2Of(1, shift);
    if (cancel) *cancel = a.BoolOf(2, *cancel);
}

void EventBridge::BeforeKeyDown(std::int16_t& keyCode, std::int16_t& shift, bool& cancel) {
    RaiseKey(L"BeforeKeyDown", keyCode, shift, &cancel);
}

void EventBridge::KeyDown(std::int16_t& keyCode, std::int16_t& shift) {
    RaiseKey(L"KeyDown", keyCode, shift, nullptr);
}

void EventBridge::KeyPress(std::int16_t& keyAscii) {
    EventArgs a(1);
    a.I2(0, keyAscii);
    Raise(L"KeyPress", a.Data(), a.Count());
    keyAscii = a.I2Of(0, keyAscii);
}

void EventBridge::KeyPress2(std::int16_t& keyAscii, std::int16_t shift) {
    EventArgs a(2);
    a.I2(0, keyAscii);
    a.I2(1, shift);
    Raise(L"KeyPress2", a.Data(), a.Count());
    keyAscii = a.I2Of(0, keyAscii);
}

void EventBridge::BeforeKeyUp(std::int16_t& keyCode, std::int16_t& shift, bool& cancel) {
    RaiseKey(L"BeforeKeyUp", keyCode, shift, &cancel);
}

void EventBridge::KeyUp(std::int16_t& keyCode, std::int16_t& shift) {
    RaiseKey(L"KeyUp", keyCode, shift, nullptr);
}

}  // namespace brisko
