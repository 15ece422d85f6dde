#pragma once
// Late-bound calls into the IDE's object model: every member is looked up by
// name with GetIDsOfNames and called with Invoke, exactly as a late-bound
// client does, so the same DLL works with the real IDE and the stand-in.
#include <oaidl.h>

#include <initializer_list>
#include <string>

#include "common/win/com_ptr.h"

namespace brisko {

// An owned VARIANT.
class Variant {
public:
    Variant() { VariantInit(&v_); }
    ~Variant() { VariantClear(&v_); }
    Variant(const Variant& o) {
        VariantInit(&v_);
        VariantCopy(&v_, const_cast<VARIANT*>(&o.v_));
    }
    Variant& operator=(const Variant& o) {
        if (this != &o) VariantCopy(&v_, const_cast<VARIANT*>(&o.v_));
        return *this;
    }
    static Variant Int(long v);
    static Variant Object(IDispatch* p);  // a null p is Nothing
    VARIANT* Put() {
        VariantClear(&v_);
        return &v_;
    }
    const VARIANT& Get() const { return v_; }
    // Conversions raise a type-mismatch error when the value does not convert.
    long AsLong() const;
    std::wstring AsString() const;
    // The object held, or null for Nothing and empty values.
    ComPtr<IDispatch> AsObject() const;

private:
    VARIANT v_;
};

// Reads a property or calls a method (DISPATCH_METHOD | DISPATCH_PROPERTYGET).
// Failures raise brisko::Error with the automation error number.
Variant DispGet(IDispatch* obj, const wchar_t* name, std::initializer_list<Variant> args = {});
ComPtr<IDispatch> DispGetObject(IDispatch* obj, const wchar_t* name, std::initializer_list<Variant> args = {});

}  // namespace brisko
