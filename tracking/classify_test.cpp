#include "tracking/classify.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace brisko {
namespace {

struct FakeProject : IdeProject {
    FakeProject(std::wstring n, std::vector<std::pair<std::wstring, std::int32_t>> c)
        : name(std::move(n)), comps(std::move(c)) {}
    std::wstring name;
    std::vector<std::pair<std::wstring, std::int32_t>> comps;
    std::wstring Name() override { return name; }
    std::int32_t ComponentCount() override { return static_cast<std::int32_t>(comps.size()); }
    std::wstring ComponentName(std::int32_t i) override { return comps.at(i - 1).first; }
    std::int32_t ComponentType(std::int32_t i) override { return comps.at(i - 1).second; }
};

struct FakeModel : IdeModel {
    std::vector<FakeProject> projects;
    int active = -1;  // 0-based, -1 none
    std::int32_t ProjectCount() override { return static_cast<std::int32_t>(projects.size()); }
    std::unique_ptr<IdeProject> Project(std::int32_t i) override {
        return std::make_unique<FakeProject>(projects.at(i - 1));
    }
    std::unique_ptr<IdeProject> ActiveProject() override {
        if (active < 0) return nullptr;
        return std::make_unique<FakeProject>(projects.at(active));
    }
};

const std::wstring kCode = kCodeViewMarker;

FakeModel TwoProjects() {
    FakeModel m;
    m.projects.emplace_back(L"Project1", std::vector<std::pair<std::wstring, std::int32_t>>{
                                             {L"Form1", 5}, {L"Module1", 1}, {L"Designer1", 11}, {L"Other", 3}});
    m.projects.emplace_back(L"Project2",
                            std::vector<std::pair<std::wstring, std::int32_t>>{{L"Class1", 2}, {L"Form1", 6}});
    m.active = 1;
    return m;
}

TEST(MakeTabTitle, DerivationTable) {
    struct Case {
        std::wstring caption;
        int projects;  // 2: both projects, 1: only Project1, 0: both and none active
        std::int32_t style;
        std::int16_t iconIn;
        std::int32_t kindIn;
        std::wstring title;
        std::int16_t icon;
        std::int32_t kind;
    };
    const std::vector<Case> cases = {
        {L"Project1 - Module1 " + kCode, 2, 0, 0, 0, L"Module1", 9, 128 + 4096},
        {L"Project1 - Form1 (Form)", 2, 0, 0, 0, L"Form1", 1, 1},
        {L"Project1 - form1 (Form)", 2, 0, 0, 0, L"form1", 1, 1},  // component names ignore case
        {L"Project1 - Form1 " + kCode, 2, 0, 0, 0, L"Form1", 11, 1 + 4096},
        {L"Project1 - Form1 " + kCode, 2, 1, 0, 0, L"Form1", 1, 1 + 4096},
        {L"Project1 - Form1 " + kCode, 2, 2, 0, 0, L"Form1", 13, 1 + 4096},
        // Project names compare exactly: no project, icon and kind untouched.
        {L"project1 - Form1 " + kCode, 2, 0, 7, 99, L"Form1", 7, 99},
        // With one project loaded its name is not compared at all.
        {L"Other - Form1 " + kCode, 1, 0, 0, 0, L"Form1", 11, 1 + 4096},
        // Found in Project2, which holds an MDI form of the same name.
        {L"Project2 - Form1 (Form)", 2, 0, 0, 0, L"Form1", 3, 4},
        // A found component replaces every earlier bit, the code-view bit too.
        {L"Project1 - Module1 (Module)", 2, 0, 0, 4096 + 1, L"Module1", 9, 128},
        // A type without a bit keeps the kind; the marker still adds its bit.
        {L"Project1 - Other " + kCode, 2, 0, 0, 1, L"Other", 11, 1 + 4096},
        // Unknown component: the kind stays, the icon follows it.
        {L"Project1 - Nobody (Form)", 2, 0, 3, 128, L"Nobody", 9, 128},
        {L"Project1 - Designer1 " + kCode, 2, 0, 0, 0, L"Designer1", 5, 8 + 4096},
        {L"Project1 - Designer1 " + kCode, 2, 1, 0, 0, L"Designer1", 4, 8 + 4096},
        // Without "-" the active project (Project2) is searched.
        {L"Class1 " + kCode, 2, 0, 0, 0, L"Class1", 10, 256 + 4096},
        {L"Class1 " + kCode, 0, 0, 0, 0, L"Class1", 0, 0},  // no active project: not even the code-view bit
        {L"\u30A4\u30DF\u30C7\u30A3\u30A8\u30A4\u30C8", 2, 0, 0, 0, L"\u30A4\u30DF\u30C7\u30A3\u30A8\u30A4\u30C8", 12,
         0},
        {L"A - B - C " + kCode, 2, 0, 0, 0, L"B", 0, 0},  // project A unknown
        {L"Project1 -", 2, 0, 0, 0, L"", 12, 0},          // an empty title; nothing found
        {L"(Form)", 2, 0, 0, 0, L"", 12, 0},
        {L"", 2, 0, 5, 6, L"\u3000", 5, 6},
        {kObjectBrowserCaption, 2, 0, 0, 0, kObjectBrowserCaption, 14, 512},
        {kObjectBrowserCaption, 2, 3, 2, 0, kObjectBrowserCaption, 0, 512},
    };
    for (const auto& c : cases) {
        FakeModel m = TwoProjects();
        if (c.projects == 1) m.projects.erase(m.projects.begin() + 1, m.projects.end());
        if (c.projects == 0) m.active = -1;
        std::wstring title = c.caption;
        std::int16_t icon = c.iconIn;
        std::int32_t kind = c.kindIn;
        MakeTabTitle(title, icon, kind, m, c.style);
        SCOPED_TRACE(testing::Message() << "caption #" << (&c - cases.data()));
        EXPECT_EQ(title, c.title);
        EXPECT_EQ(icon, c.icon);
        EXPECT_EQ(kind, c.kind);
    }
}

// One pass over the IDE's windows asks the IDE once for each answer.
TEST(RememberingModel, AsksTheIdeOnceForEachAnswer) {
    struct Counting : IdeModel {
        FakeModel m = TwoProjects();
        int countCalls = 0, projectCalls = 0, activeCalls = 0;
        std::int32_t ProjectCount() override { return ++countCalls, m.ProjectCount(); }
        std::unique_ptr<IdeProject> Project(std::int32_t i) override { return ++projectCalls, m.Project(i); }
        std::unique_ptr<IdeProject> ActiveProject() override { return ++activeCalls, m.ActiveProject(); }
    } ide;
    const auto model = MakeRememberingModel(ide);
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(model->ProjectCount(), 2);
        EXPECT_EQ(model->Project(2)->Name(), L"Project2");
        EXPECT_EQ(model->Project(1)->ComponentName(3), L"Designer1");
        EXPECT_EQ(model->Project(1)->ComponentType(3), 11);
        EXPECT_EQ(model->ActiveProject()->Name(), L"Project2");
    }
    EXPECT_EQ(std::vector<int>({ide.countCalls, ide.projectCalls, ide.activeCalls}), std::vector<int>({1, 2, 1}));
}

