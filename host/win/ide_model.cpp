#include "host/win/ide_model.h"

#include <optional>
#include <utility>
#include <vector>

#include "common/error.h"
#include "host/win/dispatch.h"

namespace brisko {
namespace {

class DispatchProject : public IdeProject {
public:
    explicit DispatchProject(ComPtr<IDispatch> p) : p_(std::move(p)) {}
    std::wstring Name() override { return DispGet(p_.Get(), L"Name").AsString(); }
    std::int32_t ComponentCount() override { return DispGet(Components(), L"Count").AsLong(); }
    std::wstring ComponentName(std::int32_t i) override { return DispGet(Component(i).Get(), L"Name").AsString(); }
    std::int32_t ComponentType(std::int32_t i) override { return DispGet(Component(i).Get(), L"Type").AsLong(); }
    std::optional<std::wstring> FileName() override {
        // The VBA editor raises for a document never saved; the VB6 IDE's
        // projects have no document.
        try {
            return DispGet(p_.Get(), L"FileName").AsString();
        } catch (const Error&) {
            return std::nullopt;
        }
    }

private:
    IDispatch* Components() {
        if (!components_) components_ = DispGetObject(p_.Get(), L"VBComponents");
        return components_.Get();
    }
    ComPtr<IDispatch> Component(std::int32_t i) { return DispGetObject(Components(), L"Item", {Variant::Int(i)}); }

    ComPtr<IDispatch> p_;
    ComPtr<IDispatch> components_;
};

class DispatchModel : public IdeModel {
public:
    explicit DispatchModel(IDispatch* vbe) : vbe_(vbe) {}
    std::int32_t ProjectCount() override { return DispGet(Projects(), L"Count").AsLong(); }
    std::unique_ptr<IdeProject> Project(std::int32_t i) override {
        auto p = DispGetObject(Projects(), L"Item", {Variant::Int(i)});
        return p ? std::make_unique<DispatchProject>(std::move(p)) : nullptr;
    }
    std::unique_ptr<IdeProject> ActiveProject() override {
        auto p = DispGetObject(vbe_.Get(), L"ActiveVBProject");
        return p ? std::make_unique<DispatchProject>(std::move(p)) : nullptr;
    }
    std::optional<std::int32_t> WindowType(const std::wstring& caption) override {
        if (!windows_) windows_ = ReadWindows();
        for (const auto& [c, type] : *windows_)
            if (c == caption) return type;
        return std::nullopt;
    }

private:
    // VBE.Windows as captions and types, read once: a window the IDE cannot
    // describe is left out.
    std::vector<std::pair<std::wstring, std::int32_t>> ReadWindows() {
        std::vector<std::pair<std::wstring, std::int32_t>> out;
        try {
            const auto windows = DispGetObject(vbe_.Get(), L"Windows");
            const long n = DispGet(windows.Get(), L"Count").AsLong();
            for (long i = 1; i <= n; ++i) {
                try {
                    const auto w = DispGetObject(windows.Get(), L"Item", {Variant::Int(i)});
                    out.emplace_back(DispGet(w.Get(), L"Caption").AsString(), DispGet(w.Get(), L"Type").AsLong());
                } catch (const Error&) {
                }
            }
        } catch (const Error&) {
        }
        return out;
    }

    IDispatch* Projects() {
        if (!projects_) projects_ = DispGetObject(vbe_.Get(), L"VBProjects");
        return projects_.Get();
    }
    ComPtr<IDispatch> vbe_;
    ComPtr<IDispatch> projects_;
    std::optional<std::vector<std::pair<std::wstring, std::int32_t>>> windows_;
};

}  // namespace

std::unique_ptr<IdeModel> MakeDispatchIdeModel(IDispatch* vbe) {
    return std::make_unique<DispatchModel>(vbe);
}

}  // namespace brisko
