#pragma once
// What the hosted tests of Brisko.SpinEditBox share: the registered server,
// Wine's ATL as the container, late-bound calls by name, an event sink as a
// VB form's WithEvents variable is one, and a form with one control on it.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which they build on.
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/win/com_ptr.h"
#include "common/win/gdi.h"
#include "common/win/variant_values.h"
#include "spinedit/control/win/spin_edit_box_idl.h"
#include "testing/input.h"
#include "testing/pump.h"
#include "testing/tick_action.h"

namespace brisko::hosted {

using test::Pump;
using namespace variant;
namespace input = test::input;

inline const IID& kEventsIid = DIID___SpinEditBox;
constexpr wchar_t kProgId[] = L"Brisko.SpinEditBox";

inline HMODULE g_dll = nullptr;
inline ComPtr<ITypeInfo> g_events;  // for the sink to name what it receives

// The registered server's type library, loaded from the DLL itself.
inline ComPtr<ITypeLib> Library() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(LoadLibraryW(L"Brisko.dll"), path, MAX_PATH);
    ComPtr<ITypeLib> lib;
    EXPECT_EQ(LoadTypeLibEx(path, REGKIND_NONE, lib.Put()), S_OK);
    return lib;
}

template <class F>
F Export(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Late-bound calls by name, as VB code without a reference makes them; a
// result as VB prints it, and a failure's error and description.
class ByName {
public:
    explicit ByName(ComPtr<IDispatch> d) : d_(std::move(d)) {}
    // Takes over value; returns the error's code, or S_OK.
    HRESULT Put(const wchar_t* name, VARIANT value) { return Invoke(name, DISPATCH_PROPERTYPUT, {value}); }
    // Sets each in turn, as a form's code does line by line; each must take.
    void Set(std::initializer_list<std::pair<const wchar_t*, VARIANT>> values) {
        for (const auto& [name, value] : values) EXPECT_EQ(Put(name, value), S_OK) << testing::PrintToString(name);
    }
    std::wstring Get(const wchar_t* name) { return Call(name, {}, DISPATCH_PROPERTYGET); }
    // Arguments in declaration order; taken over.
    std::wstring Call(const wchar_t* name, std::vector<VARIANT> args = {}, WORD flags = DISPATCH_METHOD) {
        return SUCCEEDED(Invoke(name, flags, std::move(args))) ? result : L"<failed>";
    }
    HWND Window(const wchar_t* name) { return reinterpret_cast<HWND>(std::stoll(Get(name))); }
    // An object property, itself called by name.
    ByName Object(const wchar_t* name) { return Get(name), ByName(object); }

    std::wstring result, error;
    ComPtr<IDispatch> object;  // the last result that was an object

private:
    HRESULT Invoke(const wchar_t* name, WORD flags, std::vector<VARIANT> args) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = DISPID_UNKNOWN, named = DISPID_PROPERTYPUT;
        EXPECT_EQ(d_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << "no member " << name;
        std::reverse(args.begin(), args.end());
        const UINT puts = flags == DISPATCH_PROPERTYPUT;
        DISPPARAMS params{args.data(), puts ? &named : nullptr, static_cast<UINT>(args.size()), puts};
        VARIANT out;
        VariantInit(&out);
        EXCEPINFO e{};
        HRESULT hr = d_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &out, &e, nullptr);
        if (V_VT(&out) == VT_DISPATCH) object = ComPtr<IDispatch>(V_DISPATCH(&out));
        result = SUCCEEDED(hr) && SUCCEEDED(VariantChangeType(&out, &out, VARIANT_ALPHABOOL, VT_BSTR))
                     ? std::wstring(V_BSTR(&out), SysStringLen(V_BSTR(&out)))
                     : L"";
        error = e.bstrDescription ? e.bstrDescription : L"";
        if (hr == DISP_E_EXCEPTION) hr = e.scode;
        for (VARIANT& v : args) VariantClear(&v);
        VariantClear(&out);
        for (BSTR b : {e.bstrSource, e.bstrDescription, e.bstrHelpFile}) SysFreeString(b);
        return hr;
    }
    ComPtr<IDispatch> d_;
};

