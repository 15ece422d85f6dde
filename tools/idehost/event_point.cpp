#include "tools/idehost/event_point.h"

#include <oleauto.h>
#include <olectl.h>

#include <algorithm>

namespace brisko::idehost {

int EventPoint::Raise(DISPID id, IDispatch* argument) {
    ComPtr<IUnknown> keepOwner(&owner_);
    ComPtr<IDispatch> keepArgument(argument);
    const std::vector<Sink> snapshot = sinks_;
    int called = 0;
    for (const Sink& sink : snapshot) {
        const bool stillAdvised =
            std::any_of(sinks_.begin(), sinks_.end(), [&](const Sink& s) { return s.cookie == sink.cookie; });
        if (!stillAdvised) continue;
        VARIANTARG arg;
        VariantInit(&arg);
        arg.vt = VT_DISPATCH;
        arg.pdispVal = argument;
        DISPPARAMS params{&arg, nullptr, 1, 0};
        VARIANT result;
        VariantInit(&result);
        EXCEPINFO excep{};
        UINT argErr = 0;
        sink.dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, &excep, &argErr);
        VariantClear(&result);
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
        ++called;
    }
    return called;
}

HRESULT STDMETHODCALLTYPE EventPoint::PointContainer::QueryInterface(REFIID iid, void** out) {
    if (IsEqualIID(iid, IID_IConnectionPointContainer)) {
        if (!out) return E_POINTER;
        *out = this;
        AddRef();
        return S_OK;
    }
    return p_.owner_.QueryInterface(iid, out);
}

HRESULT STDMETHODCALLTYPE EventPoint::PointContainer::EnumConnectionPoints(IEnumConnectionPoints** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE EventPoint::PointContainer::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, p_.events_)) return CONNECT_E_NOCONNECTION;
    *out = &p_.point_;
    p_.point_.AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventPoint::Point::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IConnectionPoint)) return E_NOINTERFACE;
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventPoint::Point::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = p_.events_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventPoint::Point::GetConnectionPointContainer(IConnectionPointContainer** out) {
    if (!out) return E_POINTER;
    *out = &p_.container_;
    p_.container_.AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventPoint::Point::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    if (p_.refusing_) return CONNECT_E_ADVISELIMIT;
    // Like the IDE, take only sinks that implement the outgoing interface.
    ComPtr<IDispatch> dispatch;
    if (FAILED(sink->QueryInterface(p_.events_, reinterpret_cast<void**>(dispatch.Put()))) || !dispatch)
        return CONNECT_E_CANNOTCONNECT;
    try {
        p_.sinks_.push_back(Sink{p_.nextCookie_, dispatch});
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    *cookie = p_.nextCookie_++;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventPoint::Point::Unadvise(DWORD cookie) {
    auto& sinks = p_.sinks_;
    auto it = std::find_if(sinks.begin(), sinks.end(), [&](const Sink& s) { return s.cookie == cookie; });
    if (it == sinks.end()) return CONNECT_E_NOCONNECTION;
    // Release the sink after it has left the list: its Release may re-enter.
    ComPtr<IDispatch> gone = std::move(it->dispatch);
    sinks.erase(it);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventPoint::Point::EnumConnections(IEnumConnections** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

}  // namespace brisko::idehost
