// Brisko.SpinEditBox hosted by a container this project did not write (the
// ActiveX host of Wine's atl.dll), created by its ProgID from the registered
// Brisko.dll and driven by name through IDispatch, as late-bound code does,
// with real keys and clicks. The portable rules behind it (number syntax,
// key and paste filters, stepping) are tested natively.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which they build on.
#include <imm.h>
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/win/com_ptr.h"
#include "common/win/gdi.h"
#include "common/win/variant_values.h"
#include "tests/tick_action.h"
#include "tools/idehost/scenario.h"
#include "winsvc/win/pump.h"

namespace brisko {
namespace {

using test::Pump;
using namespace variant;
namespace input = idehost::input;

// {7EB4AE2A-9938-4895-AB97-F1602DC36D8C}
constexpr IID kEventsIid = {0x7EB4AE2A, 0x9938, 0x4895, {0xAB, 0x97, 0xF1, 0x60, 0x2D, 0xC3, 0x6D, 0x8C}};
constexpr wchar_t kProgId[] = L"Brisko.SpinEditBox";
constexpr HRESULT kInvalidPropertyValue = static_cast<HRESULT>(0x800A017C);  // error 380

struct Server {
    HMODULE dll = nullptr;
    HRESULT(STDAPICALLTYPE* canUnloadNow)() = nullptr;
    ComPtr<ITypeInfo> events;  // for the sink to name what it receives
};
Server g_server;

template <class F>
F Export(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
std::vector<WPARAM> g_formKeys;  // key-downs that reached the form

LRESULT CALLBACK FormProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_KEYDOWN) g_formKeys.push_back(wp);
    return DefWindowProcW(w, msg, wp, lp);
}

std::wstring TextOf(VARIANT& v) {
    if (V_VT(&v) == VT_BOOL) return V_BOOL(&v) ? L"True" : L"False";
    if (FAILED(VariantChangeType(&v, &v, 0, VT_BSTR)) || !V_BSTR(&v)) return L"<" + std::to_wstring(V_VT(&v)) + L">";
    return std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
}

// Late-bound calls by name, as VB code without a reference makes them.
class ByName {
public:
    explicit ByName(ComPtr<IDispatch> d) : d_(std::move(d)) {}
    DISPID Id(const wchar_t* name) const {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = DISPID_UNKNOWN;
        EXPECT_EQ(d_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << "no member " << name;
        return id;
    }
    // Takes over value. The error's description lands in description.
    HRESULT Put(const wchar_t* name, VARIANT value, EXCEPINFO* error = nullptr) const {
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{&value, &named, 1, 1};
        EXCEPINFO local{};
        const HRESULT hr = d_->Invoke(Id(name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                                      error ? error : &local, nullptr);
        VariantClear(&value);
        Clear(local);
        return hr;
    }
    std::wstring Get(const wchar_t* name) const { return Call(name, {}, DISPATCH_PROPERTYGET); }
    // Arguments in declaration order; taken over.
    std::wstring Call(const wchar_t* name, std::vector<VARIANT> args = {}, WORD flags = DISPATCH_METHOD) const {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        VARIANT result;
        VariantInit(&result);
        EXCEPINFO error{};
        const HRESULT hr =
            d_->Invoke(Id(name), IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, &error, nullptr);
        for (VARIANT& v : args) VariantClear(&v);
        Clear(error);
        std::wstring text = SUCCEEDED(hr) ? TextOf(result) : L"<failed>";
        VariantClear(&result);
        return text;
    }
    HWND Window(const wchar_t* name) const { return reinterpret_cast<HWND>(std::stoll(Get(name))); }
    static void Clear(EXCEPINFO& e) {
        for (BSTR b : {e.bstrSource, e.bstrDescription, e.bstrHelpFile}) SysFreeString(b);
        e = EXCEPINFO{};
    }
    IDispatch* Raw() const { return d_.Get(); }

private:
    ComPtr<IDispatch> d_;
};

// An event sink as a VB form's WithEvents variable is one: it records the
// events by name and, when told, cancels an upward spin or turns one
// character into another.
class Sink final : public IDispatch {
public:
    std::vector<std::wstring> log;
    bool cancelUp = false;
    std::int16_t from = 0, to = 0;
    std::vector<std::int16_t> keyAscii;             // as KeyPress received them
    std::function<void(const std::wstring&)> then;  // runs after each event
    LONG refs = 0;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        const bool known =
            IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, kEventsIid);
        *ppv = known ? static_cast<IDispatch*>(this) : nullptr;
        return known ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override { return *n = 0, S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        BSTR name = nullptr;
        UINT n = 0;
        g_server.events->GetNames(id, &name, 1, &n);
        const std::wstring event = name ? name : L"?";
        SysFreeString(name);
        log.push_back(event);
        VARIANT* a = params->rgvarg;  // the last argument first
        if (event == L"SpinBeforeClick" && params->cArgs == 2) {
            EXPECT_EQ(V_VT(&a[0]), VT_BYREF | VT_BOOL);
            if (cancelUp && V_I4(&a[1]) == 0) *V_BOOLREF(&a[0]) = VARIANT_TRUE;
        } else if (event == L"KeyPress" && params->cArgs == 1) {
            EXPECT_EQ(V_VT(&a[0]), VT_BYREF | VT_I2);
            keyAscii.push_back(*V_I2REF(&a[0]));
            if (*V_I2REF(&a[0]) == from) *V_I2REF(&a[0]) = to;
        }
        if (then) then(event);
        return S_OK;
    }
};

// Subscribes a sink for the lifetime of the scope.
class Subscription {
public:
    Subscription(IUnknown* control, Sink& sink) {
        ComPtr<IUnknown>(control)
            .As<IConnectionPointContainer>(IID_IConnectionPointContainer)
            ->FindConnectionPoint(kEventsIid, point_.Put());
        EXPECT_EQ(point_->Advise(&sink, &cookie_), S_OK);
    }
    ~Subscription() { point_->Unadvise(cookie_); }

private:
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

std::wstring WindowText(HWND w) {
    wchar_t buf[256] = {};
    GetWindowTextW(w, buf, 256);
    return buf;
}

// What a message box of this thread showed; it is read and answered from
// inside its own modal loop.
struct MessageBoxSeen {
    bool seen = false, stopIcon = false;
    std::wstring title, text;
};

MessageBoxSeen AnswerMessageBox(const std::function<void()>& open) {
    MessageBoxSeen m;
    test::TickAction answer([&] {
        HWND box = test::ThreadDialog();
        if (!box) return false;
        m = {true, false, WindowText(box), WindowText(GetDlgItem(box, 0xFFFF))};
        const HICON hand = LoadIconW(nullptr, MAKEINTRESOURCEW(32513));  // IDI_HAND
        for (int id : {0x14, 0x440})
            if (HWND icon = GetDlgItem(box, id))
                m.stopIcon = m.stopIcon || reinterpret_cast<HICON>(SendMessageW(icon, STM_GETICON, 0, 0)) == hand;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return true;
    });
    open();
    Pump(30);
    return m;
}

void SetClipboard(HWND owner, const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(mem), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(mem);
    SetClipboardData(CF_UNICODETEXT, mem);
    CloseClipboard();
}

POINT CenterOf(HWND w, double fy = 0.5) {
    RECT r;
    GetWindowRect(w, &r);
    return POINT{(r.left + r.right) / 2, r.top + static_cast<LONG>((r.bottom - r.top) * fy)};
}

COLORREF PixelOf(HWND w, int x, int y) {
    WindowDC dc(w, false);
    return GetPixel(dc.Get(), x, y);
}

bool ReadOnly(HWND w) {
    return (GetWindowLongPtrW(w, GWL_STYLE) & ES_READONLY) != 0;
}

class Hosted : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(OleInitialize(nullptr), S_OK);
        g_server.dll = LoadLibraryW(L"Brisko.dll");
        ASSERT_TRUE(g_server.dll);
        auto reg = Export<HRESULT(STDAPICALLTYPE*)()>(g_server.dll, "DllRegisterServer");
        g_server.canUnloadNow = Export<HRESULT(STDAPICALLTYPE*)()>(g_server.dll, "DllCanUnloadNow");
        ASSERT_TRUE(reg && g_server.canUnloadNow);
        ASSERT_EQ(reg(), S_OK);
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(g_server.dll, path, MAX_PATH);
        ComPtr<ITypeLib> lib;
        ASSERT_EQ(LoadTypeLibEx(path, REGKIND_NONE, lib.Put()), S_OK);
        ASSERT_EQ(lib->GetTypeInfoOfGuid(kEventsIid, g_server.events.Put()), S_OK);
        auto init = Export<BOOL(WINAPI*)()>(LoadLibraryW(L"atl.dll"), "AtlAxWinInit");
        ASSERT_TRUE(init && init());
        WNDCLASSW wc{};
        wc.lpfnWndProc = FormProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"ThunderRT6FormDC";  // the host language's form class, for key preview
        RegisterClassW(&wc);
    }
    void SetUp() override {
        form_.Reset(CreateWindowExW(0, L"ThunderRT6FormDC", L"form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 360, 200,
                                    nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
        ASSERT_TRUE(form_);
        host_ = CreateWindowExW(0, L"AtlAxWin", kProgId, WS_CHILD | WS_VISIBLE, 10, 10, 160, 26, form_.Get(), nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(host_);
        auto getControl = Export<HRESULT(WINAPI*)(HWND, IUnknown**)>(GetModuleHandleW(L"atl.dll"), "AtlAxGetControl");
        ASSERT_EQ(getControl(host_, control_.Put()), S_OK);
        box_ = std::make_unique<ByName>(control_.As<IDispatch>(IID_IDispatch));
        SetForegroundWindow(form_.Get());
        Pump(80);
    }
    void TearDown() override {
        box_.reset();
        control_.Reset();
        form_.Reset();
        Pump(30);
    }
    HWND Text() const { return box_->Window(L"hWndText"); }
    void Focus() {
        box_->Call(L"SetFocus");
        Pump(50);
        ASSERT_EQ(GetFocus(), Text());
    }

    UniqueWindow form_;
    HWND host_ = nullptr;
    ComPtr<IUnknown> control_;
    std::unique_ptr<ByName> box_;
};

TEST_F(Hosted, PropertiesAndMethodsByName) {
    struct Case {
        const wchar_t* name;
        VARIANT value;
        const wchar_t* expected;
    };
    const Case cases[] = {{L"Max", R8(320), L"320"},
                          {L"Min", R8(40), L"40"},
                          {L"DecFig", I4(1), L"1"},
                          {L"Value", R8(12.5), L"12.5"},
                          {L"Caption", Str(L"タブの幅"), L"タブの幅"},
                          {L"FontBold", Bool(true), L"True"},
                          {L"AccessKeys", Str(L"w"), L"w"}};
    for (const Case& c : cases) {
        EXPECT_EQ(box_->Put(c.name, c.value), S_OK) << c.name;
        EXPECT_EQ(box_->Get(c.name), c.expected) << c.name;
    }
    // The font object it hands out is the control's: changing it changes the control.
    {
        VARIANT font;
        VariantInit(&font);
        DISPPARAMS none{};
        ASSERT_EQ(box_->Raw()->Invoke(box_->Id(L"Font"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                      &font, nullptr, nullptr),
                  S_OK);
        ASSERT_EQ(V_VT(&font), VT_DISPATCH);
        EXPECT_EQ(ByName(ComPtr<IDispatch>(V_DISPATCH(&font))).Put(L"Size", R8(12)), S_OK);
        VariantClear(&font);
        EXPECT_EQ(box_->Get(L"FontSize"), L"12");
    }
    // Text runs the change processing: the value follows it.
    EXPECT_EQ(box_->Put(L"Text", Str(L"120.5")), S_OK);
    EXPECT_EQ(box_->Get(L"Value"), L"120.5");
    EXPECT_EQ(box_->Get(L"Version"), L"14600");
    EXPECT_NE(box_->Put(L"Version", I4(1)), S_OK);
    // Optional arguments left out, as VB leaves them.
    EXPECT_EQ(box_->Call(L"ErrCheck"), L"0");
    EXPECT_EQ(box_->Call(L"FormatMessage", {I4(2)}),
              L"タブの幅の入力が最小値を下回っています。\r\n40 ～ 320 の範囲で入力して下さい。");
    // What a container reads to connect a form's event handlers.
    auto info = control_.As<IProvideClassInfo2>(IID_IProvideClassInfo2);
    GUID source{};
    ASSERT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    EXPECT_TRUE(IsEqualGUID(source, kEventsIid));
    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(control_.As<IConnectionPointContainer>(IID_IConnectionPointContainer)->EnumConnectionPoints(points.Put()),
              S_OK);
    IConnectionPoint* listed[3] = {};
    ULONG n = 0;
    EXPECT_EQ(points->Next(3, listed, &n), S_FALSE);
    ASSERT_EQ(n, 2u) << "the events and the property notifications";
    IID first{};
    listed[0]->GetConnectionInterface(&first);
    EXPECT_TRUE(IsEqualIID(first, kEventsIid));
    for (ULONG i = 0; i < n; ++i) listed[i]->Release();
    // Activated in place: the window lives in the container's.
    EXPECT_EQ(GetParent(box_->Window(L"hWnd")), host_);
    EXPECT_TRUE(IsWindowVisible(box_->Window(L"hWnd")));
}

TEST_F(Hosted, EventHandlersCancelASpinAndChangeAKey) {
    Sink sink;
    {
        Subscription subscribed(control_.Get(), sink);
        sink.cancelUp = true;
        sink.from = '1';
        sink.to = '7';
        box_->Put(L"Text", Str(L""));
        Focus();
        input::Key('1');
        EXPECT_EQ(box_->Get(L"Text"), L"7");
        EXPECT_NE(std::find(sink.log.begin(), sink.log.end(), L"KeyPress"), sink.log.end());
        input::Key(VK_UP);
        EXPECT_EQ(box_->Get(L"Text"), L"7");
        input::Key(VK_DOWN);
        EXPECT_EQ(box_->Get(L"Text"), L"6");
        sink.log.clear();
        input::Click(CenterOf(box_->Window(L"hWndText")));
        std::erase(sink.log, L"MouseMove");
        EXPECT_EQ(sink.log, (std::vector<std::wstring>{L"MouseDown", L"MouseUp", L"Click"}));
    }
    EXPECT_EQ(sink.refs, 0) << "the control kept the sink after Unadvise";
}

// Characters reach the handlers as the host's ANSI key codes: a double-byte
// character as one negative number, and MaxLength counts it as one.
TEST_F(Hosted, DoubleByteCharactersAsAnsiKeyCodes) {
    Sink sink;
    Subscription subscribed(control_.Get(), sink);
    box_->Put(L"InputControl", Bool(false));
    box_->Put(L"MaxLength", I4(3));
    box_->Put(L"Text", Str(L"12"));
    SendMessageW(Text(), EM_SETSEL, 2, 2);
    SendMessageW(Text(), WM_CHAR, 0x3042, 1);  // HIRAGANA LETTER A, 82 A0 in code page 932
    SendMessageW(Text(), WM_CHAR, 0x3042, 1);  // refused: the box is full
    EXPECT_EQ(box_->Get(L"Text"), L"12\u3042");
    EXPECT_EQ(sink.keyAscii, std::vector<std::int16_t>(2, static_cast<std::int16_t>(0x82A0)));
}

// Real keys and clicks: digits typed, the arrows clicked and the Up key, and
// the colours of focus, rest and the disabled state on the screen.
TEST_F(Hosted, TypingClickingTheArrowsAndTheColours) {
    box_->Put(L"FocusColor", I4(0x00FF00));
    box_->Put(L"BackColor", I4(0xFFFF00));
    box_->Put(L"DisableColor", I4(0x800080));
    box_->Put(L"Text", Str(L""));
    const HWND text = Text(), spin = box_->Window(L"hWndSpin");
    input::Click(CenterOf(text));
    Pump(50);
    ASSERT_EQ(GetFocus(), text);
    EXPECT_EQ(PixelOf(text, 2, 2), RGB(0, 255, 0));
    SendMessageW(text, EM_SETSEL, 0, -1);
    input::Key('2');
    input::Key('5');
    EXPECT_EQ(box_->Get(L"Value"), L"25");
    input::Click(CenterOf(spin, 0.2));
    EXPECT_EQ(box_->Get(L"Value"), L"26");
    input::Click(CenterOf(spin, 0.8));
    input::Click(CenterOf(spin, 0.8));
    EXPECT_EQ(box_->Get(L"Value"), L"24");
    EXPECT_EQ(GetScrollPos(spin, SB_CTL), 1) << "the bar goes back to rest";
    EXPECT_EQ(GetFocus(), text);
    input::Key(VK_UP);
    EXPECT_EQ(box_->Get(L"Value"), L"25");
    SetFocus(form_.Get());
    box_->Call(L"Refresh");
    EXPECT_EQ(PixelOf(text, 2, 2), RGB(0, 255, 255));
    EXPECT_EQ(PixelOf(box_->Window(L"hWnd"), 0, 0), RGB(0, 255, 255)) << "the control's own surface";
    box_->Put(L"Enabled", Bool(false));
    box_->Call(L"Refresh");
    EXPECT_EQ(PixelOf(text, 2, 2), RGB(128, 0, 128));
    EXPECT_FALSE(IsWindowEnabled(text) || IsWindowEnabled(spin));
}

// A form's message loop offers keys to the active control first and asks it
// for its access keys; with KeyPreview the form sees the navigation keys too.
TEST_F(Hosted, TheFormsKeyRoutingReachesTheTextBox) {
    Sink sink;
    Subscription subscribed(control_.Get(), sink);
    Focus();
    const HWND text = box_->Window(L"hWndText");
    auto active = control_.As<IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject);
    ASSERT_TRUE(active);
    MSG up{text, WM_KEYDOWN, VK_UP, 0x01480001, 0, {}};
    EXPECT_EQ(active->TranslateAccelerator(&up), S_OK) << "the form would take Up for moving between controls";
    EXPECT_EQ(box_->Get(L"Value"), L"1");
    MSG tab{text, WM_KEYDOWN, VK_TAB, 0x000F0001, 0, {}};
    EXPECT_EQ(active->TranslateAccelerator(&tab), S_FALSE) << "Tab belongs to the form";
    EXPECT_EQ(active->TranslateAccelerator(nullptr), E_POINTER);

    box_->Put(L"AccessKeys", Str(L"w"));
    auto control = control_.As<IOleControl>(IID_IOleControl);
    CONTROLINFO info{};
    info.cb = sizeof info;
    ASSERT_EQ(control->GetControlInfo(&info), S_OK);
    ASSERT_EQ(info.cAccel, 1);
    ACCEL accel{};
    ASSERT_EQ(CopyAcceleratorTableW(info.hAccel, &accel, 1), 1);
    EXPECT_EQ(accel.key, 'W');
    EXPECT_TRUE(accel.fVirt & FALT);
    SetFocus(form_.Get());
    MSG alt{text, WM_SYSKEYDOWN, 'W', 0x20110001, 0, {}};
    EXPECT_EQ(control->OnMnemonic(&alt), S_OK);
    EXPECT_EQ(GetFocus(), text);
    EXPECT_EQ(std::count(sink.log.begin(), sink.log.end(), L"AccessKeyPress"), 1);

    g_formKeys.clear();
    input::Key(VK_LEFT);
    EXPECT_TRUE(g_formKeys.empty());
    box_->Put(L"KeyPreview", Bool(true));
    input::Key(VK_LEFT);
    input::Key('5');
    EXPECT_EQ(g_formKeys, std::vector<WPARAM>{VK_LEFT});
}

TEST_F(Hosted, InvalidValuesFailWithError380AndItsDescription) {
    struct Case {
        const wchar_t* name;
        VARIANT bad;
    };
    // One refused by the value model, two by the window's own properties.
    const Case cases[] = {{L"BeepSound", I4(8)}, {L"VAlign", I4(3)}, {L"PasswordChar", Str(L"ab")}};
    for (const Case& c : cases) {
        const std::wstring before = box_->Get(c.name);
        EXCEPINFO error{};
        EXPECT_EQ(box_->Put(c.name, c.bad, &error), DISP_E_EXCEPTION) << c.name;
        EXPECT_EQ(error.scode, kInvalidPropertyValue) << c.name;
        EXPECT_STREQ(error.bstrDescription ? error.bstrDescription : L"", L"プロパティの値が不正です。") << c.name;
        ByName::Clear(error);
        EXPECT_EQ(box_->Get(c.name), before) << c.name << " changed";
    }
}

// A paste goes through the clipboard; a refused one locks the box until the
// key is released. With RaiseEvents off only OnPaste reaches the handlers.
TEST_F(Hosted, PastesAndTheirLock) {
    Sink sink;
    Subscription subscribed(control_.Get(), sink);
    box_->Put(L"RaiseEvents", Bool(false));
    box_->Put(L"Text", Str(L""));
    Focus();
    input::Key('3');
    input::Key(VK_UP);
    EXPECT_EQ(box_->Get(L"Text"), L"4");
    SetClipboard(form_.Get(), L"5");
    input::Sequence().KeyDown(VK_CONTROL).Key('V').KeyUp(VK_CONTROL).Run();
    EXPECT_EQ(box_->Get(L"Text"), L"45");
    EXPECT_EQ(sink.log, std::vector<std::wstring>{L"OnPaste"});

    SetClipboard(form_.Get(), L"1.2.3");
    input::Sequence().KeyDown(VK_SHIFT).Key(VK_INSERT).KeyUp(VK_SHIFT).Run();
    EXPECT_EQ(box_->Get(L"Text"), L"45");
    EXPECT_FALSE(ReadOnly(Text())) << "the lock ended with the key-up";

    input::Key('7');
    EXPECT_EQ(box_->Get(L"Text"), L"457") << "the box takes input again";
}

TEST_F(Hosted, ErrCheckShowsItsMessageAndSelectsTheText) {
    box_->Put(L"Max", R8(320));
    box_->Put(L"Min", R8(40));
    box_->Put(L"Text", Str(L"500"));
    SetFocus(form_.Get());
    std::wstring code;
    const MessageBoxSeen shown = AnswerMessageBox([&] { code = box_->Call(L"ErrCheck", {Bool(true)}); });
    EXPECT_EQ(shown.title, L"入力エラー");
    EXPECT_EQ(shown.text, L"入力が最大値を超えています。\r\n40 ～ 320 の範囲で入力して下さい。");
    EXPECT_EQ(code, L"1");
    EXPECT_EQ(GetFocus(), Text());
    EXPECT_EQ(box_->Get(L"SelLength"), L"3");
}

// The default mode keeps the input method away from a number field.
TEST_F(Hosted, IMEModeThreeDisablesTheInputMethod) {
    EXPECT_EQ(ImmGetContext(Text()), nullptr);
    box_->Put(L"IMEMode", I4(0));
    HIMC imc = ImmGetContext(Text());
    EXPECT_NE(imc, nullptr);
    if (imc) ImmReleaseContext(Text(), imc);
    box_->Put(L"IMEMode", I4(3));
    EXPECT_EQ(ImmGetContext(Text()), nullptr);
}

// The control drawn through IViewObject into a 32-bit memory bitmap, its
// pixels as 0xRRGGBB.
class Drawing {
public:
    static constexpr int kW = 200, kH = 40;
    explicit Drawing(IUnknown* control) {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), kW, -kH, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap_.Reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0));
        UniqueDC dc = MakeMemoryDC();
        SelectInDC select(dc.Get(), bitmap_.Get());
        PatBlt(dc.Get(), 0, 0, kW, kH, WHITENESS);
        const RECTL bounds{0, 0, kW, kH};
        auto view = ComPtr<IUnknown>(control).As<IViewObject2>(IID_IViewObject2);
        result =
            view ? view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc.Get(), &bounds, nullptr, nullptr, 0)
                 : E_NOINTERFACE;
    }
    DWORD Pixel(int x, int y) const { return static_cast<const DWORD*>(bits_)[y * kW + x] & 0xFFFFFF; }
    HRESULT result;

private:
    UniqueBitmap bitmap_;
    void* bits_ = nullptr;
};

