// The stand-in IDE's object model, reached only by name through IDispatch,
// as a late-bound client (the add-in) reaches the real IDE's.
#include "tools/idehost/object_model.h"

#include <olectl.h>

#include <functional>

#include "host/extensibility.h"
#include "tools/idehost/ide_host.h"
#include "tools/idehost/test_util.h"

namespace brisko::idehost {
namespace {

using testing::Call;
using testing::Get;
using testing::Variant;

[[maybe_unused]] const auto* const kCom =
    ::testing::AddGlobalTestEnvironment(std::make_unique<testing::ComEnvironment>().release());

class ObjectModel : public ::testing::Test {
protected:
    ObjectModel() : vbe_(Make<Vbe>(reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x1234)))) {
        Project& p1 = vbe_->AddProject(L"Project1");
        p1.AddComponent(L"Form1", vbext_ct_VBForm, L"C:\\src\\Form1.frm");
        p1.AddComponent(L"Module1", vbext_ct_StdModule);
        Project& p2 = vbe_->AddProject(L"Project2");
        p2.AddComponent(L"UserControl1", vbext_ct_UserControl);
    }
    IDispatch* Root() const { return vbe_.Get(); }

    ComPtr<Vbe> vbe_;
};

TEST_F(ObjectModel, EveryMemberTheAddInUsesAnswersByName) {
    EXPECT_EQ(Get(Get(Root(), L"MainWindow").AsObject(), L"hWnd").AsLong(), 0x1234);
    Variant projects = Get(Root(), L"VBProjects");
    ASSERT_EQ(Get(projects.AsObject(), L"Count").AsLong(), 2);
    Variant p1 = Get(projects.AsObject(), L"Item", {Variant::Long(1)});
    EXPECT_EQ(Get(p1.AsObject(), L"Name").AsString(), L"Project1");
    EXPECT_EQ(Get(Get(projects.AsObject(), L"Item", {Variant::Long(2)}).AsObject(), L"Name").AsString(), L"Project2");
    EXPECT_EQ(Get(Get(Root(), L"ActiveVBProject").AsObject(), L"Name").AsString(), L"Project1");

    Variant components = Get(p1.AsObject(), L"VBComponents");
    ASSERT_EQ(Get(components.AsObject(), L"Count").AsLong(), 2);
    struct Row {
        long index;
        const wchar_t* name;
        long type;
        const wchar_t* file;
    };
    for (const Row& row : {Row{1, L"Form1", 5, L"C:\\src\\Form1.frm"}, Row{2, L"Module1", 1, L""}}) {
        Variant c = Get(components.AsObject(), L"Item", {Variant::Long(row.index)});
        EXPECT_EQ(Get(c.AsObject(), L"Name").AsString(), row.name);
        Variant type = Get(c.AsObject(), L"Type");
        EXPECT_EQ(type.Type(), VT_I4);
        EXPECT_EQ(type.AsLong(), row.type);
        Variant file = Get(c.AsObject(), L"FileNames", {Variant::Short(1)});
        EXPECT_EQ(file.Type(), VT_BSTR);
        EXPECT_EQ(file.AsString(), row.file);
    }
}

TEST_F(ObjectModel, ActiveProjectCanBeNothing) {
    vbe_->SetActiveProject(nullptr);
    Variant none = Get(Root(), L"ActiveVBProject");
    EXPECT_EQ(none.Type(), VT_DISPATCH);
    EXPECT_EQ(none.AsObject(), nullptr);
    vbe_->SetActiveProject(vbe_->VBProjects().At(2));
    EXPECT_EQ(Get(Get(Root(), L"ActiveVBProject").AsObject(), L"Name").AsString(), L"Project2");
}

TEST_F(ObjectModel, IndexArgumentsOfEveryIntegerShapeAndByName) {
    IDispatch* projects = Get(Root(), L"VBProjects").AsObject();
    ASSERT_TRUE(projects);
    long byRefValue = 2;
    Variant byRef;
    byRef.Put()->vt = VT_BYREF | VT_I4;
    const_cast<VARIANT&>(byRef.Get()).plVal = &byRefValue;
    const std::pair<Variant, const wchar_t*> cases[] = {
        {Variant::Short(2), L"Project2"},
        {Variant::Long(1), L"Project1"},
        {Variant::Str(L"Project2"), L"Project2"},
        {byRef, L"Project2"},
    };
    for (const auto& [arg, expected] : cases) {
        EXPECT_EQ(Get(Get(projects, L"Item", {arg}).AsObject(), L"Name").AsString(), expected);
    }
    const_cast<VARIANT&>(byRef.Get()).vt = VT_EMPTY;  // it points at a local, nothing to free
    // Components are found by name ignoring case; projects by their exact name.
    IDispatch* components = Get(Get(projects, L"Item", {Variant::Long(1)}).AsObject(), L"VBComponents").AsObject();
    EXPECT_EQ(Get(Get(components, L"Item", {Variant::Str(L"MODULE1")}).AsObject(), L"Name").AsString(), L"Module1");
    EXPECT_EQ(Call(projects, L"Item", {Variant::Str(L"project1")}).hr, DISP_E_BADINDEX);
}

