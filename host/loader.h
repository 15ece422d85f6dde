#pragma once
// Loader, the add-in's connection class: start-up and shut-down, discovery
// of the MDI client, ownership and wiring of every other long-lived object,
// and the handlers that turn window notifications into tab changes.
#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>

#include <cstdint>
#include <memory>
#include <string>

#include "common/win/com_ptr.h"
#include "tabbar/mdi_tab.h"
#include "tracking/monitor.h"

namespace brisko {

class ComponentEventsSink;

class Loader : public ITabBarEvents, public IMonitorEvents {
public:
    Loader();
    ~Loader() override;
    Loader(const Loader&) = delete;
    Loader& operator=(const Loader&) = delete;

    // The connection events. OnConnection raises what fails (the IDE is told);
    // the others never raise.
    void OnConnection(IDispatch* Application, long ConnectMode);
    void OnDisconnection();
    void OnStartupComplete();
    void OnBeginShutdown();

    // The IDE's component notification.
    void ItemAdded(IDispatch* component);

    // For tests and the stand-in IDE's checks.
    CMDITab* TabBar() const { return m_pMDITab.get(); }
    std::int32_t IconStyle() const { return m_eIconStyle; }
    bool MouseWheel() const { return m_bMouseWheel; }

    // ---- ITabBarEvents ----
    void MDIChildCreate(WindowHandle hWnd) override;
    void MDIChildDestroy(WindowHandle hWnd) override;
    void MDIChildActive(WindowHandle hActive) override;

    // ---- IMonitorEvents ----
    void ChangeTitle(WindowHandle hWnd) override;
    void ActiveWindow(WindowHandle hWnd) override;
    void ShowWindow(WindowHandle hWnd) override;
    void HideWindow(WindowHandle hWnd) override;

private:
    void AddExistingWindows();
    std::wstring GetWindowClass(HWND hWnd);
    std::wstring GetWindowCaption(HWND hWnd);
    void AddWindowTab(HWND hWnd);
    void UpdateTab(std::int16_t iIndex);
    std::int16_t TabOfWindow(WindowHandle hWnd) const;
    void SubscribeComponentEvents();
    void ReleaseComponentEvents();

    ComPtr<IDispatch> m_pVBE;
    // m_pVBEvent: the subscribed component event source.
    ComPtr<IConnectionPoint> m_pVBEventPoint;
    ComPtr<ComponentEventsSink> m_pVBEventSink;
    DWORD m_dwVBEventCookie = 0;
    std::shared_ptr<CMDIMonitor> m_pMonitor;
    std::unique_ptr<CMDITab> m_pMDITab;
    HMENU m_hMenu = nullptr;
    std::int32_t m_eIconStyle = 0;
    bool m_bMouseWheel = false;
    bool m_bDropCursor = false;
    // The window-text readers' buffers: at most 127 bytes of a class name or
    // caption are ever seen.
    char m_sCaptionBuf[128] = {};
    int m_lCaptionLen = 0;
    char m_sClassBuf[128] = {};
    int m_lClassLen = 0;
};

// Key of the tab of a window: "#" and the handle as a signed decimal number.
std::wstring WindowKey(WindowHandle hWnd);

}  // namespace brisko
