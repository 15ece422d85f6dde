#pragma once
// The IUnknown of a COM object that lives on the heap and offers one
// interface: it answers for IUnknown and that interface, counts its
// references across threads and deletes itself when the last one goes.
#include <unknwn.h>
#include <windows.h>

namespace brisko {

template <class Interface, const IID& kIid>
class HeapComObject : public Interface {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        const bool known = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIid);
        *ppv = known ? static_cast<Interface*>(this) : nullptr;
        if (!known) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

protected:
    virtual ~HeapComObject() = default;

private:
    LONG refs_ = 1;
};

}  // namespace brisko
