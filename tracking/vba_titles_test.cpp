#include "tracking/vba_titles.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "tracking/fake_ide_test.h"

namespace brisko {
namespace {

using test::FakeModel;

FakeModel Office() {
    FakeModel m;
    m.docs = {
        {L"VBAProject",
         L"C:\\Docs\\Q3-report - 2024.xlsm",
         {{L"ThisWorkbook", 100}, {L"Sheet1", 100}, {L"UserForm1", 3}, {L"Module1", 1}, {L"Thing", 1}}},
        {L"VBAProject", {}, {{L"Sheet1", 100}, {L"Module1", 1}, {L"Class1", 2}, {L"Thing", 2}}, test::kNeverSaved},
        {L"Normal", L"https://example.invalid/Templates/Normal.dotm", {{L"NewMacros", 1}}},
        {L"Locked", L"C:\\AddIns\\Tools.xlam", {{L"Helpers", 1}}, test::kLocked},
        {L"Gone", std::nullopt, {}, 0, true},
    };
    m.windows = {{L"Q3-report - 2024.xlsm - UserForm1 (UserForm)", 1},
                 {L"Q3-report - 2024.xlsm - UserForm1 (Code)", 0},
                 {L"Q3-report - 2024.xlsm - Sheet1 (Kode)", 0},
                 {L"Objektkatalog", 2}};
    return m;
}

// A tab's title, document, icon and kind as derived from a caption, from an
// icon and kind of the tab's own and a stale document.
using Derived = std::tuple<std::wstring, std::wstring, std::int16_t, std::int32_t>;
Derived Derive(IdeModel& m, std::wstring caption, std::int32_t style, const wchar_t* windowClass, std::int16_t icon = 0,
               std::int32_t kind = 0) {
    std::wstring document = L"stale";
    MakeVbaTabTitle(caption, icon, kind, document, m, style, windowClass);
    return {caption, document, icon, kind};
}

TEST(VbaCaption, SplitAtTheLastSeparatorAndStem) {
    const std::tuple<const wchar_t*, bool, const wchar_t*, const wchar_t*> splits[] = {
        {L"Book1 - Module1 (Code)", true, L"Book1", L"Module1 (Code)"},
        {L"Q3-report - 2024.xlsm - UserForm1 (UserForm)", true, L"Q3-report - 2024.xlsm", L"UserForm1 (UserForm)"},
        {L"Q3-report (Code)", false, L"", L""},
        {L" - ", true, L"", L""},
        {L"", false, L"", L""},
    };
    for (const auto& [caption, ok, document, rest] : splits) {
        const auto s = SplitDocumentCaption(caption);
        const DocumentCaption parts = s.value_or(DocumentCaption{});
        EXPECT_EQ(std::tuple(s.has_value(), parts.document, parts.rest), std::tuple(ok, document, rest)) << caption;
    }
    const std::pair<const wchar_t*, const wchar_t*> stems[] = {
        {L"Book1.xlsm", L"Book1"}, {L"Q3-report - 2024.xlsm", L"Q3-report - 2024"},
        {L"Normal", L"Normal"},    {L"Report v1.2", L"Report v1.2"},
        {L"a.b.docm", L"a.b"},     {L".xlsm", L".xlsm"},
        {L"Book1.", L"Book1."},    {L"x.toolongext", L"x.toolongext"},
        {L"x.ab c", L"x.ab c"},    {L"Data.zZ9", L"Data"},
        {L"Tools.xlam", L"Tools"}, {L"BOOK1.XLA0", L"BOOK1"},
    };
    for (const auto& [document, stem] : stems) EXPECT_EQ(DocumentStem(document), stem) << document;
}

TEST(MakeVbaTabTitle, DerivationTable) {
    const std::wstring q3 = L"Q3-report - 2024.xlsm";
    // Caption, window class, icon style; what is derived.
    const std::tuple<std::wstring, const wchar_t*, std::int32_t, Derived> cases[] = {
        // The IDE's window list tells designer from code, whatever the view word.
        {q3 + L" - UserForm1 (UserForm)", L"DesignerWindow", 0, {L"UserForm1", q3, 15, 2048}},
        {q3 + L" - UserForm1 (Code)", L"VbaWindow", 0, {L"UserForm1", q3, 11, 2048 + 4096}},
        {q3 + L" - Sheet1 (Kode)", L"", 1, {L"Sheet1", q3, 16, 1024 + 4096}},
        // Not in the list: the class decides, then the view word.
        {L"Q3-report - 2024 - Module1 (Code)", L"VbaWindow", 0, {L"Module1", L"Q3-report - 2024", 9, 128 + 4096}},
        {L"Normal - NewMacros (Code)", L"", 2, {L"NewMacros", L"Normal", 13, 128 + 4096}},
        {L"Normal - NewMacros (Module)", L"DesignerWindow", 0, {L"NewMacros", L"Normal", 9, 128}},
        // Book1 was never saved: the component's name finds its project, or
        // the projects that have it agree on its type, or nothing is known.
        {L"Book1 - Class1 (Code)", L"VbaWindow", 0, {L"Class1", L"Book1", 10, 256 + 4096}},
        {L"Book1 - Sheet1 (Code)", L"VbaWindow", 0, {L"Sheet1", L"Book1", 16, 1024 + 4096}},
        {L"Book1 - Thing (Code)", L"VbaWindow", 0, {L"Thing", L"Book1", 13, 4096}},
        {L"Tools.xlam - Helpers (Code)", L"VbaWindow", 0, {L"Helpers", L"Tools.xlam", 13, 4096}},
        // Other shapes are titled as the VB6 IDE's captions are.
        {L"Immediate", L"DockingView", 0, {L"Immediate", L"", 12, 0}},
        {L"Objektkatalog", L"DockingView", 0, {L"Objektkatalog", L"", 14, 512}},
        {L"Object Browser", L"DockingView", 3, {L"Object Browser", L"", 0, 512}},
        {L"", L"VbaWindow", 0, {L"\u3000", L"", 0, 0}},
    };
    FakeModel m = Office();
    for (const auto& [caption, windowClass, style, derived] : cases)
        EXPECT_EQ(Derive(m, caption, style, windowClass), derived) << caption;
}

TEST(MakeVbaTabTitle, AnIdeThatRaisesEverywhereStillTitlesTheTab) {
    FakeModel m = Office();
    m.broken = true;
    // The kind stays; a caption of the editor's shape still gets the icon of that kind.
    const std::tuple<const wchar_t*, Derived> rows[] = {{L"Book1 - Module1 (Code)", {L"Module1", L"Book1", 12, 99}},
                                                        {L"Module1", {L"Module1", L"", 7, 99}}};
    for (const auto& [caption, derived] : rows)
        EXPECT_EQ(Derive(m, caption, 0, L"DesignerWindow", 7, 99), derived) << caption;
}

// One pass over the IDE's windows asks the IDE once for each answer.
TEST(RememberingModel, AsksTheIdeOnceForEachAnswer) {
    struct Counting : FakeModel {
        int calls[4] = {};  // ProjectCount, Project, ActiveProject, WindowType
        std::int32_t ProjectCount() override { return ++calls[0], FakeModel::ProjectCount(); }
        std::unique_ptr<IdeProject> Project(std::int32_t i) override { return ++calls[1], FakeModel::Project(i); }
        std::unique_ptr<IdeProject> ActiveProject() override { return ++calls[2], FakeModel::ActiveProject(); }
        std::optional<std::int32_t> WindowType(const std::wstring& c) override {
            return ++calls[3], FakeModel::WindowType(c);
        }
    } ide;
    static_cast<FakeModel&>(ide) = Office();
    ide.active = 2;
    const auto model = MakeRememberingModel(ide);
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(std::get<3>(Derive(*model, L"Q3-report - 2024 - Module1 (Code)", 0, L"VbaWindow")), 128 + 4096);
        EXPECT_EQ(model->ProjectCount(), 5);
        EXPECT_EQ(model->Project(3)->Name(), L"Normal");
        EXPECT_EQ(model->Project(1)->ComponentName(3), L"UserForm1");
        EXPECT_EQ(model->Project(1)->ComponentType(3), 3);
        EXPECT_EQ(model->ActiveProject()->Name(), L"Normal");
    }
    EXPECT_EQ(std::vector<int>(std::begin(ide.calls), std::end(ide.calls)), std::vector<int>({1, 5, 1, 1}));
}

TEST(DisambiguatedTitles, OnlyTitlesSharedAcrossDocumentsNameTheirDocument) {
    // A tab's title and document, and the title shown.
    const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> rows[] = {
        {L"Sheet1", L"Book1.xlsm", L"Sheet1 (Book1)"},
        {L"Sheet1", L"Budget.xlsx", L"Sheet1 (Budget)"},
        {L"UserForm1", L"Book1.xlsm", L"UserForm1"},
        {L"UserForm1", L"Book1.xlsm", L"UserForm1"},
        {L"Module1", L"Book1.xlsm", L"Module1 (Book1.xlsm)"},
        {L"module1", L"Book1.xlam", L"module1 (Book1.xlam)"},
        {L"Immediate", L"", L"Immediate"},
        {L"Immediate", L"", L"Immediate"},
        {L"ThisWorkbook", L"Book1.xlsm", L"ThisWorkbook"},
        {L"ThisWorkbook", L"book1.XLSM", L"ThisWorkbook"},
        {L"Module2", L"A.xlsm", L"Module2"},
        {L"Module2", L"", L"Module2"},
    };
    std::vector<TabTitleSource> tabs;
    std::vector<std::wstring> shown;
    for (auto [title, document, want] : rows) tabs.push_back({title, document}), shown.emplace_back(want);
    EXPECT_EQ(DisambiguatedTitles(tabs), shown);
}

}  // namespace
}  // namespace brisko
