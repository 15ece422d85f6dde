#pragma once
// The registry chores of a self-registering in-process server: class keys,
// its embedded type library, and add-in list entries.
#include <oaidl.h>
#include <windows.h>

#include <string>
#include <vector>

#include "comserver/registration_table.h"

namespace brisko {

// "{...}" as the registry writes class and library identifiers.
std::wstring GuidText(const GUID& guid);
// The path of the module this code is linked into; empty when it does not fit.
std::wstring ModulePath();

// Creates every key with its values; false at the first that fails.
bool WriteKeys(HKEY root, const std::vector<RegistryKeyWrite>& keys);
// Removes a class's CLSID and ProgID keys with everything below them.
void DeleteClass(HKEY root, const ServerClass& c);

// Registers the type library embedded in the module at `path`, machine-wide
// or for the current user.
HRESULT RegisterOwnTypeLib(const std::wstring& path, bool perUser);
// Unregisters it again; a library that is not registered is nothing to do.
void UnregisterOwnTypeLib(const std::wstring& path, bool perUser);

// Writes the entry's values under HKEY_CURRENT_USER.
bool WriteAddinEntry(const AddinEntry& entry, const std::wstring& description);
// Removes the values that registration owns, and the key when nothing of the
// user's (stored settings) is left in it.
void RemoveAddinEntry(const AddinEntry& entry);

}  // namespace brisko
