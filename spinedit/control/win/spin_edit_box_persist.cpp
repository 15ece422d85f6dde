// The control's persistence interfaces: the container's property bag,
// stream or storage, carried to and from the window by the functions of
// persist.h. A new control shows the container's font until one is stored
// or set.
#include "spinedit/control/win/spin_edit_box.h"
#include "spinedit/control/win/spin_edit_box_drag.h"

namespace brisko {

STDMETHODIMP SpinEditBoxObject::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = kClsidSpinEditBox;
    return S_OK;
}

STDMETHODIMP SpinEditBoxObject::IsDirty() {
    return dirty_ ? S_OK : S_FALSE;
}

HRESULT SpinEditBoxObject::BeginInit() {
    if (initialized_) return E_UNEXPECTED;
    return Box() ? S_OK : E_UNEXPECTED;
}

void SpinEditBoxObject::EndInit(bool loaded) {
    initialized_ = true;
    dirty_ = false;
    // A form that stored no font shows the container's; a control placed
    // new takes the container's colours where it has none of its own.
    SpinEdit* box = Box();
    fontFollowsAmbient_ = !loaded || !box || !box->Font();
    foreFollowsAmbient_ = disableFollowsAmbient_ = !loaded;
    ApplyAmbientFont();
    ApplyAmbientColors();
    PicturesChanged();
    drag_->Update();
}

PersistContext SpinEditBoxObject::SaveContext() const {
    return PersistContext{AmbientFont()};
}

template <class F>
HRESULT SpinEditBoxObject::LoadWith(F&& load) {
    const HRESULT hr = BeginInit();
    if (FAILED(hr)) return hr;
    return GuardedPersist([&] {
        const HRESULT loaded = load(*Box());
        EndInit(true);
        return loaded;
    });
}

template <class F>
HRESULT SpinEditBoxObject::SaveWith(bool clearDirty, F&& save) {
    SpinEdit* box = Box();
    if (!box) return E_UNEXPECTED;
    return GuardedPersist([&] {
        const HRESULT hr = save(*box);
        if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
        return hr;
    });
}

STDMETHODIMP SpinEditBoxObject::InitNew() {
    const HRESULT hr = BeginInit();
    if (FAILED(hr)) return hr;
    return GuardedPersist([&] {
        EndInit(false);
        return S_OK;
    });
}

STDMETHODIMP SpinEditBoxObject::Load(LPSTREAM stream) {
    if (!stream) return E_POINTER;
    return LoadWith([&](SpinEdit& box) { return LoadFromStream(box, pictures_, stream); });
}

STDMETHODIMP SpinEditBoxObject::Save(LPSTREAM stream, BOOL clearDirty) {
    if (!stream) return E_POINTER;
    return SaveWith(clearDirty != FALSE,
                    [&](const SpinEdit& box) { return SaveToStream(box, pictures_, stream, SaveContext()); });
}

STDMETHODIMP SpinEditBoxObject::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    SpinEdit* box = Box();
    if (!box) return E_UNEXPECTED;
    return GuardedPersist([&] {
        *size = StreamSizeMax(*box, pictures_, SaveContext());
        return S_OK;
    });
}

STDMETHODIMP SpinEditBoxObject::Load(IPropertyBag* bag, IErrorLog* log) {
    if (!bag) return E_POINTER;
    return LoadWith([&](SpinEdit& box) { return LoadFromPropertyBag(box, pictures_, bag, log); });
}

STDMETHODIMP SpinEditBoxObject::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag) return E_POINTER;
    return SaveWith(clearDirty != FALSE,
                    [&](const SpinEdit& box) { return SaveToPropertyBag(box, pictures_, bag, SaveContext()); });
}

STDMETHODIMP SpinEditBoxObject::InitNew(IStorage* storage) {
    if (!storage) return E_POINTER;
    return InitNew();
}

STDMETHODIMP SpinEditBoxObject::Load(IStorage* storage) {
    if (!storage) return E_POINTER;
    return LoadWith([&](SpinEdit& box) { return LoadFromStorage(box, pictures_, storage); });
}

STDMETHODIMP SpinEditBoxObject::Save(IStorage* storage, BOOL) {
    if (!storage) return E_POINTER;
    return SaveWith(true, [&](const SpinEdit& box) { return SaveToStorage(box, pictures_, storage, SaveContext()); });
}

}  // namespace brisko
