#include "settings/dialog/win/config_dialog.h"

#include <exception>
#include <vector>

#include "common/error.h"
#include "common/win/gdi.h"
#include "common/win/this_module.h"
#include "common/win/ui_text.h"
#include "spinedit/spin_properties.h"
#include "spinedit/win/spin_edit.h"
#include "tabbar/mdi_tab.h"

#ifndef BRISKO_VERSION_MAJOR
#define BRISKO_VERSION_MAJOR 0
#define BRISKO_VERSION_MINOR 0
#define BRISKO_VERSION_REVISION 0
#endif

namespace brisko {

namespace {

using config::Kind;


// An empty dialog template: the dialog manager supplies Enter/Esc, the
// default button and tab navigation; the controls are placed in pixels
// afterwards, so no dialog units are involved.
std::vector<WORD> DialogTemplate(const std::wstring& caption) {
    std::vector<WORD> t(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* dlg = reinterpret_cast<DLGTEMPLATE*>(t.data());
    dlg->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    dlg->dwExtendedStyle = WS_EX_DLGMODALFRAME;
    dlg->cdit = 0;
    t.push_back(0);  // no menu
    t.push_back(0);  // the dialog class
    for (wchar_t c : caption) t.push_back(static_cast<WORD>(c));
    t.push_back(0);
    return t;
}

struct WindowClassGuard {
    bool owned = false;
    ~WindowClassGuard() {
        if (owned) UnregisterSpinEditClass(ThisModule());
    }
};

}  // namespace

frmConfig::frmConfig(HWND hWndOwner, IConfigEvents* pEvents) : m_hWndOwner(hWndOwner), m_pEvents(pEvents) {}

frmConfig::~frmConfig() {
    m_pTab = nullptr;
    if (m_txtWidth) m_txtWidth->SetEventSink(nullptr);
    m_txtWidth = nullptr;
    m_hWnd.Reset();
    if (m_bOwnsSpinClass) UnregisterSpinEditClass(ThisModule());
}

std::wstring frmConfig::LoadedCaption() {
    if (HMODULE module = ThisModule()) {
        if (HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16))) {
            HGLOBAL data = LoadResource(module, info);
            const void* bytes = data ? LockResource(data) : nullptr;
            const DWORD size = SizeofResource(module, info);
            if (bytes && size) {
                if (auto v = config::ParseVersionResource(
                        std::span(static_cast<const std::uint8_t*>(bytes), static_cast<std::size_t>(size)))) {
                    return config::WindowCaption(*v);
                }
            }
        }
    }
    // No version resource (a program that links the dialog without one): this build's own version.
    config::ModuleVersion built;
    built.major = BRISKO_VERSION_MAJOR;
    built.minor = BRISKO_VERSION_MINOR;
    built.revision = BRISKO_VERSION_REVISION;
    return config::WindowCaption(built);
}

// ---- Loading ----

void frmConfig::Load() {
    HMODULE module = ThisModule();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(module, kSpinEditClassName, &wc)) {
        if (!RegisterSpinEditClass(module)) throw Error(ErrorNumber::Automation, "cannot register the spin edit class");
        m_bOwnsSpinClass = true;
    }

    m_eLanguage = TextLanguage();
    const std::vector<WORD> tmpl = DialogTemplate(ResourceText(config::kDesignCaptionTextId));
    HWND hwnd = CreateDialogIndirectParamW(module, reinterpret_cast<const DLGTEMPLATE*>(tmpl.data()), m_hWndOwner,
                                           &frmConfig::DialogProc, reinterpret_cast<LPARAM>(this));
    if (!hwnd) throw Error(ErrorNumber::Automation, "cannot create the settings dialog");
    if (m_hWnd.Get() != hwnd) m_hWnd.Reset(hwnd);

    // The client area is fixed; the frame is whatever the style adds to it.
    RECT rc{0, 0, config::TwipsToPixels(config::kClientWidthTwips), config::TwipsToPixels(config::kClientHeightTwips)};
    AdjustWindowRectEx(&rc, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    RECT around{};
    if (!(m_hWndOwner && IsWindowVisible(m_hWndOwner) && GetWindowRect(m_hWndOwner, &around)))
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
    const int x = around.left + ((around.right - around.left) - width) / 2;
    const int y = around.top + ((around.bottom - around.top) - height) / 2;
    SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

    m_hDialogFont = MakeFont(config::DialogFont(m_eLanguage));
    m_hColorButtonFont = MakeFont(config::DialogFont(m_eLanguage));
    CreateControls();

    SetWindowTextW(hwnd, LoadedCaption().c_str());
    m_txtWidth->SetMin(kTabWidthMin);
    m_txtWidth->SetMax(kTabWidthMax);
}

