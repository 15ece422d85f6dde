// Fuzzes the decoder of the spin edit box's binary stored properties: any
// bytes either fail cleanly or decode to entries that the encoder writes back
// byte for byte and that the table of stored properties loads without a
// complaint.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <variant>

#include "spinedit/spin_properties.h"
#include "spinedit/spin_stream.h"

using namespace brisko;

namespace {

void Require(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto whole = SpinStreamSize(data, size);
    const auto entries = DecodeSpinStream(data, size);
    if (!entries) return 0;
    Require(whole && *whole == size);
    Require(EncodeSpinStream(*entries) == std::vector<std::uint8_t>(data, data + size));

    MemoryPropertyStore store;
    for (const auto& e : *entries) {
        std::visit(
            [&](const auto& v) {
                if constexpr (!std::is_same_v<std::decay_t<decltype(v)>, PictureBytes>) store.Write(e.key, v);
            },
            e.value);
    }
    try {
        MemoryPropertyStore again;
        SaveSpinEditProperties(LoadSpinEditProperties(store), again);
    } catch (...) {
        std::abort();
    }
    return 0;
}
