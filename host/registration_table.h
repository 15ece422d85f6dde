#pragma once
// What the server writes into the registry when it registers itself, as
// data: the keys under the classes root and the add-in list's entry.
#include <cstdint>
#include <string>
#include <vector>

namespace brisko {

// The add-in list entry, under HKEY_CURRENT_USER.
inline constexpr const wchar_t* kAddinKey = L"Software\\Microsoft\\Visual Basic\\6.0\\Addins\\Brisko.Loader";
inline constexpr const wchar_t* kFriendlyName = L"Brisko";
inline constexpr const wchar_t* kDescription =
    L"\u30B3\u30FC\u30C9\u30A6\u30A3\u30F3\u30C9\u30A6\u306E\u5207\u308A\u66FF\u3048\u3092\u7C21\u5358\u306B"
    L"\u884C\u3046\u305F\u3081\u306E\u30BF\u30D6\u3092\u8FFD\u52A0\u3057\u307E\u3059\r\n"
    L"\u30B3\u30FC\u30C9\u30A6\u30A3\u30F3\u30C9\u30A6\u306E\u30B9\u30AF\u30ED\u30FC\u30EB\u3092\u30DE\u30A6"
    L"\u30B9\u30DB\u30A4\u30FC\u30EB\u3067\u884C\u3048\u308B\u3088\u3046\u306B\u3057\u307E\u3059";
// Loaded when the IDE starts: a tab bar is wanted every time, and the IDE's
// add-in manager can still unload it for the session.
inline constexpr std::uint32_t kLoadBehavior = 1;
inline constexpr std::uint32_t kCommandLineSafe = 0;
// The entry's values that registration owns; the user's settings beside
// them are not touched when the server unregisters.
inline constexpr const wchar_t* kAddinValues[] = {L"FriendlyName", L"Description", L"LoadBehavior", L"CommandLineSafe"};

// One key to create, with its default value (none when `hasDefault` is
// false) and at most one named text value.
struct RegistryKeyWrite {
    std::wstring path;
    bool hasDefault = true;
    std::wstring defaultValue;
    std::wstring valueName;  // empty: no named value
    std::wstring value;
};

// A creatable class of the server, its GUID as registry text ("{...}").
struct ServerClass {
    std::wstring clsid;
    const wchar_t* progId;
    const wchar_t* className;   // CLSID\{...}
    const wchar_t* progIdName;  // the ProgID key
};

// The keys of one class: its CLSID key, in-process server and ProgID, both
// ways, each key's default value naming it.
std::vector<RegistryKeyWrite> ClassKeys(const ServerClass& c, const std::wstring& modulePath);

// What a form container reads before it places a control: that it is a
// control at all, its toolbox picture, how it wants to be activated, where
// its type library is, and that it may be initialised from untrusted data.
std::vector<RegistryKeyWrite> ControlKeys(const std::wstring& clsid, const std::wstring& modulePath, int toolboxBitmap,
                                          std::uint32_t miscStatus, const std::wstring& libId);

}  // namespace brisko
