#pragma once
// Loader, the add-in's connection class: start-up and shut-down, discovery
// of the MDI client, ownership and wiring of every other long-lived object,
// and the handlers that turn window notifications into tab changes.
#include <oaidl.h>
#include <ocidl.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/entry_frame.h"
#include "common/non_copyable.h"
#include "common/win/com_ptr.h"
#include "comserver/addin_keys.h"
#include "host/tab_commands.h"
#include "host/win/component_events.h"
#include "settings/dialog/win/config_dialog.h"
#include "tabbar/mdi_tab.h"
#include "tracking/classify.h"
#include "tracking/monitor.h"
#include "tracking/vba_titles.h"

namespace brisko {

class Loader : public ITabBarEvents, public IMonitorEvents, public IConfigEvents {
public:
    // owner: the COM object that holds this loader (not owned). It is kept
    // alive while a disconnection waits and while a modal loop of ours runs.
    explicit Loader(IUnknown* owner = nullptr);
    ~Loader() override;
    Loader(const Loader&) = delete;
    Loader& operator=(const Loader&) = delete;

    // The connection events. OnConnection raises what fails (the IDE is told);
    // the others never raise. A connection still in place is ended first.
    void OnConnection(IDispatch* Application, long ConnectMode);
    // Tears the connection down once no call into the add-in is running any
    // more (see common/entry_frame.h): from inside one of our modal loops,
    // after the outermost has returned; otherwise before the IDE's call
    // returns. Nothing new is started meanwhile.
    void OnDisconnection();
    void OnStartupComplete();
    void OnBeginShutdown();

    // The IDE's component notification.
    void ItemAdded(IDispatch* component);

    // For tests and the stand-in IDE's checks.
    CMDITab* TabBar() const { return m_pMDITab.get(); }
    std::int32_t IconStyle() const { return m_eIconStyle; }
    IdeKind Ide() const { return m_eIde; }
    std::size_t FollowedProjects() const { return componentEvents_.FollowedProjects(); }
    bool MouseWheel() const { return m_bMouseWheel; }

    // ---- ITabBarEvents ----
    void MDIChildCreate(WindowHandle hWnd) override;
    void MDIChildDestroy(WindowHandle hWnd) override;
    void MDIChildActive(WindowHandle hActive) override;
    void TabChanged(std::int16_t iActive, std::int16_t iInactive, std::int32_t eChangeMode) override;
    void TabQueryClose(std::int16_t iIndex, bool& bCancel, std::int32_t eCloseMode) override;
    void MDIClientMouseWheel(std::int32_t lDelta, std::int32_t x, std::int32_t y, std::int32_t lScrollLine,
                             bool& bHandled) override;
#define BRISKO_MOUSE_HANDLER(name)                                                                  \
    void name(std::int16_t iIndex, std::int32_t eButton, std::int32_t lFlags, std::int32_t ClientX, \
              std::int32_t ClientY) override;
    BRISKO_MOUSE_HANDLER(TabDblClick)
    BRISKO_MOUSE_HANDLER(TabBarDblClick)
    BRISKO_MOUSE_HANDLER(TabBarClick)
    BRISKO_MOUSE_HANDLER(StartDrag)
    BRISKO_MOUSE_HANDLER(DragOver)
    BRISKO_MOUSE_HANDLER(CompleteDrag)
#undef BRISKO_MOUSE_HANDLER
    void CancelDrag(std::int16_t iIndex) override;
    void TabToolTip(std::int16_t iIndex, std::wstring& sText) override;

    // The settings dialog's notification.
    void OnIconChange(std::int32_t eIconStyle) override {
        ApplyIconStyle(eIconStyle);
    }
    // Re-chooses every tab's icon under a style; the stored style is not changed.
    void ApplyIconStyle(std::int32_t eIconStyle);
    // The tab menu's command for a tab (0 when dismissed); the menu is shown
    // at the pointer. Public so that tests can drive it.
    std::int32_t ShowTabMenu(std::int16_t iIndex);
    void RunMenuCommand(std::int32_t cmd, std::int16_t iIndex);
    HMENU Menu() const {
        return m_hMenu;
    }
    // The menu's list of every window, filled for each showing.
    HMENU WindowListMenu() const {
        return m_hWindowMenu;
    }
    // The drag cursor shown now (a DragCursor: 101 over a tab, 102 off the
    // tabs, 0 when the window's own is back).
    int DragCursor() const {
        return m_iDragCursor.load();
    }

