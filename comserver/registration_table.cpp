#include "comserver/registration_table.h"

namespace brisko {
namespace {

RegistryKeyWrite Key(std::wstring path, std::wstring defaultValue, std::wstring valueName = {},
                     std::wstring value = {}) {
    return {std::move(path), true, std::move(defaultValue), std::move(valueName), std::move(value)};
}

}  // namespace

std::vector<AddinEntry> AddinEntries(bool is64Bit) {
    return {{kVb6AddinKey, 1, true}, {AddinKey(IdeKind::VbaEditor, is64Bit), 3, false}};
}

std::vector<RegistryKeyWrite> ClassKeys(const ServerClass& c, const std::wstring& modulePath) {
    const std::wstring clsidKey = L"CLSID\\" + c.clsid;
    const std::wstring progId = c.progId;
    return {
        Key(clsidKey, c.className),
        Key(clsidKey + L"\\InprocServer32", modulePath, L"ThreadingModel", L"Apartment"),
        Key(clsidKey + L"\\ProgID", progId),
        Key(progId, c.progIdName),
        Key(progId + L"\\CLSID", c.clsid),
    };
}

std::vector<RegistryKeyWrite> ControlKeys(const std::wstring& clsid, const std::wstring& modulePath, int toolboxBitmap,
                                          std::uint32_t miscStatus, const std::wstring& libId) {
    const std::wstring clsidKey = L"CLSID\\" + clsid;
    return {
        {clsidKey + L"\\Control", false, {}, {}, {}},
        Key(clsidKey + L"\\ToolboxBitmap32", modulePath + L", " + std::to_wstring(toolboxBitmap)),
        Key(clsidKey + L"\\MiscStatus", L"0"),
        Key(clsidKey + L"\\MiscStatus\\1", std::to_wstring(miscStatus)),
        Key(clsidKey + L"\\TypeLib", libId),
        Key(clsidKey + L"\\Version", L"1.0"),
        // Safe to initialise from untrusted stored data; not declared safe for scripting.
        {clsidKey + L"\\Implemented Categories\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}", false, {}, {}, {}},
    };
}

}  // namespace brisko
