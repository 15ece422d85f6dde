#include "tabbar/mdi_tab.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "common/error.h"
#include "common/rounding.h"
#include "common/text.h"

namespace brisko {

namespace {
constexpr std::uint32_t kColorBtnText = 0x80000012;
constexpr std::uint32_t kColorWindow = 0x80000005;
}  // namespace

CMDITab::CMDITab(TabBarServices services)
    : m_pServices(std::move(services.owner)),
      m_Text(*services.text),
      m_Colors(*services.colors),
      m_Pointer(*services.pointer),
      m_Window(*services.window) {
    m_lFontColor = DefaultFontColor();
    m_lSelFontColor = DefaultSelFontColor();
    LoadSystemParameters();
}

CMDITab::~CMDITab() {
    // Nothing is reported while the bar goes away (a drag cancelled by the
    // capture release, say): the owner may be half gone itself.
    m_pEvents = nullptr;
    try {
        Detach();
    } catch (...) {
        // Tearing down never fails; the window side cleans up on its own.
    }
    // Drop the tabs (and the callers' objects they hold) before the
    // services, which those objects may still be using.
    m_Tabs.clear();
    m_colKeys.clear();
    ClearIcon();
}

TabItem& CMDITab::At(std::int16_t i) {
    if (i < 0 || i >= Count()) throw Error(ErrorNumber::SubscriptOutOfRange, "tab index out of range");
    return m_Tabs[static_cast<std::size_t>(i)];
}

const TabItem& CMDITab::At(std::int16_t i) const {
    if (i < 0 || i >= Count()) throw Error(ErrorNumber::SubscriptOutOfRange, "tab index out of range");
    return m_Tabs[static_cast<std::size_t>(i)];
}

void CMDITab::ReindexFrom(std::size_t first, std::size_t last) {
    for (std::size_t j = first; j <= last && j < m_Tabs.size(); ++j)
        m_colKeys[FoldCase(m_Tabs[j].sKey)] = static_cast<std::int16_t>(j);
}

// ---- Fonts and colours ----

void CMDITab::FontChanged() {
    UpdateTabHeight();
    Refresh();
}

void CMDITab::UpdateTabHeight() {
    const std::int32_t hS = m_Text.MeasureText(m_SelFont, L"").cy + 8;
    const std::int32_t hN = m_Text.MeasureText(m_Font, L"").cy + 8;
    m_iTabHeight = Wrap16(std::max({hN, hS, 26}));
}

// The normal and the selected font have the same setters; each change
// re-measures the tab height and repaints.
#define BRISKO_FONT_SETTERS(Prefix, Field)                   \
    void CMDITab::Set##Prefix(const FontSpec& f) {           \
        Field = f;                                           \
        FontChanged();                                       \
    }                                                        \
    void CMDITab::Set##Prefix##Name(const std::wstring& v) { \
        Field.name = v;                                      \
        FontChanged();                                       \
    }                                                        \
    void CMDITab::Set##Prefix##Size(float v) {               \
        Field.SetSize(v);                                    \
        FontChanged();                                       \
    }                                                        \
    void CMDITab::Set##Prefix##Bold(bool v) {                \
        Field.SetBold(v);                                    \
        FontChanged();                                       \
    }                                                        \
    void CMDITab::Set##Prefix##Italic(bool v) {              \
        Field.italic = v;                                    \
        FontChanged();                                       \
    }                                                        \
    void CMDITab::Set##Prefix##Strikethru(bool v) {          \
        Field.strikethrough = v;                             \
        FontChanged();                                       \
    }                                                        \
    void CMDITab::Set##Prefix##Underline(bool v) {           \
        Field.underline = v;                                 \
        FontChanged();                                       \
    }
BRISKO_FONT_SETTERS(Font, m_Font)
BRISKO_FONT_SETTERS(SelFont, m_SelFont)
#undef BRISKO_FONT_SETTERS

void CMDITab::SetFontColor(std::uint32_t v) {
    m_lFontColor = v;
    Refresh();
}
void CMDITab::SetSelFontColor(std::uint32_t v) {
    m_lSelFontColor = v;
    Refresh();
}

std::uint32_t CMDITab::TranslateColor(std::uint32_t c) {
    return m_Colors.TranslateColor(c).value_or(0xFFFFFFFFu);
}

