#include "tracking/mdi_child.h"

namespace brisko {
namespace {

class WinMDIChild final : public CMDIChild {
public:
    ~WinMDIChild() override { Detach(); }
    WindowHandle hWnd() const override { return m_hWnd; }
    void Attach(WindowHandle hWnd, CMDIMonitor* pMonitor) override {
        Detach();
        m_lPtr = pMonitor;
        m_hWnd = hWnd;
    }
    void Detach() override {
        m_hWnd = 0;
        m_lPtr = nullptr;
    }

private:
    WindowHandle m_hWnd = 0;
    CMDIMonitor* m_lPtr = nullptr;
};

}  // namespace

std::shared_ptr<CMDIChild> CMDIChild::Create() { return std::make_shared<WinMDIChild>(); }

}  // namespace brisko
