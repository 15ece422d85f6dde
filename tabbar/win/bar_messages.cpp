#include "tabbar/win/bar_messages.h"

#include <windowsx.h>

#include "common/win/handles.h"

namespace brisko {

const WatchedMessage kWatchedMessages[24] = {
    {WM_PAINT, MsgPhase::After},        {WM_PARENTNOTIFY, MsgPhase::Before},   {WM_MDIACTIVATE, MsgPhase::After},
    {WM_SIZE, MsgPhase::After},         {WM_NCHITTEST, MsgPhase::After},       {WM_NCCALCSIZE, MsgPhase::After},
    {WM_NCPAINT, MsgPhase::After},      {WM_MOUSELEAVE, MsgPhase::After},      {WM_MOUSEMOVE, MsgPhase::After},
    {WM_LBUTTONDOWN, MsgPhase::Before}, {WM_LBUTTONUP, MsgPhase::Before},      {WM_LBUTTONDBLCLK, MsgPhase::Before},
    {WM_RBUTTONDOWN, MsgPhase::Before}, {WM_RBUTTONUP, MsgPhase::Before},      {WM_RBUTTONDBLCLK, MsgPhase::Before},
    {WM_MBUTTONDOWN, MsgPhase::Before}, {WM_MBUTTONUP, MsgPhase::Before},      {WM_MBUTTONDBLCLK, MsgPhase::Before},
    {WM_XBUTTONDOWN, MsgPhase::Before}, {WM_XBUTTONUP, MsgPhase::Before},      {WM_XBUTTONDBLCLK, MsgPhase::Before},
    {WM_MOUSEWHEEL, MsgPhase::Before},  {WM_CAPTURECHANGED, MsgPhase::Before}, {WM_NCDESTROY, MsgPhase::After},
};

namespace {

// The mouse button messages come in runs of three per button: down, up,
// double click.
struct ButtonRun {
    UINT down;
    std::int32_t button;
};
constexpr ButtonRun kButtonRuns[] = {{WM_LBUTTONDOWN, kLeftButton},
                                     {WM_RBUTTONDOWN, kRightButton},
                                     {WM_MBUTTONDOWN, kMiddleButton},
                                     {WM_XBUTTONDOWN, kXButton1}};

// Which X button: the high word of wParam, 0 when it names neither.
std::int32_t XButton(WPARAM wParam) {
    const WORD which = GET_XBUTTON_WPARAM(wParam);
    if (which & XBUTTON1) return kXButton1;
    if (which & XBUTTON2) return kXButton2;
    return 0;
}

// The other messages the bar reads, and whether lParam holds a position.
struct Reading {
    UINT message;
    BarInputKind kind;
    bool positioned;
};
constexpr Reading kReadings[] = {
    {WM_MOUSEMOVE, BarInputKind::MouseMove, true},
    {WM_MOUSELEAVE, BarInputKind::MouseLeave, false},
    {WM_MOUSEWHEEL, BarInputKind::Wheel, true},
    {WM_CAPTURECHANGED, BarInputKind::CaptureChanged, false},
    {WM_MDIACTIVATE, BarInputKind::ChildActivated, false},
    {WM_SIZE, BarInputKind::Resized, true},
    {WM_PAINT, BarInputKind::Painted, false},
    {WM_NCPAINT, BarInputKind::Painted, false},
    {WM_NCHITTEST, BarInputKind::HitTest, true},
    {WM_NCDESTROY, BarInputKind::Destroyed, false},
};

}  // namespace

BarInput ReadBarInput(MsgPhase phase, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    BarInput in;
    in.phase = phase;
    in.window = FromHwnd(hwnd);
    const Point at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    for (const ButtonRun& run : kButtonRuns) {
        if (message < run.down || message > run.down + 2) continue;
        constexpr BarInputKind kinds[] = {BarInputKind::ButtonDown, BarInputKind::ButtonUp, BarInputKind::DoubleClick};
        in.kind = kinds[message - run.down];
        in.button = run.button == kXButton1 ? XButton(wParam) : run.button;
        in.point = at;
        return in;
    }
    for (const Reading& reading : kReadings) {
        if (reading.message != message) continue;
        in.kind = reading.kind;
        if (reading.positioned) in.point = at;
        break;
    }
    switch (message) {
        case WM_MOUSEMOVE:
            in.keys = static_cast<std::uint32_t>(wParam);
            break;
        case WM_MOUSEWHEEL:
            in.wheelDelta = GET_WHEEL_DELTA_WPARAM(wParam);
            in.keys = GET_KEYSTATE_WPARAM(wParam);
            break;
        case WM_MDIACTIVATE:
            in.child = static_cast<WindowHandle>(wParam);
            break;
        case WM_PARENTNOTIFY:
            if (LOWORD(wParam) == WM_CREATE) in.kind = BarInputKind::ChildCreated;
            if (LOWORD(wParam) == WM_DESTROY) in.kind = BarInputKind::ChildDestroyed;
            in.child = static_cast<WindowHandle>(lParam);
            break;
        default:
            break;
    }
    return in;
}

LRESULT AnswerResult(BarAnswer answer, LRESULT own) {
    switch (answer) {
        case BarAnswer::Zero:
            return 0;
        case BarAnswer::HitClient:
            return HTCLIENT;
        case BarAnswer::HitBorder:
            return HTBORDER;
        default:
            return own;
    }
}

}  // namespace brisko
