#include "tools/idehost/object_model.h"

#include <oleauto.h>
#include <olectl.h>

#include <algorithm>
#include <array>

#include "host/win/extensibility.h"

namespace brisko::idehost {
namespace {

bool SameTextIgnoringCase(const std::wstring& a, const wchar_t* b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b, -1, TRUE) == CSTR_EQUAL;
}

// Collections take a 1-based index or, as the IDE's do, a name.
enum class Key { Index, Name, Bad };
Key ReadKey(const Args& args, long& index, std::wstring& name) {
    const VARIANT& v = args.At(0);
    if (v.vt == VT_BSTR) {
        name.assign(v.bstrVal ? v.bstrVal : L"", v.bstrVal ? SysStringLen(v.bstrVal) : 0);
        return Key::Name;
    }
    return args.ToLong(0, index) ? Key::Index : Key::Bad;
}

std::wstring IndexPath(const std::wstring& base, long i) {
    return base + L"(" + std::to_wstring(i) + L")";
}

}  // namespace

// ---- Component ----------------------------------------------------------

namespace {
enum : DISPID { kCompName = 1, kCompType, kCompFileNames, kCompFileCount };
constexpr std::array kComponentMembers{
    Member{L"Name", kCompName, 0, 0},
    Member{L"Type", kCompType, 0, 0},
    Member{L"FileNames", kCompFileNames, 1, 1},
    Member{L"FileCount", kCompFileCount, 0, 0},
};
}  // namespace

Component::Component(std::wstring name, long type, std::wstring fileName)
    : name_(std::move(name)), type_(type), fileName_(std::move(fileName)) {}

std::span<const Member> Component::Members() const {
    return kComponentMembers;
}

HRESULT Component::Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) {
    switch (id) {
        case kCompName:
            SetString(result, name_);
            return S_OK;
        case kCompType:
            SetLong(result, type_);
            return S_OK;
        case kCompFileCount:
            SetLong(result, 1);
            return S_OK;
        case kCompFileNames: {
            long index = 0;
            if (!args.ToLong(0, index)) {
                argErr = 0;
                return DISP_E_TYPEMISMATCH;
            }
            if (index != 1) return DISP_E_BADINDEX;
            SetString(result, fileName_);
            return S_OK;
        }
    }
    return DISP_E_MEMBERNOTFOUND;
}

// ---- Components ---------------------------------------------------------

namespace {
enum : DISPID { kCollCount = 1 };
constexpr std::array kCollectionMembers{
    Member{L"Count", kCollCount, 0, 0},
    Member{L"Item", DISPID_VALUE, 1, 1},
};
}  // namespace

Component* Components::At(long index) const {
    if (index < 1 || index > Count()) return nullptr;
    return items_[static_cast<size_t>(index - 1)].Get();
}

Component* Components::Find(const std::wstring& name) const {
    for (const auto& c : items_) {
        if (SameTextIgnoringCase(name, c->Name().c_str())) return c.Get();
    }
    return nullptr;
}

std::span<const Member> Components::Members() const {
    return kCollectionMembers;
}

// Count and Item (by 1-based index or by name) of the model's collections.
template <class Collection>
HRESULT CallCollection(const Collection& c, DISPID id, const Args& args, VARIANT& result, unsigned& argErr) {
    if (id == kCollCount) {
        SetLong(result, c.Count());
        return S_OK;
    }
    long index = 0;
    std::wstring name;
    decltype(c.At(0)) found = nullptr;
    switch (ReadKey(args, index, name)) {
        case Key::Index:
            found = c.At(index);
            break;
        case Key::Name:
            found = c.Find(name);
            break;
        case Key::Bad:
            argErr = 0;
            return DISP_E_TYPEMISMATCH;
    }
    if (!found) return DISP_E_BADINDEX;
    SetObject(result, found);
    return S_OK;
}

HRESULT Components::Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) {
    return CallCollection(*this, id, args, result, argErr);
}

// ---- Project ------------------------------------------------------------

namespace {
enum : DISPID { kProjName = 1, kProjComponents };
constexpr std::array kProjectMembers{
    Member{L"Name", kProjName, 0, 0},
    Member{L"VBComponents", kProjComponents, 0, 0},
};
}  // namespace

Project::Project(std::wstring name, std::uint64_t id, ComPtr<Events> events)
    : name_(std::move(name)), id_(id), components_(Make<Components>()), events_(std::move(events)) {}

