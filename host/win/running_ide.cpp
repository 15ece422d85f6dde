#include "host/win/running_ide.h"

#include <windows.h>

#include <string>

namespace brisko {
namespace {

std::optional<IdeKind> g_testKind;

std::wstring ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return path.substr(0, n);
        // Cut to fit: try again with room for a longer path.
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

}  // namespace

IdeKind RunningIdeKind() {
    if (g_testKind) return *g_testKind;
    static const IdeKind kind = IdeKindOfExecutable(ExecutablePath());
    return kind;
}

void SetRunningIdeKindForTests(std::optional<IdeKind> kind) {
    g_testKind = kind;
}

}  // namespace brisko
