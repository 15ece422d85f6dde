// The control's persistence interfaces: the container's property bag,
// stream or storage, carried to and from the window by the functions of
// persist.h. A new control shows the container's font until one is stored
// or set.
#include "spinedit/control/spin_edit_box.h"

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
    // A form that stored no font shows the container's.
    SpinEdit* box = Box();
    fontFollowsAmbient_ = !loaded || !box || !box->Font();
    ApplyAmbientFont();
}

PersistContext SpinEditBoxObject::SaveContext() const {
    return PersistContext{AmbientFont()};
}

template <class F>
static HRESULT Persisting(F&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

STDMETHODIMP SpinEditBoxObject::InitNew() {
    const HRESULT hr = BeginInit();
    if (FAILED(hr)) return hr;
    return Persisting([&] {
        EndInit(false);
        return S_OK;
    });
}

STDMETHODIMP SpinEditBoxObject::Load(LPSTREAM stream) {
    if (!stream) return E_POINTER;
    HRESULT hr = BeginInit();
    if (FAILED(hr)) return hr;
    return Persisting([&] {
        const HRESULT loaded = LoadFromStream(*Box(), pictures_, stream);
        EndInit(true);
        return loaded;
    });
}

STDMETHODIMP SpinEditBoxObject::Save(LPSTREAM stream, BOOL clearDirty) {
    if (!stream) return E_POINTER;
    SpinEdit* box = Box();
    if (!box) return E_UNEXPECTED;
    return Persisting([&] {
        const HRESULT hr = SaveToStream(*box, pictures_, stream, SaveContext());
        if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
        return hr;
    });
}

STDMETHODIMP SpinEditBoxObject::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    SpinEdit* box = Box();
    if (!box) return E_UNEXPECTED;
    return Persisting([&] {
        *size = StreamSizeMax(*box, pictures_, SaveContext());
        return S_OK;
    });
}

STDMETHODIMP SpinEditBoxObject::Load(IPropertyBag* bag, IErrorLog* log) {
    if (!bag) return E_POINTER;
    HRESULT hr = BeginInit();
    if (FAILED(hr)) return hr;
    return Persisting([&] {
        const HRESULT loaded = LoadFromPropertyBag(*Box(), pictures_, bag, log);
        EndInit(true);
        return loaded;
    });
}

STDMETHODIMP SpinEditBoxObject::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag) return E_POINTER;
    SpinEdit* box = Box();
    if (!box) return E_UNEXPECTED;
    return Persisting([&] {
        const HRESULT hr = SaveToPropertyBag(*box, pictures_, bag, SaveContext());
        if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
        return hr;
    });
}

STDMETHODIMP SpinEditBoxObject::InitNew(IStorage* storage) {
    if (!storage) return E_POINTER;
    return InitNew();
}

STDMETHODIMP SpinEditBoxObject::Load(IStorage* storage) {
    if (!storage) return E_POINTER;
    HRESULT hr = BeginInit();
    if (FAILED(hr)) return hr;
    return Persisting([&] {
        const HRESULT loaded = LoadFromStorage(*Box(), pictures_, storage);
        EndInit(true);
        return loaded;
    });
}

STDMETHODIMP SpinEditBoxObject::Save(IStorage* storage, BOOL) {
    if (!storage) return E_POINTER;
    SpinEdit* box = Box();
    if (!box) return E_UNEXPECTED;
    return Persisting([&] {
        const HRESULT hr = SaveToStorage(*box, pictures_, storage, SaveContext());
        if (SUCCEEDED(hr)) dirty_ = false;
        return hr;
    });
}

}  // namespace brisko
