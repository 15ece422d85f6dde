// The settings dialog's live handlers: each click goes to the bar at once, so
// the bar is the preview; OK and Cancel end the modal loop.
#include <string>

#include "common/rounding.h"
#include "common/win/gdi.h"
#include "common/win/ui_text.h"
#include "settings/dialog/win/config_dialog.h"
#include "settings/win/pickers.h"
#include "spinedit/spin_number.h"
#include "spinedit/win/spin_edit.h"
#include "tabbar/mdi_tab.h"

namespace brisko {

COLORREF frmConfig::PickerRgb(std::uint32_t oleColor) {
    // A value the OLE rules reject keeps its low 24 bits, as it always has.
    return OleColorToRgb(oleColor, oleColor & 0x00FFFFFF);
}

void frmConfig::OnCommand(int id) {
    using namespace config;
    switch (id) {
        case kOptAlign0:
        case kOptAlign1:
        case kOptStyle0:
        case kOptStyle1:
        case kOptIcon0:
        case kOptIcon0 + 1:
        case kOptIcon0 + 2:
        case kOptIcon0 + 3:
            // An option reports a click when it becomes (or stays) the chosen one.
            if (Checked(id)) {
                FollowTabStop(id);
                OnOption(id);
            }
            break;
        case kChkClose:
        case kChkScroll:
        case kChkFit:
        case kChkDrag:
        case kChkWheel:
            OnCheck(id);
            break;
        case kBtnNormalFont:
        case kBtnActiveFont:
            OnFontButton(id == kBtnActiveFont ? TabKind::Active : TabKind::Normal);
            break;
        case kBtnNormalColor:
        case kBtnActiveColor:
            OnColorButton(id == kBtnActiveColor ? TabKind::Active : TabKind::Normal);
            break;
        case kBtnReset:
            OnReset();
            break;
        case kBtnOK:
            OnOK();
            break;
        case kBtnCancel:
            OnCancel();
            break;
        default:
            break;
    }
}

void frmConfig::OnOption(int id) {
    if (!m_pTab) return;
    using namespace config;
    if (id == kOptAlign0 || id == kOptAlign1) {
        m_pTab->SetAlign(id == kOptAlign0 ? kAlignTop : kAlignBottom);
    } else if (id == kOptStyle0 || id == kOptStyle1) {
        const std::int32_t style = StyleFromOption(id - kOptStyle0);
        m_pTab->SetStyle(style);
        m_txtWidth->SetEnabled(style == kWidthFixed);
    } else if (id >= kOptIcon0 && id < kOptIcon0 + kIconStyleCount) {
        RaiseIconChange(IconStyleFromOption(id - kOptIcon0));
    }
}

void frmConfig::OnCheck(int id) {
    if (!m_pTab) return;
    const bool on = Checked(id);
    switch (id) {
        case config::kChkClose:
            m_pTab->SetCloseButton(!on);
            break;
        case config::kChkScroll:
            m_pTab->SetScrollButton(!on);
            break;
        case config::kChkFit:
            m_pTab->SetScrollFit(on);
            break;
        case config::kChkDrag:
            m_pTab->SetAutoDrag(!on);
            break;
        default:
            // The wheel switch belongs to the host and is read on OK.
            break;
    }
}

void frmConfig::WidthSink::Change() {
    m_form.OnWidthChange();
}

void frmConfig::OnWidthChange() {
    if (!m_pTab || !m_txtWidth) return;
    // Only a valid entry reaches the bar; 2 and 20 on the way to 200 do not.
    if (m_txtWidth->ErrCheck() != 0) return;
    if (auto width = ToInt16(m_txtWidth->Value())) m_pTab->SetTabWidth(*width);
}

void frmConfig::SetBarFont(TabKind which, const FontSpec& font, std::uint32_t color) {
    if (which == TabKind::Active) {
        m_pTab->SetSelFont(font);
    } else {
        m_pTab->SetFont(font);
    }
    SetBarColor(which, color);
}

void frmConfig::SetBarColor(TabKind which, std::uint32_t color) {
    if (which == TabKind::Active) {
        m_pTab->SetSelFontColor(color);
    } else {
        m_pTab->SetFontColor(color);
    }
}

void frmConfig::OnFontButton(TabKind which) {
    if (!m_pTab) return;
    FontSpec font = which == TabKind::Active ? m_pTab->SelFont() : m_pTab->Font();
    std::uint32_t color = PickerRgb(which == TabKind::Active ? m_pTab->SelFontColor() : m_pTab->FontColor());
    if (!EditFont(font, color, m_hWnd.Get(), config::kFontDialogFlags, config::kFontSizeMin, config::kFontSizeMax))
        return;
    if (!m_pTab) return;
    SetBarFont(which, font, color);
    SetPreview(which, font, color);
}

void frmConfig::OnColorButton(TabKind which) {
    if (!m_pTab) return;
    std::uint32_t color = PickerRgb(which == TabKind::Active ? m_pTab->SelFontColor() : m_pTab->FontColor());
    if (!ShowColorDialog(color, m_hWnd.Get())) return;
    if (!m_pTab) return;
    SetBarColor(which, color);
    SetPreviewColor(which, color);
}

void frmConfig::OnReset() {
    if (!m_pTab) return;
    using namespace config;
    ClickOption(kOptAlign0);
    ClickOption(kOptStyle0);
    m_txtWidth->SetText(std::to_wstring(config::Values{}.tabWidth));
    for (TabKind which : {TabKind::Normal, TabKind::Active}) {
        // The label's font keeps its character set; everything else goes back.
        FontSpec font = Preview(which).font;
        font.name = L"MS UI Gothic";
        font.SetSize(9);
        font.SetBold(false);
        font.italic = font.strikethrough = font.underline = false;
        const std::uint32_t color =
            which == TabKind::Normal ? m_pTab->DefaultFontColor() : m_pTab->DefaultSelFontColor();
        SetPreview(which, font, color);
        SetBarFont(which, font, color);
    }
    ClickOption(kOptIcon0);
    for (int id : {kChkClose, kChkScroll, kChkFit, kChkDrag, kChkWheel}) {
        SetCheck(id, false);
        OnCheck(id);
    }
}

void frmConfig::ShowWidthMessage(std::int32_t code) {
    const std::wstring range[] = {spin::NumberText(m_txtWidth->Min()), spin::NumberText(m_txtWidth->Max())};
    const std::wstring text = FormatText(ResourceText(config::WidthMessageTextId(code)), range);
    MessageBoxW(m_hWnd.Get(), text.c_str(), ResourceText(config::kWidthMessageTitleTextId).c_str(), MB_OK);
    // Back to the field, its whole entry selected for typing over.
    const HWND edit = m_txtWidth->hWndText();
    SendMessageW(m_hWnd.Get(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
    SendMessageW(edit, EM_SETSEL, 0, -1);
}

void frmConfig::OnOK() {
    // A bad width is named in a message and keeps the dialog open.
    if (m_txtWidth) {
        if (const std::int32_t code = m_txtWidth->ErrCheck(); code != 0) {
            ShowWidthMessage(code);
            return;
        }
    }
    m_bConfirmed = true;
    m_bHidden = true;
}

void frmConfig::OnCancel() {
    if (m_pTab) {
        m_pTab->SetAlign(m_snapshot.align);
        m_pTab->SetStyle(m_snapshot.style);
        m_pTab->SetTabWidth(m_snapshot.tabWidth);
        m_pTab->SetCloseButton(m_snapshot.closeButton);
    }
    m_bConfirmed = false;
    m_bHidden = true;
}

void frmConfig::RaiseIconChange(std::int32_t style) {
    if (m_pEvents) m_pEvents->OnIconChange(style);
}

}  // namespace brisko
