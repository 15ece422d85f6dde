// The add-in in the VBA editor, end to end: the stand-in IDE plays the VBA
// editor of an Office program (document-named captions, per-project
// component events, projects that come and go with their documents).
#include <algorithm>

#include "tests/addin_fixture.h"

namespace brisko {
namespace {

const std::wstring kVbaKey(AddinKey(IdeKind::VbaEditor));

using Rows = std::vector<std::tuple<std::wstring, std::int16_t, std::int32_t>>;

// Every tab as (title, icon, kind), left to right.
Rows TabRows(CMDITab& bar) {
    Rows rows;
    for (std::int16_t i = 0; i < bar.Count(); ++i) rows.emplace_back(bar.Title(i), bar.Icon(i), bar.Data(i));
    return rows;
}

struct VbaEditor : test::IdeScenario {
    VbaEditor() : IdeScenario(IdeKind::VbaEditor) {}
    idehost::Project& Workbook(const std::wstring& document, const std::wstring& file = {}) {
        idehost::Project& p = ide.Model().AddProject(L"VBAProject");
        p.SetDocument(document, file);
        return p;
    }
};

// Connected after start-up and while the editor starts: titles from the
// document-named captions, shared titles naming their documents, kinds and
// icons of UserForms and document modules, settings in the editor's own key.
TEST_F(VbaEditor, TabsTheSampleInBothConnectModesWithItsOwnSettings) {
    const DWORD align = 1;
    const std::wstring q3 = L"Q3-report - 2024";
    Rows want = {{L"Immediate", 12, 0},
                 {L"Class1", 10, 256 + 4096},
                 {L"Module1 (Book1)", 9, 128 + 4096},
                 {L"Sheet1 (Book1)", 16, 1024 + 4096},
                 {L"UserForm1", 15, 2048},
                 {L"Sheet1 (" + q3 + L")", 16, 1024 + 4096},
                 {L"Module1 (" + q3 + L")", 9, 128 + 4096},
                 {L"UserForm1", 11, 2048 + 4096}};
    std::ranges::sort(want);  // in whatever z-order the sample's windows end
    for (const long mode : {ext_cm_AfterStartup, ext_cm_Startup}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kVbaKey.c_str(), L"Align", REG_DWORD, &align, 4), ERROR_SUCCESS);
        idehost::IdeHost office{idehost::IdeHostOptions{.ide = IdeKind::VbaEditor}};
        test::AddIn a;
        // While the editor starts, it opens its windows after connecting.
        const bool starting = mode == ext_cm_Startup;
        IDispatch* const vbe = static_cast<IDispatch*>(&office.Model());
        ASSERT_EQ(starting ? a.Connect(vbe, mode) : S_OK, S_OK);
        office.LoadSample();
        ASSERT_EQ(starting ? a->OnStartupComplete(nullptr) : a.Connect(vbe, mode), S_OK);
        Settle();
        Rows rows = TabRows(a.Bar());
        std::ranges::sort(rows);
        EXPECT_EQ(rows, want);
        EXPECT_EQ(a.Impl().FollowedProjects(), 2u);
        EXPECT_EQ(a.Bar().Align(), 1) << "read from the VBA editor's key";
        EXPECT_FALSE(a.Bar().LockUpdate());
        ASSERT_EQ(a.Disconnect(), S_OK);
        EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kVbaKey.c_str(), L"Wheel", RRF_RT_ANY, nullptr, nullptr, nullptr),
                  ERROR_SUCCESS)
            << "written back there";
        // The VB6 IDE's key is not made: there is none to delete.
        EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, std::wstring(kSettingsKey).c_str()), ERROR_FILE_NOT_FOUND);
        RegDeleteTreeW(HKEY_CURRENT_USER, kVbaKey.c_str());
    }
}

