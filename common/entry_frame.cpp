#include "common/entry_frame.h"

#include <algorithm>
#include <cstdint>

namespace brisko {
namespace {

// The open frames by their stack addresses, outermost first. Plain values,
// so that no thread's exit has anything to destroy, and no pointer into a
// stack that may have been abandoned: the system may swallow a crash in a
// window procedure below one of our frames and return past it without
// running its destructor. Such a frame sits deeper in the stack than the
// next frame opened at a shallower place, which drops it.
// One thread-local object, so that each call looks up the thread's storage
// once (MinGW emulates thread_local with a call per lookup, and every
// message of a watched window opens a frame).
constexpr int kRecordedFrames = 256;
struct ThreadFrames {
    std::uintptr_t frames[kRecordedFrames];
    int count;
    AfterEntries* head;
    AfterEntries* tail;
};
thread_local ThreadFrames t;

// Frames deeper than `here` (the stack grows down) cannot be running. Frames
// nested beyond the record have no address: they stand or go with the last
// one recorded.
void DropDeeperThan(ThreadFrames& f, std::uintptr_t here) {
    while (f.count > 0 && f.frames[std::min(f.count, kRecordedFrames) - 1] < here) --f.count;
}

}  // namespace

// The two functions below measure the stack where their caller's frame ends,
// their own frame address, so they are never inlined: two frames opened by
// one function measure the same, a frame opened in a call below measures
// less, whatever the sizes of the frames in between.
[[gnu::noinline]] EntryFrame::EntryFrame() noexcept {
    const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    ThreadFrames& f = t;
    DropDeeperThan(f, here);
    index_ = f.count++;
    if (index_ < kRecordedFrames) f.frames[index_] = here;
}

EntryFrame::~EntryFrame() {
    // This frame and any left open below it.
    ThreadFrames& f = t;
    f.count = std::min(f.count, index_);
    if (f.count == 0 && f.head) AfterEntries::RunQueued();
}

[[gnu::noinline]] int EntryDepth() noexcept {
    ThreadFrames& f = t;
    DropDeeperThan(f, reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)));
    return f.count;
}

void AfterEntries::Schedule() noexcept {
    if (queued_) return;
    queued_ = true;
    next_ = nullptr;
    ThreadFrames& f = t;
    (f.tail ? f.tail->next_ : f.head) = this;
    f.tail = this;
    if (EntryDepth() == 0) RunQueued();
}

void AfterEntries::Cancel() noexcept {
    if (!queued_) return;
    ThreadFrames& f = t;
    AfterEntries* before = nullptr;
    for (AfterEntries* p = f.head; p; before = p, p = p->next_) {
        if (p != this) continue;
        (before ? before->next_ : f.head) = next_;
        if (f.tail == this) f.tail = before;
        break;
    }
    queued_ = false;
    next_ = nullptr;
}

void AfterEntries::RunQueued() noexcept {
    // Counted as a call of its own, so that the window procedures the work
    // runs (by destroying windows) run nothing; work queued meanwhile runs in
    // the same pass, and the queue is empty when this frame closes.
    const EntryFrame running;
    ThreadFrames& f = t;
    while (AfterEntries* item = f.head) {
        f.head = item->next_;
        if (!f.head) f.tail = nullptr;
        item->next_ = nullptr;
        item->queued_ = false;
        try {
            // A copy runs: the work may destroy the object that holds it.
            const std::function<void()> work = item->work_;
            if (work) work();
        } catch (...) {
            // Work put off has nobody to report to.
        }
    }
}

}  // namespace brisko