TEST_F(Hosted, DrawPaintsTheControlIntoAMemoryDc) {
    box_->Put(L"BackColor", I4(0x0000FF));  // red, as an OLE colour
    box_->Put(L"Text", Str(L"88"));
    SIZEL extent{};
    EXPECT_EQ(control_.As<IViewObject2>(IID_IViewObject2)->GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent), S_OK);
    EXPECT_GT(extent.cx, extent.cy);
    const Drawing drawn(control_.Get());
    ASSERT_EQ(drawn.result, S_OK);
    constexpr int kW = Drawing::kW, kH = Drawing::kH;
    EXPECT_EQ(drawn.Pixel(10, kH / 2), 0xFF0000u) << "the back colour";
    int dark = 0;
    for (int x = kW / 2; x < kW - 20; ++x)
        for (int y = 0; y < kH; ++y) {
            const DWORD p = drawn.Pixel(x, y);
            dark += (p & 0xFF) < 0x80 && ((p >> 16) & 0xFF) < 0x80;
        }
    EXPECT_GT(dark, 10) << "no text drawn at the right";
    EXPECT_NE(drawn.Pixel(kW - 6, kH / 4), 0xFF0000u) << "no arrows at the right edge";
    box_->Put(L"DisableColor", I4(0x00FF00));
    box_->Put(L"Enabled", Bool(false));
    EXPECT_EQ(Drawing(control_.Get()).Pixel(10, kH / 2), 0x00FF00u) << "the disable colour";
}

