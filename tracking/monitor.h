#pragma once
// CMDIMonitor: the one event source through which every window watcher
// reports what happened to its window.
#include <cstdint>
#include <memory>

#include "common/types.h"

namespace brisko {

class CMDIChild;

class IMonitorEvents {
public:
    virtual ~IMonitorEvents() = default;
    virtual void ChangeTitle(WindowHandle hWnd) = 0;
    virtual void ActiveWindow(WindowHandle hWnd) = 0;
    virtual void ShowWindow(WindowHandle hWnd) = 0;
    virtual void HideWindow(WindowHandle hWnd) = 0;
};

// Action codes of Notify: the events' numbers in declaration order.
enum MonitorAction : std::int32_t { kActionChangeTitle = 1, kActionActive = 2, kActionShow = 3, kActionHide = 4 };

class CMDIMonitor : public std::enable_shared_from_this<CMDIMonitor> {
public:
    void SetEvents(IMonitorEvents* sink) { m_pEvents = sink; }
    // Raises the event numbered lAction; any other number does nothing.
    void Notify(WindowHandle hWnd, std::int32_t lAction);
    // A new watcher attached to hWnd, reporting here.
    std::shared_ptr<CMDIChild> AddNewWindow(WindowHandle hWnd);

private:
    IMonitorEvents* m_pEvents = nullptr;
};

}  // namespace brisko
