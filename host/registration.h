#pragma once
// What the server writes into the registry when it registers itself, and
// takes out again when it unregisters.
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

// Registers the class and ProgID under classesRoot (HKEY_CLASSES_ROOT, or
// HKEY_CURRENT_USER\Software\Classes for one user) and the add-in entry.
HRESULT RegisterServer(HKEY classesRoot);
// Removes both again; the user's stored settings in the add-in key stay.
HRESULT UnregisterServer(HKEY classesRoot);

}  // namespace brisko
