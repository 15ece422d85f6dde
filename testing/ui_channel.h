#pragma once
// Running code on the UI thread (the IDE's, a test's) from a helper thread,
// while the UI thread keeps dispatching its messages: how scripted input acts
// on the stand-in IDE or a hosted control as a user's hand does while the
// program runs.
#include <windows.h>

#include <functional>

#include "common/win/handles.h"

namespace brisko::test {

// A message-only window of the IDE's thread through which a helper thread
// runs code on the IDE's thread and waits for it. Sent messages are
// dispatched inside every message loop, modal ones included.
class UiChannel {
public:
    UiChannel();
    // From the helper thread: runs `fn` on the IDE's thread. False when
    // the IDE's thread could not be reached.
    bool Run(const std::function<void()>& fn) const;
    // From the helper thread: waits until the IDE's thread has taken its messages.
    void Sync() const;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    UniqueWindow hwnd_;
};

// Runs `work` on a helper thread while this thread dispatches its
// messages. When the work is done but this thread does not come back
// (input opened a menu or a dialog that nothing closes), the helper closes
// it after a while and the call throws std::runtime_error, instead of
// waiting for ever.
void RunWhilePumping(const std::function<void(const UiChannel&)>& work);

}  // namespace brisko::test