// A site of the designer: ambient UserMode false, and an extended control
// that names the instance.
class DesignSite final : public IOleClientSite, public IOleControlSite, public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite))
            *ppv = static_cast<IOleClientSite*>(this);
        else if (IsEqualIID(riid, IID_IOleControlSite))
            *ppv = static_cast<IOleControlSite*>(this);
        else if (IsEqualIID(riid, IID_IDispatch))
            *ppv = static_cast<IDispatch*>(this);
        else
            return *ppv = nullptr, E_NOINTERFACE;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch** out) override { return *out = this, S_OK; }
    STDMETHODIMP TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override { return *n = 0, S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
        return std::wstring_view(names[0]) == L"Name" ? (ids[0] = 1, S_OK) : DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override {
        if (id == DISPID_AMBIENT_USERMODE) return *result = Bool(false), S_OK;
        if (id == 1) return *result = Str(L"txtWidth"), S_OK;
        if (id == DISPID_AMBIENT_FONT) {
            FONTDESC desc{sizeof desc, const_cast<LPOLESTR>(L"Courier New"), {{120000, 0}}, 700, 0, 0, 0, 0};
            V_VT(result) = VT_DISPATCH;
            return OleCreateFontIndirect(&desc, IID_IFontDisp, reinterpret_cast<void**>(&V_DISPATCH(result)));
        }
        return DISP_E_MEMBERNOTFOUND;
    }
};