TEST_F(ObjectModel, NamesAreCaseInsensitiveAndUnknownNamesAreRefused) {
    const wchar_t* good[] = {L"vbprojects", L"VBPROJECTS", L"VbProjects", L"activevbproject", L"MAINWINDOW"};
    for (const wchar_t* name : good) {
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        EXPECT_EQ(Root()->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
        EXPECT_NE(id, DISPID_UNKNOWN);
    }
    const wchar_t* bad[] = {L"VBProject", L"MainWindows", L"", L"hWnd", L"Count"};
    for (const wchar_t* name : bad) {
        DISPID id = 12345;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        EXPECT_EQ(Root()->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNNAME);
        EXPECT_EQ(id, DISPID_UNKNOWN);
    }
    UINT count = 99;
    EXPECT_EQ(Root()->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
}

TEST_F(ObjectModel, BadCallsFailWithTheAutomationErrors) {
    IDispatch* projects = Get(Root(), L"VBProjects").AsObject();
    IDispatch* project = Get(projects, L"Item", {Variant::Long(1)}).AsObject();
    IDispatch* components = Get(project, L"VBComponents").AsObject();
    IDispatch* form = Get(components, L"Item", {Variant::Long(1)}).AsObject();
    struct Row {
        const char* what;
        IDispatch* object;
        const wchar_t* member;
        std::vector<Variant> args;
        WORD flags;
        HRESULT expected;
    };
    const WORD get = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    const Row rows[] = {
        {"project 0", projects, L"Item", {Variant::Long(0)}, get, DISP_E_BADINDEX},
        {"project past the end", projects, L"Item", {Variant::Long(3)}, get, DISP_E_BADINDEX},
        {"negative component", components, L"Item", {Variant::Long(-1)}, get, DISP_E_BADINDEX},
        {"component past the end", components, L"Item", {Variant::Long(3)}, get, DISP_E_BADINDEX},
        {"unknown component name", components, L"Item", {Variant::Str(L"Form2")}, get, DISP_E_BADINDEX},
        {"FileNames(0)", form, L"FileNames", {Variant::Long(0)}, get, DISP_E_BADINDEX},
        {"FileNames(2)", form, L"FileNames", {Variant::Long(2)}, get, DISP_E_BADINDEX},
        {"Item without index", projects, L"Item", {}, get, DISP_E_BADPARAMCOUNT},
        {"Count with an argument", projects, L"Count", {Variant::Long(1)}, get, DISP_E_BADPARAMCOUNT},
        {"object as index", projects, L"Item", {Variant::Object(project)}, get, DISP_E_TYPEMISMATCH},
        {"text as FileNames index", form, L"FileNames", {Variant::Str(L"one")}, get, DISP_E_TYPEMISMATCH},
        {"assigning Name", project, L"Name", {Variant::Str(L"X")}, DISPATCH_PROPERTYPUT, DISP_E_MEMBERNOTFOUND},
        {"a project for the events",
         Get(Root(), L"Events").AsObject(),
         L"VBComponentsEvents",
         {Variant::Long(1)},
         get,
         DISP_E_TYPEMISMATCH},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Call(row.object, row.member, row.args, row.flags).hr, row.expected) << row.what;
    }
    // The failing argument is named in DISPPARAMS' (reversed) order.
    EXPECT_EQ(Call(projects, L"Item", {Variant::Object(project)}).argErr, 0u);

    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"Count")};
    ASSERT_EQ(projects->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    DISPPARAMS none{};
    Variant out;
    EXPECT_EQ(projects->Invoke(id, IID_IDispatch, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, out.Put(), nullptr,
                               nullptr),
              DISP_E_UNKNOWNINTERFACE);
    EXPECT_EQ(
        projects->Invoke(4242, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, out.Put(), nullptr, nullptr),
        DISP_E_MEMBERNOTFOUND);
}

