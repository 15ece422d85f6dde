#pragma once
// What Brisko.dll writes into the registry when it registers itself, and
// takes out again when it unregisters.
#include <windows.h>

namespace brisko {

// Registers, under classesRoot (HKEY_CLASSES_ROOT, or
// HKEY_CURRENT_USER\Software\Classes for one user), the add-in's class and
// the SpinEditBox control with their ProgIDs, the control's type library
// (machine-wide or for the user alike), and the add-in's entries in the
// VB6 IDE's list and in the VBA editor's list of the DLL's own bitness.
HRESULT RegisterServer(HKEY classesRoot);
// Removes all of it again; the user's stored settings in the add-in keys stay.
HRESULT UnregisterServer(HKEY classesRoot);

}  // namespace brisko
