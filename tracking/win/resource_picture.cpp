#include "tracking/win/resource_picture.h"

#include <cstring>
#include <limits>

#include "common/error.h"
#include "common/win/handles.h"
#include "common/win/this_module.h"

namespace brisko {
namespace {

// The interface the pictures are asked for; kept as text and converted at run
// time like any other identifier the add-in reads.
constexpr wchar_t kIPictureText[] = L"{7BF80980-BF32-101A-8BBB-00AA00300CAB}";

[[noreturn]] void RaiseUnreadable(std::uint16_t id, const std::string& type, const char* why) {
    throw Error(ErrorNumber::ResourceNotFound, "resource " + std::to_string(id) + " of type \"" + type + "\" " + why);
}

}  // namespace

HMODULE ResourceModule() {
    return ThisModule();
}

std::vector<std::uint8_t> ReadResourceBytes(HMODULE hModule, std::uint16_t id, const std::string& type) {
    HRSRC hInfo = FindResourceA(hModule, MAKEINTRESOURCEA(id), type.c_str());
    if (!hInfo) RaiseUnreadable(id, type, "not found");
    const DWORD size = SizeofResource(hModule, hInfo);
    // Resource memory is part of the mapped image: nothing to free.
    HGLOBAL hData = LoadResource(hModule, hInfo);
    const void* p = hData ? LockResource(hData) : nullptr;
    if (!p && size) RaiseUnreadable(id, type, "cannot be loaded");
    const auto* first = static_cast<const std::uint8_t*>(p);
    return std::vector<std::uint8_t>(first, first + size);
}

ComPtr<IPictureDisp> LoadResourcePicture(std::uint16_t id, const std::string& type) {
    return LoadResourcePicture(ResourceModule(), id, type);
}

ComPtr<IPictureDisp> LoadResourcePicture(HMODULE hModule, std::uint16_t id, const std::string& type) {
    const std::vector<std::uint8_t> bytes = ReadResourceBytes(hModule, id, type);
    ComPtr<IPicture> pPicture = PictureFromBytes(bytes);
    return pPicture.As<IPictureDisp>(IID_IPictureDisp);
}

ComPtr<IPicture> PictureFromBytes(std::span<const std::uint8_t> bytes) {
    // An empty block cannot be locked, and OleLoadPicture takes a LONG count.
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(std::numeric_limits<LONG>::max())) return {};
    const SIZE_T size = bytes.size();

    UniqueGlobal hBlock(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!hBlock) return {};
    void* p = GlobalLock(hBlock.Get());
    if (!p) return {};  // the owner frees the block
    std::memcpy(p, bytes.data(), size);
    GlobalUnlock(hBlock.Get());

    ComPtr<IStream> pStream;
    if (FAILED(CreateStreamOnHGlobal(hBlock.Get(), TRUE, pStream.Put())) || !pStream) return {};
    // From here the stream frees the block when it is released, and only then.
    hBlock.Release();

    ComPtr<IPicture> pPicture;
    const std::optional<GUID> iid = GuidFromString(kIPictureText);
    if (iid && FAILED(OleLoadPicture(pStream.Get(), static_cast<LONG>(size), FALSE, *iid,
                                     reinterpret_cast<void**>(pPicture.Put()))))
        pPicture.Reset();
    return pPicture;
}

std::optional<GUID> GuidFromString(const std::wstring& sGuid) {
    GUID guid{};
    // CLSIDFromString takes a non-const string in older headers.
    std::wstring text = sGuid;
    if (FAILED(CLSIDFromString(text.data(), &guid))) return std::nullopt;
    return guid;
}

PictureTabIcon::PictureTabIcon(ComPtr<IPicture> pPicture) : m_pPicture(std::move(pPicture)) {}

PictureTabIcon::PictureTabIcon(const ComPtr<IPictureDisp>& pPicture)
    : m_pPicture(pPicture.As<IPicture>(IID_IPicture)) {}

std::intptr_t PictureTabIcon::Handle() const {
    if (!m_pPicture) return 0;
    OLE_HANDLE h = 0;
    if (FAILED(m_pPicture->get_Handle(&h))) return 0;
    // OLE_HANDLE is 32 bits wide; window-system handles widen with their sign.
    return reinterpret_cast<std::intptr_t>(LongToHandle(static_cast<LONG>(h)));
}

std::shared_ptr<TabIcon> MakeTabIcon(const ComPtr<IPictureDisp>& pPicture) {
    if (!pPicture) return nullptr;
    return std::make_shared<PictureTabIcon>(pPicture);
}

}  // namespace brisko
