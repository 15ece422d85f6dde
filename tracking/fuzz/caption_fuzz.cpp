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

struct FuzzProject : IdeProject {
    std::wstring name, file;
    std::vector<std::pair<std::wstring, std::int32_t>> components;
    std::uint8_t raises = 0;  // one bit per question
    void Check(int bit) const {
        if (raises & (1 << bit)) throw Error(ErrorNumber::Automation, "raised");
    }
    std::wstring Name() override { return Check(0), name; }
    std::int32_t ComponentCount() override { return Check(1), static_cast<std::int32_t>(components.size()); }
    std::wstring ComponentName(std::int32_t i) override { return Check(2), components.at(i - 1).first; }
    std::int32_t ComponentType(std::int32_t i) override { return Check(3), components.at(i - 1).second; }
    std::optional<std::wstring> FileName() override {
        Check(4);
        return raises & 0x20 ? std::nullopt : std::optional(file);
    }
};

struct Model : IdeModel {
    std::vector<FuzzProject> projects;
    std::wstring windowCaption;
    std::int32_t windowType = 0;
    bool raises = false;
    std::int32_t ProjectCount() override {
        if (raises) throw Error(ErrorNumber::Automation, "raised");
        return static_cast<std::int32_t>(projects.size());
    }
    std::unique_ptr<IdeProject> Project(std::int32_t i) override {
        return std::make_unique<FuzzProject>(projects.at(static_cast<std::size_t>(i - 1)));
    }
    std::unique_ptr<IdeProject> ActiveProject() override {
        return projects.empty() ? nullptr : std::make_unique<FuzzProject>(projects.front());
    }
    std::optional<std::int32_t> WindowType(const std::wstring& caption) override {
        if (caption == windowCaption) return windowType;
        return std::nullopt;
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
    Model model;
    model.raises = flags & 4;
    const std::wstring caption = in.Text();
    model.windowCaption = flags & 8 ? caption : in.Text();
    model.windowType = in.Byte() % 4;
    for (int i = in.Byte() % 4; i > 0; --i) {
        FuzzProject p;
        p.name = in.Text();
        p.file = in.Text();
        p.raises = in.Byte();
        for (int k = in.Byte() % 5; k > 0; --k)
            p.components.emplace_back(in.Text(), in.Byte() % 13 + (in.Byte() & 1) * 90);
        model.projects.push_back(std::move(p));
    }

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
