#pragma once

// Arguments of one event raised to the container, owned here and cleared
// afterwards; handlers may change those passed by reference, and what they
// leave is read back as the control's own type.

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>
#include <vector>

namespace brisko {

class EventArgs {
public:
    explicit EventArgs(int n) : v_(static_cast<std::size_t>(n)) {
        for (VARIANT& x : v_) VariantInit(&x);
    }
    ~EventArgs() {
        for (VARIANT& x : v_) VariantClear(&x);
    }
    EventArgs(const EventArgs&) = delete;
    EventArgs& operator=(const EventArgs&) = delete;
    VARIANT* Data() { return v_.data(); }
    int Count() const { return static_cast<int>(v_.size()); }

    void I4(int i, std::int32_t value) {
        V_VT(&v_[i]) = VT_I4;
        V_I4(&v_[i]) = value;
    }
    void I2(int i, std::int16_t value) {
        V_VT(&v_[i]) = VT_I2;
        V_I2(&v_[i]) = value;
    }
    void R4(int i, float value) {
        V_VT(&v_[i]) = VT_R4;
        V_R4(&v_[i]) = value;
    }
    void Bool(int i, bool value) {
        V_VT(&v_[i]) = VT_BOOL;
        V_BOOL(&v_[i]) = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    void Str(int i, const std::wstring& value) {
        V_VT(&v_[i]) = VT_BSTR;
        V_BSTR(&v_[i]) = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    }
    // An object, held here for the length of the event.
    void Object(int i, IDispatch* d) {
        V_VT(&v_[i]) = VT_DISPATCH;
        V_DISPATCH(&v_[i]) = d;
        if (d) d->AddRef();
    }

    // What a handler left, or the old value when it left something that
    // does not convert.
    std::int16_t I2Of(int i, std::int16_t old) {
        return Read(i, VT_I2, old, [](const VARIANT& t) { return V_I2(&t); });
    }
    std::int32_t I4Of(int i, std::int32_t old) {
        return Read(i, VT_I4, old, [](const VARIANT& t) { return static_cast<std::int32_t>(V_I4(&t)); });
    }
    bool BoolOf(int i, bool old) {
        return Read(i, VT_BOOL, old, [](const VARIANT& t) { return V_BOOL(&t) != VARIANT_FALSE; });
    }
    std::wstring StrOf(int i, const std::wstring& old) {
        return Read(i, VT_BSTR, old, [](const VARIANT& t) {
            return V_BSTR(&t) ? std::wstring(V_BSTR(&t), SysStringLen(V_BSTR(&t))) : std::wstring();
        });
    }

private:
    template <class T, class Get>
    T Read(int i, VARTYPE type, const T& old, Get get) {
        VARIANT t;
        VariantInit(&t);
        T r = SUCCEEDED(VariantChangeType(&t, &v_[i], 0, type)) ? T(get(t)) : old;
        VariantClear(&t);
        return r;
    }

    std::vector<VARIANT> v_;
};

}  // namespace brisko
