#pragma once
// CMDITab, the tab bar: its tab table with a case-insensitive key index, its
// properties and the 21 events it raises. The bar knows nothing of the IDE: a
// tab is a key, a title, two icon numbers, a visibility flag and two values
// of the caller's. Everything the bar needs from the window system goes
// through ITabBarPort, so this code builds and is tested without it.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/font.h"
#include "common/types.h"

namespace brisko {

// The caller's object kept with a tab (the host keeps its window watcher
// there). The tab owns one counted reference and drops it when it goes.
class TabObject {
public:
    virtual ~TabObject() = default;
};

// One picture of the icon list; Handle() is what gets drawn.
class TabIcon {
public:
    virtual ~TabIcon() = default;
    virtual std::intptr_t Handle() const = 0;
};

struct TabItem {
    std::wstring sKey;
    std::wstring sTitle;
    std::int16_t iIcon = 0;
    std::int16_t iSelectedIcon = 0;
    std::int32_t lData = 0;
    std::shared_ptr<TabObject> pDataObject;
    Rect rcTab;  // place before scrolling; written only by the layout
    bool bVisible = false;
};

// Change modes of TabChanged.
enum TabChangeMode : std::int32_t { kChangeBySelect = 0, kChangeByRemove = 1, kChangeByClick = 2, kChangeByDrag = 3 };
// Close modes of TabQueryClose.
enum TabCloseMode : std::int32_t { kCloseByProgram = 0, kCloseByButton = 1 };

// The bar's events. Handlers run synchronously inside the bar's own work and
// may call back into it; what a handler throws goes back to whoever made the
// bar raise the event.
class ITabBarEvents {
public:
    virtual ~ITabBarEvents() = default;
    virtual void MDIClientResize(std::int32_t /*lWidth*/, std::int32_t /*lHeight*/) {}
    virtual void MDIClientMouseWheel(std::int32_t /*lDelta*/, std::int32_t /*x*/, std::int32_t /*y*/,
                                     std::int32_t /*lScrollLine*/, bool& /*bHandled*/) {}
    virtual void MDIChildCreate(WindowHandle /*hWnd*/) {}
    virtual void MDIChildDestroy(WindowHandle /*hWnd*/) {}
    virtual void MDIChildActive(WindowHandle /*hActive*/) {}
    virtual void TabQueryClose(std::int16_t /*iIndex*/, bool& /*bCancel*/, std::int32_t /*eCloseMode*/) {}
    virtual void TabClosed() {}
    virtual void TabChanged(std::int16_t /*iActive*/, std::int16_t /*iInactive*/, std::int32_t /*eChangeMode*/) {}
    virtual void TabExchange(std::int16_t /*iFrom*/, std::int16_t /*iTo*/) {}
#define BRISKO_MOUSE_EVENT(name)                                                                  \
    virtual void name(std::int16_t /*iIndex*/, std::int32_t /*eButton*/, std::int32_t /*lFlags*/, \
                      std::int32_t /*ClientX*/, std::int32_t /*ClientY*/) {}
    BRISKO_MOUSE_EVENT(TabMouseDown)
    BRISKO_MOUSE_EVENT(TabMouseUp)
    BRISKO_MOUSE_EVENT(TabClick)
    BRISKO_MOUSE_EVENT(TabDblClick)
    BRISKO_MOUSE_EVENT(TabBarMouseDown)
    BRISKO_MOUSE_EVENT(TabBarMouseUp)
    BRISKO_MOUSE_EVENT(TabBarDblClick)
    BRISKO_MOUSE_EVENT(TabBarClick)
    BRISKO_MOUSE_EVENT(StartDrag)
    BRISKO_MOUSE_EVENT(DragOver)
    BRISKO_MOUSE_EVENT(CompleteDrag)
#undef BRISKO_MOUSE_EVENT
    virtual void CancelDrag(std::int16_t /*iIndex*/) {}
    // Asks for the full text of tab iIndex for its tooltip; left empty, the
    // tooltip shows the tab's title.
    virtual void TabToolTip(std::int16_t /*iIndex*/, std::wstring& /*sText*/) {}
};

class CMDITab;

// The window-system side of the bar. The Win32 layer implements it; native
// tests use a recording fake.
class ITabBarPort {
public:
    virtual ~ITabBarPort() = default;
    // Called once by the bar's constructor, before anything else.
    virtual void Bind(CMDITab& bar) = 0;
    // SM_CXDRAG, SM_CYDRAG and SPI_GETWHEELSCROLLLINES.
    virtual void ReadSystemParameters(std::int32_t& dragCX, std::int32_t& dragCY, std::int32_t& wheelLines) = 0;
    // Width and height of one line of text in a font (DrawText with
    // DT_CALCRECT); both 0 while the bar has no drawing surface yet.
    virtual Size MeasureText(const FontSpec& font, const std::wstring& text) = 0;
    // An OLE colour as RGB; nullopt when it cannot be translated.
    virtual std::optional<std::uint32_t> TranslateColor(std::uint32_t oleColor) = 0;
    // The window side of attaching and detaching (class style, extended
    // style, subclassing); the bar has recorded or still holds the handle.
    virtual void AttachWindow(WindowHandle hWnd) = 0;
    virtual void DetachWindow(WindowHandle hWnd) = 0;
    // Makes the window recompute and repaint its frame (SetWindowPos with
    // SWP_FRAMECHANGED), which paints the bar.
    virtual void FrameChanged(WindowHandle hWnd) = 0;
    // Draws the bar into the window at once; the bar has just run its
    // layout and scroll correction (WindowArea() and the rectangles are current).
    virtual void PaintBar(WindowHandle hWnd, bool bExact) = 0;