void frmConfig::CreateControls() {
    HWND dlg = m_hWnd.Get();
    HINSTANCE module = ThisModule();
    for (const config::ControlDef& c : config::Controls()) {
        const Rect r = config::ClientRectPixels(c, m_eLanguage);
        if (c.kind == Kind::SpinEdit) {
            // The field as the form stores it, with the font it is stored with.
            MemoryPropertyStore stored = TabWidthFieldStore();
            const FontSpec fieldFont = config::WidthFieldFont(m_eLanguage);
            if (!stored.Read(L"Font")) stored.Write(L"Font", fieldFont);
            m_txtWidth = SpinEdit::Create(dlg, c.id, r.left, r.top, r.Width(), r.Height(), &stored);
            if (!m_txtWidth) throw Error(ErrorNumber::Automation, "cannot create the width field");
            SetWindowLongPtrW(m_txtWidth->hWnd(), GWL_STYLE,
                              GetWindowLongPtrW(m_txtWidth->hWnd(), GWL_STYLE) | WS_GROUP);
            if (!m_txtWidth->Font()) m_txtWidth->SetFont(fieldFont);
            m_txtWidth->SetEventSink(&m_widthSink);
            continue;
        }
        const wchar_t* cls = L"BUTTON";
        DWORD style = WS_CHILD | WS_VISIBLE;
        switch (c.kind) {
            case Kind::Frame:
                style |= BS_GROUPBOX | WS_GROUP;
                break;
            case Kind::Option:
                // An option group runs from its first option to the next control that starts a group.
                style |= BS_AUTORADIOBUTTON | (c.startsGroup ? WS_GROUP | WS_TABSTOP : 0);
                break;
            case Kind::Check:
                style |= BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP;
                break;
            case Kind::Label:
                cls = L"STATIC";
                style |= SS_LEFT | SS_NOPREFIX | WS_GROUP;
                break;
            case Kind::LabelRight:
                cls = L"STATIC";
                style |= SS_RIGHT | WS_GROUP;
                break;
            case Kind::Button:
            case Kind::CancelButton:
                style |= BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP;
                break;
            case Kind::DefaultButton:
                style |= BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP;
                break;
            case Kind::SpinEdit:
                break;
        }
        const unsigned textId = config::CaptionTextId(c);
        const std::wstring caption = textId ? ResourceText(textId) : std::wstring();
        HWND h = CreateWindowExW(0, cls, caption.c_str(), style, r.left, r.top, r.Width(), r.Height(), dlg,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), module, nullptr);
        if (!h) throw Error(ErrorNumber::Automation, std::string("cannot create ") + c.name);
        const bool colorButton = c.id == config::kBtnNormalColor || c.id == config::kBtnActiveColor;
        SendMessageW(h, WM_SETFONT,
                     reinterpret_cast<WPARAM>(colorButton ? m_hColorButtonFont.Get() : m_hDialogFont.Get()), FALSE);
    }
    SendMessageW(dlg, DM_SETDEFID, config::kBtnOK, 0);
    // The design-time state: the first option of each group selected.
    SelectOption(config::kOptAlign0);
    SelectOption(config::kOptStyle0);
    SelectOption(config::kOptIcon0);
}

// ---- Showing ----

