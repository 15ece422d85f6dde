// Fault injection: a handler lets the control go from inside each event the
// control raises, by each kind of input that raises it, as "Unload Me" in a
// VB handler does. The control outlives the message that raised the event,
// its window goes afterwards, and nothing of it is left. ctest runs this with
// Wine's heap checking (WINEDEBUG=warn+heap), which fills freed memory, so
// that a call through a freed object faults instead of passing unnoticed.
#include <cstdio>
#include <vector>

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

// A fault ends the run at once with its place, instead of a crash dialog
// that nobody answers.
LONG WINAPI ReportFault(EXCEPTION_POINTERS* e) {
    fprintf(stderr, "fault %08lx at %p\n", e->ExceptionRecord->ExceptionCode, e->ExceptionRecord->ExceptionAddress);
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

// Each input with the events it raises, in order; a name twice is its
// second occurrence.
std::vector<Case> Cases() {
    const std::pair<Input, std::vector<const wchar_t*>> inputs[] = {
        {Input::Click, {L"MouseDown", L"MouseUp", L"Click"}},
        {Input::MiddleClick, {L"MouseDown", L"MouseUp"}},
        {Input::DoubleClick, {L"DblClick"}},
        {Input::ClickMargin, {L"MouseDown", L"MouseUp", L"Click"}},
        {Input::Move, {L"MouseMove"}},
        {Input::MoveOverMargin, {L"MouseMove"}},
        {Input::Digit,
         {L"BeforeKeyDown", L"KeyDown", L"KeyPress", L"KeyPress2", L"Change", L"ChangeValue", L"BeforeKeyUp",
          L"KeyUp"}},
        {Input::UpKey,
         {L"BeforeKeyDown", L"KeyDown", L"SpinBeforeClick", L"Change", L"ChangeValue", L"SpinClick", L"BeforeKeyUp",
          L"KeyUp"}},
        {Input::UpArrow, {L"SpinBeforeClick", L"Change", L"ChangeValue", L"SpinClick"}},
        {Input::Paste, {L"OnPaste", L"Change", L"ChangeValue"}},
        {Input::Code, {L"Change", L"ChangeValue"}}};
    std::vector<Case> cases = {{Input::DoubleClick, L"MouseDown", 2}};  // the press that makes it double
    for (const auto& [input, events] : inputs)
        for (const wchar_t* event : events) cases.push_back({input, event});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryEventByEveryInput, LetGo, testing::ValuesIn(Cases()));

}  // namespace
}  // namespace brisko
