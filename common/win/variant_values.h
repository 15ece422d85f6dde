#pragma once
// VARIANTs made from plain values, for late-bound calls through IDispatch.
// A text VARIANT owns its BSTR: the caller clears it with VariantClear.
#include <oleauto.h>

namespace brisko::variant {

inline VARIANT I4(LONG v) {
    VARIANT x;
    V_VT(&x) = VT_I4;
    V_I4(&x) = v;
    return x;
}
inline VARIANT R8(double v) {
    VARIANT x;
    V_VT(&x) = VT_R8;
    V_R8(&x) = v;
    return x;
}
inline VARIANT Bool(bool v) {
    VARIANT x;
    V_VT(&x) = VT_BOOL;
    V_BOOL(&x) = v ? VARIANT_TRUE : VARIANT_FALSE;
    return x;
}
inline VARIANT Str(const wchar_t* v) {
    VARIANT x;
    V_VT(&x) = VT_BSTR;
    V_BSTR(&x) = SysAllocString(v);
    return x;
}

}  // namespace brisko::variant
