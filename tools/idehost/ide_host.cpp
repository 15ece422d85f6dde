#include "tools/idehost/ide_host.h"

#include <algorithm>
#include <set>
#include <stdexcept>

#include "common/win/ansi.h"
#include "common/win/handles.h"
#include "testing/pump.h"
#include "testing/ui_channel.h"

namespace brisko::idehost {

struct IdeHost::Child {
    IdeHost* host = nullptr;
    std::string className;
    CloseBehaviour close = CloseBehaviour::Destroy;
    HWND vbar = nullptr;  // children of the window, destroyed with it
    HWND hbar = nullptr;
    int vpos = 0, hpos = 0;
    std::vector<ScrollMessage> scrolls;
};

namespace {

constexpr int kScrollRange = 200;
constexpr UINT kFirstChildId = 0xFF00;
constexpr UINT kCmdExit = 100;

HINSTANCE Instance() {
    return GetModuleHandleA(nullptr);
}

bool IsCodeClass(const std::string& className) {
    return className == kCodeWindowClass;
}

// Lines a code window shows, so that screenshots look like an IDE and
// scrolling visibly moves the text.
std::string CodeLine(int n) {
    static const char* const kLines[] = {
        "Option Explicit",
        "",
        "Private Sub Command1_Click()",
        "    Dim i As Long",
        "    For i = 1 To 10",
        "        Debug.Print i",
        "    Next",
        "End Sub",
        "",
    };
    constexpr int count = static_cast<int>(sizeof(kLines) / sizeof(kLines[0]));
    return kLines[n % count];
}

}  // namespace

namespace {

// The IDE's own words in its two editions.
struct Words {
    const wchar_t* caption;
    const wchar_t* file;
    const wchar_t* exit;
    const wchar_t* window;
    const wchar_t* codeMarker;
    const wchar_t* objectBrowser;
    const wchar_t* immediate;
};
const Words& WordsOf(Language language) {
    static const Words japanese = {
        L"Project1 - Microsoft Visual Basic [\u8A2D\u8A08]",
        L"\u30D5\u30A1\u30A4\u30EB(&F)",
        L"\u7D42\u4E86(&X)",
        L"\u30A6\u30A3\u30F3\u30C9\u30A6(&W)",
        L"(\uFF7A\uFF70\uFF84\uFF9E)",
        L"\uFF75\uFF8C\uFF9E\uFF7C\uFF9E\uFF6A\uFF78\uFF84 \uFF8C\uFF9E\uFF97\uFF73\uFF7B\uFF9E",
        L"\u30A4\u30DF\u30C7\u30A3\u30A8\u30A4\u30C8",
    };
    static const Words english = {
        L"Project1 - Microsoft Visual Basic [design]",
        L"&File",
        L"E&xit",
        L"&Window",
        L"(Code)",
        L"Object Browser",
        L"Immediate",
    };
    return language == Language::Japanese ? japanese : english;
}

// The VBA editor of an English Office, whatever the display language.
const Words& WordsOf(IdeKind ide, Language language) {
    static const Words vba = [] {
        Words w = WordsOf(Language::English);
        w.caption = L"Microsoft Visual Basic for Applications - Q3-report - 2024.xlsm";
        return w;
    }();
    return ide == IdeKind::VbaEditor ? vba : WordsOf(language);
}

}  // namespace

IdeHost::IdeHost(const IdeHostOptions& options) : ide_(options.ide), language_(options.language) {
    const Words& words = WordsOf(ide_, language_);
    EnsureClass(kMainWindowClass);
    UniqueMenu menu(CreateMenu());
    if (menu) {
        UniqueMenu file(CreatePopupMenu());
        UniqueMenu window(CreatePopupMenu());
        if (file && window) {
            AppendMenuA(file.Get(), MF_STRING, kCmdExit, ToAnsi(words.exit).c_str());
            windowMenu_ = window.Get();
            AppendMenuA(menu.Get(), MF_POPUP, reinterpret_cast<UINT_PTR>(file.Release()), ToAnsi(words.file).c_str());
            AppendMenuA(menu.Get(), MF_POPUP, reinterpret_cast<UINT_PTR>(window.Release()),
                        ToAnsi(words.window).c_str());
        }
    }
    const std::wstring caption = options.caption.empty() ? words.caption : options.caption;
    main_ = CreateWindowExA(0, kMainWindowClass, ToAnsi(caption).c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                            options.x, options.y, options.width, options.height, nullptr, menu.Get(), Instance(), this);
    if (!main_) throw std::runtime_error("the IDE's main window could not be created");
    menu.Release();  // the window owns its menu now

    CLIENTCREATESTRUCT ccs{};
    ccs.hWindowMenu = windowMenu_;
    ccs.idFirstChild = kFirstChildId;
    RECT rc{};
    GetClientRect(main_, &rc);
    client_ = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                              WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, 0, 0, rc.right,
                              rc.bottom, main_, nullptr, Instance(), &ccs);
    if (!client_) {
        DestroyWindow(main_);
        throw std::runtime_error("the IDE's MDI client could not be created");
    }
    vbe_ = Make<Vbe>(main_, ide_);
    vbe_->Windows().SetSource([this] {
        std::vector<HWND> out;
        out.reserve(children_.size());
        for (const auto& [hwnd, child] : children_) out.push_back(hwnd);
        return out;
    });
    if (options.visible) {
        ShowWindow(main_, SW_SHOWNORMAL);
        UpdateWindow(main_);
    }
}

