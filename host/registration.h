#pragma once
// What the server writes into the registry when it registers itself, and
// takes out again when it unregisters.
#include <oleidl.h>
#include <windows.h>

namespace brisko {

// The add-in list entry's values.
inline constexpr const wchar_t* kAddinKey = L"Software\\Microsoft\\Visual Basic\\6.0\\Addins\\Brisko.Loader";
inline constexpr const wchar_t* kFriendlyName = L"Brisko";
inline constexpr const wchar_t* kDescription =
    L"\u30B3\u30FC\u30C9\u30A6\u30A3\u30F3\u30C9\u30A6\u306E\u5207\u308A\u66FF\u3048\u3092\u7C21\u5358\u306B"
    L"\u884C\u3046\u305F\u3081\u306E\u30BF\u30D6\u3092\u8FFD\u52A0\u3057\u307E\u3059\r\n"
    L"\u30B3\u30FC\u30C9\u30A6\u30A3\u30F3\u30C9\u30A6\u306E\u30B9\u30AF\u30ED\u30FC\u30EB\u3092\u30DE\u30A6"
    L"\u30B9\u30DB\u30A4\u30FC\u30EB\u3067\u884C\u3048\u308B\u3088\u3046\u306B\u3057\u307E\u3059";
// Loaded when the IDE starts: a tab bar is wanted every time, and the IDE's
// add-in manager can still unload it for the session.
inline constexpr DWORD kLoadBehavior = 1;

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
