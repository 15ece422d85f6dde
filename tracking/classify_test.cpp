#include "tracking/classify.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <vector>

#include "tracking/fake_ide_test.h"

namespace brisko {
namespace {

using test::FakeModel;

const std::wstring kCode = kCodeViewMarker;

FakeModel TwoProjects() {
    FakeModel m;
    m.docs = {{L"Project1", std::nullopt, {{L"Form1", 5}, {L"Module1", 1}, {L"Designer1", 11}, {L"Other", 3}}},
              {L"Project2", std::nullopt, {{L"Class1", 2}, {L"Form1", 6}}}};
    m.active = 1;
    return m;
}

TEST(MakeTabTitle, DerivationTable) {
    // A tab as (title, icon, kind): before, holding the caption, and derived.
    using Tab = std::tuple<std::wstring, std::int16_t, std::int32_t>;
    // Before, whether Project2 is the active project (or none is), icon style, derived.
    const std::tuple<Tab, bool, std::int32_t, Tab> cases[] = {
        {{L"Project1 - Module1 " + kCode, 0, 0}, true, 0, {L"Module1", 9, 128 + 4096}},
        {{L"Project1 - Form1 " + kCode, 0, 0}, true, 2, {L"Form1", 13, 1 + 4096}},
        // Project names compare exactly: no project, icon and kind untouched.
        {{L"project1 - Form1 " + kCode, 7, 99}, true, 0, {L"Form1", 7, 99}},
        // Found in Project2, which holds an MDI form of the same name.
        {{L"Project2 - Form1 (Form)", 0, 0}, true, 0, {L"Form1", 3, 4}},
        // A found component replaces every earlier bit, the code-view bit too.
        {{L"Project1 - Module1 (Module)", 0, 4096 + 1}, true, 0, {L"Module1", 9, 128}},
        // A type without a bit keeps the kind; the marker still adds its bit.
        {{L"Project1 - Other " + kCode, 0, 1}, true, 0, {L"Other", 11, 1 + 4096}},
        // Without "-" the active project is searched; without one, nothing changes.
        {{L"Class1 " + kCode, 0, 0}, true, 0, {L"Class1", 10, 256 + 4096}},
        {{L"Class1 " + kCode, 0, 0}, false, 0, {L"Class1", 0, 0}},
        {{L"A - B - C " + kCode, 0, 0}, true, 0, {L"B", 0, 0}},  // project A unknown
        // Captions with nothing before "(" or after "-": an empty title, read within the caption.
        {{L"(Form)", 0, 0}, true, 0, {L"", 12, 0}},
        {{L"Project1 -", 0, 0}, true, 0, {L"", 12, 0}},
        {{L"", 5, 6}, true, 0, {L"\u3000", 5, 6}},
        {{kObjectBrowserCaption, 0, 0}, true, 0, {kObjectBrowserCaption, 14, 512}},
        // The English IDE's words give the same bits and icons.
        {{L"Project1 - Form1 (Code)", 0, 0}, true, 0, {L"Form1", 11, 1 + 4096}},
        {{L"Object Browser", 0, 0}, true, 0, {L"Object Browser", 14, 512}},
    };
    for (const auto& [before, active, style, derived] : cases) {
        FakeModel m = TwoProjects();
        m.active = active ? 1 : -1;
        Tab tab = before;
        MakeTabTitle(std::get<0>(tab), std::get<1>(tab), std::get<2>(tab), m, style);
        EXPECT_EQ(tab, derived) << std::get<0>(before);
    }
}

TEST(FindProject, RulesForOneAndManyProjects) {
    FakeModel m = TwoProjects();
    EXPECT_EQ(FindProject(m, L"Project2")->Name(), L"Project2");
    EXPECT_EQ(FindProject(m, L"project2"), nullptr);
    m.docs.pop_back();
    EXPECT_EQ(FindProject(m, L"anything")->Name(), L"Project1");
    m.docs.clear();
    EXPECT_EQ(FindProject(m, L"Project1"), nullptr);
}

TEST(GetIconIndex, EveryKindAndStyle) {
    using C = std::array<std::int16_t, 4>;  // kind, icons for styles 0, 1 and 2; style 3 shows none
    const C cases[] = {{128 + 4096, 9, 9, 13},   {1 + 4096, 11, 1, 13}, {1, 1, 1, 12},         {8, 4, 4, 12},
                       {8 + 4096, 5, 4, 13},     {0, 12, 12, 12},       {4096, 13, 12, 13},    {512, 14, 14, 14},
                       {512 + 4096, 13, 12, 13}, {4, 3, 3, 12},         {4 + 4096, 11, 3, 13}, {16, 6, 6, 12},
                       {32, 7, 7, 12},           {64, 8, 8, 12},        {256, 10, 10, 12},     {256 + 4096, 10, 10, 13},
                       {2 + 4096, 11, 12, 13}};
    for (const auto& [kind, s0, s1, s2] : cases) {
        const std::int16_t want[] = {s0, s1, s2, 0};
        for (std::int32_t style = 0; style <= 3; ++style) EXPECT_EQ(GetIconIndex(kind, style), want[style]) << kind;
    }
}

TEST(KindOfComponentType, KnownTypesAndNothingElse) {
    // The kind bits for types 0 to 12: module, class, form, MDI form, property page, user control, user document,
    // designer.
    const std::int32_t kinds[] = {0, 128, 256, 0, 0, 1, 4, 32, 16, 64, 0, 8, 0};
    for (std::int32_t type = 0; type <= 12; ++type) EXPECT_EQ(KindOfComponentType(type), kinds[type]) << type;
    EXPECT_EQ(KindOfComponentType(-1), 0);
}

TEST(CaptionWords, BothLanguagesExactAndCaseSensitive) {
    for (const std::wstring& c : {L"Project1 - Form1 " + kCode, std::wstring(L"Book1 - Module1 (Code)"),
                                  std::wstring(L"(Code)"), std::wstring(L"Object Browser (Code)")})
        EXPECT_TRUE(IsCodeViewCaption(c) && !IsObjectBrowserCaption(c)) << c.size();
    for (const wchar_t* c : {kObjectBrowserCaption, L"Object Browser"})
        EXPECT_TRUE(IsObjectBrowserCaption(c) && !IsCodeViewCaption(c));
    for (const wchar_t* c :
         {L"Project1 - Form1 (code)", L"Project1 - Form1 (Form)", L"Code", L"object browser", L"Object Browser ", L""})
        EXPECT_FALSE(IsCodeViewCaption(c) || IsObjectBrowserCaption(c)) << c;
}

TEST(IsTabWindowClass, ExactAndCaseSensitive) {
    for (const wchar_t* cls : {L"VbaWindow", L"DesignerWindow", L"DockingView"}) EXPECT_TRUE(IsTabWindowClass(cls));
    for (const wchar_t* cls : {L"vbawindow", L"VbaWindow ", L"MDIClient"}) EXPECT_FALSE(IsTabWindowClass(cls));
}

}  // namespace
}  // namespace brisko