// An event sink as a VB form's WithEvents variable is one, subscribed while it
// lives: it records the events by name and shows each, with its arguments
// (the last first), to a handler that may change those passed by reference.
// Subscribed to property changes instead, as the property window listens, it
// records which members changed.
class Sink final : public IDispatch, public IPropertyNotifySink {
public:
    explicit Sink(IUnknown* control, const IID& events = kEventsIid) {
        ComPtr<IUnknown>(control)
            .As<IConnectionPointContainer>(IID_IConnectionPointContainer)
            ->FindConnectionPoint(events, point_.Put());
        EXPECT_EQ(point_->Advise(static_cast<IDispatch*>(this), &cookie_), S_OK);
    }
    ~Sink() { Unadvise(); }
    void Unadvise() {
        if (point_) point_->Unadvise(cookie_);
        point_.Reset();
    }

    std::vector<std::wstring> log;
    std::function<void(const std::wstring&, DISPPARAMS&)> peek;
    std::vector<DISPID> changed;
    LONG refs = 0;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IPropertyNotifySink))
            *ppv = static_cast<IPropertyNotifySink*>(this);
        else if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, kEventsIid))
            *ppv = static_cast<IDispatch*>(this);
        else
            return *ppv = nullptr, E_NOINTERFACE;
        return AddRef(), S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override { return *n = 0, S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        BSTR name = nullptr;
        UINT n = 0;
        g_events->GetNames(id, &name, 1, &n);
        log.push_back(name ? name : L"?");
        SysFreeString(name);
        if (peek) peek(log.back(), *params);
        return S_OK;
    }
    STDMETHODIMP OnChanged(DISPID id) override { return changed.push_back(id), S_OK; }
    STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }

private:
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

inline std::wstring WindowText(HWND w) {
    wchar_t buf[256] = {};
    GetWindowTextW(w, buf, 256);
    return buf;
}

// What a message box of this thread showed, as "title: text"; it is read and
// answered from inside its own modal loop.
inline std::wstring AnswerMessageBox(const std::function<void()>& open) {
    std::wstring shown;
    test::TickAction answer([&] {
        HWND box = test::ThreadDialog();
        if (!box) return false;
        shown = WindowText(box) + L": " + WindowText(GetDlgItem(box, 0xFFFF));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return true;
    });
    open();
    Pump(30);
    return shown;
}

// Puts text on the clipboard and pastes it into the focused window with real
// keys: Ctrl+V, or another modifier and key.
inline void Paste(HWND owner, const std::wstring& text, WORD modifier = VK_CONTROL, WORD key = 'V') {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(mem), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(mem);
    SetClipboardData(CF_UNICODETEXT, mem);
    CloseClipboard();
    input::Sequence().KeyDown(modifier).Key(key).KeyUp(modifier).Run();
}

inline POINT CenterOf(HWND w, double fy = 0.5) {
    RECT r;
    GetWindowRect(w, &r);
    return POINT{(r.left + r.right) / 2, r.top + static_cast<LONG>((r.bottom - r.top) * fy)};
}

inline COLORREF PixelOf(HWND w) {
    WindowDC dc(w, DcArea::Client);
    return GetPixel(dc.Get(), 2, 2);
}

class Hosted : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(OleInitialize(nullptr), S_OK);
        g_dll = LoadLibraryW(L"Brisko.dll");
        auto reg = Export<HRESULT(STDAPICALLTYPE*)()>(g_dll, "DllRegisterServer");
        ASSERT_TRUE(reg && reg() == S_OK);
        ASSERT_EQ(Library()->GetTypeInfoOfGuid(kEventsIid, g_events.Put()), S_OK);
        auto init = Export<BOOL(WINAPI*)()>(LoadLibraryW(L"atl.dll"), "AtlAxWinInit");
        ASSERT_TRUE(init && init());
    }
    void SetUp() override {
        form_.Reset(CreateWindowExW(0, L"STATIC", L"form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 360, 200, nullptr,
                                    nullptr, GetModuleHandleW(nullptr), nullptr));
        control_ = Place(10);
        box_ = std::make_unique<ByName>(control_.As<IDispatch>(IID_IDispatch));
        SetForegroundWindow(form_.Get());
        Pump(80);
    }
    // Another control on the form, at this height.
    ComPtr<IUnknown> Place(int top) {
        HWND host = CreateWindowExW(0, L"AtlAxWin", kProgId, WS_CHILD | WS_VISIBLE, 10, top, 160, 26, form_.Get(),
                                    nullptr, GetModuleHandleW(nullptr), nullptr);
        auto getControl = Export<HRESULT(WINAPI*)(HWND, IUnknown**)>(GetModuleHandleW(L"atl.dll"), "AtlAxGetControl");
        ComPtr<IUnknown> control;
        EXPECT_EQ(getControl(host, control.Put()), S_OK);
        return control;
    }
    void TearDown() override {
        box_.reset();
        control_.Reset();
        form_.Reset();
        Pump(30);
    }
    HWND Text() { return box_->Window(L"hWndText"); }
    void Focus() {
        box_->Call(L"SetFocus");
        Pump(50);
        ASSERT_EQ(GetFocus(), Text());
    }

    UniqueWindow form_;
    ComPtr<IUnknown> control_;
    std::unique_ptr<ByName> box_;
};