TEST(FindProject, RulesForOneAndManyProjects) {
    FakeModel m = TwoProjects();
    EXPECT_EQ(FindProject(m, L"Project2")->Name(), L"Project2");
    EXPECT_EQ(FindProject(m, L"project2"), nullptr);
    m.projects.erase(m.projects.begin() + 1, m.projects.end());
    EXPECT_EQ(FindProject(m, L"anything")->Name(), L"Project1");
    m.projects.clear();
    EXPECT_EQ(FindProject(m, L"Project1"), nullptr);
}

TEST(GetIconIndex, EveryKindAndStyle) {
    // Icons for styles 0, 1 and 2; style 3 shows none.
    struct Case {
        std::int32_t kind;
        std::int16_t s0, s1, s2;
    };
    const std::vector<Case> cases = {
        {128 + 4096, 9, 9, 13},   {1 + 4096, 11, 1, 13}, {1, 1, 1, 12},         {8, 4, 4, 12},
        {8 + 4096, 5, 4, 13},     {0, 12, 12, 12},       {4096, 13, 12, 13},    {512, 14, 14, 14},
        {512 + 4096, 13, 12, 13}, {4, 3, 3, 12},         {4 + 4096, 11, 3, 13}, {16, 6, 6, 12},
        {32, 7, 7, 12},           {64, 8, 8, 12},        {256, 10, 10, 12},     {256 + 4096, 10, 10, 13},
        {2 + 4096, 11, 12, 13},
    };
    for (const auto& c : cases) {
        EXPECT_EQ((std::vector<std::int16_t>{GetIconIndex(c.kind, 0), GetIconIndex(c.kind, 1), GetIconIndex(c.kind, 2),
                                             GetIconIndex(c.kind, 3)}),
                  (std::vector<std::int16_t>{c.s0, c.s1, c.s2, 0}))
            << c.kind;
    }
}

TEST(KindOfComponentType, KnownTypesAndNothingElse) {
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {5, kKindForm},
        {6, kKindMDIForm},
        {11, kKindDesigner},
        {8, kKindUserControl},
        {7, kKindPropertyPage},
        {9, kKindUserDocument},
        {1, kKindModule},
        {2, kKindClass},
        {0, 0},
        {3, 0},
        {4, 0},
        {10, 0},
        {12, 0},
        {-1, 0},
    };
    for (const auto& [type, kind] : cases) EXPECT_EQ(KindOfComponentType(type), kind) << type;
}

TEST(IsTabWindowClass, ExactAndCaseSensitive) {
    for (const wchar_t* cls : {L"VbaWindow", L"DesignerWindow", L"DockingView"}) EXPECT_TRUE(IsTabWindowClass(cls));
    for (const wchar_t* cls : {L"vbawindow", L"VbaWindow ", L"MDIClient"}) EXPECT_FALSE(IsTabWindowClass(cls));
}

}  // namespace
}  // namespace brisko
