#include "host/win/ide_model.h"

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

private:
    IDispatch* Projects() {
        if (!projects_) projects_ = DispGetObject(vbe_.Get(), L"VBProjects");
        return projects_.Get();
    }
    ComPtr<IDispatch> vbe_;
    ComPtr<IDispatch> projects_;
};

}  // namespace

std::unique_ptr<IdeModel> MakeDispatchIdeModel(IDispatch* vbe) {
    return std::make_unique<DispatchModel>(vbe);
}

}  // namespace brisko