// A container's property bag and error log in one: it keeps what is written
// in order, with the VARIANT types it was given, hands back whatever it holds,
// and records the keys reported as malformed.
struct RecordingBag final : IPropertyBag, IErrorLog {
    ~RecordingBag() {
        for (auto& e : entries) VariantClear(&e.second);
    }
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IErrorLog)
            *out = static_cast<IErrorLog*>(this);
        else
            *out = iid == IID_IUnknown || iid == IID_IPropertyBag ? static_cast<IPropertyBag*>(this) : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* v, IErrorLog*) override {
        for (auto& e : entries)
            if (e.first == name) return VariantCopy(v, &e.second);
        return E_INVALIDARG;
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* v) override {
        entries.emplace_back(name, VARIANT{});
        return VariantCopy(&entries.back().second, v);
    }
    STDMETHODIMP AddError(LPCOLESTR name, EXCEPINFO*) override {
        logged.emplace_back(name);
        return S_OK;
    }
    std::vector<std::pair<std::wstring, VARTYPE>> KeysAndTypes() const {
        std::vector<std::pair<std::wstring, VARTYPE>> out;
        for (const auto& e : entries) out.emplace_back(e.first, V_VT(&e.second));
        return out;
    }

    std::vector<std::pair<std::wstring, VARIANT>> entries;
    std::vector<std::wstring> logged;
};

// An object in a VARIANT that owns it, made by `create` into its out-parameter.
inline VARIANT Holding(const std::function<HRESULT(void**)>& create) {
    VARIANT v;
    V_VT(&v) = VT_DISPATCH;
    EXPECT_EQ(create(reinterpret_cast<void**>(&V_DISPATCH(&v))), S_OK);
    return v;
}

// A bold font object of this face and size.
inline VARIANT Font(const wchar_t* face, unsigned points, bool italic = false) {
    FONTDESC desc{sizeof desc, const_cast<LPOLESTR>(face), {{points * 10000, 0}}, 700, 0, italic, 0, 0};
    return Holding([&](void** out) { return OleCreateFontIndirect(&desc, IID_IFontDisp, out); });
}

// A system icon as a picture object.
inline VARIANT Icon(int id) {
    PICTDESC pd{sizeof pd, PICTYPE_ICON, {}};
    pd.icon.hicon = CopyIcon(LoadIconW(nullptr, MAKEINTRESOURCEW(id)));
    return Holding([&](void** out) { return OleCreatePictureIndirect(&pd, IID_IPictureDisp, TRUE, out); });
}

