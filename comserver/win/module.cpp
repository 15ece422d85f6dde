#include "comserver/win/module.h"

namespace brisko {
namespace {
HINSTANCE g_instance = nullptr;
LONG g_refs = 0;
}  // namespace

// The module this code is linked into: Brisko.dll as shipped, or a test
// executable that links the add-in's code in-process.
HINSTANCE ModuleInstance() {
    if (!g_instance) {
        HMODULE self = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&g_instance), &self);
        g_instance = self;
    }
    return g_instance;
}
void SetModuleInstance(HINSTANCE h) {
    g_instance = h;
}
void ModuleAddRef() {
    InterlockedIncrement(&g_refs);
}
void ModuleRelease() {
    InterlockedDecrement(&g_refs);
}
long ModuleRefCount() {
    return g_refs;
}

}  // namespace brisko
