#pragma once
// What the spin edit box's fuzzers share: typed values read off the fuzzer's
// bytes (zeros once they run out), and a broken rule ending the run.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "spinedit/spin_properties.h"

namespace brisko::fuzz {

inline void Require(bool ok) {
    if (!ok) std::abort();
}

// Whatever a decoder let through loads as one set, and saves again.
inline void RequireLoads(const MemoryPropertyStore& store) {
    try {
        MemoryPropertyStore again;
        SaveSpinEditProperties(LoadSpinEditProperties(store), again);
    } catch (...) {
        std::abort();
    }
}

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const { return size_ == 0; }
    const std::uint8_t* Rest() const { return data_; }
    std::size_t Left() const { return size_; }
    std::uint8_t Byte() { return size_ ? (--size_, *data_++) : 0; }
    // Up to n little-endian bytes.
    std::uint64_t Bits(std::size_t n = 8) {
        std::uint64_t v = 0;
        n = std::min(n, size_);
        std::memcpy(&v, data_, n);
        data_ += n, size_ -= n;
        return v;
    }
    std::int16_t Word() { return static_cast<std::int16_t>(Bits(2)); }
    // Up to n characters, mostly from the alphabet, one byte in eight another
    // character from `others` on.
    std::wstring Text(std::size_t n, std::wstring_view alphabet, wchar_t others = 0) {
        std::wstring s;
        for (; n > 0 && size_; --n) {
            const std::uint8_t b = Byte();
            s.push_back(b < 0xE0 ? alphabet[b % alphabet.size()] : static_cast<wchar_t>(others + b));
        }
        return s;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

}  // namespace brisko::fuzz