// A container's site written for the tests: the designer's ambient
// properties (UserMode false, the form's font) or the running program's, an
// extended control that names the instance and, given a window, in-place
// activation there. Its TransformCoords gives HIMETRIC divided by `scale`
// (a site without it when 0).
class TestSite final : public IOleClientSite, public IOleInPlaceSite, public IOleControlSite, public IDispatch {
public:
    explicit TestSite(bool running = false, HWND in = nullptr, float perUnit = 0)
        : userMode(running), window(in), scale(perUnit) {}
    bool userMode;
    HWND window;
    float scale;
    RECT place{10, 60, 170, 86};                         // where the control goes in window: below the fixture's
    std::map<DISPID, std::function<VARIANT()>> ambient;  // more ambient properties

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite))
            *ppv = static_cast<IOleClientSite*>(this);
        else if (IsEqualIID(riid, IID_IOleControlSite))
            *ppv = static_cast<IOleControlSite*>(this);
        else if (IsEqualIID(riid, IID_IDispatch))
            *ppv = static_cast<IDispatch*>(this);
        else if (window && (IsEqualIID(riid, IID_IOleInPlaceSite) || IsEqualIID(riid, IID_IOleWindow)))
            *ppv = static_cast<IOleInPlaceSite*>(this);
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
    STDMETHODIMP GetWindow(HWND* out) override { return *out = window, S_OK; }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, RECT* pos, RECT* clip,
                                  OLEINPLACEFRAMEINFO*) override {
        *frame = nullptr;
        *doc = nullptr;
        *pos = *clip = place;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch** out) override { return *out = this, S_OK; }
    STDMETHODIMP TransformCoords(POINTL* himetric, POINTF* units, DWORD flags) override {
        if (scale == 0 || !(flags & XFORMCOORDS_HIMETRICTOCONTAINER)) return E_NOTIMPL;
        *units = POINTF{static_cast<float>(himetric->x) / scale, static_cast<float>(himetric->y) / scale};
        return S_OK;
    }
    STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override { return *n = 0, S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
        return std::wstring_view(names[0]) == L"Name" ? (ids[0] = 1, S_OK) : DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override {
        if (auto it = ambient.find(id); it != ambient.end()) return *result = it->second(), S_OK;
        if (id == DISPID_AMBIENT_USERMODE) return *result = variant::Bool(userMode), S_OK;
        if (id == 1) return *result = variant::Str(L"txtWidth"), S_OK;
        if (id == DISPID_AMBIENT_FONT) return *result = Font(L"Courier New", 12), S_OK;
        return DISP_E_MEMBERNOTFOUND;
    }
};

inline ComPtr<IUnknown> CreateByProgId() {
    CLSID clsid{};
    CLSIDFromProgID(kProgId, &clsid);
    ComPtr<IUnknown> object;
    EXPECT_EQ(
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(object.Put())),
        S_OK);
    return object;
}

// A member's name, or with help its help string.
inline std::wstring Doc(ITypeInfo* info, MEMBERID id = MEMBERID_NIL, bool help = false) {
    BSTR texts[2] = {};
    info->GetDocumentation(id, &texts[0], &texts[1], nullptr, nullptr);
    const std::wstring text = texts[help] ? texts[help] : L"";
    for (BSTR b : texts) SysFreeString(b);
    return text;
}

// A function of an interface: its parameters passed by reference, and the
// name of the type its result refers to.
struct Member {
    std::wstring name;
    MEMBERID id;
    INVOKEKIND kind;
    std::vector<VARTYPE> byRef;  // each parameter's pointee, VT_EMPTY for one passed by value
    std::wstring type;
    WORD flags = 0;  // FUNCFLAG_...
};

inline std::vector<Member> Members(ITypeInfo* info) {
    std::vector<Member> out;
    FUNCDESC* f = nullptr;
    for (UINT i = 0; SUCCEEDED(info->GetFuncDesc(i, &f)); ++i) {
        Member m{Doc(info, f->memid), f->memid, f->invkind, {}, {}, f->wFuncFlags};
        for (SHORT p = 0; p < f->cParams; ++p) {
            const TYPEDESC& t = f->lprgelemdescParam[p].tdesc;
            m.byRef.push_back(t.vt == VT_PTR ? t.lptdesc->vt : VARTYPE(VT_EMPTY));
        }
        const TYPEDESC* t = &f->elemdescFunc.tdesc;
        while (t->vt == VT_PTR) t = t->lptdesc;
        ComPtr<ITypeInfo> ref;
        if (t->vt == VT_USERDEFINED && SUCCEEDED(info->GetRefTypeInfo(t->hreftype, ref.Put()))) m.type = Doc(ref.Get());
        out.push_back(std::move(m));
        info->ReleaseFuncDesc(f);
    }
    return out;
}

struct TypeLibTest : ::testing::Test {
    void SetUp() override {
        lib = Library();
        ASSERT_EQ(lib->GetTypeInfoOfGuid(IID__SpinEditBox, control.Put()), S_OK);
        ASSERT_EQ(lib->GetTypeInfoOfGuid(DIID___SpinEditBox, events.Put()), S_OK);
        // The vtable half of the dual interface, which lists every accessor.
        HREFTYPE ref = 0;
        ASSERT_EQ(control->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref), S_OK);
        ASSERT_EQ(control->GetRefTypeInfo(ref, vtable.Put()), S_OK);
    }
    ComPtr<ITypeLib> lib;
    ComPtr<ITypeInfo> control, events, vtable;
};

}  // namespace brisko::hosted