IdeHost::~IdeHost() {
    try {
        Shutdown();
    } catch (...) {
    }
    // A window that outlived the shut-down (the main window refused to
    // go) must no longer reach this object.
    if (main_ && IsWindow(main_)) SetWindowLongPtrA(main_, 0, 0);
    for (auto& [hwnd, child] : children_) {
        if (IsWindow(hwnd)) SetWindowLongPtrA(hwnd, 0, 0);
    }
}

bool IdeHost::EnsureClass(const std::string& className) {
    static std::set<std::string> registered;
    if (registered.count(className)) return true;
    const bool isMain = className == kMainWindowClass;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = isMain ? &IdeHost::MainProc : &IdeHost::ChildProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = Instance();
    wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>((isMain ? COLOR_APPWORKSPACE : COLOR_WINDOW) + 1));
    wc.lpszClassName = className.c_str();
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    registered.insert(className);
    return true;
}

LRESULT CALLBACK IdeHost::MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
            SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        }
        auto* host = reinterpret_cast<IdeHost*>(GetWindowLongPtrA(hwnd, 0));
        if (!host) return DefWindowProcA(hwnd, msg, wp, lp);
        switch (msg) {
            case WM_CLOSE:
                host->Shutdown();
                return 0;
            case WM_COMMAND:
                if (LOWORD(wp) == kCmdExit && lp == 0) {
                    PostMessageA(hwnd, WM_CLOSE, 0, 0);
                    return 0;
                }
                break;
            case WM_PARENTNOTIFY:
                // The MDI client destroyed on its own: the frame must not
                // hand a dead window to DefFrameProc.
                if (LOWORD(wp) == WM_DESTROY && reinterpret_cast<HWND>(lp) == host->client_) host->client_ = nullptr;
                break;
            case WM_NCDESTROY: {
                const LRESULT r = DefFrameProcA(hwnd, nullptr, msg, wp, lp);
                SetWindowLongPtrA(hwnd, 0, 0);
                host->main_ = nullptr;
                host->client_ = nullptr;
                return r;
            }
        }
        return DefFrameProcA(hwnd, host->client_, msg, wp, lp);
    } catch (...) {
        return 0;
    }
}

IdeHost::Child* IdeHost::ChildOf(HWND hwnd) {
    return reinterpret_cast<Child*>(GetWindowLongPtrA(hwnd, 0));
}

LRESULT CALLBACK IdeHost::ChildProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
            auto* mcs = static_cast<MDICREATESTRUCTA*>(cs->lpCreateParams);
            SetWindowLongPtrA(hwnd, 0, mcs ? mcs->lParam : 0);
        }
        Child* child = ChildOf(hwnd);
        if (!child) return DefMDIChildProcA(hwnd, msg, wp, lp);
        if (msg == WM_NCDESTROY) {
            const LRESULT r = DefMDIChildProcA(hwnd, msg, wp, lp);
            SetWindowLongPtrA(hwnd, 0, 0);
            child->host->children_.erase(hwnd);  // frees `child`
            return r;
        }
        return child->host->ChildMessage(*child, hwnd, msg, wp, lp);
    } catch (...) {
        return 0;
    }
}

