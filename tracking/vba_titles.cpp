#include "tracking/vba_titles.h"

#include <map>

#include "common/error.h"
#include "common/text.h"

namespace brisko {
namespace {

// Asks the IDE and takes a raised error as "cannot say".
template <class Ask>
auto Quietly(Ask&& ask) -> std::optional<decltype(ask())> {
    try {
        return ask();
    } catch (const Error&) {
        return std::nullopt;
    }
}

// The file name part of a path or address ("C:\x\Book1.xlsm", "https://.../Book1.xlsm").
std::wstring_view FilePart(std::wstring_view path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

bool IsDocumentOf(IdeProject& project, std::wstring_view document) {
    const auto path = Quietly([&] { return project.FileName(); });
    if (!path || !*path || (*path)->empty()) return false;
    const std::wstring_view file = FilePart(**path);
    return EqualsNoCase(file, document) || EqualsNoCase(DocumentStem(file), document);
}

// The type of the project's component of that name (names ignore case).
std::optional<std::int32_t> ComponentTypeIn(IdeProject& project, const std::wstring& component) {
    const auto count = Quietly([&] { return project.ComponentCount(); });
    for (std::int32_t i = 1; count && i <= *count; ++i) {
        const auto name = Quietly([&] { return project.ComponentName(i); });
        if (name && EqualsNoCase(*name, component)) return Quietly([&] { return project.ComponentType(i); });
    }
    return std::nullopt;
}

bool IsExtensionChar(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

}  // namespace

std::optional<DocumentCaption> SplitDocumentCaption(std::wstring_view caption) {
    constexpr std::wstring_view kSeparator = L" - ";
    const auto at = caption.rfind(kSeparator);
    if (at == std::wstring_view::npos) return std::nullopt;
    return DocumentCaption{caption.substr(0, at), caption.substr(at + kSeparator.size())};
}

std::wstring_view DocumentStem(std::wstring_view document) {
    // An extension is a few letters and digits after the last dot, with at
    // least one letter: "Report v1.2" keeps its ".2".
    constexpr std::size_t kLongestExtension = 8;
    const auto dot = document.rfind(L'.');
    if (dot == std::wstring_view::npos || dot == 0) return document;
    const std::wstring_view ext = document.substr(dot + 1);
    if (ext.empty() || ext.size() > kLongestExtension) return document;
    bool letter = false;
    for (wchar_t c : ext) {
        if (!IsExtensionChar(c)) return document;
        letter = letter || !(c >= L'0' && c <= L'9');
    }
    return letter ? document.substr(0, dot) : document;
}

std::optional<std::int32_t> FindVbaComponentType(IdeModel& model, std::wstring_view document,
                                                 const std::wstring& component) {
    const std::int32_t n = Quietly([&] { return model.ProjectCount(); }).value_or(0);
    std::vector<std::unique_ptr<IdeProject>> projects;
    for (std::int32_t i = 1; i <= n; ++i)
        if (auto p = Quietly([&] { return model.Project(i); }); p && *p) projects.push_back(std::move(*p));

    for (auto& p : projects)
        if (Quietly([&] { return p->Name(); }) == std::optional<std::wstring>(document))
            return ComponentTypeIn(*p, component);
    for (auto& p : projects)
        if (IsDocumentOf(*p, document)) return ComponentTypeIn(*p, component);
    // No project tells its document: the component's name decides, when the
    // projects that have one agree on its type (one project, or several
    // never-saved workbooks that each have a Sheet1).
    std::optional<std::int32_t> agreed;
    for (auto& p : projects) {
        const auto type = ComponentTypeIn(*p, component);
        if (!type) continue;
        if (agreed && *agreed != *type) return std::nullopt;
        agreed = type;
    }
    return agreed;
}

void MakeVbaTabTitle(std::wstring& sTitle, std::int16_t& iIcon, std::int32_t& lKind, std::wstring& document,
                     IdeModel& model, std::int32_t iconStyle, std::wstring_view windowClass) {
    document.clear();
    const std::wstring caption = sTitle;
    if (caption.empty()) {
        sTitle = kEmptyTitle;
        return;
    }
    const std::optional<std::int32_t> windowType =
        Quietly([&] { return model.WindowType(caption); }).value_or(std::nullopt);
    if (windowType == kWindowTypeBrowser || IsObjectBrowserCaption(caption)) {
        lKind = kKindObjectBrowser;
        iIcon = GetIconIndex(lKind, iconStyle);
        return;
    }
    const auto split = SplitDocumentCaption(caption);
    if (!split) {
        try {
            MakeTabTitle(sTitle, iIcon, lKind, model, iconStyle);
        } catch (const Error&) {
            sTitle = TitleOfCaption(caption);
        }
        return;
    }
    document = TrimSpaces(split->document);
    sTitle = TextBeforeParen(split->rest);
    if (const auto type = FindVbaComponentType(model, document, sTitle))
        if (const std::int32_t bit = KindOfVbaComponentType(*type)) lKind = bit;
    bool code = false;
    if (windowType)
        code = *windowType == kWindowTypeCode;
    else if (windowClass == L"VbaWindow" || windowClass == L"DesignerWindow")
        code = windowClass == L"VbaWindow";
    else
        code = IsCodeViewCaption(caption);
    if (code) lKind |= kKindCodeView;
    iIcon = GetIconIndex(lKind, iconStyle);
}

std::vector<std::wstring> DisambiguatedTitles(const std::vector<TabTitleSource>& tabs) {
    std::vector<std::wstring> shown;
    shown.reserve(tabs.size());
    // Tabs that name a document, by title; titles and documents ignore case
    // as component and file names do.
    std::map<std::wstring, std::vector<std::size_t>> byTitle;
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        shown.push_back(tabs[i].title);
        if (!tabs[i].document.empty()) byTitle[FoldCase(tabs[i].title)].push_back(i);
    }
    for (const auto& [title, members] : byTitle) {
        std::map<std::wstring, std::wstring> documents;  // folded document -> folded stem
        for (std::size_t i : members) {
            const std::wstring& doc = tabs[i].document;
            documents.emplace(FoldCase(doc), FoldCase(DocumentStem(doc)));
        }
        if (documents.size() < 2) continue;
        for (std::size_t i : members) {
            const std::wstring& doc = tabs[i].document;
            const std::wstring stem = FoldCase(DocumentStem(doc));
            std::size_t sameStem = 0;
            for (const auto& [d, s] : documents) sameStem += s == stem;
            const std::wstring_view label = sameStem > 1 ? std::wstring_view(doc) : DocumentStem(doc);
            shown[i] = tabs[i].title + L" (" + std::wstring(label) + L")";
        }
    }
    return shown;
}

}  // namespace brisko
