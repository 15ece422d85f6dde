#pragma once
// The spin edit box as a window class of the DLL: a one-line edit box with a
// vertical scroll bar beside it as the spin arrows. A dialog places it by
// class name ("BriskoSpinEdit") or through SpinEdit::Create; either way the
// window owns its SpinEdit object, which FromWindow finds again.
//
// Sizes and positions of the control's methods are pixels of its parent.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "common/font.h"
#include "common/win/handles.h"
#include "spinedit/spin_edit_core.h"
#include "spinedit/spin_properties.h"
#include "spinedit/spin_styles.h"
#include "winsvc/subclass.h"

namespace brisko {

inline constexpr wchar_t kSpinEditClassName[] = L"BriskoSpinEdit";

// The GDI owners' traits (common/win/gdi.h), named here so that the header
// does not bring the GDI helpers into every file that places a spin edit box.
template <class H>
struct GdiTraits;

// Whoever owns a control beyond its window (the ActiveX object around it):
// held for the whole of every message that the window or its text box
// handles, so that an event handler that lets the control go cannot free it
// while the message that raised the event is still being handled.
class SpinEditKeeper {
public:
    virtual void Hold() noexcept = 0;
    virtual void Unhold() noexcept = 0;

protected:
    ~SpinEditKeeper() = default;
};

// Registers the class for the given module (the DLL, or a test program).
bool RegisterSpinEditClass(HINSTANCE instance);
void UnregisterSpinEditClass(HINSTANCE instance);

// Twips per pixel of the screen, the unit the host's sizes come in.
double ScreenTwipsPerPixel();

// The parts of the class live in files by concern: the window and its parts
// (spin_edit.cpp), the text box's input (spin_edit_text.cpp), the input
// method (spin_edit_ime.cpp), the clipboard, message boxes and sounds
// (spin_edit_shell.cpp), and the properties and their persistence
// (spin_edit_properties.cpp).
class SpinEdit : private SpinTextBoxPort, private iSubclass {
    friend bool RegisterSpinEditClass(HINSTANCE instance);

public:
    // Child ids of the two parts.
    static constexpr int kEditId = 1;
    static constexpr int kSpinId = 2;

    // Creates a control as a child of parent, with the stored properties
    // applied when given. The window owns the object; nullptr on failure.
    static SpinEdit* Create(HWND parent, int id, int x, int y, int width, int height,
                            const PropertyStore* stored = nullptr);
    static SpinEdit* FromWindow(HWND hwnd);

    SpinEdit(const SpinEdit&) = delete;
    SpinEdit& operator=(const SpinEdit&) = delete;
    ~SpinEdit() override;

    void SetEventSink(SpinEditEvents* sink) { core_.SetEventSink(sink); }
    // Held without ownership; the keeper detaches (nullptr) before it goes.
    void SetKeeper(SpinEditKeeper* keeper) { keeper_ = keeper; }
    // Whether a message of the window or of its text box is being handled.
    bool InMessage() const { return messageDepth_ > 0; }
    // Called with every sound the control makes, besides playing it.
    void SetSoundObserver(std::function<void(std::int32_t kind)> observer) { soundObserver_ = std::move(observer); }
    // Called when the text box gains (true) or loses (false) the focus.
    void SetFocusObserver(std::function<void(bool focused)> observer) { focusObserver_ = std::move(observer); }
    // Called with the text box's mouse messages (and moves over the
    // control's own surface), the point in the control's client pixels.
    void SetMouseObserver(std::function<void(UINT msg, WPARAM keys, POINT at)> observer) {
        mouseObserver_ = std::move(observer);
    }
    // Offered a left press on the text box first (the point on the screen);
    // true when it took the press, which the text box then does not see.
    void SetPressFilter(std::function<bool(POINT screen)> filter) { pressFilter_ = std::move(filter); }
    // The pointers of MousePointer and SpinMousePointer 99 (custom), owned
    // by whoever sets them; null for the default pointer.
    void SetCustomCursors(HCURSOR text, HCURSOR spin) {
        textCursor_ = text;
        spinCursor_ = spin;
    }
    // Called when the window is being destroyed, while it still exists.
    void SetDestroyObserver(std::function<void()> observer) { destroyObserver_ = std::move(observer); }

    // The value model and input rules.
    SpinEditCore& Model() { return core_; }
    const SpinEditCore& Model() const { return core_; }
    double Value() const { return core_.Value(); }
    void SetValue(double v) { core_.SetValue(v); }
    double Max() const { return core_.Max(); }
    void SetMax(double v) { core_.SetMax(v); }
    double Min() const { return core_.Min(); }
    void SetMin(double v) { core_.SetMin(v); }
    double Increment() const { return core_.Increment(); }
    void SetIncrement(double v) { core_.SetIncrement(v); }
    std::int16_t DecFig() const { return core_.DecFig(); }
    void SetDecFig(std::int16_t v) { core_.SetDecFig(v); }
    std::wstring Text() const override { return box_ ? ReadText() : std::wstring(); }
    void SetText(const std::wstring& text) override;
    const std::wstring& NormalText() const { return core_.NormalText(); }
    std::int16_t MaxLength() const { return core_.MaxLength(); }
    void SetMaxLength(std::int16_t v) { core_.SetMaxLength(v); }
    std::int32_t BeepSound() const { return core_.BeepSound(); }
    void SetBeepSound(std::int32_t v) { core_.SetBeepSound(v); }
    const std::wstring& Caption() const { return core_.Caption(); }
    void SetCaption(std::wstring v) { core_.SetCaption(std::move(v)); }
    bool Locked() const { return core_.Locked(); }
    void SetLocked(bool v) { core_.SetLocked(v); }
    static constexpr std::int32_t Version() { return kSpinEditVersion; }

