#pragma once
// OLE pictures made from the add-in's own resources: the tab icons are kept as
// complete icon files under the custom resource type "ICON" and decoded once
// per connection through a memory stream.
#include <windows.h>
// The OLE headers build on the types declared above.
#include <ole2.h>
#include <olectl.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/win/com_ptr.h"
#include "tabbar/mdi_tab.h"

namespace brisko {

// The module whose resources are meant: Brisko.dll when linked into it.
HMODULE ResourceModule();

// The bytes of resource `id` of `type` in hModule. A resource that is missing
// or cannot be loaded raises Error (ResourceNotFound).
std::vector<std::uint8_t> ReadResourceBytes(HMODULE hModule, std::uint16_t id, const std::string& type);

// Decodes resource `id` of `type` (a string type such as "ICON") as a picture.
// Raises Error when the resource cannot be read; a resource that is read but
// does not decode gives no picture (an empty pointer).
ComPtr<IPictureDisp> LoadResourcePicture(std::uint16_t id, const std::string& type);
ComPtr<IPictureDisp> LoadResourcePicture(HMODULE hModule, std::uint16_t id, const std::string& type);

// A picture from the bytes of an image file (icon, bitmap, metafile, GIF,
// JPEG: whatever OleLoadPicture reads). Empty input, memory, stream and decode
// failures all give no picture; nothing is raised.
ComPtr<IPicture> PictureFromBytes(std::span<const std::uint8_t> bytes);

// The identifier named by a text such as "{7BF80980-BF32-101A-8BBB-00AA00300CAB}",
// read with CLSIDFromString; nothing when the text names none.
std::optional<GUID> GuidFromString(const std::wstring& sGuid);

// One picture of the tab bar's icon list. Keeps a counted reference to the
// picture, so the icon handle it answers lives as long as this object.
class PictureTabIcon final : public TabIcon {
public:
    explicit PictureTabIcon(ComPtr<IPicture> pPicture);
    // Takes the IPicture side of a picture dispatch object; none stays none.
    explicit PictureTabIcon(const ComPtr<IPictureDisp>& pPicture);

    // The picture's handle (an HICON for icons); 0 without a picture.
    std::intptr_t Handle() const override;
    const ComPtr<IPicture>& Picture() const { return m_pPicture; }

private:
    ComPtr<IPicture> m_pPicture;
};

// The tab bar's icon for a loaded picture: null when there is no picture.
std::shared_ptr<TabIcon> MakeTabIcon(const ComPtr<IPictureDisp>& pPicture);

}  // namespace brisko