TEST_F(ObjectModel, ClientsThatReleaseWhatTheyTookLeaveEveryCountAsItWas) {
    const auto before = vbe_->RefCounts();
    const long live = DispatchObject::LiveObjects();
    for (int i = 0; i < 3; ++i) {
        Variant projects = Get(Root(), L"VBProjects");
        Variant project = Get(projects.AsObject(), L"Item", {Variant::Long(1)});
        Variant comps = Get(project.AsObject(), L"VBComponents");
        Variant comp = Get(comps.AsObject(), L"Item", {Variant::Str(L"form1")});
        Variant name = Get(comp.AsObject(), L"FileNames", {Variant::Long(1)});
        Variant window = Get(Root(), L"MainWindow");
        Variant active = Get(Root(), L"ActiveVBProject");
        // The counts rise while the client holds the objects...
        EXPECT_GT(vbe_->RefCounts().at(L"VBE.VBProjects(1).VBComponents(1)"),
                  before.at(L"VBE.VBProjects(1).VBComponents(1)"));
        EXPECT_EQ(vbe_->RefCounts().at(L"VBE.VBProjects(1)"), before.at(L"VBE.VBProjects(1)") + 2);
    }
    // ...and fall back when it lets go.
    EXPECT_EQ(vbe_->RefCounts(), before);
    EXPECT_EQ(DispatchObject::LiveObjects(), live);
}

// A sink for the component events, as an add-in implements it.
class RecordingSink : public IDispatch {
public:
    explicit RecordingSink(bool answersEventInterface = true) : answers_(answersEventInterface) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
            (answers_ && IsEqualIID(iid, DIID_VBComponentsEvents))) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        EXPECT_EQ(id, DISPID_ItemAdded);
        EXPECT_TRUE(flags & DISPATCH_METHOD);
        if (!params || params->cArgs != 1 || params->rgvarg[0].vt != VT_DISPATCH) {
            added.push_back(L"<bad arguments>");
            return S_OK;
        }
        added.push_back(Get(params->rgvarg[0].pdispVal, L"Name").AsString());
        if (onEvent) onEvent();
        return S_OK;
    }

    ULONG refs = 0;  // owned by the test; only counted here
    std::vector<std::wstring> added;
    std::function<void()> onEvent;

private:
    bool answers_;
};

ComPtr<IConnectionPoint> PointOf(IDispatch* source) {
    auto container = ComPtr<IDispatch>(source).As<IConnectionPointContainer>(IID_IConnectionPointContainer);
    ComPtr<IConnectionPoint> point;
    if (container) container->FindConnectionPoint(DIID_VBComponentsEvents, point.Put());
    return point;
}

TEST_F(ObjectModel, ComponentEventsReachAdvisedSinksUntilUnadvised) {
    const auto before = vbe_->RefCounts();
    IDispatch* events = Get(Root(), L"Events").AsObject();
    // Nothing can come as a null object, as an empty or as a missing argument.
    Variant all = Get(events, L"VBComponentsEvents", {Variant::Object(nullptr)});
    ASSERT_TRUE(all.AsObject());
    for (const Variant& nothing : {Variant(), Variant::Missing()}) {
        EXPECT_EQ(Get(events, L"VBComponentsEvents", {nothing}).AsObject(), all.AsObject());
    }
    Variant project2 = Get(Get(Root(), L"VBProjects").AsObject(), L"Item", {Variant::Long(2)});
    Variant only2 = Get(events, L"VBComponentsEvents", {project2});
    ASSERT_TRUE(only2.AsObject());
    EXPECT_NE(only2.AsObject(), all.AsObject());

    RecordingSink sinkAll, sink2;
    ComPtr<IConnectionPoint> pointAll = PointOf(all.AsObject()), point2 = PointOf(only2.AsObject());
    ASSERT_TRUE(pointAll && point2);
    IID iid{};
    EXPECT_EQ(pointAll->GetConnectionInterface(&iid), S_OK);
    EXPECT_TRUE(IsEqualIID(iid, DIID_VBComponentsEvents));
    DWORD cookieAll = 0, cookie2 = 0;
    ASSERT_EQ(pointAll->Advise(&sinkAll, &cookieAll), S_OK);
    ASSERT_EQ(point2->Advise(&sink2, &cookie2), S_OK);
    EXPECT_NE(cookieAll, 0u);

    vbe_->VBProjects().At(1)->AddComponent(L"Class1", vbext_ct_ClassModule);
    vbe_->VBProjects().At(2)->AddComponent(L"Form2", vbext_ct_VBForm);
    EXPECT_EQ(sinkAll.added, (std::vector<std::wstring>{L"Class1", L"Form2"}));
    EXPECT_EQ(sink2.added, (std::vector<std::wstring>{L"Form2"}));

    EXPECT_EQ(pointAll->Unadvise(cookieAll), S_OK);
    EXPECT_EQ(pointAll->Unadvise(cookieAll), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point2->Unadvise(cookie2), S_OK);
    vbe_->VBProjects().At(2)->AddComponent(L"Form3", vbext_ct_VBForm);
    EXPECT_EQ(sinkAll.added.size(), 2u);
    EXPECT_EQ(sink2.added.size(), 1u);
    EXPECT_EQ(sinkAll.refs, 0u);
    EXPECT_EQ(sink2.refs, 0u);

    pointAll.Reset();
    point2.Reset();
    all = Variant();
    only2 = Variant();
    project2 = Variant();
    // The new components and sources add paths of their own; everything
    // else is as it was, and only the IDE holds the sources now.
    auto after = vbe_->RefCounts();
    for (const auto& [path, count] : before) EXPECT_EQ(after.at(path), count) << std::string(path.begin(), path.end());
    EXPECT_EQ(after.at(L"VBE.Events.VBComponentsEvents(Nothing)"), 1u);
    EXPECT_EQ(after.at(L"VBE.Events.VBComponentsEvents(Project2)"), 1u);
    EXPECT_EQ(vbe_->GetEvents().VBComponentsEvents(0).SinkCount(), 0u);
}