    // The control's own appearance. Setters refuse invalid values with
    // Error(InvalidPropertyValue) and keep the old one.
    std::int32_t Alignment() const { return props_.alignment; }
    void SetAlignment(std::int32_t v);  // kAlignLeft, kAlignRight, kAlignCenter
    std::int32_t VAlign() const { return props_.vAlign; }
    void SetVAlign(std::int32_t v);
    std::int16_t LeftMargin() const { return props_.leftMargin; }
    void SetLeftMargin(std::int16_t v) { SetMargin(props_.leftMargin, v); }
    std::int16_t RightMargin() const { return props_.rightMargin; }
    void SetRightMargin(std::int16_t v) { SetMargin(props_.rightMargin, v); }
    std::int16_t VMargin() const { return props_.vMargin; }
    void SetVMargin(std::int16_t v) { SetMargin(props_.vMargin, v); }
    std::int32_t Appearance() const { return props_.appearance; }
    void SetAppearance(std::int32_t v) { SetFrameStyle(props_.appearance, v, "Appearance must be 0 or 1"); }
    std::int32_t BorderStyle() const { return props_.borderStyle; }
    void SetBorderStyle(std::int32_t v) { SetFrameStyle(props_.borderStyle, v, "BorderStyle must be 0 or 1"); }
    std::uint32_t ForeColor() const { return props_.foreColor; }
    void SetForeColor(std::uint32_t v) { SetColor(props_.foreColor, v); }
    std::uint32_t FocusColor() const { return props_.focusColor; }
    void SetFocusColor(std::uint32_t v) { SetColor(props_.focusColor, v); }
    std::uint32_t BackColor() const { return props_.backColor; }
    void SetBackColor(std::uint32_t v) { SetColor(props_.backColor, v); }
    std::uint32_t DisableColor() const { return props_.disableColor; }
    void SetDisableColor(std::uint32_t v) { SetColor(props_.disableColor, v); }
    // On a form in its designer the control always shows its back colour.
    bool DesignMode() const { return designMode_; }
    void SetDesignMode(bool v) {
        designMode_ = v;
        UpdateColors();
    }
    bool Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
    void SetEnabled(bool v);
    bool EnabledSpin() const { return props_.enabledSpin; }
    void SetEnabledSpin(bool v);
    bool VisibleSpin() const { return props_.visibleSpin; }
    void SetVisibleSpin(bool v);
    std::int32_t MousePointer() const { return props_.mousePointer; }
    void SetMousePointer(std::int32_t v);
    std::int32_t SpinMousePointer() const { return props_.spinMousePointer; }
    void SetSpinMousePointer(std::int32_t v);
    std::wstring PasswordChar() const { return props_.passwordChar; }
    void SetPasswordChar(const std::wstring& v);  // at most one character
    // The text box's reading order.
    bool RightToLeft() const { return props_.rightToLeft; }
    void SetRightToLeft(bool v);
    std::int32_t IMEMode() const { return props_.imeMode; }
    void SetIMEMode(std::int32_t v);  // an ImeMode
    // The font of the text box; none means the one the parent gives (WM_SETFONT).
    std::optional<FontSpec> Font() const { return props_.font; }
    void SetFont(const std::optional<FontSpec>& font);

    std::int32_t SelStart() const override;
    std::int32_t SelLength() const override;
    void SetSelStart(std::int32_t v);
    void SetSelLength(std::int32_t v);
    std::wstring SelText() const;
    void SetSelText(const std::wstring& v);
    bool IsFocused() const { return box_ && GetFocus() == box_; }

    HWND hWnd() const { return hwnd_; }
    HWND hWndText() const { return box_; }
    HWND hWndSpin() const { return spin_; }

