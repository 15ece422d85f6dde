#pragma once
// What the registry says about the Brisko.SpinEditBox class, shared by the
// control (which answers the same MiscStatus to its container) and the
// server's registration.
#include <oleidl.h>

namespace brisko {

// The name of the class and of its ProgID key (the ProgID itself is
// kSpinEditBoxProgId).
inline constexpr const wchar_t* kSpinEditBoxRegistryName = L"Brisko SpinEditBox Control";

// How a form container treats the control: resized with its site, never
// linked into, active in place while visible, given its client site before
// it loads its properties. Registered under MiscStatus\1 and answered by the
// control's IOleObject::GetMiscStatus.
inline constexpr DWORD kSpinEditBoxMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                                                OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;

}  // namespace brisko