TEST_F(ObjectModel, AHundredAdviseCyclesGiveBackEveryReference) {
    IDispatch* events = Get(Root(), L"Events").AsObject();
    ASSERT_TRUE(events);
    Get(events, L"VBComponentsEvents", {Variant::Object(nullptr)});  // the source exists from here on
    const auto before = vbe_->RefCounts();
    const long live = DispatchObject::LiveObjects();
    RecordingSink sink;
    for (int i = 0; i < 100; ++i) {
        Variant source = Get(events, L"VBComponentsEvents", {Variant::Object(nullptr)});
        ComPtr<IConnectionPoint> point = PointOf(source.AsObject());
        ASSERT_TRUE(point);
        DWORD cookie = 0;
        ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
        ComPtr<IConnectionPointContainer> back;
        EXPECT_EQ(point->GetConnectionPointContainer(back.Put()), S_OK);
        ASSERT_EQ(point->Unadvise(cookie), S_OK);
    }
    EXPECT_EQ(vbe_->RefCounts(), before);
    EXPECT_EQ(DispatchObject::LiveObjects(), live);
    EXPECT_EQ(sink.refs, 0u);
}

TEST_F(ObjectModel, SinksThatCannotTakeTheEventsAreRefused) {
    Variant source = Get(Get(Root(), L"Events").AsObject(), L"VBComponentsEvents", {Variant::Object(nullptr)});
    ComPtr<IConnectionPoint> point = PointOf(source.AsObject());
    ASSERT_TRUE(point);
    RecordingSink plain(false);
    DWORD cookie = 77;
    EXPECT_EQ(point->Advise(&plain, &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(plain.refs, 0u);
    EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
    auto container = ComPtr<IDispatch>(source.AsObject()).As<IConnectionPointContainer>(IID_IConnectionPointContainer);
    ComPtr<IConnectionPoint> other;
    EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, other.Put()), CONNECT_E_NOCONNECTION);
    EXPECT_FALSE(other);
}

TEST_F(ObjectModel, ASinkMayUnadviseDuringTheEvent) {
    Variant source = Get(Get(Root(), L"Events").AsObject(), L"VBComponentsEvents", {Variant::Object(nullptr)});
    ComPtr<IConnectionPoint> point = PointOf(source.AsObject());
    ASSERT_TRUE(point);
    RecordingSink first, second, third;
    DWORD c1 = 0, c2 = 0, c3 = 0;
    ASSERT_EQ(point->Advise(&first, &c1), S_OK);
    ASSERT_EQ(point->Advise(&second, &c2), S_OK);
    ASSERT_EQ(point->Advise(&third, &c3), S_OK);
    // The first sink unadvises itself and the second one: the second is
    // not called any more, the third still is.
    first.onEvent = [&] {
        point->Unadvise(c1);
        point->Unadvise(c2);
    };
    vbe_->VBProjects().At(1)->AddComponent(L"Class9", vbext_ct_ClassModule);
    EXPECT_EQ(first.added.size(), 1u);
    EXPECT_EQ(second.added.size(), 0u);
    EXPECT_EQ(third.added.size(), 1u);
    EXPECT_EQ(point->Unadvise(c3), S_OK);
    EXPECT_EQ(first.refs + second.refs + third.refs, 0u);
}

TEST(IdeObjectModel, MainWindowHandleIsTheIdesMainWindow) {
    IdeHost ide(IdeHostOptions{.visible = false});
    Variant window = Get(static_cast<IDispatch*>(&ide.Model()), L"MainWindow");
    Variant hwnd = Get(window.AsObject(), L"hWnd");
    ASSERT_EQ(hwnd.Type(), VT_I4);
    EXPECT_EQ(reinterpret_cast<HWND>(static_cast<LONG_PTR>(hwnd.AsLong())), ide.MainWindow());
    EXPECT_EQ(FindWindowExA(ide.MainWindow(), nullptr, "MDIClient", nullptr), ide.MdiClient());
}

}  // namespace
}  // namespace brisko::idehost