    // The window's whole area in its own coordinates: (0, 0, width, height).
    virtual Rect WindowRect(WindowHandle hWnd) = 0;
    // A screen point in the window's client coordinates.
    virtual Point ScreenToClient(WindowHandle hWnd, Point p) = 0;
    // Mouse capture for presses and drags.
    virtual void SetCapture(WindowHandle hWnd) = 0;
    virtual void ReleaseCapture() = 0;
    // Requests (on) or cancels a WM_MOUSELEAVE notification for the window.
    virtual void TrackMouseLeave(WindowHandle hWnd, bool on) = 0;
    // The auto-repeat timer of the scroll buttons: its ticks call
    // CMDITab::iTimer_Proc. Starting a running timer restarts it.
    virtual void StartTimer(std::int32_t intervalMS) = 0;
    virtual void StopTimer() = 0;
};

// The stored values of the bar's looks and modes; the numbers are those the
// settings keep.
enum TabBorderStyle : std::int32_t { kBorderNone = 0, kBorderSingle = 1, kBorderSunken = 2 };
enum TabAlign : std::int32_t { kAlignTop = 0, kAlignBottom = 1 };
// Tab widths: TabWidth for every tab, or each tab fitted to its title.
enum TabWidthStyle : std::int32_t { kWidthFixed = 0, kWidthFit = 1 };
// Which tab is selected when the selected one is removed.
enum TabActiveMode : std::int32_t { kActivateNone = 0, kActivateLeft = 1, kActivateRight = 2 };

// The parts of a tab, in pixels: the icon sits kTabInset from the tab's left
// edge, the title ends kTabInset before its right edge, kIconGap after the
// icon when the tab has one, and starts kTitleTop below the tab's top. A
// fitted tab is its title's width (at least kMinTitleWidth) plus its parts
// and kFitSlack to spare.
constexpr std::int32_t kTabInset = 6, kIconSize = 16, kIconGap = 4, kTitleTop = 3, kMinTitleWidth = 16, kFitSlack = 4;

// One tab as the window shows it: its rectangle scrolled and cut at the
// button area, and the places of its icon and title inside it.
struct TabFace {
    std::int16_t index = -1;
    bool selected = false;
    Rect tab;
    std::int16_t iconNumber = 0;  // the icon drawn; 0 when none is
    Rect icon;                    // empty when no icon is drawn
    Rect title;
};

// Mouse buttons as the mouse events report them.
enum MouseButton : std::int32_t { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4, kXButton1 = 5, kXButton2 = 6 };

// Codes of the bar's buttons (hot and pressed).
enum TabButton : std::int32_t { kNoButton = 0, kScrollLeftButton = 1, kScrollRightButton = 2, kCloseButton = 3 };
// Drag states.
enum DragState : std::int32_t { kDragging = 0, kDragArmed = 1, kDragIdle = 2 };

// Window messages the bar handles; the numbers are the window system's.
namespace msg {
constexpr std::uint32_t kCreate = 0x0001, kDestroy = 0x0002, kSize = 0x0005, kPaint = 0x000F, kNcDestroy = 0x0082,
                        kNcCalcSize = 0x0083, kNcHitTest = 0x0084, kNcPaint = 0x0085, kMouseMove = 0x0200,
                        kLButtonDown = 0x0201, kLButtonUp = 0x0202, kLButtonDblClk = 0x0203, kRButtonDown = 0x0204,
                        kRButtonUp = 0x0205, kRButtonDblClk = 0x0206, kMButtonDown = 0x0207, kMButtonUp = 0x0208,
                        kMButtonDblClk = 0x0209, kMouseWheel = 0x020A, kXButtonDown = 0x020B, kXButtonUp = 0x020C,
                        kXButtonDblClk = 0x020D, kParentNotify = 0x0210, kMdiActivate = 0x0222,
                        kCaptureChanged = 0x0215, kMouseLeave = 0x02A3;
constexpr std::int32_t kHtClient = 1, kHtBorder = 18;
}  // namespace msg

// When the bar sees a watched message: after the window's own procedure, or
// before it (and may then keep it from the window).
enum WatchPhase : std::int32_t { kAfterWindow = 1, kBeforeWindow = 2 };
struct WatchedMessage {
    std::uint32_t uMsg;
    std::int32_t when;  // a WatchPhase
};
// In the order they are registered on attaching.
extern const WatchedMessage kWatchedMessages[24];

class CMDITab {
public:
    // Takes the port that connects the bar to the window system.
    explicit CMDITab(std::unique_ptr<ITabBarPort> port);
    ~CMDITab();
    CMDITab(const CMDITab&) = delete;
    CMDITab& operator=(const CMDITab&) = delete;

