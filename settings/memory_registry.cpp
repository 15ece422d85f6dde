#include "settings/memory_registry.h"

#include "common/text.h"

namespace brisko {

namespace {

// Keys are matched on their folded path; empty parts ("a\\b") are not keys.
bool ValidPath(std::wstring_view path) {
    if (path.empty()) return true;
    if (path.front() == L'\\' || path.back() == L'\\') return false;
    return path.find(L"\\\\") == std::wstring_view::npos;
}

}  // namespace

MemoryRegistry::KeyId MemoryRegistry::Id(std::uint32_t root, std::wstring_view path) {
    return {root, FoldCase(path)};
}

MemoryRegistry::Key* MemoryRegistry::Find(std::uint32_t root, std::wstring_view path) {
    auto it = keys_.find(Id(root, path));
    return it == keys_.end() ? nullptr : &it->second;
}

bool MemoryRegistry::KeyExists(std::uint32_t root, std::wstring_view path) {
    return Find(root, path) != nullptr;
}

RegistryStore::Query MemoryRegistry::QueryValue(std::uint32_t root, std::wstring_view path, std::wstring_view name) {
    readLog_.emplace_back(name);
    Query q;
    Key* k = Find(root, path);
    if (!k) return q;
    q.found = Found::NoValue;
    for (const auto& v : k->values) {
        if (EqualsNoCase(v.name, name)) {
            q.found = Found::Value;
            q.type = v.type;
            q.data = v.data;
        }
    }
    return q;
}

bool MemoryRegistry::CreateKey(std::uint32_t root, std::wstring_view path) {
    if (failCreate || !ValidPath(path)) return false;
    for (size_t pos = 0;; ++pos) {
        pos = path.find(L'\\', pos);
        keys_.try_emplace(Id(root, path.substr(0, pos)));
        if (pos == std::wstring_view::npos) return true;
    }
}

bool MemoryRegistry::SetValue(std::uint32_t root, std::wstring_view path, std::wstring_view name, std::uint32_t type,
                              const RegBytes& data) {
    if (!CreateKey(root, path)) return false;
    writeLog_.emplace_back(name);
    Key* k = Find(root, path);
    for (auto& v : k->values) {
        if (EqualsNoCase(v.name, name)) {
            v.type = type;
            v.data = data;
            return true;
        }
    }
    k->values.push_back({std::wstring(name), type, data});
    return true;
}

bool MemoryRegistry::DeleteKey(std::uint32_t root, std::wstring_view path) {
    auto it = keys_.find(Id(root, path));
    if (it == keys_.end() || path.empty()) return false;
    std::wstring prefix = it->first.second + L"\\";
    for (const auto& [id, key] : keys_) {
        if (id.first == root && id.second.starts_with(prefix)) return false;
    }
    keys_.erase(it);
    return true;
}

bool MemoryRegistry::DeleteValue(std::uint32_t root, std::wstring_view path, std::wstring_view name) {
    Key* k = Find(root, path);
    if (!k) return false;
    for (auto it = k->values.begin(); it != k->values.end(); ++it) {
        if (EqualsNoCase(it->name, name)) {
            k->values.erase(it);
            return true;
        }
    }
    return false;
}

std::string MemoryRegistry::ToAnsi(std::wstring_view text) {
    std::string out;
    for (wchar_t c : text) out.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    return out;
}

std::wstring MemoryRegistry::FromAnsi(std::string_view bytes) {
    std::wstring out;
    for (char c : bytes) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return out;
}

std::string MemoryRegistry::ExpandEnvironment(std::string_view ansi) {
    // As the platform does: a name without a value stays as written.
    std::string out;
    size_t i = 0;
    while (i < ansi.size()) {
        size_t open = ansi.find('%', i);
        size_t close = open == std::string_view::npos ? open : ansi.find('%', open + 1);
        if (close == std::string_view::npos) break;
        out.append(ansi.substr(i, open - i));
        auto it = environment.find(std::string(ansi.substr(open + 1, close - open - 1)));
        if (it != environment.end()) {
            out += it->second;
            i = close + 1;
        } else {
            out.push_back('%');
            i = open + 1;
        }
    }
    out.append(ansi.substr(std::min(i, ansi.size())));
    return out;
}

std::vector<MemoryRegistry::StoredValue> MemoryRegistry::Values(std::uint32_t root, std::wstring_view path) const {
    auto it = keys_.find(Id(root, path));
    return it == keys_.end() ? std::vector<StoredValue>{} : it->second.values;
}

}  // namespace brisko