// A workbook opened and closed while connected: its components are followed
// from its opening, its windows get tabs, the titles it shared name their
// documents only while it is open, and closing it lets go of it.
TEST_F(VbaEditor, FollowsAWorkbookOpenedLaterAndLetsGoOfItWhenItCloses) {
    idehost::Project& book1 = Workbook(L"Book1");
    book1.AddComponent(L"Module1", idehost::vbext_ct_StdModule);
    const HWND module1 = ide.OpenCodeWindow(L"Book1 - Module1 (Code)");
    const auto refsBefore = ide.Model().RefCounts();
    Connect();
    EXPECT_EQ(Bar().Title(TabOf(module1)), L"Module1");

    idehost::Project& budget = Workbook(L"Budget.xlsx", L"C:\\Finance\\Budget.xlsx");
    EXPECT_EQ(addin.Impl().FollowedProjects(), 2u);
    EXPECT_EQ(budget.VBComponents().EventSource().SinkCount(), 1u);
    // The IDE opens the new component's window before the component is in
    // the collection; the component's ItemAdded then titles it fully.
    const HWND other = ide.OpenCodeWindow(L"Budget.xlsx - Module1 (Code)");
    ide.Activate(other);
    Settle();
    EXPECT_EQ(TabRows(Bar()), Rows({{L"Module1 (Book1)", 9, 128 + 4096}, {L"Module1 (Budget)", 13, 4096}}));
    budget.AddComponent(L"Module1", idehost::vbext_ct_StdModule);
    EXPECT_EQ(TabRows(Bar()), Rows({{L"Module1 (Book1)", 9, 128 + 4096}, {L"Module1 (Budget)", 9, 128 + 4096}}));

    // The component removed: the editor closes its window.
    budget.RemoveComponent(L"Module1");
    DestroyWindow(other);
    Settle();
    EXPECT_EQ(TabRows(Bar()), Rows({{L"Module1", 9, 128 + 4096}}));
    // The workbook closed: its project goes, and nothing of ours holds it.
    ComPtr<idehost::Project> held(&budget);
    ASSERT_TRUE(ide.Model().RemoveProject(budget));
    EXPECT_EQ(addin.Impl().FollowedProjects(), 1u);
    EXPECT_EQ(held->VBComponents().EventSource().SinkCount(), 0u);
    EXPECT_EQ(held->RefCount(), 1u);
    held.Reset();

    ASSERT_EQ(addin.Disconnect(), S_OK);
    EXPECT_EQ(ide.Model().RefCounts(), refsBefore);
    EXPECT_EQ(book1.VBComponents().EventSource().SinkCount(), 0u);
    EXPECT_EQ(ide.Model().VBProjects().EventSource().SinkCount(), 0u);
}

// What the editor may hand over: protected projects, event sources that
// refuse, projects that go without a word, captions of any shape. Every
// window still gets a tab titled as well as the facts allow, and every
// reference goes back at disconnection.
TEST_F(VbaEditor, ProtectedProjectsRefusingSourcesAndOddCaptionsLeaveNothingBehind) {
    idehost::Project& locked = Workbook(L"Tools.xlam", L"C:\\AddIns\\Tools.xlam");
    locked.AddComponent(L"Helpers", idehost::vbext_ct_StdModule);
    locked.SetProtected(true);
    idehost::Project& refusing = Workbook(L"Book2");
    refusing.AddComponent(L"Sheet1", idehost::vbext_ct_Document);
    refusing.VBComponents().EventSource().SetRefusing(true);
    idehost::Project& quiet = Workbook(L"Book3");
    quiet.AddComponent(L"Module9", idehost::vbext_ct_StdModule);
    const std::wstring longName(150, L'x');
    // Caption, title.
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"Tools.xlam - Helpers (Code)", L"Helpers"},
        {L"Book2 - Sheet1 (Code)", L"Sheet1"},
        {L"Immediate", L"Immediate"},
        {L"", L"\u3000"},
        {L"a - b - c - d - Module9 (Code)", L"Module9"},
        {L"Q3-report (Code)", L"report"},
        {L"Book3 - " + longName, std::wstring(127 - 8, L'x')},
    };
    for (const auto& [caption, title] : cases) windows.push_back(ide.OpenCodeWindow(caption));
    const auto refsBefore = ide.Model().RefCounts();
    Connect();
    EXPECT_EQ(addin.Impl().FollowedProjects(), 1u) << "only Book3 could be followed";
    ASSERT_EQ(Bar().Count(), 7);
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(Bar().Title(TabOf(windows[i])), cases[i].second) << i;
    EXPECT_EQ(std::pair(Bar().Data(TabOf(windows[0])), Bar().Data(TabOf(windows[1]))), std::pair(4096, 1024 + 4096));

    // Book3 closes while the editor's project events are not heard.
    ide.Model().VBProjects().EventSource().SetRefusing(true);
    ComPtr<idehost::Project> gone(&quiet);
    ASSERT_TRUE(ide.Model().RemoveProject(quiet));
    ASSERT_EQ(addin.Disconnect(), S_OK);
    EXPECT_EQ(addin.Disconnect(), S_OK);
    EXPECT_EQ(gone->VBComponents().EventSource().SinkCount(), 0u);
    EXPECT_EQ(gone->RefCount(), 1u);
    auto refsWanted = refsBefore;
    std::erase_if(refsWanted, [](const auto& r) { return r.first.starts_with(L"VBE.VBProjects(3)"); });
    EXPECT_EQ(ide.Model().RefCounts(), refsWanted);
}

}  // namespace
}  // namespace brisko
