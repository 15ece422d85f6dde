// Fuzzes the decoder of the spin edit box's binary stored properties: any
// bytes either fail cleanly or decode to entries that the encoder writes back
// byte for byte and that the table of stored properties loads without a
// complaint.
#include <variant>

#include "spinedit/fuzz/fuzz_input.h"
#include "spinedit/spin_stream.h"

using namespace brisko;
using fuzz::Require;

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
    fuzz::RequireLoads(store);
    return 0;
}
