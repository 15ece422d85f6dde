// Fuzzes the decoders of what the control takes from outside, short of the
// container's and the system's own objects: the values a property bag hands
// back for every stored key (coerced, checked, then loaded as one set), the
// picture bytes of a stored record before the system's decoder, and the text
// and file lists a drop brings.
#include <bit>
#include <functional>

#include "spinedit/fuzz/fuzz_input.h"
#include "spinedit/spin_bag.h"
#include "spinedit/spin_drop.h"
#include "spinedit/spin_picture.h"

using namespace brisko;
using fuzz::Require;

namespace {

// A value of any kind a bag hands back; its texts mostly of the characters a
// number or a boolean is made of.
BagValue Value(fuzz::Input& in) {
    const auto text = [&] { return in.Text(in.Byte() % 12, L"0123456789.+-eE &HhOTrueFals,"); };
    const auto font = [&] {
        FontSpec f;
        f.name = text();
        f.sizeCy = static_cast<std::int64_t>(in.Bits());
        f.weight = in.Word();
        f.charset = static_cast<std::int16_t>(in.Byte() - 8);
        return f;
    };
    const std::function<BagValue()> kinds[] = {[] { return std::monostate{}; },
                                               [] { return BagNull{}; },
                                               [] { return BagPicture{}; },
                                               [] { return BagOtherObject{}; },
                                               [] { return BagUnsupported{}; },
                                               [&] { return (in.Byte() & 1) != 0; },
                                               [&] { return static_cast<std::int64_t>(in.Bits()); },
                                               text,
                                               [&] { return std::bit_cast<double>(in.Bits()); },
                                               font};
    return kinds[in.Byte() % 10]();
}

void FuzzBag(fuzz::Input& in) {
    const auto& keys = SpinEditPropertyKeys();
    MemoryPropertyStore store;
    while (!in.Empty()) {
        const std::wstring_view key = keys[in.Byte() % keys.size()];
        const BagDecision d = DecideBagValue(key, Value(in));
        Require(d.value.has_value() == (d.action == BagDecision::Action::Take));
        Require((d.problem != BagProblem::None) == (d.action == BagDecision::Action::Report));
        if (d.value) {
            Require(SpinEditPropertyAccepted(key, *d.value));
            store.Write(key, *d.value);
        }
    }
    fuzz::RequireLoads(store);
}

void FuzzPicture(fuzz::Input& in) {
    const auto image = CheckPictureBytes(in.Rest(), in.Left());
    if (image) Require(image->size > 0 && image->offset + image->size <= in.Left());
}

// A file list reads back from the block the control itself would offer; the
// texts stop at their first NUL, within their bytes and their limit.
void FuzzDrop(fuzz::Input& in) {
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
    fuzz::Input in(data, size);
    void (*const fuzzers[])(fuzz::Input&) = {FuzzBag, FuzzPicture, FuzzDrop};
    fuzzers[in.Byte() % 3](in);
    return 0;
}