std::uint32_t CMDITab::BlendColor(std::uint32_t a, std::uint32_t b, std::int32_t w) {
    return BlendRgb(TranslateColor(a), TranslateColor(b), w);
}

std::uint32_t BlendRgb(std::uint32_t ca, std::uint32_t cb, std::int32_t w) {
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double va = static_cast<double>((ca >> shift) & 0xFF);
        const double vb = static_cast<double>((cb >> shift) & 0xFF);
        const double mixed = RoundHalfEven(va * w / 255.0 + vb * (255 - w) / 255.0);
        out |= (static_cast<std::uint32_t>(std::clamp(mixed, 0.0, 255.0)) & 0xFF) << shift;
    }
    return out;
}

std::uint32_t CMDITab::DefaultFontColor() {
    return BlendColor(kColorBtnText, kColorWindow, 172);
}

std::uint32_t CMDITab::DefaultSelFontColor() {
    return TranslateColor(kColorBtnText) & 0x00FFFFFF;
}

// ---- Appearance ----

void CMDITab::SetBorderStyle(std::int32_t v) {
    if (v == m_lBorderStyle) return;
    m_lBorderStyle = v;
    if (v >= kBorderNone && v <= kBorderSunken) m_iFrameWidth = static_cast<std::int16_t>(v);
    Refresh();
}

#define BRISKO_SETTER(Name, Field, Type) \
    void CMDITab::Set##Name(Type v) {    \
        if (v == Field) return;          \
        Field = v;                       \
        Refresh();                       \
    }
BRISKO_SETTER(Align, m_lAlign, std::int32_t)
BRISKO_SETTER(OffsetY, m_iOffsetY, std::int16_t)
BRISKO_SETTER(TabHeight, m_iTabHeight, std::int16_t)
BRISKO_SETTER(TabWidth, m_iTabWidth, std::int16_t)
BRISKO_SETTER(LockUpdate, m_bLockUpdate, bool)
BRISKO_SETTER(Enable, m_bEnable, bool)
BRISKO_SETTER(Visible, m_bVisible, bool)
BRISKO_SETTER(Style, m_lStyle, std::int32_t)
BRISKO_SETTER(CloseButton, m_bCloseButton, bool)
BRISKO_SETTER(ScrollButton, m_bScrollButton, bool)
#undef BRISKO_SETTER

// ---- Tabs ----

bool CMDITab::HasKey(const std::wstring& sKey) const {
    return m_colKeys.count(FoldCase(sKey)) != 0;
}

std::int16_t CMDITab::Index(const std::wstring& sKey) const {
    auto it = m_colKeys.find(FoldCase(sKey));
    return it == m_colKeys.end() ? std::int16_t{-1} : it->second;
}

void CMDITab::SetTitle(std::int16_t i, const std::wstring& v) {
    TabItem& t = At(i);
    if (t.sTitle == v) return;
    t.sTitle = v;
    if (i == m_iSelectedIndex) EnsureVisible(i);
    Refresh();
}

void CMDITab::SetIcon(std::int16_t i, std::int16_t v) {
    TabItem& t = At(i);
    if (t.iIcon == v) return;
    t.iIcon = v;
    Refresh();
}

void CMDITab::SetSelectedIcon(std::int16_t i, std::int16_t v) {
    TabItem& t = At(i);
    if (t.iSelectedIcon == v) return;
    t.iSelectedIcon = v;
    Refresh();
}

void CMDITab::SetTabVisible(std::int16_t i, bool v) {
    TabItem& t = At(i);
    if (t.bVisible == v) return;
    t.bVisible = v;
    Refresh();
}

