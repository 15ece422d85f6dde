#include "spinedit/spin_stream.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "spinedit/spin_properties.h"

namespace brisko {

namespace {

constexpr std::uint8_t kMagic[4] = {'B', 'S', 'E', 'B'};

// The version that first stored a key.
std::uint16_t VersionOf(std::wstring_view key) {
    return key == L"RightToLeft" ? 2 : 1;
}

enum FontFlags : std::uint8_t { kItalic = 1, kUnderline = 2, kStrikethrough = 4 };

class Writer {
public:
    void Bytes(const void* p, std::size_t n) {
        const auto* b = static_cast<const std::uint8_t*>(p);
        out_.insert(out_.end(), b, b + n);
    }
    template <class T>
    void Number(T v) {
        using U = std::make_unsigned_t<T>;
        auto u = static_cast<U>(v);
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            out_.push_back(static_cast<std::uint8_t>(u & 0xFF));
            u = static_cast<U>(u >> 8);
        }
    }
    template <class Length>
    void Chars(const std::wstring& s) {
        Number(static_cast<Length>(s.size()));
        for (wchar_t c : s) Number(static_cast<std::uint16_t>(c));
    }
    std::vector<std::uint8_t>& Out() { return out_; }

private:
    std::vector<std::uint8_t> out_;
};

// Every read checks the bytes that remain first; a short record fails the
// read instead of reaching past its end.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    template <class T>
    std::optional<T> Number() {
        using U = std::make_unsigned_t<T>;
        if (size_ - pos_ < sizeof(T)) return std::nullopt;
        U u = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            u = static_cast<U>(u | (static_cast<U>(data_[pos_ + i]) << (8 * i)));
        pos_ += sizeof(T);
        return static_cast<T>(u);
    }
    std::optional<std::wstring> Chars(std::size_t count) {
        if ((size_ - pos_) / 2 < count) return std::nullopt;
        std::wstring s(count, L'\0');
        for (auto& c : s) c = static_cast<wchar_t>(*Number<std::uint16_t>());
        return s;
    }
    template <class Length>
    std::optional<std::wstring> Text() {
        auto n = Number<Length>();
        if (!n) return std::nullopt;
        return Chars(*n);
    }
    std::optional<std::vector<std::uint8_t>> Bytes(std::size_t count) {
        if (size_ - pos_ < count) return std::nullopt;
        std::vector<std::uint8_t> b(data_ + pos_, data_ + pos_ + count);
        pos_ += count;
        return b;
    }
    bool AtEnd() const { return pos_ == size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

void WriteValue(Writer& w, const StreamValue& value) {
    std::visit(
        [&w](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, bool>) {
                w.Number<std::uint8_t>(v ? 1 : 0);
            } else if constexpr (std::is_integral_v<T>) {
                w.Number(v);
            } else if constexpr (std::is_same_v<T, std::wstring>) {
                w.Chars<std::uint32_t>(v);
            } else if constexpr (std::is_same_v<T, PictureBytes>) {
                w.Number(static_cast<std::uint32_t>(v.bytes.size()));
                w.Bytes(v.bytes.data(), v.bytes.size());
            } else {
                w.Chars<std::uint8_t>(v.name);
                w.Number(v.sizeCy);
                w.Number(v.weight);
                w.Number<std::uint8_t>((v.italic ? kItalic : 0) | (v.underline ? kUnderline : 0) |
                                       (v.strikethrough ? kStrikethrough : 0));
                w.Number(v.charset);
            }
        },
        value);
}

StoredKind KindOfValue(const StreamValue& v) {
    static constexpr StoredKind kinds[] = {StoredKind::Bool, StoredKind::Byte, StoredKind::Int16,  StoredKind::Int32,
                                           StoredKind::Text, StoredKind::Font, StoredKind::Picture};
    return kinds[v.index()];
}

std::optional<StreamValue> ReadValue(Reader& r, StoredKind kind) {
    switch (kind) {
        case StoredKind::Bool: {
            auto b = r.Number<std::uint8_t>();
            if (!b || *b > 1) return std::nullopt;
            return StreamValue(*b == 1);
        }
        case StoredKind::Byte:
            if (auto v = r.Number<std::uint8_t>()) return StreamValue(*v);
            return std::nullopt;
        case StoredKind::Int16:
            if (auto v = r.Number<std::int16_t>()) return StreamValue(*v);
            return std::nullopt;
        case StoredKind::Int32:
            if (auto v = r.Number<std::int32_t>()) return StreamValue(*v);
            return std::nullopt;
        case StoredKind::Text:
            if (auto v = r.Text<std::uint32_t>()) return StreamValue(std::move(*v));
            return std::nullopt;
        case StoredKind::Picture: {
            auto n = r.Number<std::uint32_t>();
            if (!n || *n == 0) return std::nullopt;
            auto bytes = r.Bytes(*n);
            if (!bytes) return std::nullopt;
            return StreamValue(PictureBytes{std::move(*bytes)});
        }
        case StoredKind::Font: {
            FontSpec f;
            auto name = r.Text<std::uint8_t>();
            auto size = r.Number<std::int64_t>();
            auto weight = r.Number<std::int16_t>();
            auto flags = r.Number<std::uint8_t>();
            auto charset = r.Number<std::int16_t>();
            if (!name || !size || !weight || !flags || !charset ||
                (*flags & ~(kItalic | kUnderline | kStrikethrough)) != 0)
                return std::nullopt;
            f.name = std::move(*name);
            f.sizeCy = *size;
            f.weight = *weight;
            f.italic = (*flags & kItalic) != 0;
            f.underline = (*flags & kUnderline) != 0;
            f.strikethrough = (*flags & kStrikethrough) != 0;
            f.charset = *charset;
            return StreamValue(std::move(f));
        }
    }
    return std::nullopt;
}

// The value as the table keeps it, for the table's own check of its range.
std::optional<PropertyValue> AsPropertyValue(const StreamValue& v) {
    return std::visit(
        [](const auto& x) -> std::optional<PropertyValue> {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, PictureBytes>)
                return std::nullopt;
            else
                return PropertyValue(x);
        },
        v);
}

}  // namespace

