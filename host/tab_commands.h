#pragma once
// What the add-in makes of the tab bar's notifications, decided apart from
// the window system: the tab menu's commands and their enabling, which tabs
// a command closes, the drag cursors and what the mouse wheel scrolls.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tabbar/mdi_tab.h"

namespace brisko {

// Key of the tab of a window: "#" and the handle as a signed decimal number.
std::wstring WindowKey(WindowHandle hWnd);

// The tab menu's commands, as TrackPopupMenu answers them.
enum class MenuCommand : std::int32_t {
    None = 0,
    Close = 1,
    CloseAll = 2,
    CloseLeft = 3,
    CloseRight = 4,
    Settings = 5
};
// The window list's entries answer kWindowListBase + their position; the
// list holds at most one entry per tab, so the ids stay below 65536.
inline constexpr std::int32_t kWindowListBase = 0x100;

// The list entry a menu answer chose, or none for another answer.
std::optional<std::size_t> WindowListEntry(std::int32_t answer, std::size_t entries);

struct MenuEnabling {
    bool close, closeAll, closeLeft, closeRight;
    friend bool operator==(const MenuEnabling&, const MenuEnabling&) = default;
};
// The menu opened on tab `index` (-1: the empty bar) of `count` tabs.
MenuEnabling EnablingFor(std::int16_t count, std::int16_t index);

// The tabs whose windows a closing command asks to close, in asking order
// (from the right, so that the indexes still to come stay valid).
std::vector<std::int16_t> TabsToClose(MenuCommand command, std::int16_t count, std::int16_t index);

// The tab selected in place of `index` when its maximised window closes.
constexpr std::int16_t NeighbourOnClose(std::int16_t index, std::int16_t count) {
    return static_cast<std::int16_t>(count == index + 1 ? index - 1 : index + 1);
}

// How many window list entries fit one column of a work area.
std::int32_t EntriesPerColumn(std::int32_t workHeight, std::int32_t menuLineHeight, std::int32_t smallIconHeight);

// The cursors shown on the bar while a tab is dragged
// (the add-in's cursor resources).
enum class DragCursor : int { System = 0, OverTab = 101, OffTabs = 102 };
// The cursor to show when the pointer moves over a tab or off the tabs, or
// none when the one shown is right already.
std::optional<DragCursor> DragCursorChange(DragCursor shown, bool overTab);

// What the mouse wheel asks of the selected code window.
enum class ScrollRequest { LineUp, LineDown, PageUp, PageDown, LineLeft, LineRight, PageLeft, PageRight };
struct WheelScroll {
    bool vertical;
    ScrollRequest request;
    long long count;  // how many times the request is posted
};
// `notches` positive away from the user; `linesPerNotch` -1 scrolls a page.
// With Ctrl held the wheel scrolls sideways, one step for the whole turn.
WheelScroll PlanWheelScroll(bool ctrlDown, std::int32_t notches, std::int32_t linesPerNotch);

// One wheel message neither blocks the IDE nor floods the window's queue,
// whatever the turn and the lines per notch: up to kWheelLineSteps lines go
// one by one, as the scroll bar's arrow sends them, and what is left as
// pages of the bar's own page size (none when the bar has no page), never
// more than kWheelPostLimit messages in all. The pause before each line
// stops once kWheelPauseBudgetMs have passed.
inline constexpr long long kWheelLineSteps = 100;
inline constexpr long long kWheelPostLimit = 500;
inline constexpr long long kWheelPauseBudgetMs = 20;
struct WheelSteps {
    long long lines, pages;
    friend bool operator==(const WheelSteps&, const WheelSteps&) = default;
};
WheelSteps SplitWheelLines(long long lines, long long linesPerPage);

// A scroll bar of the window, as the wheel sees it.
struct ScrollBarFacts {
    bool child, visible, clipSiblings;
    long top, bottom;  // screen coordinates
};
// Whether the wheel's scroll goes through this bar: the vertical one level
// with the pointer, the horizontal one that is shown and not a small grip.
bool TakesWheel(bool vertical, const ScrollBarFacts& bar, long pointerY);

}  // namespace brisko
