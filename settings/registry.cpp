#include "settings/registry.h"

namespace brisko {

bool CRegistry::KeyExists() {
    return store_->KeyExists(classKey_, sectionKey_);
}

bool CRegistry::CreateKey() {
    return store_->CreateKey(classKey_, sectionKey_);
}

bool CRegistry::DeleteKey() {
    return store_->DeleteKey(classKey_, sectionKey_);
}

bool CRegistry::DeleteValue() {
    return store_->DeleteValue(classKey_, sectionKey_, valueKey_);
}

RegValue CRegistry::Value() {
    RegistryStore::Query q = store_->QueryValue(classKey_, sectionKey_, valueKey_);
    switch (q.found) {
        case RegistryStore::Found::NoKey:
            return {};
        case RegistryStore::Found::NoValue:
            return default_;
        case RegistryStore::Found::Value:
            break;
    }
    valueType_ = q.type;
    switch (q.type) {
        case kRegSz:
        case kRegMultiSz:
            return store_->FromAnsi(StoredTextBytes(q.data));
        case kRegExpandSz:
            return store_->FromAnsi(store_->ExpandEnvironment(StoredTextBytes(q.data)));
        case kRegDword:
            return StoredDword(q.data, false);
        case kRegDwordBigEndian:
            return StoredDword(q.data, true);
        default:
            return std::move(q.data);
    }
}

void CRegistry::SetValue(const RegValue& v) {
    // The key is created even when the value turns out not to fit the type.
    if (!store_->CreateKey(classKey_, sectionKey_)) return;
    auto w = EncodeRegValue(valueType_, v, [this](std::wstring_view t) { return store_->ToAnsi(t); });
    if (w) store_->SetValue(classKey_, sectionKey_, valueKey_, w->type, w->data);
}

void CRegistry::SetAll(std::uint32_t eClassKey, std::wstring&& sSectionKey, std::wstring&& sValueKey,
                       std::uint32_t eValueType, RegValue&& vDefault) {
    classKey_ = eClassKey;
    sectionKey_ = std::move(sSectionKey);
    valueKey_ = std::move(sValueKey);
    valueType_ = eValueType;
    default_ = std::move(vDefault);
}

RegValue CRegistry::ValueEx(std::uint32_t eClassKey, std::wstring sSectionKey, std::wstring sValueKey,
                            std::uint32_t eValueType, RegValue vDefault) {
    SetAll(eClassKey, std::move(sSectionKey), std::move(sValueKey), eValueType, std::move(vDefault));
    return Value();
}

void CRegistry::SetValueEx(std::uint32_t eClassKey, std::wstring sSectionKey, std::wstring sValueKey,
                           std::uint32_t eValueType, RegValue vDefault, RegValue& vNewValue) {
    SetAll(eClassKey, std::move(sSectionKey), std::move(sValueKey), eValueType, std::move(vDefault));
    if (valueType_ == kRegSz && RegValueText(vNewValue).empty()) vNewValue = default_;
    SetValue(vNewValue);
}

}  // namespace brisko
