#include "host/win/component_events.h"

#include <algorithm>
#include <initializer_list>

#include "common/entry_frame.h"
#include "common/error.h"
#include "common/win/com_object.h"
#include "comserver/win/module.h"
#include "host/win/dispatch.h"
#include "host/win/extensibility.h"
#include "host/win/loader.h"

namespace brisko {
namespace {

// The object that an event passes as its first argument, or null.
IDispatch* FirstObjectArgument(const DISPPARAMS* params) {
    if (!params || params->cArgs < 1 || !params->rgvarg) return nullptr;
    const VARIANT& a = params->rgvarg[params->cArgs - 1];
    if (a.vt == VT_DISPATCH) return a.pdispVal;
    if (a.vt == (VT_DISPATCH | VT_BYREF) && a.ppdispVal) return *a.ppdispVal;
    return nullptr;
}

// An event sink for one outgoing dispinterface: names map to DISPIDs for
// late-bound callers, and every event goes to OnEvent.
template <const IID& kEvents>
class EventSink : public UntypedDispatch<IDispatch> {
public:
    EventSink() { ModuleAddRef(); }
    ~EventSink() override { ModuleRelease(); }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        return AnswerQueryInterface(static_cast<IDispatch*>(this), riid, ppv,
                                    {&IID_IUnknown, &IID_IDispatch, &kEvents});
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids) return E_POINTER;
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        if (count < 1 || !names[0]) return DISP_E_UNKNOWNNAME;
        if (lstrcmpiW(names[0], L"ItemAdded") == 0) ids[0] = DISPID_ItemAdded;
        if (lstrcmpiW(names[0], L"ItemRemoved") == 0) ids[0] = DISPID_ItemRemoved;
        return ids[0] == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        // A call from the IDE like any other: a disconnection meanwhile waits for it.
        const EntryFrame frame;
        try {
            OnEvent(id, FirstObjectArgument(params));
        } catch (...) {
            // A notification the add-in cannot handle is dropped; the IDE goes on.
        }
        return S_OK;
    }

protected:
    virtual void OnEvent(DISPID id, IDispatch* item) = 0;
};

}  // namespace

// Hands ItemAdded of a component to the loader it was made for, until the
// loader lets go of it; the IDE's other component events are ignored.
class ComponentEventsSink final : public EventSink<DIID_VBComponentsEvents> {
public:
    explicit ComponentEventsSink(Loader* owner) : owner_(owner) {}
    void Disown() { owner_ = nullptr; }

private:
    void OnEvent(DISPID id, IDispatch* component) override {
        if (id == DISPID_ItemAdded && owner_) owner_->ItemAdded(component);
    }
    Loader* owner_;
};

// Follows a project's components from when it opens to when it closes.
class ProjectEventsSink final : public EventSink<DIID_VBProjectsEvents> {
public:
    explicit ProjectEventsSink(ComponentEventsSubscription* owner) : owner_(owner) {}
    void Disown() { owner_ = nullptr; }

private:
    void OnEvent(DISPID id, IDispatch* project) override {
        if (!owner_ || !project) return;
        if (id == DISPID_ItemAdded) owner_->FollowProject(project);
        if (id == DISPID_ItemRemoved) owner_->ForgetProject(project);
    }
    ComponentEventsSubscription* owner_;
};

namespace {

// Advises `sink` on the source's connection point for `events`; an empty
// advice when the source has none or refuses.
template <class Advice>
Advice AdviseOn(IUnknown* source, const IID& events, IUnknown* sink) {
    Advice out;
    ComPtr<IConnectionPointContainer> container;
    if (!source ||
        FAILED(source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.Put()))) ||
        !container)
        return out;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    if (FAILED(container->FindConnectionPoint(events, point.Put())) || !point || FAILED(point->Advise(sink, &cookie)) ||
        cookie == 0)
        return out;
    out.point = point;
    out.cookie = cookie;
    return out;
}

