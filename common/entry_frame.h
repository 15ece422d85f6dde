#pragma once
// The calls into the add-in that the host or the window system makes on this
// thread: window procedures, hook and timer callbacks, COM methods. While one
// of them runs a nested message loop (a menu, a message box, a dialog, a
// window's close prompt) the host may run anything, disconnection included,
// and every frame of ours below the loop still has to return into live
// objects. Work that frees such objects is therefore put off with
// AfterEntries: it runs when the outermost call has returned into the host.
//
// Everything here is per thread, on the thread's one stack (no fibers).
#include <functional>

#include "common/non_copyable.h"

namespace brisko {

// Open for the length of one call from outside, as a local variable; the
// outermost one, when it closes, runs the work put off meanwhile.
class EntryFrame : NonCopyable {
public:
    EntryFrame() noexcept;
    ~EntryFrame();

private:
    int index_;  // among the open frames, outermost 0
};

// How many calls from outside are running on this thread now.
int EntryDepth() noexcept;

// One piece of work for when no call from outside runs: at once when none
// does, otherwise once the outermost one returns. Scheduling it again before
// it has run changes nothing; what it throws is dropped. The work may destroy
// this object.
class AfterEntries : NonCopyable {
public:
    explicit AfterEntries(std::function<void()> work) : work_(std::move(work)) {}
    ~AfterEntries() { Cancel(); }

    void Schedule() noexcept;
    // Takes it out of the queue if it has not run yet.
    void Cancel() noexcept;
    bool Scheduled() const noexcept { return queued_; }

private:
    friend class EntryFrame;
    static void RunQueued() noexcept;

    std::function<void()> work_;
    AfterEntries* next_ = nullptr;
    bool queued_ = false;
};

}  // namespace brisko