bool frmConfig::ShowConfigWnd(CMDITab& pTab, std::int32_t& eIconStyle, bool& bMouseWheel) {
    // One showing at a time: a second call from inside the first would tear its window down.
    if (m_hWnd) throw Error(ErrorNumber::Automation, "the settings dialog is already shown");
    // Whatever happens below, the bar reference goes and the window with it.
    struct Teardown {
        frmConfig& f;
        ~Teardown() {
            f.m_pTab = nullptr;
            if (f.m_txtWidth) f.m_txtWidth->SetEventSink(nullptr);
            f.m_txtWidth = nullptr;
            f.m_hWnd.Reset();
            for (auto& p : f.m_preview) p.hFont.Reset();
            f.m_hDialogFont.Reset();
            f.m_hColorButtonFont.Reset();
            if (f.m_bOwnsSpinClass) {
                UnregisterSpinEditClass(ThisModule());
                f.m_bOwnsSpinClass = false;
            }
        }
    } teardown{*this};

    m_pTab = nullptr;
    Load();

    config::Values& s = m_snapshot;
    s.align = pTab.Align();
    s.style = pTab.Style();
    s.tabWidth = pTab.TabWidth();
    s.font = pTab.Font();
    s.fontColor = pTab.FontColor();
    s.selFont = pTab.SelFont();
    s.selFontColor = pTab.SelFontColor();
    s.iconStyle = eIconStyle;
    CaptureSwitches(pTab, bMouseWheel, s);

    FillControls(s);
    m_pTab = &pTab;
    m_bConfirmed = false;
    RunModal();

    // Put the bar right under one repaint. A bar that was already frozen stays so.
    const bool wasLocked = pTab.LockUpdate();
    pTab.SetLockUpdate(true);
    std::exception_ptr failure;
    if (!m_bConfirmed) {
        pTab.SetAlign(s.align);
        pTab.SetStyle(s.style);
        pTab.SetTabWidth(s.tabWidth);
        pTab.SetFont(s.font);
        pTab.SetFontColor(s.fontColor);
        pTab.SetSelFont(s.selFont);
        pTab.SetSelFontColor(s.selFontColor);
        // The host's handler failing must not leave the rest of the bar unrestored.
        try {
            if (m_pEvents) m_pEvents->OnIconChange(s.iconStyle);
        } catch (...) {
            failure = std::current_exception();
        }
        ApplySwitches(s, pTab);
    } else {
        bMouseWheel = !Checked(config::kChkWheel);
        std::array<bool, config::kIconStyleCount> icons{};
        for (int i = 0; i < config::kIconStyleCount; ++i)
            icons[static_cast<std::size_t>(i)] = Checked(config::kOptIcon0 + i);
        eIconStyle = config::IconStyleFromChecks(icons);
    }
    pTab.SetLockUpdate(wasLocked);
    m_pTab = nullptr;
    if (failure) std::rethrow_exception(failure);
    return m_bConfirmed;
}

