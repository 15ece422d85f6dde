#pragma once
// What the server writes into the registry when it registers itself, and
// takes out again when it unregisters.
#include <oleidl.h>
#include <windows.h>

#include "host/registration_table.h"

namespace brisko {

// How a form container treats the SpinEditBox control: resized with its
// site, never linked into, active in place while visible, given its client
// site before it loads its properties. Registered under MiscStatus\1 and
// answered by the control's IOleObject::GetMiscStatus.
inline constexpr DWORD kSpinEditBoxMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                                                OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;

// Registers, under classesRoot (HKEY_CLASSES_ROOT, or
// HKEY_CURRENT_USER\Software\Classes for one user), the add-in's class and
// the SpinEditBox control with their ProgIDs, the control's type library
// (machine-wide or for the user alike), and the add-in entry.
HRESULT RegisterServer(HKEY classesRoot);
// Removes all of it again; the user's stored settings in the add-in key stay.
HRESULT UnregisterServer(HKEY classesRoot);

}  // namespace brisko
