#pragma once
// The stand-in IDE's extensibility object model: VBE, its main window, its
// component events, projects and components. Clients reach it only through
// IDispatch by name; the C++ members below are for the stand-in itself and
// for tests that build a model and check what a client did to it.
#include <ocidl.h>
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/idehost/dispatch.h"

namespace brisko::idehost {

// VBComponent.Type values.
enum ComponentType : long {
    vbext_ct_StdModule = 1,
    vbext_ct_ClassModule = 2,
    vbext_ct_MSForm = 3,
    vbext_ct_ResFile = 4,
    vbext_ct_VBForm = 5,
    vbext_ct_VBMDIForm = 6,
    vbext_ct_PropPage = 7,
    vbext_ct_UserControl = 8,
    vbext_ct_DocObject = 9,
    vbext_ct_RelatedDocument = 10,
    vbext_ct_ActiveXDesigner = 11,
};

class Component final : public DispatchObject {
public:
    Component(std::wstring name, long type, std::wstring fileName);
    const wchar_t* TypeName() const override { return L"VBComponent"; }

    const std::wstring& Name() const { return name_; }
    long Type() const { return type_; }
    // The first file name; empty while the component has never been saved.
    const std::wstring& FileName() const { return fileName_; }
    void SetName(std::wstring name) { name_ = std::move(name); }
    void SetFileName(std::wstring fileName) { fileName_ = std::move(fileName); }

protected:
    std::span<const Member> Members() const override;
    HRESULT Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) override;

private:
    std::wstring name_;
    long type_;
    std::wstring fileName_;
};

class ComponentsEvents;
class Events;

// VBComponents of one project: Count and a 1-based Item (also by name).
class Components final : public DispatchObject {
public:
    const wchar_t* TypeName() const override { return L"VBComponents"; }
    long Count() const { return static_cast<long>(items_.size()); }
    // 1-based, as the collection counts; null when out of range.
    Component* At(long index) const;
    Component* Find(const std::wstring& name) const;  // ignores case

protected:
    std::span<const Member> Members() const override;
    HRESULT Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) override;

private:
    friend class Project;
    std::vector<ComPtr<Component>> items_;
};

class Project final : public DispatchObject {
public:
    Project(std::wstring name, std::uint64_t id, ComPtr<Events> events);
    const wchar_t* TypeName() const override { return L"VBProject"; }

    const std::wstring& Name() const { return name_; }
    void SetName(std::wstring name) { name_ = std::move(name); }
    Components& VBComponents() const { return *components_.Get(); }
    // Adds a component and then raises ItemAdded on every component event
    // source that watches this project or all projects.
    Component& AddComponent(std::wstring name, long type, std::wstring fileName = {});
    bool RemoveComponent(const std::wstring& name);
    std::uint64_t Id() const { return id_; }

protected:
    std::span<const Member> Members() const override;
    HRESULT Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) override;

private:
    std::wstring name_;
    std::uint64_t id_;
    ComPtr<Components> components_;
    ComPtr<Events> events_;
};

class Projects final : public DispatchObject {
public:
    const wchar_t* TypeName() const override { return L"VBProjects"; }
    long Count() const { return static_cast<long>(items_.size()); }
    Project* At(long index) const;                  // 1-based
    Project* Find(const std::wstring& name) const;  // exact, as captions show it

protected:
    std::span<const Member> Members() const override;
    HRESULT Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) override;

private:
    friend class Vbe;
    std::vector<ComPtr<Project>> items_;
};

// The event source that VBE.Events.VBComponentsEvents returns: an IDispatch
// without members of its own and a connection point container with one
// connection point for DIID_VBComponentsEvents.
class ComponentsEvents final : public DispatchObject, public IConnectionPointContainer {
public:
    ComponentsEvents();
    const wchar_t* TypeName() const override { return L"VBComponentsEvents"; }

    // IUnknown, shared by both bases.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return DispatchObject::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return DispatchObject::Release(); }
    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

