#pragma once
// Helpers for the stand-in IDE's tests: a late-bound client, exactly as the
// add-in reaches the IDE (GetIDsOfNames, then Invoke), and COM for the
// test thread.
#include <gtest/gtest.h>
#include <ole2.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace brisko::idehost::testing {

// A VARIANT that cleans up after itself.
class Variant {
public:
    Variant() { VariantInit(&v_); }
    ~Variant() { VariantClear(&v_); }
    Variant(const Variant& o) : Variant() { VariantCopy(&v_, const_cast<VARIANT*>(&o.v_)); }
    Variant& operator=(const Variant& o) {
        if (this != &o) VariantCopy(&v_, const_cast<VARIANT*>(&o.v_));
        return *this;
    }
    static Variant Long(long x) {
        Variant r;
        r.v_.vt = VT_I4;
        r.v_.lVal = x;
        return r;
    }
    static Variant Short(short x) {
        Variant r;
        r.v_.vt = VT_I2;
        r.v_.iVal = x;
        return r;
    }
    static Variant Str(const wchar_t* s) {
        Variant r;
        r.v_.vt = VT_BSTR;
        r.v_.bstrVal = SysAllocString(s);
        return r;
    }
    static Variant Object(IDispatch* p) {
        Variant r;
        r.v_.vt = VT_DISPATCH;
        r.v_.pdispVal = p;
        if (p) p->AddRef();
        return r;
    }
    static Variant Missing() {
        Variant r;
        r.v_.vt = VT_ERROR;
        r.v_.scode = DISP_E_PARAMNOTFOUND;
        return r;
    }
    VARIANT* Put() {
        VariantClear(&v_);
        return &v_;
    }
    const VARIANT& Get() const { return v_; }
    VARTYPE Type() const { return v_.vt; }
    long AsLong() const { return v_.vt == VT_I4 ? v_.lVal : -999999; }
    std::wstring AsString() const { return v_.vt == VT_BSTR && v_.bstrVal ? std::wstring(v_.bstrVal) : L"<not text>"; }
    IDispatch* AsObject() const { return v_.vt == VT_DISPATCH ? v_.pdispVal : nullptr; }

private:
    VARIANT v_;
};

struct CallResult {
    HRESULT hr = E_FAIL;
    Variant value;
    UINT argErr = 0xFFFFFFFF;
};

// obj.name(args...) bound late; the arguments are given first-to-last.
inline CallResult Call(IDispatch* object, const wchar_t* name, const std::vector<Variant>& args = {},
                       WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET) {
    CallResult r;
    if (!object) {
        r.hr = E_POINTER;
        return r;
    }
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    r.hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(r.hr)) return r;
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(it->Get());  // shallow: args own them
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    r.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, r.value.Put(), nullptr, &r.argErr);
    return r;
}

// The value of a member that must work.
inline Variant Get(IDispatch* object, const wchar_t* name, const std::vector<Variant>& args = {}) {
    CallResult r = Call(object, name, args);
    EXPECT_EQ(r.hr, S_OK) << "calling " << std::string(name, name + wcslen(name));
    return r.value;
}

// COM on the test thread, for every test of the executable.
class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};

}  // namespace brisko::idehost::testing
