#pragma once
// What the server writes into the registry when it registers itself, as
// data: the keys under the classes root and the add-in lists' entries.
#include <cstdint>
#include <string>
#include <vector>

#include "comserver/addin_keys.h"

namespace brisko {

// The add-in's entry in an IDE's add-in list, under HKEY_CURRENT_USER.
inline constexpr const wchar_t* kFriendlyName = L"Brisko";
// The Description beside it comes from the resources, in the user's
// language (AddinDescription).

struct AddinEntry {
    std::wstring_view key;
    // Loaded when the IDE starts: a tab bar is wanted every time, and the
    // IDE's add-in manager can still unload it for the session. The VB6 IDE
    // takes 1 for that; the VBA editor, like Office's other add-in lists, 3.
    std::uint32_t loadBehavior;
    // Only the VB6 IDE reads CommandLineSafe (0: the add-in shows windows).
    bool writesCommandLineSafe;
};

// Every add-in list that registration from a DLL of the given bitness
// writes: the VB6 IDE's and the VBA editor's of that bitness.
std::vector<AddinEntry> AddinEntries(bool is64Bit = kIs64BitBuild);

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