std::int16_t CMDITab::AddTab(std::int16_t iIndex, const std::wstring& sKey, const std::wstring& sTitle, bool bVisible,
                             std::int16_t iIcon, std::int16_t iSelectedIcon, std::int32_t lData,
                             std::shared_ptr<TabObject> pDataObject) {
    if (HasKey(sKey)) return -1;
    // Indices are 16-bit: a bar that already holds 32767 tabs takes no more.
    if (m_Tabs.size() >= 32767) throw Error(ErrorNumber::Overflow, "too many tabs");
    TabItem item{.sKey = sKey,
                 .sTitle = sTitle,
                 .iIcon = iIcon,
                 .iSelectedIcon = iSelectedIcon,
                 .lData = lData,
                 .pDataObject = std::move(pDataObject),
                 .bVisible = bVisible};
    std::size_t pos = m_Tabs.size();
    if (iIndex >= 0 && iIndex < Count()) pos = static_cast<std::size_t>(iIndex);
    m_Tabs.insert(m_Tabs.begin() + static_cast<std::ptrdiff_t>(pos), std::move(item));
    ReindexFrom(pos, m_Tabs.size() - 1);
    Refresh();
    return static_cast<std::int16_t>(pos);
}

void CMDITab::CloseTab(std::int16_t iIndex) {
    At(iIndex);  // a bad index fails before anything is asked
    bool bCancel = false;
    if (m_pEvents) m_pEvents->TabQueryClose(iIndex, bCancel, kCloseByProgram);
    if (bCancel) return;
    // A handler may have changed the table; the index must still name a tab.
    At(iIndex);
    RemoveTab(iIndex);
    if (m_pEvents) m_pEvents->TabClosed();
}

void CMDITab::RemoveTab(std::int16_t iIndex) {
    At(iIndex);
    const std::int16_t s = m_iSelectedIndex;
    const std::size_t pos = static_cast<std::size_t>(iIndex);
    // Take the caller's object out first and release it only once the table
    // is consistent again: its destructor may reach back into the bar.
    std::shared_ptr<TabObject> released = std::move(m_Tabs[pos].pDataObject);
    m_colKeys.erase(FoldCase(m_Tabs[pos].sKey));
    m_Tabs.erase(m_Tabs.begin() + static_cast<std::ptrdiff_t>(pos));
    ReindexFrom(pos, m_Tabs.size() == 0 ? 0 : m_Tabs.size() - 1);
    released.reset();

    const std::int16_t n = Count();
    if (n == 0) {
        SelectTab(-1, kChangeByRemove);
    } else if (iIndex == s) {
        switch (m_lActiveMode) {
            case kActivateNone:
                SelectTab(-1, kChangeByRemove);
                break;
            case kActivateLeft:
                if (s > 0) {
                    SelectTab(static_cast<std::int16_t>(s - 1), kChangeByRemove);
                } else if (m_pEvents) {
                    m_pEvents->TabChanged(0, -1, kChangeByRemove);
                }
                break;
            case kActivateRight:
                // The right neighbour moves into the removed tab's place;
                // only when the removed tab was the last one does the
                // selection go left.
                if (s >= n) {
                    SelectTab(static_cast<std::int16_t>(s - 1), kChangeByRemove);
                } else if (m_pEvents) {
                    m_pEvents->TabChanged(s, -1, kChangeByRemove);
                }
                break;
            default:
                break;
        }
    } else if (iIndex < s) {
        SelectTab(static_cast<std::int16_t>(s - 1), kChangeByRemove);
    }
    if (!m_bLockUpdate) PaintOwn(true);
}

void CMDITab::PaintOwn(bool bExact) {
    if (m_iBatch == 0) return PaintBar(m_hClientWnd, bExact);
    if (m_hClientWnd == 0) return;
    LayoutBar(m_hClientWnd);
    if (Count() > 0) ScrollCorrection(bExact);
    m_bPaintDue = true;
    m_bPaintExact = bExact;
}

void CMDITab::SelectTab(std::int16_t iIndex, std::int32_t eChangeMode) {
    if (iIndex == m_iSelectedIndex) return;
    // A selection that names no tab would leave the bar pointing nowhere.
    if (iIndex != -1) At(iIndex);
    const std::int16_t old = m_iSelectedIndex;
    m_iSelectedIndex = iIndex;
    if (iIndex != -1) EnsureVisible(iIndex);
    Refresh();
    if (m_pEvents) m_pEvents->TabChanged(iIndex, old, eChangeMode);
}

