#include "host/win/registration.h"

#include <olectl.h>

#include <string>

#include "common/win/ui_text.h"
#include "comserver/win/server_registry.h"
#include "host/win/extensibility.h"
#include "spinedit/control/win/spin_edit_box.h"
#include "spinedit/control/win/spin_edit_box_class.h"
#include "spinedit/control/win/spin_edit_box_idl.h"
#include "spinedit/control/win/spin_edit_box_resources.h"

namespace brisko {
namespace {

ServerClass LoaderClass() {
    return {GuidText(CLSID_Loader), L"Brisko.Loader", L"Brisko.Loader", L"Brisko"};
}
ServerClass SpinEditBoxClass() {
    return {GuidText(CLSID_SpinEditBox), kSpinEditBoxProgId, kSpinEditBoxRegistryName, kSpinEditBoxRegistryName};
}

// HKEY_CLASSES_ROOT is the machine-wide form; any other root is one user's.
bool PerUser(HKEY classesRoot) {
    return classesRoot != HKEY_CLASSES_ROOT;
}

}  // namespace

HRESULT RegisterServer(HKEY classesRoot) {
    const std::wstring path = ModulePath();
    if (path.empty()) return SELFREG_E_CLASS;
    if (!WriteKeys(classesRoot, ClassKeys(LoaderClass(), path)) ||
        !WriteKeys(classesRoot, ClassKeys(SpinEditBoxClass(), path)) ||
        !WriteKeys(classesRoot, ControlKeys(GuidText(CLSID_SpinEditBox), path, BRISKO_SPINEDITBOX_TOOLBOX_BITMAP,
                                            kSpinEditBoxMiscStatus, GuidText(LIBID_Brisko))))
        return SELFREG_E_CLASS;
    if (FAILED(RegisterOwnTypeLib(path, PerUser(classesRoot)))) return SELFREG_E_TYPELIB;
    for (const AddinEntry& entry : AddinEntries())
        if (!WriteAddinEntry(entry, AddinDescription())) return SELFREG_E_CLASS;
    return S_OK;
}

HRESULT UnregisterServer(HKEY classesRoot) {
    DeleteClass(classesRoot, LoaderClass());
    DeleteClass(classesRoot, SpinEditBoxClass());
    const std::wstring path = ModulePath();
    if (!path.empty()) UnregisterOwnTypeLib(path, PerUser(classesRoot));
    for (const AddinEntry& entry : AddinEntries()) RemoveAddinEntry(entry);
    return S_OK;
}

}  // namespace brisko
