#pragma once
// The stand-in IDE's extensibility object model: VBE, its main window, its
// component events, projects and components. Clients reach it only through
// IDispatch by name; the C++ members below are for the stand-in itself and
// for tests that build a model and check what a client did to it.
//
// It plays the VB6 IDE or the VBA editor. Where the two differ, the VBA
// editor's side stands on Microsoft's documentation of the VBA extensibility
// library and on the public source of other add-ins for that editor:
// - VBE.Version is "7.01" (Office 2010 and later);
// - VBE.Events offers only CommandBarEvents and ReferencesEvents: there is
//   no VBComponentsEvents; instead each project's VBComponents is a
//   connection point container for _dispVBComponentsEvents, and VBProjects
//   one for _dispVBProjectsEvents (ItemAdded, ItemRemoved, ItemRenamed,
//   ItemActivated, each passing the VBProject);
// - a project is named "VBAProject" unless the user renamed it; its
//   FileName is its document's full path and raises while the document has
//   never been saved; a protected project raises on VBComponents;
// - components have no FileNames; their types add 3 (UserForm) and 100
//   (document module: ThisWorkbook, Sheet1, ThisDocument);
// - VBE.Windows lists the IDE's windows with Caption and Type (0 code,
//   1 designer, 2 Object Browser, 5 Immediate, 15 other tool windows), and
//   Window.hWnd is 0 for code and designer windows.
#include <ocidl.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "comserver/addin_keys.h"
#include "tools/idehost/dispatch.h"
#include "tools/idehost/event_point.h"

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
    vbext_ct_Document = 100,  // the VBA editor's document modules
};

// VBE.Windows(i).Type values.
enum WindowType : long {
    vbext_wt_CodeWindow = 0,
    vbext_wt_Designer = 1,
    vbext_wt_Browser = 2,
    vbext_wt_Immediate = 5,
    vbext_wt_ToolWindow = 15,
};

class Component final : public DispatchObject {
public:
    Component(std::wstring name, long type, std::wstring fileName, IdeKind ide = IdeKind::Vb6);
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
    IdeKind ide_;
};

class ComponentsEvents;
class Events;

// VBComponents of one project: Count and a 1-based Item (also by name).
class Components final : public DispatchObject {
public:
    explicit Components(IdeKind ide = IdeKind::Vb6);
    const wchar_t* TypeName() const override { return L"VBComponents"; }
    // The VBA editor's per-project component events.
    EventPoint& EventSource() { return events_; }
    long Count() const { return static_cast<long>(items_.size()); }
    // 1-based, as the collection counts; null when out of range.
    Component* At(long index) const;
    Component* Find(const std::wstring& name) const;  // ignores case

protected:
    std::span<const Member> Members() const override;
    HRESULT Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) override;
    void* QueryOther(REFIID iid) override;

private:
    friend class Project;
    std::vector<ComPtr<Component>> items_;
    IdeKind ide_;
    EventPoint events_;
};

class Project final : public DispatchObject {
public:
    Project(std::wstring name, std::uint64_t id, ComPtr<Events> events, IdeKind ide = IdeKind::Vb6);
    const wchar_t* TypeName() const override { return L"VBProject"; }

    const std::wstring& Name() const { return name_; }
    void SetName(std::wstring name) { name_ = std::move(name); }
    // In the VBA editor: the document's name as captions show it ("Book1",
    // "Book1.xlsm") and its full path, empty while never saved.
    const std::wstring& Document() const { return document_; }
    void SetDocument(std::wstring document, std::wstring fileName = {}) {
        document_ = std::move(document);
        fileName_ = std::move(fileName);
    }
    // A protected project raises on VBComponents.
    void SetProtected(bool locked) { protected_ = locked; }
    Components& VBComponents() const { return *components_.Get(); }
    // Adds a component and then raises ItemAdded on every component event
    // source that watches this project or all projects.
    Component& AddComponent(std::wstring name, long type, std::wstring fileName = {});
    // Removes it and then raises ItemRemoved on the project's component
    // events (the VBA editor's).
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
    IdeKind ide_;
    std::wstring document_;
    std::wstring fileName_;
    bool protected_ = false;
};

