#pragma once
// Tab titles in the VBA editor. Its captions start with the host document's
// name, not the project's ("Book1.xlsm - Module1 (Code)"; the projects are
// mostly all called "VBAProject"), its view words come in Office's language,
// and a user routinely has Sheet1, ThisWorkbook and Module1 in several
// documents at once.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tracking/classify.h"

namespace brisko {

// "<document> - <component> (<view>)" split at the last " - ": a document's
// name may itself hold dashes ("Q3-report - 2024.xlsm"), a component's never.
struct DocumentCaption {
    std::wstring_view document;
    std::wstring_view rest;
};
std::optional<DocumentCaption> SplitDocumentCaption(std::wstring_view caption);

// A document's name without its extension ("Book1.xlsm" gives "Book1"); a
// name without one ("Book1", "Normal") stays as it is.
std::wstring_view DocumentStem(std::wstring_view document);

// The type of the component named `component` of the document `document`:
// the project is the one named like the document, else the one whose saved
// file is the document (with or without extension), else the only one that
// has such a component. Projects that raise on a question (a protected one,
// a document never saved) are passed over. nullopt when nothing tells.
std::optional<std::int32_t> FindVbaComponentType(IdeModel& model, std::wstring_view document,
                                                 const std::wstring& component);

// MakeTabTitle for the VBA editor: the title is the component's name, the
// kind comes from its type, and whether the window shows code from the
// IDE's own list of windows (so that no translated view word is needed),
// else from the window's class (`windowClass`), else from the caption's view
// word. `document` receives the caption's document name, empty for captions
// of other shapes, which are titled as MakeTabTitle titles them. Errors of
// the IDE's model are not passed on: the tab gets what the facts allow.
void MakeVbaTabTitle(std::wstring& sTitle, std::int16_t& iIcon, std::int32_t& lKind, std::wstring& document,
                     IdeModel& model, std::int32_t iconStyle, std::wstring_view windowClass);

// What a tab's title is made of: the component's name and its document.
struct TabTitleSource {
    std::wstring title;
    std::wstring document;  // empty when the caption named none
};

// The titles the tabs show, in the same order: a title that a tab of another
// document shows too is followed by its document's name without extension
// ("Sheet1 (Book1)"), or with it where two documents share that name. Tabs of
// one document keep their titles (a UserForm's code and designer tell
// themselves apart by their icons), and so do unique titles.
std::vector<std::wstring> DisambiguatedTitles(const std::vector<TabTitleSource>& tabs);

}  // namespace brisko