    // The event sink; not owned. nullptr raises nothing.
    void SetEvents(ITabBarEvents* sink) { m_pEvents = sink; }
    ITabBarPort& Port() { return *m_pPort; }

    // ---- Fonts and colours ----
    // The bar's own fonts; a caller that keeps one keeps a copy.
    const FontSpec& Font() const { return m_Font; }
    void SetFont(const FontSpec& f);
    std::wstring FontName() const { return m_Font.name; }
    void SetFontName(const std::wstring& v);
    float FontSize() const { return m_Font.Size(); }
    void SetFontSize(float v);
    bool FontBold() const { return m_Font.Bold(); }
    void SetFontBold(bool v);
    bool FontItalic() const { return m_Font.italic; }
    void SetFontItalic(bool v);
    bool FontStrikethru() const { return m_Font.strikethrough; }
    void SetFontStrikethru(bool v);
    bool FontUnderline() const { return m_Font.underline; }
    void SetFontUnderline(bool v);
    std::uint32_t FontColor() const { return m_lFontColor; }
    void SetFontColor(std::uint32_t v);

    const FontSpec& SelFont() const { return m_SelFont; }
    void SetSelFont(const FontSpec& f);
    std::wstring SelFontName() const { return m_SelFont.name; }
    void SetSelFontName(const std::wstring& v);
    float SelFontSize() const { return m_SelFont.Size(); }
    void SetSelFontSize(float v);
    bool SelFontBold() const { return m_SelFont.Bold(); }
    void SetSelFontBold(bool v);
    bool SelFontItalic() const { return m_SelFont.italic; }
    void SetSelFontItalic(bool v);
    bool SelFontStrikethru() const { return m_SelFont.strikethrough; }
    void SetSelFontStrikethru(bool v);
    bool SelFontUnderline() const { return m_SelFont.underline; }
    void SetSelFontUnderline(bool v);
    std::uint32_t SelFontColor() const { return m_lSelFontColor; }
    void SetSelFontColor(std::uint32_t v);

    // The glyph fonts of the close and scroll buttons.
    const FontSpec& CloseGlyphFont() const { return m_CloseFont; }
    const FontSpec& ScrollGlyphFont() const { return m_ScrollFont; }

    std::uint32_t DefaultFontColor();
    std::uint32_t DefaultSelFontColor();
    // RGB mix of two OLE colours by a weight 0..255; an untranslatable colour counts as white.
    std::uint32_t BlendColor(std::uint32_t a, std::uint32_t b, std::int32_t w);
    // RGB of an OLE colour; 0xFFFFFFFF when it cannot be translated.
    std::uint32_t TranslateColor(std::uint32_t c);