    // Methods.
    std::int32_t ErrCheck(bool showMsg = false, std::wstring_view caption = {}, std::wstring_view title = {},
                          std::wstring_view helpFile = {}, std::int32_t context = 0) {
        return core_.ErrCheck(showMsg, caption, title, helpFile, context);
    }
    std::wstring FormatMessage(std::int32_t error, std::wstring_view caption = {}) const {
        return core_.FormatMessage(error, caption);
    }
    std::int32_t SpinUpDown(std::int32_t upDown) { return core_.SpinUpDown(upDown); }
    void Beep(std::int32_t beepType = -1, std::int32_t frequency = SpinEditCore::kBeepFrequency,
              std::int32_t duration = SpinEditCore::kBeepDuration) {
        core_.Beep(beepType, frequency, duration);
    }
    void AboutBox() const;
    // The caret position under a point of the control's client area, or the
    // direction (-1..-8) in which the point misses the text box.
    std::int32_t HitTest(std::int32_t x, std::int32_t y) const;
    std::int32_t HitTest() const;  // at the mouse pointer
    void Pos(std::int32_t left, std::int32_t top);
    void Size(std::int32_t width, std::int32_t height);
    void Move(std::int32_t left, std::optional<std::int32_t> top = {}, std::optional<std::int32_t> width = {},
              std::optional<std::int32_t> height = {});
    void Refresh();
    void SetFocus();

    // Stored properties that only a form host acts on (AccessKeys,
    // KeyPreview, the link and drag settings...), kept with the window so
    // that a save writes back what a load read.
    const SpinEditProperties& Retained() const { return props_; }
    SpinEditProperties& Retained() { return props_; }

    // Persistence.
    void Save(PropertyStore& store) const;
    void Load(const PropertyStore& store);

private:
    struct Key {
        explicit Key() = default;
    };

public:
    // Only the window class makes these (Key is private).
    SpinEdit(Key, HWND hwnd);

private:
    class MessageScope;
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    void SetMargin(std::int16_t& margin, std::int16_t v);
    void SetColor(std::uint32_t& color, std::uint32_t v);
    // kAppearanceFlat or kAppearance3D, kBorderStyleNone or kBorderStyleFixedSingle.
    void SetFrameStyle(std::int32_t& style, std::int32_t v, const char* what);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    // The text box's messages, through the window-system service's subclassing.
    void SubclassTextBox();
    // The arrows' presses, whose tracking loop raises the spin events: the
    // whole loop is one message of the control.
    void SubclassSpin();
    void iSubclass_Proc(bool bBefore, bool& bHandled, std::intptr_t& lReturn, WindowHandle& hWnd, std::uint32_t& uMsg,
                        std::uintptr_t& wParam, std::intptr_t& lParam) override;
    // The character of a WM_CHAR as the host's key code; false while a
    // double-byte character's lead byte waits for its trail byte.
    bool TakeCharCode(std::uintptr_t wParam, std::int16_t& code);
    void PreviewKey(UINT msg, WPARAM wp, LPARAM lp) const;
    // The text box's own procedure, for its text in Unicode.
    LRESULT CallTextBox(UINT msg, WPARAM wp, LPARAM lp) const;
    bool CreateParts();
    void CreateEditBox();
    void Layout();
    void UpdateColors();
    void ApplyFrame();
    void ApplyImeMode(bool focusing);
    HBRUSH ColorBrush(HDC dc);
    COLORREF CurrentColor() const;
    void EnforceMinWidth();
    HFONT CurrentFont() const;
    bool SetCursorFor(HWND over) const;
    std::wstring ReadText() const;

    // SpinTextBoxPort
    void SetSel(std::int32_t start, std::int32_t length) override;
    bool ReadOnly() const override;
    void SetReadOnly(bool readOnly) override;
    bool Visible() const override;
    void Focus() override;
    std::wstring ClipboardText() const override;
    void ShowMessage(const std::wstring& text, const std::wstring& title, const std::wstring& helpFile,
                     std::int32_t context) override;
    void PlaySound(std::int32_t kind, std::int32_t frequency, std::int32_t duration) override;

    HWND hwnd_;
    SpinEditKeeper* keeper_ = nullptr;
    int messageDepth_ = 0;
    // The window was destroyed while one of its messages was being handled:
    // the object goes once the outermost of them has returned.
    bool windowGone_ = false;
    HWND box_ = nullptr;
    HWND spin_ = nullptr;
    CSubclass boxSubclass_;
    CSubclass spinSubclass_;
    WNDPROC boxClassProc_ = nullptr;
    std::uint8_t leadByte_ = 0;
    SpinEditCore core_{*this};
    std::function<void(std::int32_t)> soundObserver_;
    std::function<void(bool)> focusObserver_;
    std::function<void(UINT, WPARAM, POINT)> mouseObserver_;
    std::function<bool(POINT)> pressFilter_;
    std::function<void()> destroyObserver_;
    HCURSOR textCursor_ = nullptr, spinCursor_ = nullptr;
    bool changeSeen_ = false;
    bool designMode_ = false;
    // The stored properties: the window's own appearance (changed through
    // its setters) and what only a form host acts on. The value model's
    // fields live in core_.
    SpinEditProperties props_;
    UniqueHandle<HFONT, GdiTraits<HFONT>> ownFont_;  // UniqueFont, made from props_.font
    HFONT parentFont_ = nullptr;                     // given by WM_SETFONT, owned by the parent
    UniqueHandle<HBRUSH, GdiTraits<HBRUSH>> brush_;  // UniqueBrush
    COLORREF brushColor_ = CLR_INVALID;
};

}  // namespace brisko
