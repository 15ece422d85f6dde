// 100 connections and disconnections of the add-in against the stand-in IDE,
// and a few disconnected from inside the tab menu (which draws the windows'
// icons), between two markers, for the GDI leak check run under Wine's GDI
// trace; the thread's window count must also end where it began.
#include <windows.h>

#include <cstdio>

#include "tests/addin_fixture.h"

using namespace brisko;

int main() {
    OleInitialize(nullptr);
    SetRunningIdeKindForTests(IdeKind::Vb6);
    int failures = 0;
    {
        idehost::IdeHost ide;
        auto& project = ide.Model().AddProject(L"Project1");
        project.AddComponent(L"Module1", idehost::vbext_ct_StdModule);
        project.AddComponent(L"Form1", idehost::vbext_ct_VBForm);
        ide.OpenCodeWindow(L"Project1 - Module1" + test::kCode);
        ide.OpenDesigner(L"Project1 - Form1 (Form)");
        auto cycle = [&](bool insideMenu) {
            test::AddIn addin;
            if (addin.Connect(static_cast<IDispatch*>(&ide.Model()), ext_cm_AfterStartup) != S_OK) ++failures;
            idehost::IdeHost::Pump(5);
            if (insideMenu) {
                const test::TickAction inside(
                    [&] { return FindWindowW(L"#32768", nullptr) && addin.Disconnect() == S_OK && EndMenu(); });
                addin.Impl().ShowTabMenu(0);
            }
            if (addin.Disconnect() != S_OK || addin.Impl().TabBar()) ++failures;
        };
        // The first connection and menu may leave objects the system caches for good.
        cycle(false);
        cycle(true);
        idehost::IdeHost::Pump(50);
        const int windowsBefore = test::ThreadWindowCount();
        std::fprintf(stderr, "BRISKO-MARK before (%d windows)\n", windowsBefore);
        for (int i = 0; i < 105; ++i) cycle(i >= 100);
        idehost::IdeHost::Pump(50);
        const int windowsAfter = test::ThreadWindowCount();
        std::fprintf(stderr, "BRISKO-MARK after (%d windows)\n", windowsAfter);
        if (windowsAfter != windowsBefore) ++failures;
    }
    OleUninitialize();
    return failures == 0 ? 0 : 1;
}
