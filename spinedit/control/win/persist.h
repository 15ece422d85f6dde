#pragma once
// Loading and saving a spin edit box's stored properties through what a form
// container hands the control: a property bag (the text of a form file), a
// stream or a storage (binary forms). The keys, their order and defaults are
// the window class's table of stored properties; these functions only carry
// them to and from the container's formats.
#include <ocidl.h>
#include <olectl.h>
#include <windows.h>

#include <new>
#include <optional>

#include "common/font.h"
#include "common/win/com_ptr.h"
#include "spinedit/win/spin_edit.h"

namespace brisko {

// The pictures a form keeps with the control. The window class has no use for
// them beyond the pointer shapes, so the control object holds them.
struct SpinEditPictures {
    ComPtr<IPictureDisp> mouseIcon;
    ComPtr<IPictureDisp> spinMouseIcon;
    ComPtr<IPictureDisp> dragIcon;
};

// What the container supplies to a save: "Font" is written only when the
// control's font differs from the container's ambient font.
struct PersistContext {
    std::optional<FontSpec> ambientFont;
};

// Loads apply every key that is present and readable; a key that is missing
// or malformed keeps its default (and is reported to the error log when one
// is given). They fail only when the container's object itself fails.
HRESULT LoadFromPropertyBag(SpinEdit& box, SpinEditPictures& pictures, IPropertyBag* bag, IErrorLog* log);
HRESULT SaveToPropertyBag(const SpinEdit& box, const SpinEditPictures& pictures, IPropertyBag* bag,
                          const PersistContext& context);

HRESULT LoadFromStream(SpinEdit& box, SpinEditPictures& pictures, IStream* stream);
HRESULT SaveToStream(const SpinEdit& box, const SpinEditPictures& pictures, IStream* stream,
                     const PersistContext& context);
// An upper bound of what SaveToStream writes.
ULARGE_INTEGER StreamSizeMax(const SpinEdit& box, const SpinEditPictures& pictures, const PersistContext& context);

// Runs a persistence step with nothing thrown out of it: running out of
// memory is E_OUTOFMEMORY, anything else E_FAIL.
template <class F>
HRESULT GuardedPersist(F&& f) noexcept {
    try {
        return f();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT LoadFromStorage(SpinEdit& box, SpinEditPictures& pictures, IStorage* storage);
HRESULT SaveToStorage(const SpinEdit& box, const SpinEditPictures& pictures, IStorage* storage,
                      const PersistContext& context);

}  // namespace brisko