    // ---- Appearance and behaviour ----
    std::int32_t BorderStyle() const { return m_lBorderStyle; }
    void SetBorderStyle(std::int32_t v);
    std::int16_t FrameWidth() const { return m_iFrameWidth; }
    std::int32_t Align() const { return m_lAlign; }
    void SetAlign(std::int32_t v);
    std::int16_t OffsetY() const { return m_iOffsetY; }
    void SetOffsetY(std::int16_t v);
    std::int16_t TabHeight() const { return m_iTabHeight; }
    void SetTabHeight(std::int16_t v);
    std::int16_t TabWidth() const { return m_iTabWidth; }
    void SetTabWidth(std::int16_t v);
    bool LockUpdate() const { return m_bLockUpdate; }
    void SetLockUpdate(bool v);
    bool Enable() const { return m_bEnable; }
    void SetEnable(bool v);
    bool Visible() const { return m_bVisible; }
    void SetVisible(bool v);
    std::int32_t Style() const { return m_lStyle; }
    void SetStyle(std::int32_t v);
    std::int32_t ActiveMode() const { return m_lActiveMode; }
    void SetActiveMode(std::int32_t v) { m_lActiveMode = v; }
    bool CloseButton() const { return m_bCloseButton; }
    void SetCloseButton(bool v);
    bool ScrollButton() const { return m_bScrollButton; }
    void SetScrollButton(bool v);
    bool AutoDrag() const { return m_bAutoDrag; }
    void SetAutoDrag(bool v) { m_bAutoDrag = v; }
    bool ScrollFit() const { return m_bScrollFit; }
    void SetScrollFit(bool v) { m_bScrollFit = v; }
    std::int16_t ScrollSpeed() const { return m_iScrollSpeed; }
    void SetScrollSpeed(std::int16_t v) {
        if (v > 0) m_iScrollSpeed = v;
    }

    // ---- Tabs ----
    std::int16_t Count() const { return static_cast<std::int16_t>(m_Tabs.size()); }
    std::int16_t SelectedIndex() const { return m_iSelectedIndex; }
    void SetSelectedIndex(std::int16_t v) { SelectTab(v, kChangeBySelect); }
    std::int16_t Index(const std::wstring& sKey) const;
    bool HasKey(const std::wstring& sKey) const;
    const std::wstring& Key(std::int16_t i) const { return At(i).sKey; }
    const std::wstring& Title(std::int16_t i) const { return At(i).sTitle; }
    void SetTitle(std::int16_t i, const std::wstring& v);
    std::int16_t Icon(std::int16_t i) const { return At(i).iIcon; }
    void SetIcon(std::int16_t i, std::int16_t v);
    std::int16_t SelectedIcon(std::int16_t i) const { return At(i).iSelectedIcon; }
    void SetSelectedIcon(std::int16_t i, std::int16_t v);
    std::int32_t Data(std::int16_t i) const { return At(i).lData; }
    void SetData(std::int16_t i, std::int32_t v) { At(i).lData = v; }
    std::shared_ptr<TabObject> DataObject(std::int16_t i) const { return At(i).pDataObject; }
    void SetDataObject(std::int16_t i, std::shared_ptr<TabObject> v) { At(i).pDataObject = std::move(v); }
    bool TabVisible(std::int16_t i) const { return At(i).bVisible; }
    void SetTabVisible(std::int16_t i, bool v);
    // Read access to the table for layout, painting and tests.
    const std::vector<TabItem>& Tabs() const { return m_Tabs; }

    std::int16_t AddTab(std::int16_t iIndex, const std::wstring& sKey, const std::wstring& sTitle,
                        bool bVisible = false, std::int16_t iIcon = 0, std::int16_t iSelectedIcon = 0,
                        std::int32_t lData = 0, std::shared_ptr<TabObject> pDataObject = nullptr);
    void CloseTab(std::int16_t iIndex);
    void RemoveTab(std::int16_t iIndex);
    void SelectTab(std::int16_t iIndex, std::int32_t eChangeMode);
    void MoveTab(std::int16_t iFrom, std::int16_t iTo);

    // ---- Icons ----
    std::int16_t AddIcon(std::shared_ptr<TabIcon> pIcon);
    void ClearIcon();
    // The n-th icon (1-based), or nullptr for 0 and numbers beyond the list.
    const TabIcon* IconPicture(std::int16_t n) const;
    std::int16_t IconCount() const { return static_cast<std::int16_t>(m_Icons.size()); }
    // Changes whenever the icon list does, so that what was made from its
    // pictures can tell that it is out of date.
    std::int32_t IconGeneration() const { return m_lIconGeneration; }