const void* IdentityOf(IDispatch* object) {
    ComPtr<IUnknown> unknown;
    if (!object || FAILED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown.Put()))))
        return nullptr;
    return unknown.Get();
}

}  // namespace

void ComponentEventsSubscription::Advice::Unadvise() {
    if (point && cookie) point->Unadvise(cookie);
    cookie = 0;
    point.Reset();
}

ComponentEventsSubscription::ComponentEventsSubscription() = default;
ComponentEventsSubscription::~ComponentEventsSubscription() {
    Release();
}

void ComponentEventsSubscription::Subscribe(IDispatch* vbe, Loader& owner, bool perProject) {
    Release();
    componentsSink_ = ComPtr<ComponentEventsSink>::Attach(new ComponentEventsSink(&owner));
    try {
        const auto events = DispGetObject(vbe, L"Events");
        const auto source = DispGetObject(events.Get(), L"VBComponentsEvents", {Variant::Object(nullptr)});
        if (!source) throw Error(ErrorNumber::ObjectRequired, "no component events");
        all_ = AdviseOn<Advice>(source.Get(), DIID_VBComponentsEvents, componentsSink_.Get());
        if (!all_) throw Error(ErrorNumber::Automation, "component events cannot be subscribed");
    } catch (const Error& first) {
        // The VBA editor has no source for all projects. Without even its
        // projects, what failed first is what the IDE is told.
        if (!perProject) {
            Release();
            throw;
        }
        try {
            SubscribeToProjects(vbe);
        } catch (const Error&) {
            Release();
            throw first;
        }
    }
}

void ComponentEventsSubscription::SubscribeToProjects(IDispatch* vbe) {
    const auto projects = DispGetObject(vbe, L"VBProjects");
    if (!projects) throw Error(ErrorNumber::ObjectRequired, "no projects");
    const long count = DispGet(projects.Get(), L"Count").AsLong();
    // Projects opened from now on are followed too, when the IDE tells.
    projectsSink_ = ComPtr<ProjectEventsSink>::Attach(new ProjectEventsSink(this));
    projects_ = AdviseOn<Advice>(projects.Get(), DIID_VBProjectsEvents, projectsSink_.Get());
    for (long i = 1; i <= count; ++i) {
        try {
            FollowProject(DispGetObject(projects.Get(), L"Item", {Variant::Int(i)}).Get());
        } catch (const Error&) {
            // This project cannot be read; the others still can.
        }
    }
}

void ComponentEventsSubscription::FollowProject(IDispatch* project) {
    const void* identity = IdentityOf(project);
    if (!identity || !componentsSink_) return;
    if (std::any_of(perProject_.begin(), perProject_.end(),
                    [&](const ProjectAdvice& a) { return a.project == identity; }))
        return;
    const auto components = DispGetObject(project, L"VBComponents");
    Advice advice = AdviseOn<Advice>(components.Get(), DIID_VBComponentsEvents, componentsSink_.Get());
    if (advice) perProject_.push_back({identity, std::move(advice)});
}

void ComponentEventsSubscription::ForgetProject(IDispatch* project) {
    const void* identity = IdentityOf(project);
    const auto it = std::find_if(perProject_.begin(), perProject_.end(),
                                 [&](const ProjectAdvice& a) { return a.project == identity; });
    if (it == perProject_.end()) return;
    // Out of the list before the IDE hears of it: Unadvise may re-enter.
    Advice advice = std::move(it->advice);
    perProject_.erase(it);
    advice.Unadvise();
}

void ComponentEventsSubscription::Release() {
    if (componentsSink_) componentsSink_->Disown();
    if (projectsSink_) projectsSink_->Disown();
    std::vector<ProjectAdvice> followed = std::move(perProject_);
    perProject_.clear();
    for (ProjectAdvice& a : followed) a.advice.Unadvise();
    projects_.Unadvise();
    all_.Unadvise();
    componentsSink_.Reset();
    projectsSink_.Reset();
}

}  // namespace brisko
