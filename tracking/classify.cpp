#include "tracking/classify.h"

#include <map>
#include <optional>
#include <vector>

#include "common/text.h"

namespace brisko {

bool IsObjectBrowserCaption(std::wstring_view caption) {
    for (const wchar_t* c : kObjectBrowserCaptions) {
        if (caption == c) return true;
    }
    return false;
}

bool IsCodeViewCaption(std::wstring_view caption) {
    for (const wchar_t* marker : kCodeViewMarkers) {
        if (caption.find(marker) != std::wstring_view::npos) return true;
    }
    return false;
}

bool IsTabWindowClass(const std::wstring& sClass) {
    return sClass == L"VbaWindow" || sClass == L"DesignerWindow" || sClass == L"DockingView";
}

std::int32_t KindOfComponentType(std::int32_t type) {
    switch (type) {
        case 5: return kKindForm;
        case 6: return kKindMDIForm;
        case 11: return kKindDesigner;
        case 8: return kKindUserControl;
        case 7: return kKindPropertyPage;
        case 9: return kKindUserDocument;
        case 1: return kKindModule;
        case 2: return kKindClass;
        default: return 0;
    }
}

std::int32_t KindOfVbaComponentType(std::int32_t type) {
    constexpr std::int32_t kUserForm = 3, kDocument = 100;
    if (type == kUserForm) return kKindUserForm;
    if (type == kDocument) return kKindDocument;
    return KindOfComponentType(type);
}

std::int16_t GetIconIndex(std::int32_t kind, std::int32_t iconStyle) {
    const std::int32_t t = kind & 0xFFF;
    const bool code = (kind & kKindCodeView) != 0;
    if (iconStyle == 3) return 0;
    if (kind == kKindObjectBrowser) return 14;
    if (iconStyle == 2) return code ? 13 : 12;
    if (iconStyle == 0 && code) {
        switch (t) {
            case 128: return 9;
            case 256: return 10;
            case 8: return 5;
            case 1024: return 16;
            case 1: case 2: case 4: case 16: case 32: case 64: case 2048: return 11;
            default: return 13;
        }
    }
    switch (t) {
        case 1: return 1;
        case 4: return 3;
        case 8: return 4;
        case 16: return 6;
        case 32: return 7;
        case 64: return 8;
        case 128: return 9;
        case 256: return 10;
        case 1024: return 16;
        case 2048: return 15;
        default: return 12;
    }
}

namespace {

// What one project has answered so far; shared by every handle on it.
struct ProjectAnswers {
    std::unique_ptr<IdeProject> source;
    std::optional<std::wstring> name;
    std::optional<std::int32_t> count;
    std::optional<std::optional<std::wstring>> fileName;
    std::vector<std::optional<std::wstring>> names;  // by component index - 1
    std::vector<std::optional<std::int32_t>> types;

    template <class T, class Ask>
    static T& Slot(std::vector<std::optional<T>>& v, std::int32_t i, Ask&& ask) {
        const auto k = static_cast<std::size_t>(i - 1);
        if (k >= v.size()) v.resize(k + 1);
        if (!v[k]) v[k] = ask();
        return *v[k];
    }
};

class RememberingProject : public IdeProject {
public:
    explicit RememberingProject(std::shared_ptr<ProjectAnswers> a) : a_(std::move(a)) {}
    std::wstring Name() override {
        if (!a_->name) a_->name = a_->source->Name();
        return *a_->name;
    }
    std::int32_t ComponentCount() override {
        if (!a_->count) a_->count = a_->source->ComponentCount();
        return *a_->count;
    }
    std::wstring ComponentName(std::int32_t i) override {
        if (i < 1) return a_->source->ComponentName(i);
        return ProjectAnswers::Slot(a_->names, i, [&] { return a_->source->ComponentName(i); });
    }
    std::int32_t ComponentType(std::int32_t i) override {
        if (i < 1) return a_->source->ComponentType(i);
        return ProjectAnswers::Slot(a_->types, i, [&] { return a_->source->ComponentType(i); });
    }
    std::optional<std::wstring> FileName() override {
        if (!a_->fileName) a_->fileName = a_->source->FileName();
        return *a_->fileName;
    }

private:
    std::shared_ptr<ProjectAnswers> a_;
};

class RememberingModel : public IdeModel {
public:
    explicit RememberingModel(IdeModel& source) : source_(source) {}
    std::int32_t ProjectCount() override {
        if (!count_) count_ = source_.ProjectCount();
        return *count_;
    }
    std::unique_ptr<IdeProject> Project(std::int32_t i) override {
        auto it = projects_.find(i);
        if (it == projects_.end()) it = projects_.emplace(i, Remember(source_.Project(i))).first;
        return Handle(it->second);
    }
    std::unique_ptr<IdeProject> ActiveProject() override {
        if (!activeAsked_) {
            active_ = Remember(source_.ActiveProject());
            activeAsked_ = true;
        }
        return Handle(active_);
    }
    std::optional<std::int32_t> WindowType(const std::wstring& caption) override {
        auto it = windowTypes_.find(caption);
        if (it == windowTypes_.end()) it = windowTypes_.emplace(caption, source_.WindowType(caption)).first;
        return it->second;
    }

private:
    static std::shared_ptr<ProjectAnswers> Remember(std::unique_ptr<IdeProject> p) {
        if (!p) return nullptr;
        auto a = std::make_shared<ProjectAnswers>();
        a->source = std::move(p);
        return a;
    }
    static std::unique_ptr<IdeProject> Handle(const std::shared_ptr<ProjectAnswers>& a) {
        return a ? std::make_unique<RememberingProject>(a) : nullptr;
    }