TEST_F(Hosted, TheDesignerShowsTheMessageBoxInsteadOfTheError) {
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK);
    ComPtr<IOleObject> object;
    ASSERT_EQ(
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, reinterpret_cast<void**>(object.Put())),
        S_OK);
    DesignSite site;
    ASSERT_EQ(object->SetClientSite(&site), S_OK);
    object.As<IPersistStreamInit>(IID_IPersistStreamInit)->InitNew();
    ByName designed(object.As<IDispatch>(IID_IDispatch));
    // A new control takes the form's font (bold, 12 points).
    EXPECT_EQ(designed.Get(L"FontBold"), L"True");
    EXPECT_EQ(designed.Get(L"FontSize"), L"12");
    const MessageBoxSeen error = AnswerMessageBox([&] { EXPECT_EQ(designed.Put(L"BeepSound", I4(8)), S_OK); });
    ASSERT_TRUE(error.seen);
    EXPECT_EQ(error.title, L"txtWidth");
    EXPECT_EQ(error.text, L"プロパティの値が不正です。");
    EXPECT_TRUE(error.stopIcon);
    EXPECT_EQ(designed.Get(L"BeepSound"), L"1");
    const MessageBoxSeen about = AnswerMessageBox([&] { designed.Call(L"AboutBox"); });
    EXPECT_EQ(about.title, L"txtWidth コントロールのバージョン情報");
    EXPECT_EQ(about.text.substr(0, 25), L"txtWidth - Version 1.46\r\n");
    // The designer shows the back colour, also for a disabled control.
    designed.Put(L"BackColor", I4(0x0000FF));
    designed.Put(L"DisableColor", I4(0x00FF00));
    designed.Put(L"Enabled", Bool(false));
    EXPECT_EQ(Drawing(object.Get()).Pixel(10, Drawing::kH / 2), 0xFF0000u);
    object->SetClientSite(nullptr);
}