LRESULT IdeHost::ChildMessage(Child& child, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            if (IsCodeClass(child.className)) {
                child.vbar = CreateWindowExA(0, "SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_VERT, 0, 0, 0, 0,
                                             hwnd, reinterpret_cast<HMENU>(1), Instance(), nullptr);
                child.hbar = CreateWindowExA(0, "SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_HORZ, 0, 0, 0, 0,
                                             hwnd, reinterpret_cast<HMENU>(2), Instance(), nullptr);
                if (!child.vbar || !child.hbar) return -1;
                SetScrollRange(child.vbar, SB_CTL, 0, kScrollRange, FALSE);
                SetScrollRange(child.hbar, SB_CTL, 0, kScrollRange, FALSE);
            }
            break;
        case WM_SIZE:
            if (child.vbar && child.hbar) {
                const int w = LOWORD(lp), h = HIWORD(lp);
                const int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
                MoveWindow(child.vbar, std::max(0, w - cx), 0, cx, std::max(0, h - cy), TRUE);
                MoveWindow(child.hbar, 0, std::max(0, h - cy), std::max(0, w - cx), cy, TRUE);
            }
            break;  // DefMDIChildProc must see WM_SIZE too
        case WM_VSCROLL:
        case WM_HSCROLL: {
            child.scrolls.push_back(ScrollMessage{msg, LOWORD(wp), static_cast<int>(HIWORD(wp)), lp});
            int& pos = msg == WM_VSCROLL ? child.vpos : child.hpos;
            switch (LOWORD(wp)) {
                case SB_LINEUP:
                    --pos;
                    break;
                case SB_LINEDOWN:
                    ++pos;
                    break;
                case SB_PAGEUP:
                    pos -= 10;
                    break;
                case SB_PAGEDOWN:
                    pos += 10;
                    break;
                case SB_THUMBTRACK:
                case SB_THUMBPOSITION:
                    pos = HIWORD(wp);
                    break;
                case SB_TOP:
                    pos = 0;
                    break;
                case SB_BOTTOM:
                    pos = kScrollRange;
                    break;
            }
            pos = std::clamp(pos, 0, kScrollRange);
            if (HWND bar = msg == WM_VSCROLL ? child.vbar : child.hbar) SetScrollPos(bar, SB_CTL, pos, TRUE);
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (dc && IsCodeClass(child.className)) {
                SelectInDC font(dc, GetStockObject(ANSI_FIXED_FONT));
                TEXTMETRICA tm{};
                GetTextMetricsA(dc, &tm);
                const int lineHeight = std::max<int>(1, tm.tmHeight);
                RECT rc{};
                GetClientRect(hwnd, &rc);
                SetBkMode(dc, TRANSPARENT);
                for (int y = 0, n = child.vpos; y < rc.bottom; y += lineHeight, ++n) {
                    const std::string line = CodeLine(n);
                    TextOutA(dc, 4 - child.hpos * tm.tmAveCharWidth, y, line.c_str(), static_cast<int>(line.size()));
                }
            } else if (dc && child.className == kDesignerClass) {
                // A form on its grid, as the form designer shows it.
                RECT rc{};
                GetClientRect(hwnd, &rc);
                FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
                const COLORREF dot = GetSysColor(COLOR_BTNTEXT);
                for (int y = 8; y < rc.bottom; y += 12) {
                    for (int x = 8; x < rc.right; x += 12) SetPixel(dc, x, y, dot);
                }
            }
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_CLOSE:
            if (child.close == CloseBehaviour::Refuse) return 0;
            if (child.close == CloseBehaviour::Hide) {
                ShowWindow(hwnd, SW_HIDE);
                return 0;
            }
            if (child.close == CloseBehaviour::Prompt) {
                // "Save changes to the following files?", the IDE's question.
                const std::wstring question =
                    L"\u6B21\u306E\u30D5\u30A1\u30A4\u30EB\u3078\u306E\u5909\u66F4\u3092"
                    L"\u4FDD\u5B58\u3057\u307E\u3059\u304B?\r\n\r\n" +
                    CaptionOf(hwnd);
                const int answer = MessageBoxW(main_, question.c_str(), L"Microsoft Visual Basic",
                                               MB_YESNOCANCEL | MB_ICONEXCLAMATION);
                if (answer == IDCANCEL || !IsWindow(hwnd)) return 0;
            }
            break;
    }
    return DefMDIChildProcA(hwnd, msg, wp, lp);
}