    // ---- Window side ----
    void LoadSystemParameters();
    std::int32_t DragCX() const { return m_lDragCX; }
    std::int32_t DragCY() const { return m_lDragCY; }
    std::int32_t WheelLines() const { return m_lWheelLines; }
    WindowHandle hClientWnd() const { return m_hClientWnd; }
    void Attach(WindowHandle hWndClient);
    void Detach();
    void Refresh();
    void ForceRefresh();
    void EnsureVisible(std::int16_t iIndex);
    // Lays out and draws the bar into the attached window (nothing while
    // detached). bExact picks the scroll correction used after removing a tab.
    void PaintBar(WindowHandle hWnd, bool bExact);
    // A run of changes shown at once. Between BeginBatch and EndBatch the bar
    // keeps its state exactly as it would otherwise (layout, scroll
    // corrections, events) but makes no repaint of its own; EndBatch then
    // recomputes the frame or paints once if anything in between asked for
    // it. Paints the window itself asks for (a dialog uncovering the bar
    // meanwhile) are still drawn at once. Batches nest; an EndBatch without
    // a BeginBatch does nothing.
    void BeginBatch() { ++m_iBatch; }
    void EndBatch();
    bool InBatch() const { return m_iBatch > 0; }

    // ---- Layout and scrolling ----
    // Computes the bar, tab and button rectangles for the window and returns
    // its whole area (0, 0, width, height).
    Rect LayoutBar(WindowHandle hWnd);
    const Rect& BarRect() const { return m_rcBar; }
    const Rect& ButtonsRect() const { return m_rcButtons; }
    const Rect& WindowArea() const { return m_rcWindow; }
    std::int16_t ButtonSize() const { return m_iButtonSize; }
    Rect ScrollLeftBox() const;
    Rect ScrollRightBox() const;
    Rect CloseBox() const;
    Rect ButtonBox(std::int32_t button) const;
    bool CanScrollLeft() const;
    bool CanScrollRight() const;
    bool HasVisibleTab() const;
    // The tabs the window shows, left to right, from the current layout and
    // scroll position: what the painter draws and where.
    void ShownTabs(std::vector<TabFace>& faces) const;
    // A fitted tab's width for a title of titleWidth pixels.
    static std::int32_t FitWidth(std::int32_t titleWidth, bool hasIcon);
    // Whether a button (TabButton code) is enabled, as drawn and hit.
    bool ButtonEnabled(std::int32_t button) const;
    std::int16_t ScrollPos() const { return m_iScrollPos; }
    void SetScrollPos(std::int16_t v) { m_iScrollPos = v; }
    void ScrollLeft(std::int32_t lAdd = 0);
    void ScrollRight(std::int32_t lAdd = 0);
    // Pixels to move for one tab-wise step; right is true for ScrollRight.
    std::int32_t FitScrollStep(bool right) const;
    void ScrollCorrection(bool bExact);
    void ClampScroll();
    // The auto-repeat tick of the scroll buttons; both arguments are unused.
    void iTimer_Proc(std::int32_t lElapsedMS, std::int32_t lTimerID);
    // Interval of the auto-repeat timer in milliseconds.
    std::int32_t AutoRepeatInterval() const;
    // One wheel message over the bar; wParam as the message carries it.
    void WheelOverBar(std::int32_t wParam);
    // The reserved strip's height: TabHeight + OffsetY + 1.
    std::int16_t StripHeight() const;
    // The client rectangle for a window placed at (x, y) with size (cx, cy)
    // in its parent: the frame and, while shown, the strip taken off.
    Rect ClientRectFor(std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy) const;

    // ---- Mouse and keyboard ----
    bool HitTestTabBar(std::int32_t ClientX, std::int32_t ClientY) const;
    std::int16_t HitTestTab(std::int32_t ClientX, std::int32_t ClientY) const;
    std::int32_t HitTestButton(std::int32_t ClientX, std::int32_t ClientY) const;
    static std::int32_t ButtonFromMessage(std::uint32_t uMsg, std::uintptr_t wParam);
    // A message position (the signed 16-bit halves of lParam) in bar
    // coordinates; bScreen when the position is in screen coordinates.
    Point ToBarPoint(std::int32_t x, std::int32_t y, bool bScreen) const;
    void TrackLeave(bool on);
    // The attached window is being destroyed: its handle is let go at once.
    void ClientDestroyed();
    // The press, move and release handling; each answers whether the message
    // was the bar's (the window's own procedure then does not see it).
    bool OnButtonDown(WindowHandle hWnd, std::uint32_t uMsg, std::uintptr_t wParam, std::intptr_t lParam);
    bool OnMouseMove(WindowHandle hWnd, std::uintptr_t wParam, std::intptr_t lParam);
    bool OnButtonUp(WindowHandle hWnd, std::uint32_t uMsg, std::uintptr_t wParam, std::intptr_t lParam);
    // The keyboard hook's report of a key press.
    void m_cHookKey_KeyPress(const std::wstring& sKey, bool bInjected);
    // Every watched message except WM_NCCALCSIZE (which the window side
    // answers with ClientRectFor). Exceptions pass to the caller.
    void HandleMessage(bool bBefore, bool& bHandled, std::intptr_t& lReturn, WindowHandle hWnd, std::uint32_t uMsg,
                       std::uintptr_t wParam, std::intptr_t lParam);

