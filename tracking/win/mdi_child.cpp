#include "tracking/mdi_child.h"

#include <windows.h>

#include "tracking/monitor.h"
#include "winsvc/subclass.h"

namespace brisko {
namespace {

class WinMDIChild final : public CMDIChild, private iSubclass {
public:
    ~WinMDIChild() override { Detach(); }

    WindowHandle hWnd() const override { return m_cSubclass ? m_cSubclass->hWnd() : 0; }

    void Attach(WindowHandle hWnd, CMDIMonitor* pMonitor) override {
        Detach();
        m_lPtr = pMonitor;
        m_cSubclass = std::make_unique<CSubclass>();
        m_cSubclass->AddMsg(WM_NCACTIVATE, MsgPhase::After);
        m_cSubclass->AddMsg(WM_SETTEXT, MsgPhase::After);
        m_cSubclass->AddMsg(WM_SHOWWINDOW, MsgPhase::After);
        m_cSubclass->AddMsg(WM_STYLECHANGED, MsgPhase::After);
        m_cSubclass->SubClass(hWnd, this);
    }

    void Detach() override {
        try {
            if (m_cSubclass) m_cSubclass->UnSubclass();
        } catch (...) {
        }
        m_cSubclass.reset();
        m_lPtr = nullptr;
    }

private:
    void iSubclass_Proc(bool, bool&, std::intptr_t&, WindowHandle& hWnd, std::uint32_t& uMsg, std::uintptr_t& wParam,
                        std::intptr_t& lParam) override {
        if (!m_lPtr) return;
        std::int32_t action = 0;
        switch (uMsg) {
            case WM_SETTEXT:
            case WM_STYLECHANGED:
                action = kActionChangeTitle;
                break;
            case WM_SHOWWINDOW:
                // A window shown or hidden because its parent was restored or
                // minimised says so in lParam; only its own state counts.
                if (wParam == 1 && lParam == 0) action = kActionShow;
                if (wParam == 0 && lParam == 0) action = kActionHide;
                break;
            case WM_NCACTIVATE:
                if (wParam != 0) action = kActionActive;
                break;
            default:
                break;
        }
        if (action == 0) return;
        // Hold the monitor for the length of the report: a handler may drop
        // the tab, and with it this watcher, before Notify returns.
        auto monitor = m_lPtr->weak_from_this().lock();
        if (monitor)
            monitor->Notify(hWnd, action);
        else
            m_lPtr->Notify(hWnd, action);
    }

    std::unique_ptr<CSubclass> m_cSubclass;
    CMDIMonitor* m_lPtr = nullptr;
};

}  // namespace

std::shared_ptr<CMDIChild> CMDIChild::Create() {
    return std::make_shared<WinMDIChild>();
}

}  // namespace brisko