HWND IdeHost::Open(const std::wstring& windowClass, const std::wstring& caption) {
    if (!client_) return nullptr;
    const std::string className = ToAnsi(windowClass);
    if (className.empty() || !EnsureClass(className)) return nullptr;
    auto child = std::make_unique<Child>();
    child->host = this;
    child->className = className;
    const std::string text = ToAnsi(caption);
    MDICREATESTRUCTA mcs{};
    mcs.szClass = className.c_str();
    mcs.szTitle = text.c_str();
    mcs.hOwner = Instance();
    mcs.x = mcs.y = mcs.cx = mcs.cy = CW_USEDEFAULT;
    mcs.lParam = reinterpret_cast<LPARAM>(child.get());
    HWND hwnd = reinterpret_cast<HWND>(SendMessageA(client_, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
    if (!hwnd) return nullptr;  // creation failed: `child` was never kept by a live window
    children_[hwnd] = std::move(child);
    return hwnd;
}

HWND IdeHost::OpenToolWindow(const std::wstring& caption) {
    HWND hwnd = Open(L"DockingView", caption);
    if (hwnd) SetCloseBehaviour(hwnd, CloseBehaviour::Hide);
    return hwnd;
}

bool IdeHost::Retitle(HWND child, const std::wstring& caption) {
    return SetWindowTextA(child, ToAnsi(caption).c_str()) != FALSE;
}

void IdeHost::Activate(HWND child) {
    if (client_) SendMessageA(client_, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child), 0);
}

void IdeHost::Close(HWND child) {
    SendMessageA(child, WM_CLOSE, 0, 0);
}

void IdeHost::SetCloseBehaviour(HWND child, CloseBehaviour behaviour) {
    if (Child* c = Find(child)) c->close = behaviour;
}

void IdeHost::Minimize(HWND child) {
    SendMessageA(child, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void IdeHost::Maximize(HWND child) {
    if (client_) SendMessageA(client_, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child), 0);
}

void IdeHost::Restore(HWND child) {
    if (client_) SendMessageA(client_, WM_MDIRESTORE, reinterpret_cast<WPARAM>(child), 0);
}

void IdeHost::Show(HWND child) {
    ShowWindow(child, SW_SHOW);
}
void IdeHost::Hide(HWND child) {
    ShowWindow(child, SW_HIDE);
}

void IdeHost::DestroyAllChildren() {
    if (!client_) return;
    for (HWND child : Children()) {
        if (IsWindow(child)) SendMessageA(client_, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
    }
}

std::vector<HWND> IdeHost::Children() const {
    std::vector<HWND> out;
    if (!client_) return out;
    for (HWND w = GetWindow(client_, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) out.push_back(w);
    return out;
}

HWND IdeHost::ActiveChild() const {
    if (!client_) return nullptr;
    return reinterpret_cast<HWND>(SendMessageA(client_, WM_MDIGETACTIVE, 0, 0));
}

HWND IdeHost::FindChild(const std::wstring& caption) const {
    for (HWND w : Children()) {
        if (CaptionOf(w) == caption) return w;
    }
    return nullptr;
}

std::wstring IdeHost::ClassOf(HWND window) {
    char buf[256];
    const int n = GetClassNameA(window, buf, static_cast<int>(sizeof(buf)));
    return n > 0 ? FromAnsi(std::string_view(buf, static_cast<size_t>(n))) : std::wstring();
}

std::wstring IdeHost::CaptionOf(HWND window) {
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) return {};
    std::string buf(static_cast<size_t>(length) + 1, '\0');
    const int n = GetWindowTextA(window, buf.data(), static_cast<int>(buf.size()));
    buf.resize(static_cast<size_t>(std::max(0, n)));
    return FromAnsi(buf);
}

const IdeHost::Child* IdeHost::Find(HWND hwnd) const {
    auto it = children_.find(hwnd);
    return it == children_.end() ? nullptr : it->second.get();
}

IdeHost::Child* IdeHost::Find(HWND hwnd) {
    auto it = children_.find(hwnd);
    return it == children_.end() ? nullptr : it->second.get();
}

HWND IdeHost::VerticalScrollBar(HWND codeWindow) const {
    const Child* c = Find(codeWindow);
    return c ? c->vbar : nullptr;
}

HWND IdeHost::HorizontalScrollBar(HWND codeWindow) const {
    const Child* c = Find(codeWindow);
    return c ? c->hbar : nullptr;
}

const std::vector<ScrollMessage>& IdeHost::ScrollLog(HWND codeWindow) const {
    static const std::vector<ScrollMessage> none;
    const Child* c = Find(codeWindow);
    return c ? c->scrolls : none;
}

int IdeHost::ScrollCount(HWND codeWindow, UINT message, int code) const {
    const auto& log = ScrollLog(codeWindow);
    return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const ScrollMessage& m) {
        return m.message == message && (code < 0 || m.code == code);
    }));
}

