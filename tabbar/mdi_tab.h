#pragma once
// CMDITab, the tab bar: its tab table with a case-insensitive key index, its
// properties and the 21 events it raises. The bar knows nothing of the IDE: a
// tab is a key, a title, two icon numbers, a visibility flag and two values
// of the caller's. What the bar needs from the window system comes through
// the small services of bar_services.h, and the window's messages arrive as
// typed input (bar_input.h), so this code builds and is tested without it.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/font.h"
#include "common/types.h"
#include "tabbar/bar_input.h"
#include "tabbar/bar_services.h"

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
    Rect rcTab{};  // place before scrolling; written only by the layout
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

// The button area at the strip's right end, in pixels: kButtonPitch for
// each button shown plus kButtonAreaSlack, one pixel in from the strip's
// edges. The buttons are kButtonSize high and centred on the area's height:
// the left scroll button kScrollLeftInset from the area's left end and the
// right one kScrollGap after it, both square; the close button kCloseWidth
// wide, ending kCloseInset before the area's right end.
constexpr std::int32_t kButtonPitch = 18, kButtonAreaSlack = 14, kButtonSize = 16, kScrollLeftInset = 8, kScrollGap = 2,
                       kCloseWidth = kButtonSize + 2, kCloseInset = 2;

// RGB mix of two RGB colours by a weight 0..255 given to the first.
std::uint32_t BlendRgb(std::uint32_t a, std::uint32_t b, std::int32_t w);

// Drag states.
enum DragState : std::int32_t { kDragging = 0, kDragArmed = 1, kDragIdle = 2 };

namespace test {
class TabBarProbe;
}

class CMDITab {
public:
    // Made with the services that connect it to the window system.
    explicit CMDITab(TabBarServices services);
    ~CMDITab();
    CMDITab(const CMDITab&) = delete;
    CMDITab& operator=(const CMDITab&) = delete;

    // The event sink; not owned. nullptr raises nothing.
    void SetEvents(ITabBarEvents* sink) { m_pEvents = sink; }
    // The sink, for the parts of the bar that raise events.
    ITabBarEvents* Events() const { return m_pEvents; }

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

    std::uint32_t DefaultFontColor();
    std::uint32_t DefaultSelFontColor();
    // RGB mix of two OLE colours by a weight 0..255; an untranslatable colour counts as white.
    std::uint32_t BlendColor(std::uint32_t a, std::uint32_t b, std::int32_t w);

    // ---- Appearance and behaviour ----
    std::int32_t BorderStyle() const { return m_lBorderStyle; }
    void SetBorderStyle(std::int32_t v);
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
    // Read access to the table, rectangles included.
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

    // ---- Window side ----
    void LoadSystemParameters();
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

    // ---- Layout and scrolling ----
    // Computes the bar, tab and button rectangles for the window and returns
    // its whole area (0, 0, width, height).
    Rect LayoutBar(WindowHandle hWnd);
    const Rect& BarRect() const { return m_rcBar; }
    const Rect& ButtonsRect() const { return m_rcButtons; }
    // Where a button (TabButton code) is; empty for kNoButton.
    Rect ButtonBox(std::int32_t button) const;
    std::int16_t ScrollPos() const { return m_iScrollPos; }
    void SetScrollPos(std::int16_t v) { m_iScrollPos = v; }
    void ScrollLeft(std::int32_t lAdd = 0);
    void ScrollRight(std::int32_t lAdd = 0);
    // The client rectangle for a window placed at (x, y) with size (cx, cy)
    // in its parent: the frame and, while shown, the strip taken off.
    Rect ClientRectFor(std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy) const;

    // ---- Mouse and keyboard ----
    // The window's messages, typed; every watched message but the
    // recomputation of the client area, which the window side answers with
    // ClientRectFor. Exceptions pass to the caller.
    BarReply HandleInput(const BarInput& in);
    // The auto-repeat tick of the scroll buttons; both arguments are unused.
    void iTimer_Proc(std::int32_t lElapsedMS, std::int32_t lTimerID);
    // The keyboard hook's report of a key press.
    void m_cHookKey_KeyPress(const std::wstring& sKey, bool bInjected);

    std::int16_t HitTestTab(std::int32_t ClientX, std::int32_t ClientY) const;
    std::int32_t HitTestButton(std::int32_t ClientX, std::int32_t ClientY) const;
    enum class Coords { Client, Screen };
    // A position of the window's messages in bar coordinates.
    Point ToBarPoint(Point p, Coords from) const;
    // The press or drag under way, if any (TabButton and DragState codes).
    std::int32_t PressedButton() const { return m_lPressedButton; }
    std::int32_t DragState() const { return m_eDragState; }

private:
    friend class test::TabBarProbe;  // the tests' view of the state below

    TabItem& At(std::int16_t i);
    const TabItem& At(std::int16_t i) const;
    void ReindexFrom(std::size_t first, std::size_t last);
    void UpdateTabHeight();
    void FontChanged();
    std::uint32_t TranslateColor(std::uint32_t c);
    // The bar's own paint after a change: at once, or at the end of the batch.
    void PaintOwn(bool bExact);
    // What the painter draws, from the layout just made.
    const BarView& MakeView();

    // Layout and scrolling.
    static std::int32_t FitWidth(std::int32_t titleWidth, bool hasIcon);
    // The enabled states of the left scroll, right scroll and close buttons.
    bool CanScrollLeft() const;
    bool CanScrollRight() const;
    bool HasVisibleTab() const;
    // The tabs the window shows, left to right, from the current layout and
    // scroll position: what the painter draws and where.
    void ShownTabs(std::vector<TabFace>& faces) const;
    // Interval of the auto-repeat timer in milliseconds.
    std::int32_t AutoRepeatInterval() const;
    bool ButtonEnabled(std::int32_t button) const;
    std::int16_t StripHeight() const;
    // Pixels to move for one tab-wise step; right is true for ScrollRight.
    std::int32_t FitScrollStep(bool right) const;
    void ScrollCorrection(bool bExact);
    void ClampScroll();

    // Input.
    bool HitTestTabBar(std::int32_t ClientX, std::int32_t ClientY) const;
    void TrackLeave(bool on);
    void ClientDestroyed();
    // The press, move and release handling; each answers whether the message
    // was the bar's (the window's own procedure then does not see it).
    bool OnButtonDown(const BarInput& in);
    void OnMouseMove(const BarInput& in);
    bool OnButtonUp(const BarInput& in);
    void OnWheel(const BarInput& in, BarReply& reply);
    void WheelOverBar(bool towardsUser);

    // What implements the services, kept alive until everything else has gone.
    std::shared_ptr<void> m_pServices;
    ITextMeasure& m_Text;
    IColorSource& m_Colors;
    IPointerServices& m_Pointer;
    IBarWindow& m_Window;
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
    // The last paint's picture; its vectors keep their room between paints.
    BarView m_View;
};

}  // namespace brisko