class Projects final : public DispatchObject {
public:
    explicit Projects(IdeKind ide = IdeKind::Vb6);
    const wchar_t* TypeName() const override { return L"VBProjects"; }
    long Count() const { return static_cast<long>(items_.size()); }
    Project* At(long index) const;                  // 1-based
    Project* Find(const std::wstring& name) const;  // exact, as captions show it
    // The project of that name, else of that document (the VBA editor's
    // projects are mostly all "VBAProject").
    Project* FindByNameOrDocument(const std::wstring& nameOrDocument) const;
    // The VBA editor's project events.
    EventPoint& EventSource() { return events_; }

protected:
    std::span<const Member> Members() const override;
    HRESULT Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) override;
    void* QueryOther(REFIID iid) override;

private:
    friend class Vbe;
    std::vector<ComPtr<Project>> items_;
    IdeKind ide_;
    EventPoint events_;
};

// The event source that VBE.Events.VBComponentsEvents returns: an IDispatch
// without members of its own and a connection point container with one
// connection point for DIID_VBComponentsEvents.
class ComponentsEvents final : public DispatchObject {
public:
    ComponentsEvents();
    const wchar_t* TypeName() const override { return L"VBComponentsEvents"; }

    // How many sinks are advised now.
    std::size_t SinkCount() const { return events_.SinkCount(); }
    // Calls ItemAdded(component) on every advised sink; answers how many were called.
    int RaiseItemAdded(Component& component);

protected:
    std::span<const Member> Members() const override;
    HRESULT Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) override;
    void* QueryOther(REFIID iid) override;

private:
    EventPoint events_;
};

// VBE.Events: hands out component event sources, one for all projects
// (Nothing) and one per project.
class Events final : public DispatchObject {
public:
    explicit Events(IdeKind ide = IdeKind::Vb6) : ide_(ide) {}
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
    IdeKind ide_;
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

// One of VBE.Windows: a snapshot of one of the IDE's windows.
class WindowObject final : public DispatchObject {
public:
    WindowObject(std::wstring caption, long type, HWND hwnd) : caption_(std::move(caption)), type_(type), hwnd_(hwnd) {}
    const wchar_t* TypeName() const override { return L"Window"; }

protected:
    std::span<const Member> Members() const override;
    HRESULT Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) override;

private:
    std::wstring caption_;
    long type_;
    HWND hwnd_;
};

// VBE.Windows: the MDI client's children as the IDE describes them, read
// when asked.
class WindowsCollection final : public DispatchObject {
public:
    WindowsCollection(HWND mainWindow, IdeKind ide) : main_(mainWindow), ide_(ide) {}
    const wchar_t* TypeName() const override { return L"Windows"; }
    // Where the list comes from: the IDE knows its windows, as the real one
    // keeps them in a list of its own; without a source the MDI client's
    // children are walked.
    void SetSource(std::function<std::vector<HWND>()> source) { source_ = std::move(source); }
    // The type the IDE gives a window of this class and caption.
    static long TypeOf(const std::wstring& windowClass, const std::wstring& caption);

protected:
    std::span<const Member> Members() const override;
    HRESULT Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) override;

private:
    std::vector<HWND> Children() const;
    HWND main_;
    IdeKind ide_;
    std::function<std::vector<HWND>()> source_;
};

// The IDE's root object, handed to the add-in as Application.
class Vbe final : public DispatchObject {
public:
    explicit Vbe(HWND mainWindow, IdeKind ide = IdeKind::Vb6);
    const wchar_t* TypeName() const override { return L"VBE"; }
    IdeKind Ide() const { return ide_; }

    // The first project added becomes the active one. In the VBA editor a
    // project opened with its document: VBProjects raises ItemAdded.
    Project& AddProject(std::wstring name);
    // In the VBA editor VBProjects raises ItemRemoved first.
    bool RemoveProject(const Project& project);
    void SetActiveProject(Project* project);  // null: no active project
    Project* ActiveProject() const { return active_.Get(); }
    Projects& VBProjects() const { return *projects_.Get(); }
    Events& GetEvents() const { return *events_.Get(); }
    MainWindowObject& MainWindow() const { return *mainWindow_.Get(); }
    WindowsCollection& Windows() const { return *windows_.Get(); }

    // Every object of the model reachable from here, by its path
    // ("VBE.VBProjects(1).VBComponents(2)"), with its current reference
    // count. A client that gives back every reference it took leaves this
    // map unchanged.
    std::map<std::wstring, ULONG> RefCounts() const;

protected:
    std::span<const Member> Members() const override;
    HRESULT Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) override;

private:
    IdeKind ide_;
    ComPtr<MainWindowObject> mainWindow_;
    ComPtr<Events> events_;
    ComPtr<Projects> projects_;
    ComPtr<WindowsCollection> windows_;
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
