#pragma once
// The data of an OLE drag and drop as the control's events hand it to VB
// code (the host's DataObject: GetData, GetFormat, SetData, Clear, Files).
// A drop wraps the source's IDataObject and only reads it; a drag the
// control starts fills its own, which is also the IDataObject the targets
// read, and asks OLESetData for a format declared without its data. After
// the drag or drop every member answers an error that says so.
#include <windows.h>
// The generated interfaces build on the OLE headers.
#include <ocidl.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "common/win/com_ptr.h"
#include "spinedit/control/win/automation.h"
#include "spinedit/control/win/spin_edit_box_idl.h"

namespace brisko {

// The host's format numbers: sebCFText, sebCFFiles; others are clipboard formats.
inline constexpr std::int16_t kFormatText = 1, kFormatFiles = 15;

class SpinEditData final : public AutomationObject<SpinEditDataObject, IID_SpinEditDataObject>, public IDataObject {
public:
    enum class Mode {
        Read,   // a drop's data: only read
        Offer,  // OLEStartDrag and OLESetData: filled by the handler
        Over,   // the drag or drop has ended
    };
    // Raised when a target asks for a format declared without its data.
    using Request = std::function<void(SpinEditData& data, std::int16_t format)>;

    // A drop's data, read from the source's object.
    static ComPtr<SpinEditData> Reading(IDataObject* source);
    // A drag's data, offered to the targets.
    static ComPtr<SpinEditData> Offering(Request request);

    void SetMode(Mode mode) {
        mode_ = mode;
        if (mode == Mode::Over) request_ = nullptr;
    }
    // The text offered or dropped; nothing when there is none (or too much).
    std::optional<std::wstring> Text();
    bool Empty() const { return offered_.empty() && files_.empty(); }
    void OfferText(const std::wstring& text) { offered_[CF_UNICODETEXT] = Bytes(text); }
    // The object a drop's data reads.
    IDataObject* Source() const { return source_.Get(); }

    // The file list's members, for its collection object.
    std::vector<std::wstring>& Files();
    void RequireOffer() const;

    // IUnknown, answered for both interfaces.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return AutomationObject::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return AutomationObject::Release(); }

    // SpinEditDataObject
    STDMETHODIMP Clear() override;
    STDMETHODIMP GetData(VARIANT format, VARIANT* data) override;
    STDMETHODIMP GetFormat(short format, VARIANT_BOOL* present) override;
    STDMETHODIMP SetData(VARIANT value, VARIANT format) override;
    STDMETHODIMP get_Files(SpinEditDataObjectFiles** files) override;

    // IDataObject, for the targets of a drag the control started.
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    SpinEditData() = default;
    using Bytes_ = std::vector<std::uint8_t>;
    static Bytes_ Bytes(const std::wstring& text);
    // The bytes offered in a clipboard format; none while only declared.
    const Bytes_* Offered(CLIPFORMAT cf);
    // The bytes of a format of the source's object, at most `limit`.
    std::optional<Bytes_> Read(CLIPFORMAT cf, std::size_t limit);
    bool Has(CLIPFORMAT cf);
    void RequireUsable() const;

    Mode mode_ = Mode::Read;
    ComPtr<IDataObject> source_;
    Request request_;
    // Offered formats; an empty optional is a format declared for OLESetData.
    std::map<CLIPFORMAT, std::optional<Bytes_>> offered_;
    std::vector<std::wstring> files_;
    bool filesRead_ = false;
    bool asking_ = false;
};

}  // namespace brisko
