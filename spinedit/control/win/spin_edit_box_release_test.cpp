// Fault injection: a handler lets the control go from inside each event the
// control raises, by each kind of input that raises it, as "Unload Me" in a
// VB handler does. The control outlives the message that raised the event,
// its window goes afterwards, and nothing of it is left. ctest runs this with
// Wine's heap checking (WINEDEBUG=warn+heap), which fills freed memory, so
// that a call through a freed object faults instead of passing unnoticed.
#include <cstdio>
#include <functional>
#include <map>
#include <sstream>
#include <string_view>
#include <tuple>
#include <vector>

#include "spinedit/control/win/hosted_control_test.h"

namespace brisko {
namespace {

using namespace hosted;

// An input, an event it raises, and the occurrence of that event that lets go.
using Case = std::tuple<const char*, std::wstring, int>;

// Each input with the events it raises, in order; the keys and the arrows are
// given to the focused box.
const std::tuple<const char*, bool, const wchar_t*> kInputs[] = {
    {"click", false, L"MouseDown MouseUp Click"},
    {"middle click", false, L"MouseDown MouseUp"},
    {"double click", false, L"DblClick"},
    {"click on the margin", false, L"MouseDown MouseUp Click"},
    {"move", false, L"MouseMove"},
    {"move over the margin", false, L"MouseMove"},
    {"digit", true, L"BeforeKeyDown KeyDown KeyPress KeyPress2 Change ChangeValue BeforeKeyUp KeyUp"},
    {"up key", true, L"BeforeKeyDown KeyDown SpinBeforeClick Change ChangeValue SpinClick BeforeKeyUp KeyUp"},
    {"up arrow", true, L"SpinBeforeClick Change ChangeValue SpinClick"},
    {"paste", true, L"OnPaste Change ChangeValue"},
    {"code", false, L"Change ChangeValue"}};

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
    const auto [inputName, event, nth] = GetParam();
    const HWND window = box_->Window(L"hWnd"), text = Text(), spin = box_->Window(L"hWndSpin");
    ASSERT_EQ(box_->Put(L"LeftMargin", I4(12)), S_OK);  // a strip of the control's own surface
    RECT r;
    GetWindowRect(text, &r);
    const POINT margin{r.left - 6, (r.top + r.bottom) / 2}, away{r.left, r.bottom + 40};
    const std::map<std::string_view, std::function<void()>> inputs = {
        {"click", [&] { input::Click(CenterOf(text)); }},
        {"middle click", [&] { input::Click(CenterOf(text), test::MouseButton::Middle); }},
        {"double click", [&] { input::DoubleClick(CenterOf(text)); }},
        {"click on the margin", [&] { input::Click(margin); }},
        {"move", [&] { input::Sequence().MoveTo(away).MoveTo(CenterOf(text)).Run(); }},
        {"move over the margin", [&] { input::Sequence().MoveTo(away).MoveTo(margin).Run(); }},
        {"digit", [&] { input::Key('5'); }},
        {"up key", [&] { input::Key(VK_UP); }},
        {"up arrow", [&] { input::Click(CenterOf(spin, 0.2)); }},
        {"paste",
         [&] {
             SendMessageW(text, EM_SETSEL, 0, -1);
             Paste(form_.Get(), L"7");
         }},
        // A caller holds its own reference for the length of its call.
        {"code", [&] { EXPECT_EQ(ByName(control_.As<IDispatch>(IID_IDispatch)).Put(L"Text", Str(L"9")), S_OK); }}};
    auto sink = std::make_unique<Sink>(control_.Get());
    int seen = 0;
    sink->peek = [&](const std::wstring& raised, DISPPARAMS&) {
        if (raised != event || ++seen != nth) return;
        sink->Unadvise();
        box_.reset();
        control_.Reset();
        form_.Reset();  // the container lets go of its reference with its window
    };
    for (const auto& [name, focused, events] : kInputs)
        if (name == std::string_view(inputName) && focused) Focus();
    inputs.at(inputName)();
    Pump(150);
    EXPECT_EQ(seen, nth) << "the event was not raised";
    EXPECT_FALSE(IsWindow(window)) << "the control's window is left";
    EXPECT_EQ(sink->refs, 0) << "the sink is still held";
    EXPECT_EQ(Export<HRESULT(STDAPICALLTYPE*)()>(g_dll, "DllCanUnloadNow")(), S_OK)
        << "an object of the server is left";
}

// Every event of every input; a name twice is its second occurrence.
std::vector<Case> Cases() {
    std::vector<Case> cases = {{"double click", L"MouseDown", 2}};  // the press that makes it double
    for (const auto& [input, focused, events] : kInputs) {
        std::wistringstream names(events);
        for (std::wstring event; names >> event;) cases.emplace_back(input, event, 1);
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryEventByEveryInput, LetGo, testing::ValuesIn(Cases()));

}  // namespace
}  // namespace brisko
