#include "host/module.h"

namespace brisko {
namespace {
HINSTANCE g_instance = nullptr;
LONG g_refs = 0;
}  // namespace

HINSTANCE ModuleInstance() { return g_instance; }
void SetModuleInstance(HINSTANCE h) { g_instance = h; }
void ModuleAddRef() { InterlockedIncrement(&g_refs); }
void ModuleRelease() { InterlockedDecrement(&g_refs); }
long ModuleRefCount() { return g_refs; }

}  // namespace brisko
