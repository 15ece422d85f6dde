#include "tracking/monitor.h"

#include "tracking/mdi_child.h"

namespace brisko {

void CMDIMonitor::Notify(WindowHandle hWnd, std::int32_t lAction) {
    if (!m_pEvents) return;
    switch (lAction) {
        case kActionChangeTitle: m_pEvents->ChangeTitle(hWnd); break;
        case kActionActive: m_pEvents->ActiveWindow(hWnd); break;
        case kActionShow: m_pEvents->ShowWindow(hWnd); break;
        case kActionHide: m_pEvents->HideWindow(hWnd); break;
        default: break;
    }
}

std::shared_ptr<CMDIChild> CMDIMonitor::AddNewWindow(WindowHandle hWnd) {
    auto child = CMDIChild::Create();
    child->Attach(hWnd, this);
    return child;
}

}  // namespace brisko
