#include "comserver/win/module.h"

#include "common/win/this_module.h"

namespace brisko {
namespace {
HINSTANCE g_instance = nullptr;
LONG g_refs = 0;
}  // namespace

// The module this code is linked into: Brisko.dll as shipped, or a test
// executable that links the add-in's code in-process.
HINSTANCE ModuleInstance() {
    if (!g_instance) g_instance = ThisModule();
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