    std::int32_t DragState() const { return m_eDragState; }
    std::int16_t DragIndex() const { return m_iDragIndex; }
    const Rect& DragRect() const { return m_rcDrag; }
    std::int32_t HotButton() const { return m_lHotButton; }
    std::int32_t PressedButton() const { return m_lPressedButton; }
    bool TrackingLeave() const { return m_bTrackLeave; }

    // The sink, for the parts of the bar that raise events.
    ITabBarEvents* Events() const { return m_pEvents; }

private:
    TabItem& At(std::int16_t i);
    const TabItem& At(std::int16_t i) const;
    void ReindexFrom(std::size_t first, std::size_t last);
    void UpdateTabHeight();
    void FontChanged();
    // The bar's own paint after a change: at once, or at the end of the batch.
    void PaintOwn(bool bExact);

    std::unique_ptr<ITabBarPort> m_pPort;
    ITabBarEvents* m_pEvents = nullptr;

    std::vector<TabItem> m_Tabs;
    std::unordered_map<std::wstring, std::int16_t> m_colKeys;  // folded key -> index
    std::vector<std::shared_ptr<TabIcon>> m_Icons;
    std::int32_t m_lIconGeneration = 0;

    FontSpec m_Font = FontSpec::Make(L"MS UI Gothic", 9);
    FontSpec m_SelFont = FontSpec::Make(L"MS UI Gothic", 9);
    // Marlett is a symbol font: asked for in a text character set, the font
    // mapper may pick another face and draw "3", "4" and "r" as letters.
    FontSpec m_CloseFont = SymbolFont(L"Marlett", 8);
    FontSpec m_ScrollFont = SymbolFont(L"Marlett", 10);
    static FontSpec SymbolFont(std::wstring name, double points) {
        FontSpec f = FontSpec::Make(std::move(name), points);
        f.charset = 2;  // SYMBOL_CHARSET
        return f;
    }
    std::uint32_t m_lFontColor = 0;
    std::uint32_t m_lSelFontColor = 0;
    std::int32_t m_lBorderStyle = kBorderSunken;
    std::int16_t m_iFrameWidth = 2;
    std::int32_t m_lAlign = kAlignTop;
    std::int16_t m_iOffsetY = 0;
    std::int16_t m_iTabHeight = 26;
    std::int16_t m_iTabWidth = 120;
    bool m_bLockUpdate = false;
    bool m_bEnable = true;
    bool m_bVisible = true;
    std::int32_t m_lStyle = kWidthFixed;
    std::int32_t m_lActiveMode = kActivateLeft;
    bool m_bCloseButton = true;
    bool m_bScrollButton = true;
    bool m_bScrollFit = false;
    std::int16_t m_iScrollSpeed = 10;
    bool m_bAutoDrag = true;
    std::int16_t m_iSelectedIndex = -1;
    WindowHandle m_hClientWnd = 0;
    std::int32_t m_lDragCX = 0, m_lDragCY = 0, m_lWheelLines = 0;

    Rect m_rcWindow;
    Rect m_rcBar;
    Rect m_rcButtons;
    std::int16_t m_iButtonSize = 16;
    std::int16_t m_iScrollPos = 0;
    std::int32_t m_eDragState = kDragIdle;
    std::int16_t m_iDragIndex = -1;
    Rect m_rcDrag;
    std::int32_t m_lHotButton = kNoButton;
    std::int32_t m_lPressedButton = kNoButton;
    bool m_bTrackLeave = false;
    // The open batches, and what their end owes the window.
    int m_iBatch = 0;
    bool m_bFrameDue = false;
    bool m_bPaintDue = false;
    bool m_bPaintExact = false;
};

}  // namespace brisko
