// Stand-ins until the persistence functions land.
#include "spinedit/control/persist.h"

namespace brisko {
HRESULT LoadFromPropertyBag(SpinEdit&, SpinEditPictures&, IPropertyBag*, IErrorLog*) {
    return E_NOTIMPL;
}
HRESULT SaveToPropertyBag(const SpinEdit&, const SpinEditPictures&, IPropertyBag*, const PersistContext&) {
    return E_NOTIMPL;
}
HRESULT LoadFromStream(SpinEdit&, SpinEditPictures&, IStream*) {
    return E_NOTIMPL;
}
HRESULT SaveToStream(const SpinEdit&, const SpinEditPictures&, IStream*, const PersistContext&) {
    return E_NOTIMPL;
}
ULARGE_INTEGER StreamSizeMax(const SpinEdit&, const SpinEditPictures&, const PersistContext&) {
    return {};
}
HRESULT LoadFromStorage(SpinEdit&, SpinEditPictures&, IStorage*) {
    return E_NOTIMPL;
}
HRESULT SaveToStorage(const SpinEdit&, const SpinEditPictures&, IStorage*, const PersistContext&) {
    return E_NOTIMPL;
}
}  // namespace brisko
