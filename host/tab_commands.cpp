#include "host/tab_commands.h"

#include <algorithm>

namespace brisko {

std::wstring WindowKey(WindowHandle hWnd) {
    return L"#" + std::to_wstring(static_cast<long long>(hWnd));
}

std::optional<std::size_t> WindowListEntry(std::int32_t answer, std::size_t entries) {
    if (answer < kWindowListBase) return std::nullopt;
    const auto k = static_cast<std::size_t>(answer - kWindowListBase);
    return k < entries ? std::optional<std::size_t>(k) : std::nullopt;
}

MenuEnabling EnablingFor(std::int16_t count, std::int16_t index) {
    const bool onTab = index >= 0;
    const bool sides = count >= 2 && index != -1;
    return {count >= 1 && onTab, count >= 1, sides && index >= 1, sides && index + 1 < count};
}

std::vector<std::int16_t> TabsToClose(MenuCommand command, std::int16_t count, std::int16_t index) {
    std::int16_t first = 0, last = -1;
    switch (command) {
        case MenuCommand::CloseAll:
            last = static_cast<std::int16_t>(count - 1);
            break;
        case MenuCommand::CloseLeft:
            last = static_cast<std::int16_t>(index - 1);
            break;
        case MenuCommand::CloseRight:
            first = static_cast<std::int16_t>(index + 1);
            last = static_cast<std::int16_t>(count - 1);
            break;
        default:
            break;
    }
    std::vector<std::int16_t> out;
    for (std::int16_t k = last; k >= first && k >= 0; --k) out.push_back(k);
    return out;
}

std::int32_t EntriesPerColumn(std::int32_t workHeight, std::int32_t menuLineHeight, std::int32_t smallIconHeight) {
    // An entry is as high as a menu line or its small icon with a margin;
    // the menu's own frame takes a little of the height.
    const std::int32_t entry = std::max(menuLineHeight, smallIconHeight + 4) + 2;
    return std::max(1, (workHeight - 16) / entry);
}

std::optional<DragCursor> DragCursorChange(DragCursor shown, bool overTab) {
    const bool dropShown = shown == DragCursor::OverTab;
    if (!dropShown && overTab) return DragCursor::OverTab;
    if (dropShown && !overTab) return DragCursor::OffTabs;
    return std::nullopt;
}

WheelScroll PlanWheelScroll(bool ctrlDown, std::int32_t notches, std::int32_t linesPerNotch) {
    const bool up = notches > 0;
    const bool page = linesPerNotch == -1;
    if (ctrlDown) {
        const ScrollRequest r = page ? (up ? ScrollRequest::PageLeft : ScrollRequest::PageRight)
                                     : (up ? ScrollRequest::LineLeft : ScrollRequest::LineRight);
        return {false, r, 1};
    }
    if (page) return {true, up ? ScrollRequest::PageUp : ScrollRequest::PageDown, 1};
    const long long turns = notches < 0 ? -static_cast<long long>(notches) : notches;
    return {true, up ? ScrollRequest::LineUp : ScrollRequest::LineDown, turns * linesPerNotch};
}

WheelSteps SplitWheelLines(long long lines, long long linesPerPage) {
    if (lines <= 0) return {0, 0};
    const long long single = std::min(lines, kWheelLineSteps);
    if (linesPerPage <= 0) return {single, 0};
    return {single, std::min((lines - single) / linesPerPage, kWheelPostLimit - single)};
}

bool TakesWheel(bool vertical, const ScrollBarFacts& bar, long pointerY) {
    if (vertical) return bar.child && bar.visible && pointerY > bar.top && pointerY < bar.bottom;
    return bar.visible && !bar.clipSiblings && bar.bottom - bar.top > 16;
}

}  // namespace brisko