    IdeModel& source_;
    std::optional<std::int32_t> count_;
    std::map<std::int32_t, std::shared_ptr<ProjectAnswers>> projects_;
    bool activeAsked_ = false;
    std::shared_ptr<ProjectAnswers> active_;
    std::map<std::wstring, std::optional<std::int32_t>> windowTypes_;
};

}  // namespace

std::unique_ptr<IdeModel> MakeRememberingModel(IdeModel& source) {
    return std::make_unique<RememberingModel>(source);
}

std::unique_ptr<IdeProject> FindProject(IdeModel& model, const std::wstring& name) {
    const std::int32_t n = model.ProjectCount();
    if (n == 1) return model.Project(1);
    for (std::int32_t i = 1; i <= n; ++i) {
        auto p = model.Project(i);
        if (p && p->Name() == name) return p;
    }
    return nullptr;
}

std::wstring TextBeforeParen(std::wstring_view s) {
    const auto paren = s.find(L'(');
    return TrimSpaces(paren == std::wstring_view::npos ? s : s.substr(0, paren));
}

namespace {
// The caption's project part (before the first "-") and component part
// (between the first and the second "-"); no project part without a "-".
struct CaptionParts {
    std::optional<std::wstring> project;
    std::wstring title;
};
CaptionParts SplitCaption(std::wstring_view caption) {
    const auto dash = caption.find(L'-');
    if (dash == std::wstring_view::npos) return {std::nullopt, TextBeforeParen(caption)};
    const auto dash2 = caption.find(L'-', dash + 1);
    const std::wstring_view middle =
        dash2 == std::wstring_view::npos ? caption.substr(dash + 1) : caption.substr(dash + 1, dash2 - dash - 1);
    return {TrimSpaces(caption.substr(0, dash)), TextBeforeParen(middle)};
}
}  // namespace

std::wstring TitleOfCaption(std::wstring_view caption) {
    if (caption.empty()) return kEmptyTitle;
    if (caption == kObjectBrowserCaption) return std::wstring(caption);
    return SplitCaption(caption).title;
}

void MakeTabTitle(std::wstring& sTitle, std::int16_t& iIcon, std::int32_t& lKind, IdeModel& model,
                  std::int32_t iconStyle) {
    const std::wstring caption = sTitle;
    if (caption.empty()) {
        sTitle = kEmptyTitle;
        return;
    }
    if (IsObjectBrowserCaption(caption)) {
        lKind = kKindObjectBrowser;
        iIcon = GetIconIndex(lKind, iconStyle);
        return;
    }
    CaptionParts parts = SplitCaption(caption);
    sTitle = std::move(parts.title);
    std::unique_ptr<IdeProject> project = parts.project ? FindProject(model, *parts.project) : model.ActiveProject();
    if (!project) return;

    const std::int32_t n = project->ComponentCount();
    for (std::int32_t i = 1; i <= n; ++i) {
        if (EqualsNoCase(project->ComponentName(i), sTitle)) {
            if (const std::int32_t bit = KindOfComponentType(project->ComponentType(i))) lKind = bit;
            break;
        }
    }
    if (IsCodeViewCaption(caption)) lKind |= kKindCodeView;
    iIcon = GetIconIndex(lKind, iconStyle);
}

}  // namespace brisko
