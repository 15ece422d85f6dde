// The stand-in IDE as a program, for the demo and end-to-end tests. Built as
// VB6.exe, it plays the VB6 IDE; under any other name (the build also makes
// EXCEL.exe) the VBA editor of the program of that name, just as the add-in
// tells the two apart.
//
//   VB6.exe [--sample] [--addin ProgID | --dll path [--clsid {guid}]]
//           [--mode N] [--script file] [--screenshot file.bmp|.png]
//           [--exit-after ms] [--lang ja|en]
//
// --lang plays the Japanese or the English edition of the IDE (its captions
// and menus); without it, the edition of the display language.
// The add-in is connected the way the IDE does it: with --mode 1 while the
// IDE starts (before the sample's windows open, then OnStartupComplete),
// otherwise after start-up. Without --exit-after the IDE stays open until
// its main window is closed. Exit codes: 0 fine, 1 bad command line,
// 2 the add-in failed to load or connect, 3 the script failed, 4 the
// screenshot could not be written.
#include <ole2.h>
#include <shellapi.h>
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "tools/idehost/idehost.h"

namespace {

using namespace brisko::idehost;
using brisko::Language;
using brisko::test::SaveScreenshot;

struct Options {
    bool sample = false;
    std::wstring progId;
    std::wstring dll;
    CLSID clsid = brisko::CLSID_Loader;
    long mode = 0;
    std::wstring script;
    std::wstring screenshot;
    std::optional<DWORD> exitAfter;
    std::optional<Language> language;
};

std::string Utf8(const std::wstring& s) {
    if (s.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

bool ParseNumber(const wchar_t* text, long& out) {
    wchar_t* end = nullptr;
    out = std::wcstol(text, &end, 10);
    return end && end != text && *end == L'\0';
}

bool ParseArgs(int argc, wchar_t** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        auto value = [&]() -> const wchar_t* { return i + 1 < argc ? argv[++i] : nullptr; };
        long number = 0;
        if (a == L"--sample") {
            o.sample = true;
        } else if (a == L"--addin" || a == L"--dll" || a == L"--script" || a == L"--screenshot") {
            const wchar_t* v = value();
            if (!v) return false;
            (a == L"--addin" ? o.progId : a == L"--dll" ? o.dll : a == L"--script" ? o.script : o.screenshot) = v;
        } else if (a == L"--clsid") {
            const wchar_t* v = value();
            if (!v || FAILED(CLSIDFromString(v, &o.clsid))) return false;
        } else if (a == L"--mode") {
            const wchar_t* v = value();
            if (!v || !ParseNumber(v, number)) return false;
            o.mode = number;
        } else if (a == L"--lang") {
            const wchar_t* v = value();
            if (!v || (std::wstring(v) != L"ja" && std::wstring(v) != L"en")) return false;
            o.language = std::wstring(v) == L"ja" ? Language::Japanese : Language::English;
        } else if (a == L"--exit-after") {
            const wchar_t* v = value();
            if (!v || !ParseNumber(v, number) || number < 0) return false;
            o.exitAfter = static_cast<DWORD>(number);
        } else {
            return false;
        }
    }
    return o.progId.empty() || o.dll.empty();
}

// OLE on the IDE's thread for the run.
struct OleScope {
    const bool ok = SUCCEEDED(OleInitialize(nullptr));
    ~OleScope() {
        if (ok) OleUninitialize();
    }
};

std::wstring OwnPath() {
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return std::wstring(path, n < MAX_PATH * 2 ? n : 0);
}

int Run(const Options& o) {
    IdeHostOptions ideOptions;
    ideOptions.ide = brisko::IdeKindOfExecutable(OwnPath());
    if (o.language) ideOptions.language = *o.language;
    IdeHost ide(ideOptions);
    AddInClient addin(ide);
    const bool wantAddIn = !o.progId.empty() || !o.dll.empty();
    if (wantAddIn) {
        const HRESULT hr = o.progId.empty() ? addin.LoadFromDll(o.dll, o.clsid) : addin.LoadByProgId(o.progId);
        if (FAILED(hr)) {
            std::printf("idehost: the add-in %s could not be created (0x%08lX)\n",
                        Utf8(o.progId.empty() ? o.dll : o.progId).c_str(), static_cast<unsigned long>(hr));
            return 2;
        }
    }
    auto connect = [&]() -> bool {
        const HRESULT hr = addin.Connect(o.mode);
        if (FAILED(hr)) std::printf("idehost: OnConnection failed (0x%08lX)\n", static_cast<unsigned long>(hr));
        return SUCCEEDED(hr);
    };
    if (wantAddIn && o.mode == 1 && !connect()) return 2;
    if (o.sample) ide.LoadSample();
    if (wantAddIn && o.mode != 1 && !connect()) return 2;
    if (wantAddIn && o.mode == 1) {
        const HRESULT hr = addin.StartupComplete();
        if (FAILED(hr)) std::printf("idehost: OnStartupComplete failed (0x%08lX)\n", static_cast<unsigned long>(hr));
    }
    IdeHost::Pump(100);

    bool quit = false;
    if (!o.script.empty()) {
        Scenario scenario(ide, &addin);
        const ScenarioResult r = scenario.RunFile(std::filesystem::path(o.script));
        if (!r.ok) {
            std::printf("idehost: %s line %d: %s\n", Utf8(o.script).c_str(), r.line, r.message.c_str());
            return 3;
        }
        quit = r.quit;
    }
    if (o.exitAfter) IdeHost::Pump(*o.exitAfter);
    if (!o.screenshot.empty() && ide.Alive() &&
        !SaveScreenshot(ide.MainWindow(), std::filesystem::path(o.screenshot))) {
        std::printf("idehost: the screenshot could not be written to %s\n", Utf8(o.screenshot).c_str());
        return 4;
    }
    if (!quit && !o.exitAfter) ide.Run();
    ide.Shutdown();  // OnBeginShutdown, the windows close, OnDisconnection
    return 0;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 1;
    Options options;
    const bool ok = ParseArgs(argc, argv, options);
    LocalFree(argv);
    if (!ok) {
        std::printf(
            "usage: VB6.exe|EXCEL.exe [--sample] [--addin ProgID | --dll path [--clsid {guid}]]\n"
            "                         [--mode N] [--script file] [--screenshot file.bmp|.png]\n"
            "                         [--exit-after ms] [--lang ja|en]\n");
        return 1;
    }
    OleScope ole;
    if (!ole.ok) {
        std::printf("idehost: OleInitialize failed\n");
        return 1;
    }
    try {
        return Run(options);
    } catch (const std::exception& e) {
        std::printf("idehost: %s\n", e.what());
        return 1;
    }
}
