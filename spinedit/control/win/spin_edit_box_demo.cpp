// Brisko.SpinEditBox on a form at run time, as a VB6 program shows it: the
// Brisko.dll beside this program is registered, three boxes are created by
// their ProgID in ATL's ActiveX host windows and set up by name through
// IDispatch, as late-bound code does. The README's picture comes from here:
//   build/win64/wine-run.sh build/win64/spin_edit_box_demo.exe docs/spin-edit-box.png
// Without a path the form stays open until it is closed.
#include <ocidl.h>
#include <windows.h>

#include <cstdio>

#include "common/win/com_ptr.h"
#include "common/win/gdi.h"
#include "common/win/variant_values.h"
#include "testing/pump.h"
#include "testing/screenshot.h"

namespace {

using namespace brisko;
using namespace brisko::variant;

template <typename F>
F Export(HMODULE module, const char* name) {
    return module ? reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name))) : nullptr;
}

// Sets one property by name; the value is taken over.
bool Put(IDispatch* box, const wchar_t* name, VARIANT value) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN, named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    HRESULT hr = box->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (SUCCEEDED(hr))
        hr = box->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
    VariantClear(&value);
    if (FAILED(hr)) std::fprintf(stderr, "%ls: 0x%08lx\n", name, static_cast<unsigned long>(hr));
    return SUCCEEDED(hr);
}

LRESULT CALLBACK FormProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(w, msg, wp, lp);
}

struct Field {
    const wchar_t* label;
    double max, value;
    const wchar_t* text;  // setting Value leaves the text alone, so a form stores both
    short decFig;
    bool enabled;
};

}  // namespace

int main(int argc, char** argv) {
    if (FAILED(OleInitialize(nullptr))) return 1;
    // Beside this program, not wherever the search path finds one.
    wchar_t dllPath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, dllPath, MAX_PATH);
    if (wchar_t* slash = wcsrchr(dllPath, L'\\')) wcscpy(slash + 1, L"Brisko.dll");
    const HMODULE dll = LoadLibraryW(dllPath);
    const auto registerServer = Export<HRESULT(STDAPICALLTYPE*)()>(dll, "DllRegisterServer");
    const auto axInit = Export<BOOL(WINAPI*)()>(LoadLibraryW(L"atl.dll"), "AtlAxWinInit");
    const auto axControl = Export<HRESULT(WINAPI*)(HWND, IUnknown**)>(GetModuleHandleW(L"atl.dll"), "AtlAxGetControl");
    if (!registerServer || FAILED(registerServer()) || !axInit || !axInit() || !axControl) {
        std::fprintf(stderr, "cannot register %ls or start ATL's control host\n", dllPath);
        return 1;
    }

    WNDCLASSW wc{};
    wc.lpfnWndProc = FormProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"ThunderRT6FormDC";  // what a compiled VB6 form registers
    RegisterClassW(&wc);
    UniqueWindow form(CreateWindowExW(0, wc.lpszClassName, L"Form1",
                                      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 40, 40, 320, 164,
                                      nullptr, nullptr, wc.hInstance, nullptr));
    // A form's default font in the Japanese edition.
    UniqueFont font = MakeFont(FontSpec::Make(L"MS UI Gothic", 9));
    if (!form || !font) return 1;

    const Field fields[] = {
        {L"タブの幅", 320, 120, L"120", 0, true},
        {L"数量", 99, 12, L"12", 0, false},
        {L"金額", 99999, 1234.5, L"1234.50", 2, true},
    };
    ComPtr<IDispatch> boxes[3];
    for (int i = 0; i < 3; ++i) {
        const Field& f = fields[i];
        const int y = 16 + i * 36;
        HWND label = CreateWindowExW(0, L"STATIC", f.label, WS_CHILD | WS_VISIBLE | SS_RIGHT, 12, y + 5, 96, 16,
                                     form.Get(), nullptr, wc.hInstance, nullptr);
        SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), 0);
        HWND host = CreateWindowExW(0, L"AtlAxWin", L"Brisko.SpinEditBox", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 116, y,
                                    160, 24, form.Get(), nullptr, wc.hInstance, nullptr);
        ComPtr<IUnknown> control;
        if (!host || FAILED(axControl(host, control.Put()))) {
            std::fprintf(stderr, "Brisko.SpinEditBox cannot be created\n");
            return 1;
        }
        boxes[i] = control.As<IDispatch>(IID_IDispatch);
        IDispatch* box = boxes[i].Get();
        if (!box) return 1;
        Put(box, L"Caption", Str(f.label));
        Put(box, L"Max", R8(f.max));
        Put(box, L"DecFig", I4(f.decFig));
        Put(box, L"Value", R8(f.value));
        Put(box, L"Text", Str(f.text));
        if (!f.enabled) Put(box, L"Enabled", Bool(false));
    }
    Put(boxes[0].Get(), L"FocusColor", I4(0xC0FFFF));    // light yellow while it has the focus
    Put(boxes[0].Get(), L"TextSelection", Bool(false));  // a caret rather than a selection
    ShowWindow(form.Get(), SW_SHOW);
    SetForegroundWindow(form.Get());
    test::Pump(100);
    DISPPARAMS none{};
    LPOLESTR setFocus[] = {const_cast<LPOLESTR>(L"SetFocus")};
    DISPID id = DISPID_UNKNOWN;
    if (SUCCEEDED(boxes[0]->GetIDsOfNames(IID_NULL, setFocus, 1, LOCALE_USER_DEFAULT, &id)))
        boxes[0]->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);

    int rc = 0;
    if (argc > 1) {
        test::Pump(400);
        RedrawWindow(form.Get(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        // The caret before the number (at its end Wine's edit clips it to
        // nothing); moving it starts its blink afresh, so it is on for the
        // picture.
        Put(boxes[0].Get(), L"SelStart", I4(1));
        Put(boxes[0].Get(), L"SelStart", I4(0));
        test::Pump(50);
        if (!test::SaveScreenshot(form.Get(), argv[1])) {
            std::fprintf(stderr, "cannot write %s\n", argv[1]);
            rc = 1;
        }
    } else {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (IsDialogMessageW(form.Get(), &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        form.Release();
    }
    for (auto& box : boxes) box.Reset();
    form.Reset();
    OleUninitialize();
    return rc;
}
