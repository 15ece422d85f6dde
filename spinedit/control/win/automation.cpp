#include "spinedit/control/win/automation.h"

#include "spinedit/control/win/spin_edit_box.h"

namespace brisko {

std::wstring ErrorDescription(const Error& e) {
    if (const auto* own = dynamic_cast<const ControlError*>(&e)) return own->Description();
    // The descriptions the host language gives its run-time errors.
    switch (e.Number()) {
        case ErrorNumber::InvalidPropertyValue:
            return L"プロパティの値が不正です。";
        case ErrorNumber::Overflow:
            return L"オーバーフローしました。";
        case ErrorNumber::TypeMismatch:
            return L"型が一致しません。";
        default: {
            const std::string what = e.what();
            return std::wstring(what.begin(), what.end());
        }
    }
}

HRESULT ReportError(const Error& e, REFIID iid) noexcept {
    const HRESULT code = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<int>(e.Number()));
    try {
        ComPtr<ICreateErrorInfo> create;
        if (SUCCEEDED(CreateErrorInfo(create.Put())) && create) {
            const std::wstring description = ErrorDescription(e);
            create->SetGUID(iid);
            create->SetSource(const_cast<LPOLESTR>(kSpinEditBoxProgId));
            create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
            if (auto info = create.As<IErrorInfo>(IID_IErrorInfo)) SetErrorInfo(0, info.Get());
        }
    } catch (...) {
        // The number still says what went wrong.
    }
    return code;
}

ComPtr<ITypeInfo> ControlTypeInfo(REFIID iid) {
    ComPtr<ITypeInfo> info;
    if (ComPtr<ITypeLib> lib = ControlTypeLib())
        if (FAILED(lib->GetTypeInfoOfGuid(iid, info.Put()))) info.Reset();
    return info;
}

}  // namespace brisko