    // How many sinks are advised now.
    std::size_t SinkCount() const { return sinks_.size(); }
    // Calls ItemAdded(component) on every advised sink; answers how many were called.
    int RaiseItemAdded(Component& component);

protected:
    std::span<const Member> Members() const override;
    HRESULT Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) override;
    void* QueryOther(REFIID iid) override;

private:
    // The connection point lives inside its container and shares its
    // reference count, so neither can outlive the other.
    class Point final : public IConnectionPoint {
    public:
        explicit Point(ComponentsEvents& owner) : owner_(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
        ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }
        HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
        HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
        HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
        HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
        HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

    private:
        ComponentsEvents& owner_;
    };
    struct Sink {
        DWORD cookie;
        ComPtr<IDispatch> dispatch;
    };

    Point point_{*this};
    std::vector<Sink> sinks_;
    DWORD nextCookie_ = 1;
};

// VBE.Events: hands out component event sources, one for all projects
// (Nothing) and one per project.
class Events final : public DispatchObject {
public:
    const wchar_t* TypeName() const override { return L"Events"; }
    // The source for one project's components, or for all projects when
    // projectId is 0. Made on first use, the same object afterwards.
    ComponentsEvents& VBComponentsEvents(std::uint64_t projectId);
    // Every source made so far, with the project id it watches.
    const std::vector<std::pair<std::uint64_t, ComPtr<ComponentsEvents>>>& Sources() const { return sources_; }
    void RaiseItemAdded(std::uint64_t projectId, Component& component);

protected:
    std::span<const Member> Members() const override;
    HRESULT Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) override;

private:
    std::vector<std::pair<std::uint64_t, ComPtr<ComponentsEvents>>> sources_;
};

// VBE.MainWindow.
class MainWindowObject final : public DispatchObject {
public:
    explicit MainWindowObject(HWND hwnd) : hwnd_(hwnd) {}
    const wchar_t* TypeName() const override { return L"Window"; }
    HWND Handle() const { return hwnd_; }

protected:
    std::span<const Member> Members() const override;
    HRESULT Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) override;

private:
    HWND hwnd_;
};

// The IDE's root object, handed to the add-in as Application.
class Vbe final : public DispatchObject {
public:
    explicit Vbe(HWND mainWindow);
    const wchar_t* TypeName() const override { return L"VBE"; }

    // The first project added becomes the active one.
    Project& AddProject(std::wstring name);
    bool RemoveProject(const Project& project);
    void SetActiveProject(Project* project);  // null: no active project
    Project* ActiveProject() const { return active_.Get(); }
    Projects& VBProjects() const { return *projects_.Get(); }
    Events& GetEvents() const { return *events_.Get(); }
    MainWindowObject& MainWindow() const { return *mainWindow_.Get(); }

    // Every object of the model reachable from here, by its path
    // ("VBE.VBProjects(1).VBComponents(2)"), with its current reference
    // count. A client that gives back every reference it took leaves this
    // map unchanged.
    std::map<std::wstring, ULONG> RefCounts() const;

protected:
    std::span<const Member> Members() const override;
    HRESULT Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) override;

private:
    ComPtr<MainWindowObject> mainWindow_;
    ComPtr<Events> events_;
    ComPtr<Projects> projects_;
    ComPtr<Project> active_;
    std::uint64_t nextProjectId_ = 1;
};

// The add-in instance object handed to OnConnection as AddInInst.
class AddInInstance final : public DispatchObject {
public:
    AddInInstance(std::wstring progId, std::wstring description);
    const wchar_t* TypeName() const override { return L"AddIn"; }
    void SetConnected(bool connected) { connected_ = connected; }

protected:
    std::span<const Member> Members() const override;
    HRESULT Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) override;

private:
    std::wstring progId_;
    std::wstring description_;
    bool connected_ = false;
};

}  // namespace brisko::idehost
