// Layout and scrolling of the bar: where the strip, the tabs and the buttons
// are, and how far the tab row is slid to the left.
#include <algorithm>

#include "common/rounding.h"
#include "tabbar/mdi_tab.h"

namespace brisko {

Rect CMDITab::LayoutBar(WindowHandle hWnd) {
    const Rect w = m_Window.WindowRect(hWnd);
    m_rcWindow = w;
    const std::int32_t h = m_iTabHeight, y = m_iOffsetY;
    Rect bar;
    if (m_lBorderStyle != kBorderNone) {
        bar.left = w.left + 1;
        bar.right = w.right - 1;
        if (m_lAlign == kAlignTop) {
            bar.top = w.top + y + 1;
            bar.bottom = bar.top + h;
        } else {
            bar.bottom = w.bottom - (y + 1);
            bar.top = bar.bottom - h;
        }
    } else {
        bar.left = w.left;
        bar.right = w.right;
        if (m_lAlign == kAlignTop) {
            bar.top = w.top + y;
            bar.bottom = bar.top + h;
        } else {
            bar.bottom = w.bottom - y;
            bar.top = bar.bottom - h;
        }
    }
    m_rcBar = bar;
    if (!m_bVisible) return w;

    bool seenVisible = false;
    for (std::size_t j = 0; j < m_Tabs.size(); ++j) {
        TabItem& t = m_Tabs[j];
        const std::int32_t prevRight = j == 0 ? 2 : m_Tabs[j - 1].rcTab.right;
        if (!t.bVisible) {
            t.rcTab.right = prevRight;
            continue;
        }
        t.rcTab.left = seenVisible ? prevRight : bar.left + 2;
        seenVisible = true;
        if (m_lAlign == kAlignTop) {
            t.rcTab.top = bar.top + 2;
            t.rcTab.bottom = bar.bottom;
        } else {
            t.rcTab.top = bar.top;
            t.rcTab.bottom = bar.bottom - 2;
        }
        // Fixed-width layout for every style but the fitted one: a style value
        // the bar does not know must still give each tab a place after the one before.
        if (m_lStyle == kWidthFit) {
            const FontSpec& font = static_cast<std::int16_t>(j) == m_iSelectedIndex ? m_SelFont : m_Font;
            const bool icon = t.iIcon != 0 || t.iSelectedIcon != 0;
            t.rcTab.right = t.rcTab.left + FitWidth(m_Text.MeasureText(font, t.sTitle).cx, icon);
        } else {
            t.rcTab.right = t.rcTab.left + m_iTabWidth;
        }
    }

    const std::int32_t buttons = (m_bCloseButton ? 1 : 0) + (m_bScrollButton ? 2 : 0);
    m_rcButtons =
        Rect{bar.right - kButtonPitch * buttons - kButtonAreaSlack, bar.top + 1, bar.right - 1, bar.bottom - 1};
    return w;
}

std::int32_t CMDITab::FitWidth(std::int32_t titleWidth, bool hasIcon) {
    // A title of 16 pixels or less still gets the width of a 16-pixel one,
    // so that no tab ends before it starts.
    const std::int32_t parts = 2 * kTabInset + kFitSlack + (hasIcon ? kIconSize + kIconGap : 0);
    return std::max(titleWidth, kMinTitleWidth) + parts;
}

void CMDITab::ShownTabs(std::vector<TabFace>& faces) const {
    faces.clear();
    if (!m_bVisible) return;
    const std::int32_t pos = m_iScrollPos;
    const std::int32_t rowEnd = m_rcButtons.left;
    for (std::size_t j = 0; j < m_Tabs.size(); ++j) {
        const TabItem& t = m_Tabs[j];
        if (!t.bVisible) continue;
        TabFace f;
        f.index = static_cast<std::int16_t>(j);
        f.selected = f.index == m_iSelectedIndex;
        f.text = &t.sTitle;
        f.tab = Rect{t.rcTab.left - pos, t.rcTab.top, t.rcTab.right - pos, t.rcTab.bottom};
        if (f.tab.left > rowEnd) break;
        f.tab.right = std::min(f.tab.right, rowEnd);
        // Scrolled out at the left: nothing of it is in the bar.
        if (f.tab.right <= m_rcBar.left) continue;
        const Rect& r = f.tab;
        // The selected tab shows its selected icon when it has one.
        const std::int16_t n = f.selected && t.iSelectedIcon > 0 ? t.iSelectedIcon : t.iIcon;
        const TabIcon* picture = r.Width() - kTabInset > kIconSize ? IconPicture(n) : nullptr;
        if (picture) {
            const auto top = static_cast<std::int32_t>(RoundHalfEven(r.top + r.Height() / 2.0 - kIconSize / 2.0));
            f.iconNumber = n;
            f.picture = picture;
            f.icon = Rect{r.left + kTabInset, top, r.left + kTabInset + kIconSize, top + kIconSize};
        }
        // The title keeps clear of the icon's place whenever the tab shows
        // an icon number, drawn or not.
        const bool iconRoom = t.iIcon != 0 || (f.selected && t.iSelectedIcon > 0);
        f.title = Rect{r.left + kTabInset + (iconRoom ? kIconSize + kIconGap : 0), r.top + kTitleTop,
                       r.right - kTabInset, r.bottom};
        faces.push_back(f);
    }
}

Rect CMDITab::ButtonBox(std::int32_t button) const {
    const Rect& area = m_rcButtons;
    const std::int32_t size = kButtonSize;
    const auto top = static_cast<std::int32_t>(RoundHalfEven(area.top + area.Height() / 2.0 - size / 2.0));
    const std::int32_t scrollLeft = area.left + kScrollLeftInset, scrollRight = scrollLeft + size + kScrollGap;
    const std::int32_t closeRight = area.right - kCloseInset;
    switch (button) {
        case kScrollLeftButton:
            return Rect{scrollLeft, top, scrollLeft + size, top + size};
        case kScrollRightButton:
            return Rect{scrollRight, top, scrollRight + size, top + size};
        case kCloseButton:
            return Rect{closeRight - kCloseWidth, top, closeRight, top + size};
        default:
            return Rect{};
    }
}

bool CMDITab::CanScrollLeft() const {
    return Count() > 0 && m_bEnable && m_iScrollPos >= 1;
}

bool CMDITab::CanScrollRight() const {
    if (Count() <= 0 || !m_bEnable) return false;
    for (auto it = m_Tabs.rbegin(); it != m_Tabs.rend(); ++it)
        if (it->bVisible) return it->rcTab.right - m_iScrollPos > m_rcButtons.left;
    return false;
}

bool CMDITab::HasVisibleTab() const {
    return Count() >= 1 && m_bEnable &&
           std::any_of(m_Tabs.begin(), m_Tabs.end(), [](const TabItem& t) { return t.bVisible; });
}

bool CMDITab::ButtonEnabled(std::int32_t button) const {
    switch (button) {
        case kScrollLeftButton:
            return CanScrollLeft();
        case kScrollRightButton:
            return CanScrollRight();
        case kCloseButton:
            return HasVisibleTab();
        default:
            return false;
    }
}

void CMDITab::ScrollLeft(std::int32_t lAdd) {
    const std::int32_t step = m_bScrollFit ? FitScrollStep(false) : lAdd + 10;
    m_iScrollPos = Wrap16(m_iScrollPos - step);
    if (m_iScrollPos < 0) m_iScrollPos = 0;
}

void CMDITab::ScrollRight(std::int32_t lAdd) {
    const std::int32_t step = m_bScrollFit ? FitScrollStep(true) : lAdd + 10;
    m_iScrollPos = Wrap16(m_iScrollPos + step);
    ClampScroll();
    if (m_iScrollPos < 0) m_iScrollPos = 0;
}

std::int32_t CMDITab::FitScrollStep(bool right) const {
    const std::int32_t pos = m_iScrollPos;
    // The row's left end, in the unscrolled coordinates of the tabs.
    const std::int32_t rowStart = m_rcBar.left + pos + 2;
    std::ptrdiff_t edge = -1;  // the first visible tab reaching the row's left end
    for (std::size_t j = 0; j < m_Tabs.size(); ++j) {
        if (m_Tabs[j].bVisible && m_Tabs[j].rcTab.right - pos >= m_rcBar.left + 2) {
            edge = static_cast<std::ptrdiff_t>(j);
            break;
        }
    }
    // No tab reaches the row's left end (all hidden, say): stay put.
    if (edge < 0) return 0;
    const Rect& edgeTab = m_Tabs[static_cast<std::size_t>(edge)].rcTab;
    if (!right) {
        if (edge == 0) return pos;
        if (edgeTab.left == rowStart) {
            for (std::ptrdiff_t j = edge - 1; j >= 0; --j)
                if (m_Tabs[static_cast<std::size_t>(j)].bVisible)
                    return rowStart - m_Tabs[static_cast<std::size_t>(j)].rcTab.left;
            return pos;
        }
        return rowStart - edgeTab.left;
    }
    if (edge == static_cast<std::ptrdiff_t>(m_Tabs.size()) - 1) return edgeTab.left - rowStart;
    if (edgeTab.right != rowStart) return edgeTab.right - rowStart;
    for (std::size_t j = static_cast<std::size_t>(edge) + 1; j < m_Tabs.size(); ++j)
        if (m_Tabs[j].bVisible) return m_Tabs[j].rcTab.right - rowStart;
    return 0;
}

void CMDITab::EnsureVisible(std::int16_t iIndex) {
    if (m_hClientWnd == 0) return;
    LayoutBar(m_hClientWnd);
    const Rect& t = At(iIndex).rcTab;
    if (t.left - m_iScrollPos < m_rcBar.left)
        m_iScrollPos = Wrap16(t.left - 3);
    else if (t.right - m_iScrollPos > m_rcButtons.left)
        m_iScrollPos = Wrap16(t.right - m_rcButtons.left);
}

void CMDITab::ScrollCorrection(bool bExact) {
    if (m_Tabs.empty()) return;
    const std::int32_t d = m_Tabs.back().rcTab.right - m_rcButtons.left;
    if (d >= m_iScrollPos) return;
    if (d < 0)
        m_iScrollPos = 0;
    else if (bExact)
        m_iScrollPos = Wrap16(d);
    else
        ClampScroll();
}

// The row may not slide further left than its content needs. The limit is
// the visible row's right end, m_rcButtons.left: while the tabs overflow, the
// last tab may end no further left than the button area (exactly where
// EnsureVisible and the exact correction put it), and once everything fits
// the offset returns to 0. Comparing against the button area's width instead
// (about 67 pixels) would let a row that fits stay scrolled, and would let an
// overflowing row slide until only a sliver of its last tab showed.
void CMDITab::ClampScroll() {
    if (m_Tabs.empty()) return;
    const std::int32_t last = m_Tabs.back().rcTab.right;
    const std::int32_t limit = m_rcButtons.left;
    if (last > limit) {
        if (last - m_iScrollPos < limit) m_iScrollPos = Wrap16(last - limit);
    } else if (m_iScrollPos >= 1) {
        m_iScrollPos = 0;
    }
}

std::int32_t CMDITab::AutoRepeatInterval() const {
    if (!m_bScrollFit) return m_iScrollSpeed;
    return static_cast<std::int32_t>(RoundHalfEven(1000.0 / m_iScrollSpeed));
}

void CMDITab::iTimer_Proc(std::int32_t /*lElapsedMS*/, std::int32_t /*lTimerID*/) {
    if (m_lPressedButton == kNoButton || m_lPressedButton != m_lHotButton) return;
    if (m_lPressedButton == kScrollLeftButton && CanScrollLeft()) {
        ScrollLeft(0);
        Refresh();
    } else if (m_lPressedButton == kScrollRightButton && CanScrollRight()) {
        ScrollRight(0);
        Refresh();
    }
}

void CMDITab::WheelOverBar(bool towardsUser) {
    if (towardsUser) {
        if (CanScrollRight()) {
            ScrollRight(10);
            Refresh();
        }
    } else if (CanScrollLeft()) {
        ScrollLeft(10);
        Refresh();
    }
}

std::int16_t CMDITab::StripHeight() const {
    return Wrap16(m_iTabHeight + m_iOffsetY + 1);
}

Rect CMDITab::ClientRectFor(std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy) const {
    const std::int32_t f = m_iFrameWidth;
    Rect r{x + f, y + f, x + cx - f, y + cy - f};
    if (m_bVisible) {
        if (m_lAlign == kAlignTop)
            r.top += StripHeight();
        else
            r.bottom -= StripHeight();
    }
    return r;
}

void CMDITab::PaintBar(WindowHandle hWnd, bool bExact) {
    if (m_hClientWnd == 0) return;
    LayoutBar(hWnd);
    if (Count() > 0) ScrollCorrection(bExact);
    m_Window.PaintBar(hWnd, MakeView());
}

const BarView& CMDITab::MakeView() {
    BarView& v = m_View;
    v.window = m_rcWindow;
    v.bar = m_rcBar;
    v.borderStyle = m_lBorderStyle;
    v.frameWidth = m_iFrameWidth;
    v.tabHeight = m_iTabHeight;
    v.visible = m_bVisible;
    v.top = m_lAlign == kAlignTop;
    v.font = &m_Font;
    v.selFont = &m_SelFont;
    v.closeGlyphFont = &m_CloseFont;
    v.scrollGlyphFont = &m_ScrollFont;
    v.fontColor = m_lFontColor;
    v.selFontColor = m_lSelFontColor;
    v.selectedIndex = m_iSelectedIndex;
    v.iconGeneration = m_lIconGeneration;
    ShownTabs(v.tabs);
    v.buttons.clear();
    const auto add = [&](std::int32_t button) {
        const bool enabled = ButtonEnabled(button);
        v.buttons.push_back(ButtonFace{button, ButtonBox(button), enabled, enabled && m_lHotButton == button,
                                       m_lPressedButton == button});
    };
    if (m_bScrollButton) {
        add(kScrollLeftButton);
        add(kScrollRightButton);
    }
    if (m_bCloseButton) add(kCloseButton);
    return v;
}

}  // namespace brisko
