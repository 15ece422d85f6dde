#include "tabbar/tab_tip.h"

#include <algorithm>

#include "resources/texts.h"

namespace brisko {

TabTip TipAt(const CMDITab& bar, std::int32_t x, std::int32_t y) {
    TabTip tip;
    // A press or a drag owns the pointer; a tip would only get in the way.
    if (bar.PressedButton() != kNoButton || bar.DragState() != kDragIdle) return tip;
    const Rect& b = bar.BarRect();
    if (const std::int32_t n = bar.HitTestButton(x, y); n != kNoButton) {
        tip.button = n;
        tip.rc = bar.ButtonBox(n);
        return tip;
    }
    const std::int16_t i = bar.HitTestTab(x, y);
    if (i == -1) return tip;
    const TabItem& t = bar.Tabs()[static_cast<std::size_t>(i)];
    tip.sKey = t.sKey;
    // The visible part of the tab; the hit test counts its right edge in.
    tip.rc = Rect{std::max(t.rcTab.left - bar.ScrollPos(), b.left), b.top,
                  std::min(t.rcTab.right - bar.ScrollPos() + 1, bar.ButtonsRect().left), b.bottom};
    return tip;
}

std::wstring TipText(const CMDITab& bar, const TabTip& tip) {
    const std::int16_t i = tip.sKey.empty() ? -1 : bar.Index(tip.sKey);
    if (i == -1) return {};
    std::wstring text;
    if (bar.Events()) bar.Events()->TabToolTip(i, text);
    return text.empty() ? bar.Title(i) : text;
}

unsigned ButtonTipTextId(std::int32_t button) {
    switch (button) {
        case kScrollLeftButton:
            return BRISKO_IDS_TIP_SCROLL_LEFT;
        case kScrollRightButton:
            return BRISKO_IDS_TIP_SCROLL_RIGHT;
        case kCloseButton:
            return BRISKO_IDS_TIP_CLOSE;
        default:
            return 0;
    }
}

std::vector<TabListEntry> TabList(const CMDITab& bar, std::int32_t perColumn) {
    perColumn = std::max<std::int32_t>(perColumn, 1);
    std::vector<TabListEntry> list;
    const auto& tabs = bar.Tabs();
    for (std::size_t j = 0; j < tabs.size(); ++j) {
        const TabItem& t = tabs[j];
        // A hidden tab has no place in the row to jump to.
        if (!t.bVisible) continue;
        TabListEntry e;
        e.sKey = t.sKey;
        // "&" would underline the next letter and a tab character would
        // split the text into an accelerator column.
        for (wchar_t c : t.sTitle) {
            if (c == L'&') e.sLabel += L'&';
            e.sLabel += c == L'\t' ? L' ' : c;
        }
        e.bChecked = static_cast<std::int16_t>(j) == bar.SelectedIndex();
        e.iIcon = e.bChecked && t.iSelectedIcon > 0 ? t.iSelectedIcon : t.iIcon;
        e.bBreak = !list.empty() && list.size() % static_cast<std::size_t>(perColumn) == 0;
        list.push_back(std::move(e));
    }
    return list;
}

}  // namespace brisko
