#include "comserver/addin_keys.h"

namespace brisko {

IdeKind IdeKindOfExecutable(std::wstring_view path) {
    const auto slash = path.find_last_of(L"\\/");
    const std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
    constexpr std::wstring_view kVb6 = L"vb6.exe";
    if (name.size() != kVb6.size()) return IdeKind::VbaEditor;
    for (std::size_t i = 0; i < name.size(); ++i) {
        wchar_t c = name[i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != kVb6[i]) return IdeKind::VbaEditor;
    }
    return IdeKind::Vb6;
}

}  // namespace brisko
