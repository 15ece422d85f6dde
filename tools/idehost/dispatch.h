#pragma once
// A small hand-written IDispatch base for the stand-in IDE's object model.
// Members are found by name, case-insensitively as Visual Basic does, and
// there is no type information: clients bind late, exactly as the add-in
// does against the real IDE.
#include <oaidl.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "common/win/com_ptr.h"

namespace brisko::idehost {

// Lets the object model recognise its own objects when they come back as
// arguments (a project handed to Events.VBComponentsEvents).
// {5E0C7F3B-3A55-4C8E-9D61-0B7A9E2C4F10}
inline constexpr IID IID_IdeHostObject = {0x5E0C7F3B, 0x3A55, 0x4C8E, {0x9D, 0x61, 0x0B, 0x7A, 0x9E, 0x2C, 0x4F, 0x10}};

// One member of an object: a read-only property or a method. The IDE's
// members used here accept either DISPATCH_METHOD or DISPATCH_PROPERTYGET,
// which is what late-bound Visual Basic sends.
struct Member {
    const wchar_t* name;
    DISPID id;
    unsigned minArgs;
    unsigned maxArgs;
};

// The positional arguments of one call, first argument first (DISPPARAMS
// holds them in reverse), with by-reference values dereferenced.
class Args {
public:
    explicit Args(const DISPPARAMS& params);
    unsigned Count() const { return static_cast<unsigned>(values_.size()); }
    // An argument that was left out: absent, VT_EMPTY or VT_ERROR with DISP_E_PARAMNOTFOUND.
    bool Missing(unsigned i) const;
    const VARIANT& At(unsigned i) const { return values_[i]; }
    // Converts argument i to a 32-bit integer; false when it cannot be.
    bool ToLong(unsigned i, long& out) const;

private:
    std::vector<VARIANT> values_;  // shallow copies of DISPPARAMS' variants, owned by the caller
};

// What every object of the model is: an IDispatch with a reference count
// that tests can read. Objects are created with Make<T>() and die on their
// last Release.
class DispatchObject : public IDispatch {
public:
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    // The current reference count (how many references clients and the
    // model itself hold).
    ULONG RefCount() const { return refs_; }
    // How many model objects exist in the process: a leak of a whole object
    // shows here even when every known object's count looks right.
    static long LiveObjects() { return live_; }
    // The object's kind, for messages and reference-count reports.
    virtual const wchar_t* TypeName() const = 0;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT* argErr) override;

    virtual ~DispatchObject();

protected:
    DispatchObject();

    virtual std::span<const Member> Members() const = 0;
    // Runs member `id` with its argument count already checked. `result` is
    // VT_EMPTY on entry. A failure HRESULT goes back to the client; argErr
    // names the offending argument (0-based, first argument first) for
    // DISP_E_TYPEMISMATCH.
    virtual HRESULT Call(DISPID id, const Args& args, VARIANT& result, unsigned& argErr) = 0;
    // Further interfaces besides IUnknown, IDispatch and IID_IdeHostObject.
    virtual void* QueryOther(REFIID) { return nullptr; }

private:
    ULONG refs_ = 1;
    static inline long live_ = 0;
};

// Creates a model object holding its first reference.
template <class T, class... A>
ComPtr<T> Make(A&&... args) {
    return ComPtr<T>::Attach(std::make_unique<T>(std::forward<A>(args)...).release());
}

// Result helpers for Call implementations.
void SetLong(VARIANT& v, long value);
void SetString(VARIANT& v, const std::wstring& value);
void SetObject(VARIANT& v, IDispatch* object);  // AddRefs; null gives Nothing
void SetBool(VARIANT& v, bool value);

}  // namespace brisko::idehost