int IdeHost::ScrollCountFrom(HWND codeWindow, LPARAM lParam) const {
    const auto& log = ScrollLog(codeWindow);
    return static_cast<int>(
        std::count_if(log.begin(), log.end(), [&](const ScrollMessage& m) { return m.lParam == lParam; }));
}

void IdeHost::ClearScrollLog(HWND codeWindow) {
    if (Child* c = Find(codeWindow)) c->scrolls.clear();
}

void IdeHost::LoadSample() {
    if (ide_ == IdeKind::VbaEditor) {
        const std::wstring q3 = L"Q3-report - 2024.xlsm";
        Project& saved = vbe_->AddProject(L"VBAProject");
        saved.SetDocument(q3, L"C:\\Users\\Public\\Documents\\" + q3);
        Project& fresh = vbe_->AddProject(L"VBAProject");
        fresh.SetDocument(L"Book1");
        for (Project* p : {&saved, &fresh}) {
            p->AddComponent(L"ThisWorkbook", vbext_ct_Document);
            p->AddComponent(L"Sheet1", vbext_ct_Document);
            p->AddComponent(L"Module1", vbext_ct_StdModule);
        }
        saved.AddComponent(L"UserForm1", vbext_ct_MSForm);
        fresh.AddComponent(L"Class1", vbext_ct_ClassModule);
        OpenToolWindow(L"Immediate");
        OpenCodeWindow(L"Book1 - Class1 (Code)");
        OpenCodeWindow(L"Book1 - Module1 (Code)");
        OpenCodeWindow(L"Book1 - Sheet1 (Code)");
        OpenDesigner(q3 + L" - UserForm1 (UserForm)");
        OpenCodeWindow(q3 + L" - Sheet1 (Code)");
        OpenCodeWindow(q3 + L" - Module1 (Code)");
        OpenCodeWindow(q3 + L" - UserForm1 (Code)");
        return;
    }
    Project& project = vbe_->AddProject(L"Project1");
    project.AddComponent(L"Form1", vbext_ct_VBForm, L"Form1.frm");
    project.AddComponent(L"Module1", vbext_ct_StdModule, L"Module1.bas");
    project.AddComponent(L"Class1", vbext_ct_ClassModule, L"Class1.cls");
    // Each new MDI child goes to the top of the z-order.
    const Words& words = WordsOf(language_);
    OpenToolWindow(words.objectBrowser);
    OpenToolWindow(words.immediate);
    OpenDesigner(L"Project1 - Form1 (Form)");
    for (const wchar_t* name : {L"Class1", L"Module1", L"Form1"})
        OpenCodeWindow(L"Project1 - " + std::wstring(name) + L" " + words.codeMarker);
}

int IdeHost::AddShutdownHook(std::function<void()> begin, std::function<void()> end) {
    hooks_.push_back(Hook{nextHook_, std::move(begin), std::move(end)});
    return nextHook_++;
}

void IdeHost::RemoveShutdownHook(int token) {
    std::erase_if(hooks_, [&](const Hook& h) { return h.token == token; });
}

void IdeHost::Shutdown() {
    if (!main_ || shuttingDown_) return;
    shuttingDown_ = true;
    // The IDE tells its add-ins it is going, closes its windows, then
    // disconnects them while the MDI client still exists.
    const std::vector<Hook> hooks = hooks_;
    for (const Hook& h : hooks) {
        if (h.begin) h.begin();
    }
    DestroyAllChildren();
    for (const Hook& h : hooks) {
        if (h.end) h.end();
    }
    if (main_) DestroyWindow(main_);
    shuttingDown_ = false;
}

void IdeHost::Pump(DWORD ms) {
    test::Pump(ms);
}

int IdeHost::Run() {
    // The main window is only ever destroyed inside a dispatched message,
    // so the loop sees it gone right after that dispatch.
    MSG m;
    int code = 0;
    while (main_) {
        const BOOL got = GetMessageA(&m, nullptr, 0, 0);
        if (got <= 0) {
            code = got == 0 ? static_cast<int>(m.wParam) : 1;
            break;
        }
        if (client_ && TranslateMDISysAccel(client_, &m)) continue;
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return code;
}

}  // namespace brisko::idehost
