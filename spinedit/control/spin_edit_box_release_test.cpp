// Fault injection: a handler lets the control go from inside each event the
// control raises, by each kind of input that raises it, as "Unload Me" in a
// VB handler does. The control outlives the message that raised the event,
// its window goes afterwards, and nothing of it is left. ctest runs this with
// Wine's heap checking (WINEDEBUG=warn+heap), which fills freed memory, so
// that a call through a freed object faults instead of passing unnoticed.
#include <cstdio>

#include "spinedit/control/hosted_control_test.h"

namespace brisko {
namespace {

using namespace hosted;

enum class Input {
    Click,
    MiddleClick,
    DoubleClick,
    ClickMargin,
    Move,
    MoveOverMargin,
    Digit,
    UpKey,
    UpArrow,
    Paste,
    Code
};

struct Case {
    Input input;
    const wchar_t* event;
    int nth = 1;  // the event's occurrence that lets go
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << static_cast<int>(c.input) << " " << testing::PrintToString(std::wstring(c.event)) << " #" << c.nth;
}

void SetClipboardText(HWND owner, const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(mem), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(mem);
    SetClipboardData(CF_UNICODETEXT, mem);
    CloseClipboard();
}

// A fault ends the run at once with its place, instead of a crash dialog
// that nobody answers.
LONG WINAPI ReportFault(EXCEPTION_POINTERS* e) {
    HMODULE module = nullptr;
    wchar_t name[MAX_PATH] = L"?";
    const void* at = e->ExceptionRecord->ExceptionAddress;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCWSTR>(at), &module))
        GetModuleFileNameW(module, name, MAX_PATH);
    fprintf(stderr, "fault %08lx at %ls+0x%llx\n", e->ExceptionRecord->ExceptionCode, name,
            static_cast<unsigned long long>(static_cast<const char*>(at) - reinterpret_cast<const char*>(module)));
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

class LetGo : public Hosted, public testing::WithParamInterface<Case> {
protected:
    static void SetUpTestSuite() {
        SetUnhandledExceptionFilter(&ReportFault);
        Hosted::SetUpTestSuite();
    }
};

TEST_P(LetGo, InsideTheEventTheControlLivesOutTheMessageAndLeavesNothing) {
    const Case c = GetParam();
    const HWND window = box_->Window(L"hWnd"), text = Text(), spin = box_->Window(L"hWndSpin");
    ASSERT_EQ(box_->Put(L"LeftMargin", I4(12)), S_OK);  // a strip of the control's own surface
    RECT r;
    GetWindowRect(text, &r);
    const POINT margin{r.left - 6, (r.top + r.bottom) / 2}, away{r.left, r.bottom + 40};
    auto sink = std::make_unique<Sink>(control_.Get());
    int seen = 0;
    sink->then = [&](const std::wstring& event) {
        if (event != c.event || ++seen != c.nth) return;
        sink->Unadvise();
        box_.reset();
        control_.Reset();
        form_.Reset();  // the container lets go of its reference with its window
    };
    if (c.input >= Input::Digit && c.input <= Input::Paste) Focus();
    switch (c.input) {
        case Input::Click:
            input::Click(CenterOf(text));
            break;
        case Input::MiddleClick:
            input::Click(CenterOf(text), idehost::MouseButton::Middle);
            break;
        case Input::DoubleClick:
            input::DoubleClick(CenterOf(text));
            break;
        case Input::ClickMargin:
            input::Click(margin);
            break;
        case Input::Move:
            input::Sequence().MoveTo(away).MoveTo(CenterOf(text)).Run();
            break;
        case Input::MoveOverMargin:
            input::Sequence().MoveTo(away).MoveTo(margin).Run();
            break;
        case Input::Digit:
            input::Key('5');
            break;
        case Input::UpKey:
            input::Key(VK_UP);
            break;
        case Input::UpArrow:
            input::Click(CenterOf(spin, 0.2));
            break;
        case Input::Paste:
            SetClipboardText(form_.Get(), L"7");
            SendMessageW(text, EM_SETSEL, 0, -1);
            input::Sequence().KeyDown(VK_CONTROL).Key('V').KeyUp(VK_CONTROL).Run();
            break;
        case Input::Code: {
            // A caller holds its own reference for the length of its call.
            ByName caller(control_.As<IDispatch>(IID_IDispatch));
            EXPECT_EQ(caller.Put(L"Text", Str(L"9")), S_OK);
            break;
        }
    }
    Pump(150);
    EXPECT_EQ(seen, c.nth) << "the event was not raised";
    EXPECT_FALSE(IsWindow(window)) << "the control's window is left";
    EXPECT_EQ(sink->refs, 0) << "the sink is still held";
    EXPECT_EQ(Export<HRESULT(STDAPICALLTYPE*)()>(g_dll, "DllCanUnloadNow")(), S_OK)
        << "an object of the server is left";
}

INSTANTIATE_TEST_SUITE_P(
    EveryEventByEveryInput, LetGo,
    testing::Values(
        Case{Input::Click, L"MouseDown"}, Case{Input::Click, L"MouseUp"}, Case{Input::Click, L"Click"},
        Case{Input::MiddleClick, L"MouseDown"}, Case{Input::MiddleClick, L"MouseUp"},
        Case{Input::DoubleClick, L"MouseDown", 2}, Case{Input::DoubleClick, L"DblClick"},
        Case{Input::ClickMargin, L"MouseDown"}, Case{Input::ClickMargin, L"MouseUp"},
        Case{Input::ClickMargin, L"Click"}, Case{Input::Move, L"MouseMove"}, Case{Input::MoveOverMargin, L"MouseMove"},
        Case{Input::Digit, L"BeforeKeyDown"}, Case{Input::Digit, L"KeyDown"}, Case{Input::Digit, L"KeyPress"},
        Case{Input::Digit, L"KeyPress2"}, Case{Input::Digit, L"Change"}, Case{Input::Digit, L"ChangeValue"},
        Case{Input::Digit, L"BeforeKeyUp"}, Case{Input::Digit, L"KeyUp"}, Case{Input::UpKey, L"BeforeKeyDown"},
        Case{Input::UpKey, L"KeyDown"}, Case{Input::UpKey, L"SpinBeforeClick"}, Case{Input::UpKey, L"Change"},
        Case{Input::UpKey, L"ChangeValue"}, Case{Input::UpKey, L"SpinClick"}, Case{Input::UpKey, L"BeforeKeyUp"},
        Case{Input::UpKey, L"KeyUp"}, Case{Input::UpArrow, L"SpinBeforeClick"}, Case{Input::UpArrow, L"Change"},
        Case{Input::UpArrow, L"ChangeValue"}, Case{Input::UpArrow, L"SpinClick"}, Case{Input::Paste, L"OnPaste"},
        Case{Input::Paste, L"Change"}, Case{Input::Paste, L"ChangeValue"}, Case{Input::Code, L"Change"},
        Case{Input::Code, L"ChangeValue"}));

}  // namespace
}  // namespace brisko
