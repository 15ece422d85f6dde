#include "host/win/component_events.h"

#include "common/error.h"
#include "common/win/com_object.h"
#include "host/win/dispatch.h"
#include "host/win/extensibility.h"
#include "host/win/loader.h"
#include "host/win/module.h"

namespace brisko {

// Receives the IDE's component events and hands ItemAdded to the loader it
// was made for, until the loader lets go of it.
class ComponentEventsSink final : public UntypedDispatch<IDispatch> {
public:
    explicit ComponentEventsSink(Loader* owner) : owner_(owner) { ModuleAddRef(); }
    ~ComponentEventsSink() override { ModuleRelease(); }
    void Disown() { owner_ = nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        return AnswerQueryInterface(static_cast<IDispatch*>(this), riid, ppv,
                                    {&IID_IUnknown, &IID_IDispatch, &DIID_VBComponentsEvents});
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids) return E_POINTER;
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        if (count >= 1 && names[0] && lstrcmpiW(names[0], L"ItemAdded") == 0) {
            ids[0] = DISPID_ItemAdded;
            return S_OK;
        }
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        // Only ItemAdded matters; the IDE's other component events are ignored.
        if (id != DISPID_ItemAdded || !owner_) return S_OK;
        try {
            IDispatch* component = nullptr;
            if (params && params->cArgs >= 1 && params->rgvarg) {
                const VARIANT& a = params->rgvarg[params->cArgs - 1];
                if (a.vt == VT_DISPATCH)
                    component = a.pdispVal;
                else if (a.vt == (VT_DISPATCH | VT_BYREF) && a.ppdispVal)
                    component = *a.ppdispVal;
            }
            owner_->ItemAdded(component);
        } catch (...) {
            // A notification the add-in cannot handle is dropped; the IDE goes on.
        }
        return S_OK;
    }

private:
    Loader* owner_;
};

ComponentEventsSubscription::ComponentEventsSubscription() = default;
ComponentEventsSubscription::~ComponentEventsSubscription() {
    Release();
}

void ComponentEventsSubscription::Subscribe(IDispatch* vbe, Loader& owner) {
    const auto events = DispGetObject(vbe, L"Events");
    const auto source = DispGetObject(events.Get(), L"VBComponentsEvents", {Variant::Object(nullptr)});
    if (!source) throw Error(ErrorNumber::ObjectRequired, "no component events");
    ComPtr<IConnectionPointContainer> container;
    if (FAILED(source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.Put()))))
        throw Error(ErrorNumber::Automation, "component events cannot be subscribed");
    ComPtr<IConnectionPoint> point;
    if (FAILED(container->FindConnectionPoint(DIID_VBComponentsEvents, point.Put())))
        throw Error(ErrorNumber::Automation, "component events cannot be subscribed");
    auto sink = ComPtr<ComponentEventsSink>::Attach(new ComponentEventsSink(&owner));
    DWORD cookie = 0;
    if (FAILED(point->Advise(sink.Get(), &cookie))) {
        sink->Disown();
        throw Error(ErrorNumber::Automation, "component events cannot be subscribed");
    }
    point_ = point;
    sink_ = sink;
    cookie_ = cookie;
}

void ComponentEventsSubscription::Release() {
    if (sink_) sink_->Disown();
    if (point_ && cookie_) point_->Unadvise(cookie_);
    cookie_ = 0;
    point_.Reset();
    sink_.Reset();
}

}  // namespace brisko
