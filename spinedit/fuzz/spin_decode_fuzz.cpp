// Fuzzes the decoders of what the control takes from outside, short of the
// container's and the system's own objects: the values a property bag hands
// back for every stored key (coerced, checked, then loaded as one set), the
// picture bytes of a stored record before the system's decoder, and the text
// and file lists a drop brings.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "spinedit/spin_bag.h"
#include "spinedit/spin_drop.h"
#include "spinedit/spin_picture.h"
#include "spinedit/spin_properties.h"

using namespace brisko;

namespace {

void Require(bool ok) {
    if (!ok) std::abort();
}

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const { return size_ == 0; }
    std::uint8_t Byte() { return size_ ? (--size_, *data_++) : 0; }
    std::uint64_t Bits() {
        std::uint64_t v = 0;
        const std::size_t n = size_ < 8 ? size_ : 8;
        std::memcpy(&v, data_, n);
        data_ += n;
        size_ -= n;
        return v;
    }
    // Mostly the characters a number or a boolean is made of.
    std::wstring Text() {
        std::wstring s;
        for (std::size_t n = Byte() % 12; n > 0 && size_; --n) {
            static const wchar_t kAlphabet[] = L"0123456789.+-eE &HhOTrueFals,";
            const std::uint8_t b = Byte();
            s.push_back(b < 0xE0 ? kAlphabet[b % (sizeof kAlphabet / sizeof kAlphabet[0] - 1)]
                                 : static_cast<wchar_t>(b));
        }
        return s;
    }
    BagValue Value() {
        const std::function<BagValue()> kinds[] = {[] { return std::monostate{}; },
                                                   [] { return BagNull{}; },
                                                   [] { return BagPicture{}; },
                                                   [] { return BagOtherObject{}; },
                                                   [] { return BagUnsupported{}; },
                                                   [&] { return (Byte() & 1) != 0; },
                                                   [&] { return static_cast<std::int64_t>(Bits()); },
                                                   [&] { return Text(); },
                                                   [&] {
                                                       const std::uint64_t bits = Bits();
                                                       double d;
                                                       std::memcpy(&d, &bits, sizeof d);
                                                       return d;
                                                   },
                                                   [&] {
                                                       FontSpec f;
                                                       f.name = Text();
                                                       f.sizeCy = static_cast<std::int64_t>(Bits());
                                                       f.weight = static_cast<std::int16_t>(Bits());
                                                       f.charset = static_cast<std::int16_t>(Byte() - 8);
                                                       return f;
                                                   }};
        return kinds[Byte() % 10]();
    }
    const std::uint8_t* Rest() const { return data_; }
    std::size_t Left() const { return size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

void FuzzBag(Input& in) {
    const auto& keys = SpinEditPropertyKeys();
    MemoryPropertyStore store;
    while (!in.Empty()) {
        const std::wstring_view key = keys[in.Byte() % keys.size()];
        const BagDecision d = DecideBagValue(key, in.Value());
        Require(d.value.has_value() == (d.action == BagDecision::Action::Take));
        Require((d.problem != BagProblem::None) == (d.action == BagDecision::Action::Report));
        if (d.value) {
            Require(SpinEditPropertyAccepted(key, *d.value));
            store.Write(key, *d.value);
        }
    }
    // Whatever was taken loads as one set, and saves again.
    try {
        MemoryPropertyStore again;
        SaveSpinEditProperties(LoadSpinEditProperties(store), again);
    } catch (...) {
        std::abort();
    }
}

void FuzzPicture(Input& in) {
    const auto image = CheckPictureBytes(in.Rest(), in.Left());
    if (image) Require(image->size > 0 && image->offset + image->size <= in.Left());
}

// A file list reads back from the block the control itself would offer; the
// texts stop at their first NUL, within their bytes and their limit.
void FuzzDrop(Input& in) {
    const std::size_t limit = in.Byte();
    if (const auto files = ParseDropFiles(in.Rest(), in.Left(), limit)) {
        Require(files->wide.size() + files->ansi.size() <= limit);
        const auto block = MakeDropFiles(files->wide);
        const auto again = ParseDropFiles(block.data(), block.size());
        Require(again && again->wide == files->wide);
    }
    if (const auto wide = WideTextOf(in.Rest(), in.Left(), limit))
        Require(wide->size() <= limit && wide->find(L'\0') == std::wstring::npos);
    if (const auto ansi = AnsiTextOf(in.Rest(), in.Left(), limit)) Require(ansi->size() <= std::min(limit, in.Left()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    switch (in.Byte() % 3) {
        case 0:
            FuzzBag(in);
            break;
        case 1:
            FuzzPicture(in);
            break;
        default:
            FuzzDrop(in);
            break;
    }
    return 0;
}
