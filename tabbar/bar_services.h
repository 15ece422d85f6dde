#pragma once
// What the bar needs from the window system, service by service, and the
// picture of the bar that the window side paints. The Win32 layer
// implements the services (tabbar/win/tab_bar.cpp); native tests fake each
// one in a few lines.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/font.h"
#include "common/types.h"

namespace brisko {

class TabIcon;

// Measures one line of text in a font (DrawText with DT_CALCRECT); 0 x 0
// while there is no drawing surface yet.
class ITextMeasure {
public:
    virtual Size MeasureText(const FontSpec& font, const std::wstring& text) = 0;

protected:
    ~ITextMeasure() = default;
};

// The system's colours: an OLE colour as RGB, nullopt when it cannot be
// translated.
class IColorSource {
public:
    virtual std::optional<std::uint32_t> TranslateColor(std::uint32_t oleColor) = 0;

protected:
    ~IColorSource() = default;
};

// The mouse: the system's drag and wheel settings, capture for presses and
// drags, the leave notification of the hovered buttons, and the auto-repeat
// timer of the scroll buttons, whose ticks call CMDITab::iTimer_Proc.
class IPointerServices {
public:
    // SM_CXDRAG, SM_CYDRAG and SPI_GETWHEELSCROLLLINES; a value the system
    // cannot give is left as it is.
    virtual void ReadSystemParameters(std::int32_t& dragCX, std::int32_t& dragCY, std::int32_t& wheelLines) = 0;
    virtual void SetCapture(WindowHandle hWnd) = 0;
    virtual void ReleaseCapture() = 0;
    // Asks for (on) or cancels a WM_MOUSELEAVE notification for the window.
    virtual void TrackMouseLeave(WindowHandle hWnd, bool on) = 0;
    // Starting a running timer restarts it.
    virtual void StartTimer(std::int32_t intervalMS) = 0;
    virtual void StopTimer() = 0;

protected:
    ~IPointerServices() = default;
};

// One tab as the window shows it: its rectangle scrolled and cut at the
// button area, and the places of its icon and title inside it.
struct TabFace {
    std::int16_t index = -1;
    bool selected = false;
    Rect tab;
    std::int16_t iconNumber = 0;       // the icon drawn; 0 when none is
    const TabIcon* picture = nullptr;  // that icon's picture
    Rect icon;                         // empty when no icon is drawn
    Rect title;
    const std::wstring* text = nullptr;  // the tab's title
};

// Codes of the bar's buttons (hot and pressed).
enum TabButton : std::int32_t { kNoButton = 0, kScrollLeftButton = 1, kScrollRightButton = 2, kCloseButton = 3 };

// One of the bar's buttons as the window shows it.
struct ButtonFace {
    std::int32_t button = kNoButton;  // a TabButton
    Rect box;
    bool enabled = false;
    bool hot = false;      // under the pointer (or held there)
    bool pressed = false;  // held down
};

// Everything one paint of the bar draws, from the layout just made. It is
// the bar's, read-only for the painter and good until the bar changes.
struct BarView {
    Rect window;  // the window's whole area, (0, 0, width, height)
    Rect bar;     // the strip
    std::int32_t borderStyle = 0;
    std::int16_t frameWidth = 0;
    std::int16_t tabHeight = 0;
    bool visible = false;
    bool top = true;  // the strip along the top edge
    const FontSpec* font = nullptr;
    const FontSpec* selFont = nullptr;
    const FontSpec* closeGlyphFont = nullptr;
    const FontSpec* scrollGlyphFont = nullptr;
    std::uint32_t fontColor = 0, selFontColor = 0;  // OLE colours
    std::int16_t selectedIndex = -1;
    // Changes whenever the icon list does: pictures drawn before may now
    // stand behind other numbers.
    std::int32_t iconGeneration = 0;
    std::vector<TabFace> tabs;        // left to right
    std::vector<ButtonFace> buttons;  // the shown ones, in drawing order
};

// The window the bar lives on: attaching, the frame, painting and geometry.
class IBarWindow {
public:
    // The window side of attaching and detaching (class style, extended
    // style, subclassing); the bar has recorded or still holds the handle.
    virtual void AttachWindow(WindowHandle hWnd) = 0;
    virtual void DetachWindow(WindowHandle hWnd) = 0;
    // Makes the window recompute and repaint its frame (SetWindowPos with
    // SWP_FRAMECHANGED), which paints the bar.
    virtual void FrameChanged(WindowHandle hWnd) = 0;
    // Draws the bar into the window at once.
    virtual void PaintBar(WindowHandle hWnd, const BarView& view) = 0;
    // The window's whole area in its own coordinates: (0, 0, width, height).
    virtual Rect WindowRect(WindowHandle hWnd) = 0;
    // A screen point in the window's client coordinates.
    virtual Point ScreenToClient(WindowHandle hWnd, Point p) = 0;

protected:
    ~IBarWindow() = default;
};

// The services a bar is made with. `owner` keeps whatever implements them
// alive for as long as the bar.
struct TabBarServices {
    ITextMeasure* text = nullptr;
    IColorSource* colors = nullptr;
    IPointerServices* pointer = nullptr;
    IBarWindow* window = nullptr;
    std::shared_ptr<void> owner;
};

}  // namespace brisko