Component& Project::AddComponent(std::wstring name, long type, std::wstring fileName) {
    auto component = Make<Component>(std::move(name), type, std::move(fileName));
    components_->items_.push_back(component);
    if (events_) events_->RaiseItemAdded(id_, *component.Get());
    return *component.Get();
}

bool Project::RemoveComponent(const std::wstring& name) {
    auto& items = components_->items_;
    auto it = std::find_if(items.begin(), items.end(),
                           [&](const ComPtr<Component>& c) { return SameTextIgnoringCase(name, c->Name().c_str()); });
    if (it == items.end()) return false;
    items.erase(it);
    return true;
}

std::span<const Member> Project::Members() const {
    return kProjectMembers;
}

HRESULT Project::Call(DISPID id, const Args&, VARIANT& result, unsigned&) {
    switch (id) {
        case kProjName:
            SetString(result, name_);
            return S_OK;
        case kProjComponents:
            SetObject(result, components_.Get());
            return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
}

// ---- Projects -----------------------------------------------------------

Project* Projects::At(long index) const {
    if (index < 1 || index > Count()) return nullptr;
    return items_[static_cast<size_t>(index - 1)].Get();
}

Project* Projects::Find(const std::wstring& name) const {
    for (const auto& p : items_) {
        if (p->Name() == name) return p.Get();
    }
    return nullptr;
}

std::span<const Member> Projects::Members() const {
    return kCollectionMembers;
}

HRESULT Projects::Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) {
    return CallCollection(*this, id, args, result, argErr);
}

// ---- ComponentsEvents ---------------------------------------------------

ComponentsEvents::ComponentsEvents() = default;

HRESULT STDMETHODCALLTYPE ComponentsEvents::QueryInterface(REFIID iid, void** out) {
    return DispatchObject::QueryInterface(iid, out);
}

void* ComponentsEvents::QueryOther(REFIID iid) {
    if (IsEqualIID(iid, IID_IConnectionPointContainer)) return static_cast<IConnectionPointContainer*>(this);
    return nullptr;
}

std::span<const Member> ComponentsEvents::Members() const {
    return {};
}

HRESULT ComponentsEvents::Call(DISPID, const Args&, VARIANT&, unsigned&) {
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT STDMETHODCALLTYPE ComponentsEvents::EnumConnectionPoints(IEnumConnectionPoints** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ComponentsEvents::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, DIID_VBComponentsEvents)) return CONNECT_E_NOCONNECTION;
    *out = &point_;
    point_.AddRef();
    return S_OK;
}

int ComponentsEvents::RaiseItemAdded(Component& component) {
    // A sink may drop the last reference to this source, or unadvise
    // itself or others, while it handles the event.
    ComPtr<ComponentsEvents> keepSource(this);
    ComPtr<Component> keepComponent(&component);
    const std::vector<Sink> snapshot = sinks_;
    int called = 0;
    for (const Sink& sink : snapshot) {
        const bool stillAdvised =
            std::any_of(sinks_.begin(), sinks_.end(), [&](const Sink& s) { return s.cookie == sink.cookie; });
        if (!stillAdvised) continue;
        VARIANTARG arg;
        VariantInit(&arg);
        arg.vt = VT_DISPATCH;
        arg.pdispVal = static_cast<IDispatch*>(&component);
        DISPPARAMS params{&arg, nullptr, 1, 0};
        VARIANT result;
        VariantInit(&result);
        EXCEPINFO excep{};
        UINT argErr = 0;
        // The IDE goes on with the next sink whatever this one answers.
        sink.dispatch->Invoke(DISPID_ItemAdded, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result,
                              &excep, &argErr);
        VariantClear(&result);
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
        ++called;
    }
    return called;
}