// A binary form: saved by one instance, loaded by another, once only.
TEST_F(Hosted, AStoredInstanceTravelsThroughAStream) {
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK);
    auto create = [&] {
        ComPtr<IPersistStreamInit> object;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistStreamInit,
                                   reinterpret_cast<void**>(object.Put())),
                  S_OK);
        return object;
    };
    ComPtr<IPersistStreamInit> stored = create();
    ASSERT_EQ(stored->InitNew(), S_OK);
    ByName original(stored.As<IDispatch>(IID_IDispatch));
    original.Put(L"Caption", Str(L"タブの幅"));
    original.Put(L"DecFig", I4(2));
    original.Put(L"Max", R8(320));
    original.Put(L"Text", Str(L"120.25"));
    original.Put(L"Enabled", Bool(false));
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), S_OK);
    ASSERT_EQ(stored->Save(stream.Get(), TRUE), S_OK);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    ComPtr<IPersistStreamInit> copy = create();
    ASSERT_EQ(copy->Load(stream.Get()), S_OK);
    EXPECT_EQ(copy->InitNew(), E_UNEXPECTED) << "a loaded control is initialised once";
    ByName reloaded(copy.As<IDispatch>(IID_IDispatch));
    for (const wchar_t* name : {L"Caption", L"Value", L"Max", L"Min", L"DecFig", L"Enabled", L"Text"})
        EXPECT_EQ(reloaded.Get(name), original.Get(name)) << name;
}

// A handler that closes the form (Unload Me in a KeyPress handler) while the
// control is still handling the key.
TEST_F(Hosted, AHandlerMayCloseTheFormInsideAnEvent) {
    Sink sink;
    auto subscribed = std::make_unique<Subscription>(control_.Get(), sink);
    Focus();
    const HWND window = box_->Window(L"hWnd");
    sink.then = [&](const std::wstring& event) {
        if (event != L"KeyPress") return;
        subscribed.reset();
        box_.reset();
        control_.Reset();
        form_.Reset();
    };
    input::Key('4');
    Pump(100);
    EXPECT_FALSE(form_);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(sink.refs, 0);
    // Nothing of the control's own is left: no parked window, no box.
    int left = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM n) {
            wchar_t cls[32] = {};
            GetClassNameW(w, cls, 32);
            if (std::wstring_view(cls).starts_with(L"BriskoSpinEdit")) ++*reinterpret_cast<int*>(n);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&left));
    EXPECT_EQ(left, 0) << "windows left behind";
    EXPECT_EQ(g_server.canUnloadNow(), S_OK);
}

}  // namespace
}  // namespace brisko