void CMDITab::MoveTab(std::int16_t iFrom, std::int16_t iTo) {
    At(iFrom);
    At(iTo);
    const std::size_t from = static_cast<std::size_t>(iFrom), to = static_cast<std::size_t>(iTo);
    if (from < to)
        std::rotate(m_Tabs.begin() + static_cast<std::ptrdiff_t>(from),
                    m_Tabs.begin() + static_cast<std::ptrdiff_t>(from) + 1,
                    m_Tabs.begin() + static_cast<std::ptrdiff_t>(to) + 1);
    else if (to < from)
        std::rotate(m_Tabs.begin() + static_cast<std::ptrdiff_t>(to),
                    m_Tabs.begin() + static_cast<std::ptrdiff_t>(from),
                    m_Tabs.begin() + static_cast<std::ptrdiff_t>(from) + 1);
    ReindexFrom(std::min(from, to), std::max(from, to));
    if (m_iSelectedIndex == iFrom)
        m_iSelectedIndex = iTo;
    else if (m_iSelectedIndex == iTo)
        m_iSelectedIndex = iFrom;
    Refresh();
    if (m_pEvents) {
        m_pEvents->TabExchange(iFrom, iTo);
        m_pEvents->TabChanged(iFrom, iTo, kChangeByDrag);
    }
}

// ---- Icons ----

std::int16_t CMDITab::AddIcon(std::shared_ptr<TabIcon> pIcon) {
    if (m_Icons.size() >= 32767) throw Error(ErrorNumber::Overflow, "too many icons");
    m_Icons.push_back(std::move(pIcon));
    ++m_lIconGeneration;
    return static_cast<std::int16_t>(m_Icons.size());
}

void CMDITab::ClearIcon() {
    m_Icons.clear();
    ++m_lIconGeneration;
}

const TabIcon* CMDITab::IconPicture(std::int16_t n) const {
    if (n < 1 || n > IconCount()) return nullptr;
    return m_Icons[static_cast<std::size_t>(n - 1)].get();
}

// ---- Window side ----

void CMDITab::LoadSystemParameters() {
    m_Pointer.ReadSystemParameters(m_lDragCX, m_lDragCY, m_lWheelLines);
}

void CMDITab::Attach(WindowHandle hWndClient) {
    if (hWndClient == 0) return;
    Detach();
    m_hClientWnd = hWndClient;
    m_Window.AttachWindow(hWndClient);
    ForceRefresh();
}

void CMDITab::Detach() {
    if (m_hClientWnd == 0) return;
    const WindowHandle h = m_hClientWnd;
    TrackLeave(false);
    m_Pointer.ReleaseCapture();
    // A held scroll button has nothing left to scroll.
    m_Pointer.StopTimer();
    m_Window.DetachWindow(h);
    m_Window.FrameChanged(h);
    m_hClientWnd = 0;
}

void CMDITab::ClientDestroyed() {
    // Nothing more is asked of the handle, which may soon name another
    // window: no capture to release, no frame to recompute.
    const WindowHandle h = std::exchange(m_hClientWnd, 0);
    m_Pointer.StopTimer();
    m_Window.DetachWindow(h);
}

void CMDITab::Refresh() {
    if (!m_bLockUpdate) ForceRefresh();
}

void CMDITab::ForceRefresh() {
    if (m_hClientWnd == 0) return;
    // Clamp against the tabs as they are now: a tab just added still has an
    // empty rectangle, which would read as a row that fits and throw the
    // scrolled row back to its start.
    LayoutBar(m_hClientWnd);
    ClampScroll();
    if (m_iBatch > 0) {
        // The paint that the frame change would bring corrects the scroll
        // offset; the state must not wait for the picture.
        if (!m_bLockUpdate && Count() > 0) ScrollCorrection(false);
        m_bFrameDue = true;
        return;
    }
    m_Window.FrameChanged(m_hClientWnd);
}

void CMDITab::EndBatch() {
    if (m_iBatch == 0 || --m_iBatch > 0) return;
    const bool frame = std::exchange(m_bFrameDue, false);
    const bool paint = std::exchange(m_bPaintDue, false);
    if (m_hClientWnd == 0) return;
    // A frame change repaints the whole bar through the window's own frame
    // painting; a paint alone is drawn directly, as it was asked.
    if (frame)
        m_Window.FrameChanged(m_hClientWnd);
    else if (paint && !m_bLockUpdate)
        PaintBar(m_hClientWnd, m_bPaintExact);
}

}  // namespace brisko
