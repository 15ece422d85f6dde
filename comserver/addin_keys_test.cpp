#include "comserver/addin_keys.h"

#include <gtest/gtest.h>

#include <tuple>

#include "comserver/registration_table.h"

namespace brisko {
namespace {

TEST(IdeKindOfExecutable, OnlyVb6ExeInAnyCaseAndFolderIsTheVb6Ide) {
    const std::tuple<const wchar_t*, IdeKind> rows[] = {
        {L"C:\\Program Files (x86)\\Microsoft Visual Studio\\VB98\\VB6.EXE", IdeKind::Vb6},
        {L"vb6.exe", IdeKind::Vb6},
        {L"D:/tools/Vb6.Exe", IdeKind::Vb6},
        {L"C:\\Program Files\\Microsoft Office\\root\\Office16\\EXCEL.EXE", IdeKind::VbaEditor},
        {L"C:\\VB6.EXE\\WINWORD.EXE", IdeKind::VbaEditor},  // a folder of that name
        {L"C:\\VB98\\XVB6.EXE", IdeKind::VbaEditor},
        {L"C:\\VB98\\VB6.EXE.old", IdeKind::VbaEditor},
        {L"C:\\VB98\\VB6", IdeKind::VbaEditor},
        {L"C:\\VB98\\", IdeKind::VbaEditor},
        {L"", IdeKind::VbaEditor},
    };
    for (const auto& [path, kind] : rows) EXPECT_EQ(IdeKindOfExecutable(path), kind) << path;
}

TEST(AddinEntries, TheVb6ListAndTheVbaEditorsListOfTheDllsBitness) {
    EXPECT_EQ(AddinKey(IdeKind::Vb6, true), kVb6AddinKey);
    EXPECT_EQ(AddinKey(IdeKind::Vb6, false), kVb6AddinKey);
    EXPECT_EQ(AddinKey(IdeKind::VbaEditor, true), L"Software\\Microsoft\\VBA\\VBE\\6.0\\Addins64\\Brisko.Loader");
    EXPECT_EQ(AddinKey(IdeKind::VbaEditor, false), L"Software\\Microsoft\\VBA\\VBE\\6.0\\Addins\\Brisko.Loader");
    for (const bool is64 : {true, false}) {
        const auto entries = AddinEntries(is64);
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(std::tuple(entries[0].key, entries[0].loadBehavior, entries[0].writesCommandLineSafe),
                  std::tuple(kVb6AddinKey, 1u, true));
        EXPECT_EQ(std::tuple(entries[1].key, entries[1].loadBehavior, entries[1].writesCommandLineSafe),
                  std::tuple(AddinKey(IdeKind::VbaEditor, is64), 3u, false));
    }
}

}  // namespace
}  // namespace brisko
