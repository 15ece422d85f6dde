#pragma once
// frmConfig, the settings dialog. It edits the live tab bar: every click is
// applied to the bar at once, so the bar is the preview; Cancel (or the close
// box) puts back what the bar had when the dialog opened, OK keeps it and
// hands the icon style and the wheel switch back to the host.
//
// Use: make one object per use on the UI thread, call ShowConfigWnd once and
// let the object go. ShowConfigWnd creates the window (a modeless dialog from
// an empty in-memory template, filled with CreateWindowEx controls), disables
// the owner, runs its own modal loop with IsDialogMessage and destroys the
// window before it returns.
#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "common/font.h"
#include "common/win/gdi.h"
#include "common/win/handles.h"
#include "settings/dialog/config_form.h"
#include "spinedit/spin_edit_core.h"

namespace brisko {

class CMDITab;
class SpinEdit;

// The dialog's event. The host re-derives the tab icons for the style.
class IConfigEvents {
public:
    virtual ~IConfigEvents() = default;
    virtual void OnIconChange(std::int32_t eIconStyle) = 0;
};

class frmConfig {
public:
    // hWndOwner: the window the dialog is modal to (the IDE's main window);
    // may be null. pEvents is not owned and may be null.
    explicit frmConfig(HWND hWndOwner, IConfigEvents* pEvents = nullptr);
    ~frmConfig();
    frmConfig(const frmConfig&) = delete;
    frmConfig& operator=(const frmConfig&) = delete;

    // Shows the dialog modally on pTab. True when confirmed with OK; then
    // eIconStyle and bMouseWheel hold the dialog's values. False leaves them
    // and restores the bar. Throws Error when the window cannot be made or
    // the dialog is already showing. What OnIconChange throws during a click
    // is dropped (with a beep); on the restoring call after a cancel it is
    // rethrown once the whole bar has been restored.
    bool ShowConfigWnd(CMDITab& pTab, std::int32_t& eIconStyle, bool& bMouseWheel);

    // The dialog window while ShowConfigWnd runs, else null.
    HWND hWnd() const { return m_hWnd.Get(); }
    // The width field while the window exists.
    SpinEdit* WidthField() const { return m_txtWidth; }

    // The caption the window gets: the product name and the version of the
    // module holding this code, or of this build when that has no version.
    static std::wstring LoadedCaption();

private:
    class WidthSink : public SpinEditEvents {
    public:
        explicit WidthSink(frmConfig& form) : m_form(form) {}
        void Change() override;

    private:
        frmConfig& m_form;
    };

    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
    INT_PTR Handle(UINT msg, WPARAM wp, LPARAM lp);

    void Load();
    void CreateControls();
    void RunModal();
    void FillControls(const config::Values& v);
    void OnCommand(int id);
    void OnOption(int id);
    void OnCheck(int id);
    void OnWidthChange();
    // The two preview labels and the buttons beside them.
    enum class TabKind { Normal, Active };
    // The bar's font and colour, or colour alone, for one kind of tab.
    void SetBarFont(TabKind which, const FontSpec& font, std::uint32_t color);
    void SetBarColor(TabKind which, std::uint32_t color);
    void OnFontButton(TabKind which);
    void OnColorButton(TabKind which);
    void OnReset();
    // The width field's message for a failed check, in the dialog's language.
    void ShowWidthMessage(std::int32_t code);
    void OnOK();
    void OnCancel();
    void RaiseIconChange(std::int32_t style);
    // The pickers and the preview speak RGB; the bar may hold a system colour.
    static COLORREF PickerRgb(std::uint32_t oleColor);

    HWND Item(int id) const { return GetDlgItem(m_hWnd.Get(), id); }
    bool Checked(int id) const;
    // Checks one option of a group (unchecking the others) without running a handler.
    void SelectOption(int id);
    // Selects, then runs the click handler as a user's click would.
    void ClickOption(int id);
    void SetCheck(int id, bool on);
    // Gives the tab stop of an option group to its chosen option.
    void FollowTabStop(int id);

    struct PreviewLabel {
        FontSpec font;
        std::uint32_t color = 0;  // OLE colour
        UniqueFont hFont;
    };
    PreviewLabel& Preview(TabKind which) { return m_preview[static_cast<std::size_t>(which)]; }
    static int PreviewLabelId(TabKind which) {
        return which == TabKind::Normal ? config::kLblNormal : config::kLblActive;
    }
    void SetPreview(TabKind which, const FontSpec& font, std::uint32_t color);
    void SetPreviewColor(TabKind which, std::uint32_t color);
    void CentrePreview(TabKind which);

    HWND m_hWndOwner;
    IConfigEvents* m_pEvents;
    UniqueWindow m_hWnd;
    UniqueFont m_hDialogFont;
    UniqueFont m_hColorButtonFont;
    SpinEdit* m_txtWidth = nullptr;  // owned by its window
    WidthSink m_widthSink{*this};
    std::array<PreviewLabel, 2> m_preview;

    Language m_eLanguage = Language::Japanese;  // of the texts and the form, from loading on
    CMDITab* m_pTab = nullptr;                  // set only while the dialog is live
    config::Values m_snapshot;
    bool m_bConfirmed = false;
    bool m_bHidden = false;
    bool m_bOwnsSpinClass = false;
};

}  // namespace brisko
