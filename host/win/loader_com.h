#pragma once
// The COM face of the connection class: the dual IDTExtensibility2 the IDE's
// add-in manager drives. No exception leaves a COM method.
#include <oaidl.h>

namespace brisko {

class Loader;

// A new add-in object with one reference, or null when out of memory.
IUnknown* CreateLoaderObject();

// The Loader behind an object made by CreateLoaderObject (for in-process tests).
Loader* LoaderOf(IUnknown* obj);

}  // namespace brisko
