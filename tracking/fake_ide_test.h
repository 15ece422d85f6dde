#pragma once
// The IDE's project model in memory, for the title rules' tests and fuzz
// target: projects with their components and documents, any question about
// which may raise as the IDE's do.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/error.h"
#include "tracking/classify.h"

namespace brisko::test {

// Which questions about a project raise, one bit each: Name, ComponentCount,
// ComponentName, ComponentType, FileName.
inline constexpr std::uint8_t kNeverSaved = 0x10;  // as the VBA editor does for a new document
inline constexpr std::uint8_t kLocked = 0x1F;      // as for a protected project

struct Doc {
    std::wstring name;
    std::optional<std::wstring> file;  // nullopt: the IDE has none
    std::vector<std::pair<std::wstring, std::int32_t>> components;
    std::uint8_t raises = 0;
    bool gone = false;  // VBProjects(i) answers Nothing
};

struct DocProject : IdeProject {
    explicit DocProject(Doc d) : d(std::move(d)) {}
    Doc d;
    void Check(int question) const {
        if (d.raises & (1 << question)) throw Error(ErrorNumber::Automation, "raised");
    }
    std::wstring Name() override { return Check(0), d.name; }
    std::int32_t ComponentCount() override { return Check(1), static_cast<std::int32_t>(d.components.size()); }
    std::wstring ComponentName(std::int32_t i) override { return Check(2), d.components.at(i - 1).first; }
    std::int32_t ComponentType(std::int32_t i) override { return Check(3), d.components.at(i - 1).second; }
    std::optional<std::wstring> FileName() override { return Check(4), d.file; }
};

struct FakeModel : IdeModel {
    std::vector<Doc> docs;
    std::map<std::wstring, std::int32_t> windows;  // caption -> VBE.Windows type
    int active = 0;                                // 0-based, -1 none
    bool broken = false;                           // VBProjects itself raises
    std::int32_t ProjectCount() override {
        if (broken) throw Error(ErrorNumber::Automation, "no projects");
        return static_cast<std::int32_t>(docs.size());
    }
    std::unique_ptr<IdeProject> Project(std::int32_t i) override {
        return docs.at(i - 1).gone ? nullptr : std::make_unique<DocProject>(docs.at(i - 1));
    }
    std::unique_ptr<IdeProject> ActiveProject() override {
        if (broken) throw Error(ErrorNumber::Automation, "no projects");
        return active < 0 ? nullptr : std::make_unique<DocProject>(docs.at(active));
    }
    std::optional<std::int32_t> WindowType(const std::wstring& caption) override {
        const auto it = windows.find(caption);
        return it == windows.end() ? std::nullopt : std::optional(it->second);
    }
};

}  // namespace brisko::test
