#pragma once
// CMDIChild: the watcher of one tabbed IDE window, kept as its tab's data
// object. It refers back to the monitor without keeping it alive: the host
// releases every watcher (with the tab bar) before the monitor.
#include <memory>

#include "common/types.h"
#include "tabbar/mdi_tab.h"
#include "tracking/vba_titles.h"

namespace brisko {

class CMDIMonitor;

class CMDIChild : public TabObject {
public:
    // Made by the platform layer (the window-watching part is Win32).
    static std::shared_ptr<CMDIChild> Create();
    ~CMDIChild() override = default;

    virtual WindowHandle hWnd() const = 0;
    // Starts watching hWnd (a watcher can be re-attached), reporting to pMonitor.
    virtual void Attach(WindowHandle hWnd, CMDIMonitor* pMonitor) = 0;
    virtual void Detach() = 0;

    // What the window's tab title is made of, where titles shared across
    // documents name their document (the VBA editor).
    const TabTitleSource& TitleSource() const { return titleSource_; }
    void SetTitleSource(TabTitleSource source) { titleSource_ = std::move(source); }

private:
    TabTitleSource titleSource_;
};

}  // namespace brisko
