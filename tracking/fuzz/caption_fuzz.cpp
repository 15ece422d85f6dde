// Arbitrary window captions against an arbitrary, partly failing project
// model: deriving a tab's title, kind and icon, in the VB6 IDE's way and
// the VBA editor's, must neither crash nor read past the caption, and what
// comes out must be made of the caption.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/error.h"
#include "tracking/classify.h"
#include "tracking/fake_ide_test.h"
#include "tracking/vba_titles.h"

using namespace brisko;

namespace {

// Reads the fuzzer's bytes as the pieces of one case.
struct Reader {
    const std::uint8_t* p;
    std::size_t n;
    std::uint8_t Byte() { return n ? (--n, *p++) : 0; }
    // Text of up to 40 UTF-16 units, any values, surrogate halves too.
    std::wstring Text() {
        std::wstring s(Byte() % 41, L'\0');
        for (auto& c : s) c = static_cast<wchar_t>(Byte() | (Byte() << 8));
        // Bias towards the characters the rules look at.
        static constexpr wchar_t kMarks[] = {L' ', L'-', L'(', L')', L'.', L'\\', L'/', L'x'};
        for (auto& c : s)
            if ((c & 0xF000) == 0xF000) c = kMarks[c % 8];
        return s;
    }
};

bool MadeOf(const std::wstring& title, const std::wstring& caption) {
    return title.empty() || title == kEmptyTitle || caption.find(title) != std::wstring::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in{data, size};
    const std::uint8_t flags = in.Byte();
    const std::int32_t style = flags & 3;
    test::FakeModel model;
    model.broken = flags & 4;
    const std::wstring caption = in.Text();
    const std::wstring window = flags & 8 ? caption : in.Text();
    model.windows[window] = in.Byte() % 4;
    for (int i = in.Byte() % 4; i > 0; --i) {
        test::Doc& p = model.docs.emplace_back();
        p.name = in.Text();
        p.file = in.Text();
        // A question that raises, one bit each; no file; Nothing for the project.
        const std::uint8_t answers = in.Byte();
        p.raises = answers & 0x1F;
        if (answers & 0x20) p.file.reset();
        p.gone = answers & 0x40;
        for (int k = in.Byte() % 5; k > 0; --k)
            p.components.emplace_back(in.Text(), in.Byte() % 13 + (in.Byte() & 1) * 90);
    }
    model.active = model.docs.empty() ? -1 : 0;

    std::wstring title = caption;
    std::int16_t icon = 0;
    std::int32_t kind = 0;
    try {
        MakeTabTitle(title, icon, kind, model, style);
    } catch (const Error&) {
        // The VB6 IDE's errors reach the caller.
    }
    if (!MadeOf(title, caption) || icon < 0 || icon > kIconCount) std::abort();

    title = caption;
    icon = 0;
    kind = 0;
    std::wstring document;
    const wchar_t* classes[] = {L"VbaWindow", L"DesignerWindow", L"DockingView", L""};
    MakeVbaTabTitle(title, icon, kind, document, model, style, classes[(flags >> 4) & 3]);
    if (!MadeOf(title, caption) || !MadeOf(document, caption) || icon < 0 || icon > kIconCount) std::abort();

    std::vector<TabTitleSource> tabs;
    for (int i = in.Byte() % 8; i > 0; --i) tabs.push_back({in.Text(), in.Text()});
    tabs.push_back({title, document});
    const std::vector<std::wstring> shown = DisambiguatedTitles(tabs);
    if (shown.size() != tabs.size()) std::abort();
    for (std::size_t i = 0; i < tabs.size(); ++i)
        if (shown[i].compare(0, tabs[i].title.size(), tabs[i].title) != 0) std::abort();
    return 0;
}
