#pragma once
// The built Brisko.dll, loaded once for the tests that read its resources. It
// sits beside the test executable in the build tree.
#include <windows.h>

#include <string>

namespace brisko::test {

inline HMODULE BriskoDll() {
    static const HMODULE hDll = [] {
        char path[MAX_PATH] = {};
        const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string dir(path, n);
        dir.erase(dir.find_last_of("\\/") + 1);
        return LoadLibraryA((dir + "Brisko.dll").c_str());
    }();
    return hDll;
}

}  // namespace brisko::test
