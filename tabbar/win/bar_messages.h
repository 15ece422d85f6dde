#pragma once
// The edge between the window's raw messages and the bar: which messages the
// bar watches and in which phase, each one read once into a typed BarInput,
// and the bar's answer turned back into the window's result.
#include <windows.h>

#include "tabbar/bar_input.h"

namespace brisko {

struct WatchedMessage {
    UINT message;
    MsgPhase phase;
};
// In the order they are registered on attaching.
extern const WatchedMessage kWatchedMessages[24];

// A message of the attached window as the bar reads it; kind Other for one
// it does not read.
BarInput ReadBarInput(MsgPhase phase, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// The window's result for the bar's answer; `own` is what it has so far.
LRESULT AnswerResult(BarAnswer answer, LRESULT own);

}  // namespace brisko
