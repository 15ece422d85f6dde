#pragma once
// The control's enumerators (of connection points, of data formats, of file
// names), written once: a counted object over its own copy of the items,
// each handed out as `Copy` makes it (a reference added, a string copied).
#include <oaidl.h>
#include <windows.h>

#include <cstddef>
#include <utility>
#include <vector>

#include "common/win/com_object.h"
#include "spinedit/control/win/automation.h"

namespace brisko {

// Copy(item, out) fills *out for the caller, who then owns it.
template <class IEnum, const IID& kIid, class Item, class Out, HRESULT (*Copy)(const Item&, Out*)>
class Enumerator final : public HeapComObject<IEnum, kIid> {
public:
    explicit Enumerator(std::vector<Item> items, std::size_t next = 0) : items_(std::move(items)), next_(next) {}

    STDMETHODIMP Next(ULONG count, Out* out, ULONG* fetched) override {
        if (fetched) *fetched = 0;
        if (!out || (count > 1 && !fetched)) return E_POINTER;
        ULONG n = 0;
        for (; n < count && next_ < items_.size(); ++n, ++next_)
            if (FAILED(Copy(items_[next_], &out[n]))) break;
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        const std::size_t left = items_.size() - next_;
        next_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        next_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnum** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return Barrier([&] {
            *out = new Enumerator(items_, next_);
            return S_OK;
        });
    }

private:
    std::vector<Item> items_;
    std::size_t next_;
};

}  // namespace brisko
