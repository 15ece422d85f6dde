#pragma once
// Which IDE has loaded the add-in, and where each IDE looks for its add-ins.
// The add-in's entry in that list is also where it keeps its settings.
#include <string_view>

namespace brisko {

enum class IdeKind {
    Vb6,        // the Visual Basic 6 IDE, VB6.EXE
    VbaEditor,  // the VBA editor of Office or another program that embeds VBA
};

// The IDE that a process whose executable is `path` hosts: VB6.EXE (in any
// letter case, in any folder) is the VB6 IDE; every other program that loads
// an add-in of this kind embeds the VBA editor.
IdeKind IdeKindOfExecutable(std::wstring_view path);

// The add-in lists under HKEY_CURRENT_USER. The VB6 IDE has one for both
// bitnesses (it is 32-bit only); the VBA editor reads Addins64 in 64-bit
// Office and Addins in 32-bit Office, and never HKEY_LOCAL_MACHINE.
inline constexpr std::wstring_view kVb6AddinKey = L"Software\\Microsoft\\Visual Basic\\6.0\\Addins\\Brisko.Loader";
inline constexpr std::wstring_view kVbaAddinKey32 = L"Software\\Microsoft\\VBA\\VBE\\6.0\\Addins\\Brisko.Loader";
inline constexpr std::wstring_view kVbaAddinKey64 = L"Software\\Microsoft\\VBA\\VBE\\6.0\\Addins64\\Brisko.Loader";

// The bitness of this build: a DLL is loaded only by programs of its own.
inline constexpr bool kIs64BitBuild = sizeof(void*) == 8;

// The add-in entry that an IDE of `kind` reads for a DLL of the given
// bitness: where registration writes and where the settings live.
constexpr std::wstring_view AddinKey(IdeKind kind, bool is64Bit = kIs64BitBuild) {
    if (kind == IdeKind::Vb6) return kVb6AddinKey;
    return is64Bit ? kVbaAddinKey64 : kVbaAddinKey32;
}

}  // namespace brisko