void frmConfig::RunModal() {
    HWND dlg = m_hWnd.Get();
    HWND owner = m_hWndOwner && IsWindow(m_hWndOwner) ? m_hWndOwner : nullptr;
    const bool disableOwner = owner && IsWindowEnabled(owner);
    if (disableOwner) EnableWindow(owner, FALSE);

    m_bHidden = false;
    ShowWindow(dlg, SW_SHOW);
    SendMessageW(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(config::kBtnOK)), TRUE);

    MSG msg;
    while (!m_bHidden && IsWindow(dlg)) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // Someone is ending the thread's loop: give up as a cancel and
            // leave the quit for the loop that owns it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            m_bConfirmed = false;
            break;
        }
        if (got == -1) {
            m_bConfirmed = false;
            break;
        }
        if (!IsDialogMessageW(dlg, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // The owner comes back before the dialog goes, so activation returns to it.
    if (disableOwner && IsWindow(owner)) EnableWindow(owner, TRUE);
    if (IsWindow(dlg)) ShowWindow(dlg, SW_HIDE);
}

// ---- Filling ----

void frmConfig::FillControls(const config::Values& v) {
    if (auto i = config::AlignOption(v.align)) SelectOption(config::kOptAlign0 + *i);
    if (auto i = config::StyleOption(v.style)) {
        SelectOption(config::kOptStyle0 + *i);
        m_txtWidth->SetEnabled(v.style == kWidthFixed);
    }
    m_txtWidth->SetText(std::to_wstring(v.tabWidth));
    SetPreview(TabKind::Normal, v.font, v.fontColor);
    SetPreview(TabKind::Active, v.selFont, v.selFontColor);
    if (auto i = config::IconOption(v.iconStyle)) SelectOption(config::kOptIcon0 + *i);
    SetCheck(config::kChkClose, !v.closeButton);
    SetCheck(config::kChkScroll, !v.scrollButton);
    SetCheck(config::kChkFit, v.scrollFit);
    SetCheck(config::kChkDrag, !v.autoDrag);
    SetCheck(config::kChkWheel, !v.mouseWheel);
}

bool frmConfig::Checked(int id) const {
    // The grey state counts as checked.
    return SendMessageW(Item(id), BM_GETCHECK, 0, 0) != BST_UNCHECKED;
}

void frmConfig::SelectOption(int id) {
    const config::ControlDef* target = config::FindControl(id);
    if (!target) return;
    for (const config::ControlDef& c : config::Controls()) {
        if (c.kind == Kind::Option && c.container == target->container) {
            SendMessageW(Item(c.id), BM_SETCHECK, c.id == id ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
    FollowTabStop(id);
}

void frmConfig::FollowTabStop(int id) {
    // Tab enters an option group at its chosen option, as in the form system.
    const config::ControlDef* target = config::FindControl(id);
    if (!target) return;
    for (const config::ControlDef& c : config::Controls()) {
        if (c.kind != Kind::Option || c.container != target->container) continue;
        HWND h = Item(c.id);
        const LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
        const LONG_PTR want = c.id == id ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP);
        if (want != style) SetWindowLongPtrW(h, GWL_STYLE, want);
    }
}

void frmConfig::ClickOption(int id) {
    SelectOption(id);
    OnOption(id);
}

void frmConfig::SetCheck(int id, bool on) {
    SendMessageW(Item(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void frmConfig::SetPreview(TabKind which, const FontSpec& font, std::uint32_t color) {
    PreviewLabel& p = Preview(which);
    HWND label = Item(PreviewLabelId(which));
    UniqueFont made = MakeFont(font);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(made.Get()), FALSE);
    p.hFont = std::move(made);  // the old font is no longer selected anywhere
    p.font = font;
    p.color = color;
    SetWindowTextW(label, config::PreviewCaption(font).c_str());
    CentrePreview(which);
    InvalidateRect(label, nullptr, TRUE);
}

void frmConfig::SetPreviewColor(TabKind which, std::uint32_t color) {
    Preview(which).color = color;
    InvalidateRect(Item(PreviewLabelId(which)), nullptr, TRUE);
}

void frmConfig::CentrePreview(TabKind which) {
    HWND label = Item(PreviewLabelId(which));
    HWND button = Item(which == TabKind::Normal ? config::kBtnNormalFont : config::kBtnActiveFont);
    RECT rl{}, rb{};
    GetWindowRect(label, &rl);
    GetWindowRect(button, &rb);
    MapWindowPoints(nullptr, m_hWnd.Get(), reinterpret_cast<POINT*>(&rl), 2);
    MapWindowPoints(nullptr, m_hWnd.Get(), reinterpret_cast<POINT*>(&rb), 2);
    const int top = config::CentredTop(rb.top, rb.bottom - rb.top, rl.bottom - rl.top);
    SetWindowPos(label, nullptr, rl.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- The window procedure ----

INT_PTR CALLBACK frmConfig::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        auto* self = reinterpret_cast<frmConfig*>(lp);
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        self->m_hWnd.Reset(hwnd);
        return FALSE;  // focus is set when the dialog is shown
    }
    auto* self = reinterpret_cast<frmConfig*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        if (self && self->m_hWnd.Get() == hwnd) self->m_hWnd.Release();
        return FALSE;
    }
    if (!self) return FALSE;
    try {
        return self->Handle(msg, wp, lp);
    } catch (...) {
        // A handler that failed leaves the dialog as it was; nothing may reach the dialog manager.
        MessageBeep(MB_ICONEXCLAMATION);
        return msg == WM_CLOSE || msg == WM_COMMAND ? TRUE : FALSE;
    }
}

INT_PTR frmConfig::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            if (HIWORD(wp) == BN_CLICKED) {
                OnCommand(LOWORD(wp));
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            // The close box and the system menu's Close are Cancel; the window stays until ShowConfigWnd ends.
            OnCancel();
            return TRUE;
        case WM_CTLCOLORSTATIC: {
            const HWND control = reinterpret_cast<HWND>(lp);
            for (TabKind which : {TabKind::Normal, TabKind::Active}) {
                if (control == Item(PreviewLabelId(which))) {
                    HDC dc = reinterpret_cast<HDC>(wp);
                    SetTextColor(dc, PickerRgb(Preview(which).color));
                    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
                }
            }
            return FALSE;
        }
        default:
            return FALSE;
    }
}

}  // namespace brisko