std::vector<std::uint8_t> EncodeSpinStream(const std::vector<StreamEntry>& entries) {
    Writer body;
    body.Number(static_cast<std::uint16_t>(entries.size()));
    for (const auto& e : entries) {
        body.Number<std::uint8_t>(static_cast<std::uint8_t>(static_cast<int>(KindOfValue(e.value)) + 1));
        body.Chars<std::uint8_t>(e.key);
        WriteValue(body, e.value);
    }
    std::uint16_t version = 1;
    for (const auto& e : entries) version = std::max(version, VersionOf(e.key));
    Writer w;
    w.Bytes(kMagic, sizeof kMagic);
    w.Number(version);
    w.Number<std::uint16_t>(0);
    w.Number(static_cast<std::uint32_t>(body.Out().size()));
    w.Bytes(body.Out().data(), body.Out().size());
    return std::move(w.Out());
}

std::optional<std::size_t> SpinStreamSize(const std::uint8_t* header, std::size_t size) {
    if (!header || size < kSpinStreamHeaderSize || std::memcmp(header, kMagic, sizeof kMagic) != 0) return std::nullopt;
    Reader r(header + sizeof kMagic, kSpinStreamHeaderSize - sizeof kMagic);
    const auto version = r.Number<std::uint16_t>();
    const auto reserved = r.Number<std::uint16_t>();
    const auto body = r.Number<std::uint32_t>();
    if (*version < 1 || *version > kSpinStreamVersion || *reserved != 0 || *body > kSpinStreamMaxBody)
        return std::nullopt;
    return kSpinStreamHeaderSize + *body;
}

std::optional<std::vector<StreamEntry>> DecodeSpinStream(const std::uint8_t* data, std::size_t size) {
    const auto whole = SpinStreamSize(data, size);
    if (!whole || *whole != size) return std::nullopt;
    const std::uint16_t version = static_cast<std::uint16_t>(data[4] | data[5] << 8);
    Reader r(data + kSpinStreamHeaderSize, size - kSpinStreamHeaderSize);
    const auto count = r.Number<std::uint16_t>();
    if (!count) return std::nullopt;
    const auto& order = SpinEditPropertyKeys();
    std::vector<StreamEntry> entries;
    std::size_t next = 0;  // the first position in the stored order still open
    std::uint16_t needed = 1;
    for (std::uint16_t i = 0; i < *count; ++i) {
        const auto tag = r.Number<std::uint8_t>();
        auto key = r.Text<std::uint8_t>();
        if (!tag || !key) return std::nullopt;
        const auto at = std::find(order.begin() + static_cast<std::ptrdiff_t>(next), order.end(), *key);
        const auto kind = SpinEditPropertyKind(*key);
        if (at == order.end() || !kind || *tag != static_cast<int>(*kind) + 1) return std::nullopt;
        next = static_cast<std::size_t>(at - order.begin()) + 1;
        needed = std::max(needed, VersionOf(*key));
        auto value = ReadValue(r, *kind);
        if (!value) return std::nullopt;
        if (auto pv = AsPropertyValue(*value); pv && !SpinEditPropertyAccepted(*key, *pv)) return std::nullopt;
        entries.push_back({std::move(*key), std::move(*value)});
    }
    if (!r.AtEnd() || needed != version) return std::nullopt;
    return entries;
}

}  // namespace brisko
