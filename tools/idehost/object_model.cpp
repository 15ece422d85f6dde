#include "tools/idehost/object_model.h"

#include <oleauto.h>
#include <olectl.h>

#include <algorithm>
#include <array>

#include "host/win/extensibility.h"
#include "tracking/classify.h"

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

Component::Component(std::wstring name, long type, std::wstring fileName, IdeKind ide)
    : name_(std::move(name)), type_(type), fileName_(std::move(fileName)), ide_(ide) {}

std::span<const Member> Component::Members() const {
    // The VBA editor's components are stored in their document, not in files.
    if (ide_ == IdeKind::VbaEditor) return std::span(kComponentMembers).first(2);
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

Components::Components(IdeKind ide) : ide_(ide), events_(*this, DIID_VBComponentsEvents) {}

void* Components::QueryOther(REFIID iid) {
    if (ide_ == IdeKind::VbaEditor && IsEqualIID(iid, IID_IConnectionPointContainer)) return events_.Container();
    return nullptr;
}

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
enum : DISPID { kProjName = 1, kProjComponents, kProjFileName };
constexpr std::array kProjectMembers{
    Member{L"Name", kProjName, 0, 0},
    Member{L"VBComponents", kProjComponents, 0, 0},
    Member{L"FileName", kProjFileName, 0, 0},
};
}  // namespace

Project::Project(std::wstring name, std::uint64_t id, ComPtr<Events> events, IdeKind ide)
    : name_(std::move(name)), id_(id), components_(Make<Components>(ide)), events_(std::move(events)), ide_(ide) {}

Component& Project::AddComponent(std::wstring name, long type, std::wstring fileName) {
    auto component = Make<Component>(std::move(name), type, std::move(fileName), ide_);
    components_->items_.push_back(component);
    if (events_) events_->RaiseItemAdded(id_, *component.Get());
    components_->EventSource().Raise(DISPID_ItemAdded, component.Get());
    return *component.Get();
}

bool Project::RemoveComponent(const std::wstring& name) {
    auto& items = components_->items_;
    auto it = std::find_if(items.begin(), items.end(),
                           [&](const ComPtr<Component>& c) { return SameTextIgnoringCase(name, c->Name().c_str()); });
    if (it == items.end()) return false;
    ComPtr<Component> gone = *it;
    items.erase(it);
    components_->EventSource().Raise(DISPID_ItemRemoved, gone.Get());
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
            if (protected_) return E_ACCESSDENIED;
            SetObject(result, components_.Get());
            return S_OK;
        case kProjFileName:
            // A document never saved has no path: the VBA editor raises.
            if (fileName_.empty() && ide_ == IdeKind::VbaEditor) return STG_E_FILENOTFOUND;
            SetString(result, fileName_);
            return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
}

// ---- Projects -----------------------------------------------------------

Projects::Projects(IdeKind ide) : ide_(ide), events_(*this, DIID_VBProjectsEvents) {}

void* Projects::QueryOther(REFIID iid) {
    if (ide_ == IdeKind::VbaEditor && IsEqualIID(iid, IID_IConnectionPointContainer)) return events_.Container();
    return nullptr;
}

Project* Projects::FindByNameOrDocument(const std::wstring& nameOrDocument) const {
    if (Project* p = Find(nameOrDocument)) return p;
    for (const auto& p : items_) {
        if (SameTextIgnoringCase(nameOrDocument, p->Document().c_str())) return p.Get();
    }
    return nullptr;
}

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

ComponentsEvents::ComponentsEvents() : events_(*this, DIID_VBComponentsEvents) {}

void* ComponentsEvents::QueryOther(REFIID iid) {
    if (IsEqualIID(iid, IID_IConnectionPointContainer)) return events_.Container();
    return nullptr;
}

std::span<const Member> ComponentsEvents::Members() const {
    return {};
}

HRESULT ComponentsEvents::Call(DISPID, const Args&, VARIANT&, unsigned&) {
    return DISP_E_MEMBERNOTFOUND;
}

int ComponentsEvents::RaiseItemAdded(Component& component) {
    return events_.Raise(DISPID_ItemAdded, &component);
}

// ---- Events -------------------------------------------------------------

