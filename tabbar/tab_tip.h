#pragma once
// What the bar offers beyond its row of tabs: the tooltip under the pointer
// and the list of every tab for the context menu. Both are decided here, from
// the bar's state alone; the window side only shows them.
#include <cstdint>
#include <string>
#include <vector>

#include "tabbar/mdi_tab.h"

namespace brisko {

// The thing a tooltip would describe: a button or a tab (by key, so that a
// tab keeps its tip while others come and go), and the part of the bar it
// covers, in bar coordinates. Neither button nor key: no tip.
struct TabTip {
    std::int32_t button = kNoButton;
    std::wstring sKey;
    Rect rc;
    bool Empty() const { return button == kNoButton && sKey.empty(); }
    friend bool operator==(const TabTip&, const TabTip&) = default;
};

// The tip at a bar point. There is none while a button is held, while a drag
// is armed or under way, and where nothing of the bar is hit.
TabTip TipAt(const CMDITab& bar, std::int32_t x, std::int32_t y);
// A tab's tip text: its full text as the event sink gives it (TabToolTip),
// the tab's title when the sink gives none; empty for a button or a tab that
// has gone.
std::wstring TipText(const CMDITab& bar, const TabTip& tip);
// A button names itself with a text of the add-in's resources: its id
// (resources/texts.h), 0 for no button.
unsigned ButtonTipTextId(std::int32_t button);

// One entry of the list of windows: every shown tab in bar order.
struct TabListEntry {
    std::wstring sKey;
    std::wstring sLabel;  // the title, safe as a menu text
    std::int16_t iIcon = 0;
    bool bChecked = false;  // the selected tab
    bool bBreak = false;    // starts a new column
};
// perColumn: how many entries fit one column of the screen (at least 1).
std::vector<TabListEntry> TabList(const CMDITab& bar, std::int32_t perColumn);

}  // namespace brisko
