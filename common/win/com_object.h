#pragma once
// The IUnknown and type-information parts of our COM objects, written once:
// QueryInterface over a list of interface ids, a count that deletes the
// object with its last reference, and IDispatch without a type library; and
// the exception barrier of every entry point.
#include <oaidl.h>
#include <windows.h>

#include <initializer_list>
#include <new>

namespace brisko {

// Runs the body of a function that COM, a container, regsvr32 or Windows
// calls: nothing it throws goes further (memory runs out anywhere a string
// is made). Running out of memory is E_OUTOFMEMORY, anything else
// E_UNEXPECTED.
template <class F>
HRESULT Barrier(F&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// Answers QueryInterface with `self` for each id listed (IUnknown among
// them); E_NOINTERFACE and a null *ppv otherwise.
template <class I>
HRESULT AnswerQueryInterface(I* self, REFIID riid, void** ppv, std::initializer_list<const IID*> iids) {
    if (!ppv) return E_POINTER;
    for (const IID* iid : iids) {
        if (IsEqualIID(riid, *iid)) {
            *ppv = self;
            self->AddRef();
            return S_OK;
        }
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

// Reference counting for an object made with new: it is born with one
// reference, and the last Release deletes it.
template <class Interface>
class RefCounted : public Interface {
public:
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

protected:
    RefCounted() = default;
    virtual ~RefCounted() = default;

private:
    LONG refs_ = 1;
};

// A heap object offering one interface besides IUnknown.
template <class Interface, const IID& kIid>
class HeapComObject : public RefCounted<Interface> {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        return AnswerQueryInterface(static_cast<Interface*>(this), riid, ppv, {&IID_IUnknown, &kIid});
    }
};

// A counted IDispatch (or dual interface) that offers no type information:
// late-bound callers go by GetIDsOfNames alone.
template <class Interface>
class UntypedDispatch : public RefCounted<Interface> {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
};

}  // namespace brisko