namespace {
enum : DISPID { kEventsComponents = 1, kEventsCommandBar, kEventsReferences };
constexpr std::array kEventsMembers{
    Member{L"VBComponentsEvents", kEventsComponents, 0, 1},
    Member{L"CommandBarEvents", kEventsCommandBar, 1, 1},
    Member{L"ReferencesEvents", kEventsReferences, 0, 1},
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
    // The VBA editor's Events has command bar and reference events only.
    if (ide_ == IdeKind::VbaEditor) return std::span(kEventsMembers).subspan(1);
    return std::span(kEventsMembers).first(1);
}

HRESULT Events::Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) {
    // Sources the add-in does not use are not played.
    if (id != kEventsComponents) return E_NOTIMPL;
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

// ---- WindowObject and WindowsCollection ---------------------------------

namespace {
enum : DISPID { kWindowCaption = 1, kWindowType, kWindowHwnd, kWindowVisible };
constexpr std::array kWindowObjectMembers{
    Member{L"Caption", kWindowCaption, 0, 0},
    Member{L"Type", kWindowType, 0, 0},
    Member{L"hWnd", kWindowHwnd, 0, 0},
    Member{L"Visible", kWindowVisible, 0, 0},
};

std::wstring WindowText(HWND w) {
    char buf[512] = {};
    const int n = GetWindowTextA(w, buf, sizeof buf);
    if (n <= 0) return {};
    const int wide = MultiByteToWideChar(CP_ACP, 0, buf, n, nullptr, 0);
    std::wstring out(static_cast<size_t>(wide > 0 ? wide : 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, buf, n, out.data(), wide);
    return out;
}

std::wstring ClassText(HWND w) {
    wchar_t buf[256] = {};
    const int n = GetClassNameW(w, buf, 256);
    return std::wstring(buf, static_cast<size_t>(n > 0 ? n : 0));
}
}  // namespace

std::span<const Member> WindowObject::Members() const {
    return kWindowObjectMembers;
}

HRESULT WindowObject::Call(DISPID id, const Args&, VARIANT& result, unsigned&) {
    switch (id) {
        case kWindowCaption:
            SetString(result, caption_);
            return S_OK;
        case kWindowType:
            SetLong(result, type_);
            return S_OK;
        case kWindowHwnd:
            SetLong(result, static_cast<long>(reinterpret_cast<LONG_PTR>(hwnd_)));
            return S_OK;
        case kWindowVisible:
            SetBool(result, hwnd_ && IsWindowVisible(hwnd_));
            return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
}

long WindowsCollection::TypeOf(const std::wstring& windowClass, const std::wstring& caption) {
    if (windowClass == L"VbaWindow") return vbext_wt_CodeWindow;
    if (windowClass == L"DesignerWindow") return vbext_wt_Designer;
    if (IsObjectBrowserCaption(caption)) return vbext_wt_Browser;
    if (caption == L"Immediate" || caption == L"\u30A4\u30DF\u30C7\u30A3\u30A8\u30A4\u30C8") return vbext_wt_Immediate;
    return vbext_wt_ToolWindow;
}

std::vector<HWND> WindowsCollection::Children() const {
    if (source_) return source_();
    std::vector<HWND> out;
    const HWND client = FindWindowExA(main_, nullptr, "MDIClient", nullptr);
    for (HWND w = client ? GetWindow(client, GW_CHILD) : nullptr; w; w = GetWindow(w, GW_HWNDNEXT)) out.push_back(w);
    return out;
}

std::span<const Member> WindowsCollection::Members() const {
    return kCollectionMembers;
}

HRESULT WindowsCollection::Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) {
    const std::vector<HWND> children = Children();
    if (id == kCollCount) {
        SetLong(result, static_cast<long>(children.size()));
        return S_OK;
    }
    long index = 0;
    if (!args.ToLong(0, index)) {
        argErr = 0;
        return DISP_E_TYPEMISMATCH;
    }
    if (index < 1 || index > static_cast<long>(children.size())) return DISP_E_BADINDEX;
    const HWND w = children[static_cast<size_t>(index - 1)];
    const std::wstring caption = WindowText(w);
    const long type = TypeOf(ClassText(w), caption);
    // The VBA editor gives code and designer windows no handle.
    const bool hidden = ide_ == IdeKind::VbaEditor && (type == vbext_wt_CodeWindow || type == vbext_wt_Designer);
    auto window = Make<WindowObject>(caption, type, hidden ? nullptr : w);
    SetObject(result, window.Get());
    return S_OK;
}

// ---- Vbe ----------------------------------------------------------------

namespace {
enum : DISPID { kVbeVersion = 1, kVbeMainWindow, kVbeEvents, kVbeProjects, kVbeActiveProject, kVbeWindows };
constexpr std::array kVbeMembers{
    Member{L"Version", kVbeVersion, 0, 0},
    Member{L"MainWindow", kVbeMainWindow, 0, 0},
    Member{L"Events", kVbeEvents, 0, 0},
    Member{L"VBProjects", kVbeProjects, 0, 0},
    Member{L"ActiveVBProject", kVbeActiveProject, 0, 0},
    Member{L"Windows", kVbeWindows, 0, 0},
};
}  // namespace

Vbe::Vbe(HWND mainWindow, IdeKind ide)
    : ide_(ide),
      mainWindow_(Make<MainWindowObject>(mainWindow)),
      events_(Make<Events>(ide)),
      projects_(Make<Projects>(ide)),
      windows_(Make<WindowsCollection>(mainWindow, ide)) {}

Project& Vbe::AddProject(std::wstring name) {
    auto project = Make<Project>(std::move(name), nextProjectId_++, events_, ide_);
    projects_->items_.push_back(project);
    if (!active_) active_ = project;
    projects_->EventSource().Raise(DISPID_ItemAdded, project.Get());
    return *project.Get();
}

bool Vbe::RemoveProject(const Project& project) {
    auto& items = projects_->items_;
    auto it = std::find_if(items.begin(), items.end(), [&](const ComPtr<Project>& p) { return p.Get() == &project; });
    if (it == items.end()) return false;
    ComPtr<Project> gone = *it;
    projects_->EventSource().Raise(DISPID_ItemRemoved, gone.Get());
    // A sink may have removed more meanwhile.
    std::erase_if(items, [&](const ComPtr<Project>& p) { return p.Get() == gone.Get(); });
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
            SetString(result, ide_ == IdeKind::VbaEditor ? L"7.01" : L"6.00");
            return S_OK;
        case kVbeWindows:
            SetObject(result, windows_.Get());
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
    counts[L"VBE.Windows"] = windows_->RefCount();
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
