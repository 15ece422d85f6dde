#pragma once
// The DLL's own bookkeeping: its instance handle and the count of live COM
// objects and server locks that keep it loaded.
#include <windows.h>

namespace brisko {

HINSTANCE ModuleInstance();
void SetModuleInstance(HINSTANCE h);
void ModuleAddRef();
void ModuleRelease();
long ModuleRefCount();

}  // namespace brisko