HRESULT STDMETHODCALLTYPE ComponentsEvents::Point::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IConnectionPoint)) return E_NOINTERFACE;
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ComponentsEvents::Point::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = DIID_VBComponentsEvents;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ComponentsEvents::Point::GetConnectionPointContainer(IConnectionPointContainer** out) {
    if (!out) return E_POINTER;
    *out = static_cast<IConnectionPointContainer*>(&owner_);
    owner_.AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ComponentsEvents::Point::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    // Like the IDE, take only sinks that implement the outgoing interface.
    ComPtr<IDispatch> dispatch;
    if (FAILED(sink->QueryInterface(DIID_VBComponentsEvents, reinterpret_cast<void**>(dispatch.Put()))) || !dispatch)
        return CONNECT_E_CANNOTCONNECT;
    try {
        owner_.sinks_.push_back(Sink{owner_.nextCookie_, dispatch});
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    *cookie = owner_.nextCookie_++;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ComponentsEvents::Point::Unadvise(DWORD cookie) {
    auto& sinks = owner_.sinks_;
    auto it = std::find_if(sinks.begin(), sinks.end(), [&](const Sink& s) { return s.cookie == cookie; });
    if (it == sinks.end()) return CONNECT_E_NOCONNECTION;
    // Release the sink after it has left the list: its Release may re-enter.
    ComPtr<IDispatch> gone = std::move(it->dispatch);
    sinks.erase(it);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ComponentsEvents::Point::EnumConnections(IEnumConnections** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

// ---- Events -------------------------------------------------------------

namespace {
enum : DISPID { kEventsComponents = 1 };
constexpr std::array kEventsMembers{
    Member{L"VBComponentsEvents", kEventsComponents, 0, 1},
};
}  // namespace

ComponentsEvents& Events::VBComponentsEvents(std::uint64_t projectId) {
    for (auto& [id, source] : sources_) {
        if (id == projectId) return *source.Get();
    }
    sources_.emplace_back(projectId, Make<ComponentsEvents>());
    return *sources_.back().second.Get();
}

void Events::RaiseItemAdded(std::uint64_t projectId, Component& component) {
    auto snapshot = sources_;
    for (auto& [id, source] : snapshot) {
        if (id == 0 || id == projectId) source->RaiseItemAdded(component);
    }
}

std::span<const Member> Events::Members() const {
    return kEventsMembers;
}

HRESULT Events::Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) {
    if (id != kEventsComponents) return DISP_E_MEMBERNOTFOUND;
    std::uint64_t projectId = 0;
    if (!args.Missing(0)) {
        const VARIANT& v = args.At(0);
        if (v.vt != VT_DISPATCH && v.vt != VT_UNKNOWN) {
            argErr = 0;
            return DISP_E_TYPEMISMATCH;
        }
        // Nothing means every project.
        if (v.punkVal) {
            ComPtr<IDispatch> own;
            if (FAILED(v.punkVal->QueryInterface(IID_IdeHostObject, reinterpret_cast<void**>(own.Put()))) || !own) {
                argErr = 0;
                return DISP_E_TYPEMISMATCH;
            }
            auto* project = dynamic_cast<Project*>(static_cast<DispatchObject*>(own.Get()));
            if (!project) {
                argErr = 0;
                return DISP_E_TYPEMISMATCH;
            }
            projectId = project->Id();
        }
    }
    ComponentsEvents& source = VBComponentsEvents(projectId);
    SetObject(result, static_cast<IDispatch*>(static_cast<DispatchObject*>(&source)));
    return S_OK;
}

// ---- MainWindowObject ---------------------------------------------------

namespace {
enum : DISPID { kWinHwnd = 1, kWinCaption, kWinVisible };
constexpr std::array kWindowMembers{
    Member{L"hWnd", kWinHwnd, 0, 0},
    Member{L"Caption", kWinCaption, 0, 0},
    Member{L"Visible", kWinVisible, 0, 0},
};
}  // namespace

std::span<const Member> MainWindowObject::Members() const {
    return kWindowMembers;
}

HRESULT MainWindowObject::Call(DISPID id, const Args&, VARIANT& result, unsigned&) {
    switch (id) {
        case kWinHwnd:
            // A Long, as the IDE answers; window handles fit in 32 bits on 64-bit Windows too.
            SetLong(result, static_cast<long>(reinterpret_cast<LONG_PTR>(hwnd_)));
            return S_OK;
        case kWinCaption: {
            std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
            text.resize(static_cast<size_t>(GetWindowTextW(hwnd_, text.data(), static_cast<int>(text.size()))));
            SetString(result, text);
            return S_OK;
        }
        case kWinVisible:
            SetBool(result, IsWindowVisible(hwnd_) != FALSE);
            return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
}

// ---- Vbe ----------------------------------------------------------------

namespace {
enum : DISPID { kVbeVersion = 1, kVbeMainWindow, kVbeEvents, kVbeProjects, kVbeActiveProject };
constexpr std::array kVbeMembers{
    Member{L"Version", kVbeVersion, 0, 0},
    Member{L"MainWindow", kVbeMainWindow, 0, 0},
    Member{L"Events", kVbeEvents, 0, 0},
    Member{L"VBProjects", kVbeProjects, 0, 0},
    Member{L"ActiveVBProject", kVbeActiveProject, 0, 0},
};
}  // namespace

Vbe::Vbe(HWND mainWindow)
    : mainWindow_(Make<MainWindowObject>(mainWindow)), events_(Make<Events>()), projects_(Make<Projects>()) {}

Project& Vbe::AddProject(std::wstring name) {
    auto project = Make<Project>(std::move(name), nextProjectId_++, events_);
    projects_->items_.push_back(project);
    if (!active_) active_ = project;
    return *project.Get();
}

bool Vbe::RemoveProject(const Project& project) {
    auto& items = projects_->items_;
    auto it = std::find_if(items.begin(), items.end(), [&](const ComPtr<Project>& p) { return p.Get() == &project; });
    if (it == items.end()) return false;
    ComPtr<Project> gone = *it;
    items.erase(it);
    if (active_.Get() == gone.Get()) active_ = items.empty() ? ComPtr<Project>() : items.front();
    return true;
}

void Vbe::SetActiveProject(Project* project) {
    active_ = ComPtr<Project>(project);
}

std::span<const Member> Vbe::Members() const {
    return kVbeMembers;
}

HRESULT Vbe::Call(DISPID id, const Args&, VARIANT& result, unsigned&) {
    switch (id) {
        case kVbeVersion:
            SetString(result, L"6.00");
            return S_OK;
        case kVbeMainWindow:
            SetObject(result, mainWindow_.Get());
            return S_OK;
        case kVbeEvents:
            SetObject(result, events_.Get());
            return S_OK;
        case kVbeProjects:
            SetObject(result, projects_.Get());
            return S_OK;
        case kVbeActiveProject:
            SetObject(result, active_.Get());
            return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
}

std::map<std::wstring, ULONG> Vbe::RefCounts() const {
    std::map<std::wstring, ULONG> counts;
    counts[L"VBE"] = RefCount();
    counts[L"VBE.MainWindow"] = mainWindow_->RefCount();
    counts[L"VBE.Events"] = events_->RefCount();
    for (const auto& [id, source] : events_->Sources()) {
        std::wstring which = L"Nothing";
        if (id != 0) {
            which = L"#" + std::to_wstring(id);
            for (const auto& p : projects_->items_) {
                if (p->Id() == id) which = p->Name();
            }
        }
        counts[L"VBE.Events.VBComponentsEvents(" + which + L")"] = source->RefCount();
    }
    counts[L"VBE.VBProjects"] = projects_->RefCount();
    for (long i = 1; i <= projects_->Count(); ++i) {
        const Project& p = *projects_->At(i);
        const std::wstring path = IndexPath(L"VBE.VBProjects", i);
        counts[path] = p.RefCount();
        counts[path + L".VBComponents"] = p.VBComponents().RefCount();
        for (long j = 1; j <= p.VBComponents().Count(); ++j) {
            counts[IndexPath(path + L".VBComponents", j)] = p.VBComponents().At(j)->RefCount();
        }
    }
    return counts;
}

// ---- AddInInstance ------------------------------------------------------

namespace {
enum : DISPID { kAddInProgId = 1, kAddInDescription, kAddInConnect, kAddInObject };
constexpr std::array kAddInMembers{
    Member{L"ProgId", kAddInProgId, 0, 0},
    Member{L"Description", kAddInDescription, 0, 0},
    Member{L"Connect", kAddInConnect, 0, 0},
    Member{L"Object", kAddInObject, 0, 0},
};
}  // namespace

AddInInstance::AddInInstance(std::wstring progId, std::wstring description)
    : progId_(std::move(progId)), description_(std::move(description)) {}

std::span<const Member> AddInInstance::Members() const {
    return kAddInMembers;
}

HRESULT AddInInstance::Call(DISPID id, const Args&, VARIANT& result, unsigned&) {
    switch (id) {
        case kAddInProgId:
            SetString(result, progId_);
            return S_OK;
        case kAddInDescription:
            SetString(result, description_);
            return S_OK;
        case kAddInConnect:
            SetBool(result, connected_);
            return S_OK;
        case kAddInObject:
            SetObject(result, nullptr);
            return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
}

}  // namespace brisko::idehost
