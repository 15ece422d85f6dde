#pragma once
// The stand-in IDE's windows: a main window whose direct child is the MDI
// client, and MDI children of the IDE's window classes, all ANSI windows
// captioned in the system code page. Owns the object model (VBE).
#include <windows.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/win/ui_text.h"
#include "tools/idehost/object_model.h"

namespace brisko::idehost {

inline constexpr const char* kMainWindowClass = "wndclass_desked_gsk";
inline constexpr const char* kCodeWindowClass = "VbaWindow";
inline constexpr const char* kDesignerClass = "DesignerWindow";
inline constexpr const char* kToolWindowClass = "DockingView";

// What a child window does with WM_CLOSE.
enum class CloseBehaviour {
    Destroy,  // closes, as code windows and designers do
    Hide,     // hides itself and stays, as the IDE's tool windows do
    Refuse,   // ignores the request
    Prompt,   // asks first, as the IDE does for unsaved changes: Yes or No
              // close, Cancel keeps the window
};

// One WM_VSCROLL or WM_HSCROLL that a code window received.
struct ScrollMessage {
    UINT message;   // WM_VSCROLL or WM_HSCROLL
    int code;       // LOWORD(wParam): SB_LINEUP ... SB_ENDSCROLL
    int position;   // HIWORD(wParam)
    LPARAM lParam;  // the scroll bar's handle, or 0
};

struct IdeHostOptions {
    bool visible = true;
    int x = 0, y = 0, width = 1024, height = 768;
    // Which IDE the stand-in plays (its object model, captions and sample).
    IdeKind ide = IdeKind::Vb6;
    // The edition the VB6 IDE plays: its captions and menus in Japanese (the
    // code window's "(ｺｰﾄﾞ)") or English ("(Code)"); the display language's
    // unless given. The VBA editor is played in English Office's words.
    Language language = UserLanguage();
    std::wstring caption{};  // empty: the edition's own
};

class IdeHost {
public:
    explicit IdeHost(const IdeHostOptions& options = {});
    ~IdeHost();
    IdeHost(const IdeHost&) = delete;
    IdeHost& operator=(const IdeHost&) = delete;

    HWND MainWindow() const { return main_; }
    HWND MdiClient() const { return client_; }
    // The object model; its MainWindow.hWnd is MainWindow().
    Vbe& Model() const { return *vbe_.Get(); }
    ComPtr<Vbe> ModelPtr() const { return vbe_; }

    // Opens an MDI child of the given window class (registered on first use)
    // with the caption converted to the ANSI code page. Code windows
    // ("VbaWindow") get a vertical and a horizontal scroll bar. Returns the
    // window, or null when it could not be made.
    HWND Open(const std::wstring& windowClass, const std::wstring& caption);
    HWND OpenCodeWindow(const std::wstring& caption) { return Open(L"VbaWindow", caption); }
    HWND OpenDesigner(const std::wstring& caption) { return Open(L"DesignerWindow", caption); }
    // Tool windows hide instead of closing, as the IDE's do.
    HWND OpenToolWindow(const std::wstring& caption);

    // The IDE acting on its own windows. Synchronous: when these return, the
    // window system has delivered the messages.
    bool Retitle(HWND child, const std::wstring& caption);  // SetWindowTextA
    void Activate(HWND child);                              // WM_MDIACTIVATE to the MDI client
    void Close(HWND child);                                 // WM_CLOSE to the window
    void SetCloseBehaviour(HWND child, CloseBehaviour behaviour);
    void Minimize(HWND child);
    void Maximize(HWND child);  // WM_MDIMAXIMIZE
    void Restore(HWND child);   // WM_MDIRESTORE
    void Show(HWND child);
    void Hide(HWND child);
    // Closes every child at once (WM_MDIDESTROY), refusing ones included.
    void DestroyAllChildren();

    // The MDI client's children, top of the z-order first.
    std::vector<HWND> Children() const;
    // The child that the MDI client says is active, or null.
    HWND ActiveChild() const;
    // The child with exactly this caption (read back through the ANSI API), or null.
    HWND FindChild(const std::wstring& caption) const;
    // The window class and caption of any window, read through the ANSI API.
    static std::wstring ClassOf(HWND window);
    static std::wstring CaptionOf(HWND window);

    // A code window's scroll bars (null for other windows).
    HWND VerticalScrollBar(HWND codeWindow) const;
    HWND HorizontalScrollBar(HWND codeWindow) const;
    // Every WM_VSCROLL/WM_HSCROLL the code window received, oldest first.
    const std::vector<ScrollMessage>& ScrollLog(HWND codeWindow) const;
    // How many `message`s with scroll code `code` it received (code -1: any).
    int ScrollCount(HWND codeWindow, UINT message, int code = -1) const;
    // How many scroll messages it received naming `lParam` as their scroll bar.
    int ScrollCountFrom(HWND codeWindow, LPARAM lParam) const;
    void ClearScrollLog(HWND codeWindow);

    // The sample project of the demo: Project1 with Form1, Module1 and
    // Class1, their three code windows, Form1's designer and two tool
    // windows, the Object Browser and the Immediate window. The first window
    // opened ends up at the bottom of the z-order; Form1's code window is
    // opened last and is active.
    // In the VBA editor: two workbooks, a saved one whose name holds dashes
    // and a new one, with the same component names in both, a UserForm's
    // designer and code, and the Immediate window.
    void LoadSample();
    IdeKind Ide() const { return ide_; }

    // Shutting down. Called before the main window goes: runs the
    // registered shutdown steps (the add-in manager's) around closing every
    // child, then destroys the main window. Safe to call more than once.
    void Shutdown();
    bool Alive() const { return main_ != nullptr; }
    // Steps run by Shutdown(): `begin` before the children close, `end`
    // after them, while the MDI client still exists. Returns a token for
    // RemoveShutdownHook.
    int AddShutdownHook(std::function<void()> begin, std::function<void()> end);
    void RemoveShutdownHook(int token);

    // Pumps this thread's messages for `ms` milliseconds (at least once).
    static void Pump(DWORD ms = 0);
    // Runs the message loop until the main window has been destroyed;
    // answers the WM_QUIT exit code or 0.
    int Run();

private:
    struct Child;
    struct Hook {
        int token;
        std::function<void()> begin, end;
    };

    static LRESULT CALLBACK MainProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK ChildProc(HWND, UINT, WPARAM, LPARAM);
    static Child* ChildOf(HWND);
    bool EnsureClass(const std::string& className);
    LRESULT ChildMessage(Child& child, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    const Child* Find(HWND) const;
    Child* Find(HWND);

    IdeKind ide_;
    HWND main_ = nullptr;
    HWND client_ = nullptr;
    HMENU windowMenu_ = nullptr;  // owned by the main window's menu bar
    Language language_;
    ComPtr<Vbe> vbe_;
    std::map<HWND, std::unique_ptr<Child>> children_;
    std::vector<Hook> hooks_;
    int nextHook_ = 1;
    bool shuttingDown_ = false;
};

}  // namespace brisko::idehost