    // ---- IMonitorEvents ----
    void ChangeTitle(WindowHandle hWnd) override;
    void ActiveWindow(WindowHandle hWnd) override;
    void ShowWindow(WindowHandle hWnd) override;
    void HideWindow(WindowHandle hWnd) override;

private:
    // Marks a nested message loop of ours (a menu, a message box, a dialog,
    // a window's close prompt run by a sent WM_CLOSE) for its whole length.
    class ModalLoop : NonCopyable {
    public:
        explicit ModalLoop(Loader& loader);
        ~ModalLoop();

    private:
        Loader& loader_;
        EntryFrame frame_;
    };

    bool Connected() const;
    // Ends a connection still in place before a new one; raises when that
    // cannot be done now because calls of ours are still running.
    void EndEarlierConnection();
    // Saves the settings and lets go of everything the connection made.
    void TearDown() noexcept;
    // Run once no call of ours is running: the waiting disconnection, then
    // the reference that kept the COM object alive (which may be the last).
    void FinishDisconnection();
    void AddExistingWindows();
    void CreateTabMenu();
    // Brings the window of tab i forward as a click on its tab does, and its
    // tab fully into view.
    void ActivateFromList(std::int16_t i);
    void PrepareClose(std::int16_t iIndex);
    // The live window of tab i; null (after removing the tab) when its window
    // is gone, so that no window call is made on a stale handle.
    HWND WindowOfTab(std::int16_t i);
    HWND WindowOfTabNoCheck(std::int16_t i) const;
    void SetDragCursor(brisko::DragCursor cursor);
    void RestoreCursors();
    HWND Client() const {
        return reinterpret_cast<HWND>(m_pMDITab->hClientWnd());
    }
    std::wstring GetWindowClass(HWND hWnd);
    std::wstring GetWindowCaption(HWND hWnd);
    void AddWindowTab(HWND hWnd);
    void UpdateTab(std::int16_t iIndex);
    // Derives a window's title, icon and kind the way the running IDE's
    // captions need; in the VBA editor it also records what the title is made of.
    void DeriveTitle(HWND hWnd, std::wstring& title, std::int16_t& icon, std::int32_t& kind, IdeModel& model,
                     TabTitleSource* source);
    // In the VBA editor: gives every tab the title it shows, naming the
    // document where tabs of several documents share a title.
    void RefreshTitles();
    std::int16_t TabOfWindow(WindowHandle hWnd) const;

    IUnknown* owner_;
    ComPtr<IUnknown> keepAlive_;
    int modalLoops_ = 0;
    bool disconnecting_ = false;
    AfterEntries finishDisconnection_{[this] { FinishDisconnection(); }};
    IdeKind m_eIde = IdeKind::Vb6;
    ComPtr<IDispatch> m_pVBE;
    // m_pVBEvent: the subscription to the component event source.
    ComponentEventsSubscription componentEvents_;
    std::shared_ptr<CMDIMonitor> m_pMonitor;
    std::unique_ptr<CMDITab> m_pMDITab;
    HMENU m_hMenu = nullptr;
    // Part of m_hMenu, which destroys it.
    HMENU m_hWindowMenu = nullptr;
    // The keys of the windows the list showed, by entry; a window closed
    // while the menu was open is then not mistaken for its neighbour.
    std::vector<std::wstring> m_vWindowKeys;
    // The settings dialog, only while it is shown.
    std::unique_ptr<frmConfig> m_pConfig;
    std::int32_t m_eIconStyle = 0;
    bool m_bMouseWheel = false;
    // Whether a drag cursor currently replaces the one the bar's window had
    // (m_hCursorBefore): it is put back on every way out, disconnection included.
    bool m_bCursorReplaced = false;
    HCURSOR m_hCursorBefore = nullptr;
    // Whether the drag last went over a tab (the drop cursor is meant).
    bool m_bDropCursor = false;
    std::atomic<int> m_iDragCursor{0};
    bool m_bSettingsLoaded = false;
    // While the windows open at connection are added: the IDE's projects as
    // far as they have been read, shared by every window of the run.
    IdeModel* m_pBatchModel = nullptr;
    // The window-text readers' buffers: at most 127 bytes of a class name or
    // caption are ever seen.
    char m_sCaptionBuf[128] = {};
    int m_lCaptionLen = 0;
    char m_sClassBuf[128] = {};
    int m_lClassLen = 0;
};

}  // namespace brisko
