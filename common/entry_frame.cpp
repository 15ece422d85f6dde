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
constexpr int kRecordedFrames = 256;
thread_local std::uintptr_t t_frames[kRecordedFrames];
thread_local int t_count;
thread_local AfterEntries* t_head = nullptr;
thread_local AfterEntries* t_tail = nullptr;

// Frames deeper than `here` (the stack grows down) cannot be running. Frames
// nested beyond the record have no address: they stand or go with the last
// one recorded.
void DropDeeperThan(std::uintptr_t here) {
    while (t_count > 0 && t_frames[std::min(t_count, kRecordedFrames) - 1] < here) --t_count;
}

}  // namespace

// The two functions below measure the stack where their caller's frame ends,
// their own frame address, so they are never inlined: two frames opened by
// one function measure the same, a frame opened in a call below measures
// less, whatever the sizes of the frames in between.
[[gnu::noinline]] EntryFrame::EntryFrame() noexcept {
    const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    DropDeeperThan(here);
    index_ = t_count++;
    if (index_ < kRecordedFrames) t_frames[index_] = here;
}

EntryFrame::~EntryFrame() {
    // This frame and any left open below it.
    t_count = std::min(t_count, index_);
    if (t_count == 0 && t_head) AfterEntries::RunQueued();
}

[[gnu::noinline]] int EntryDepth() noexcept {
    DropDeeperThan(reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)));
    return t_count;
}

void AfterEntries::Schedule() noexcept {
    if (queued_) return;
    queued_ = true;
    next_ = nullptr;
    if (t_tail)
        t_tail->next_ = this;
    else
        t_head = this;
    t_tail = this;
    if (EntryDepth() == 0) RunQueued();
}

void AfterEntries::Cancel() noexcept {
    if (!queued_) return;
    AfterEntries* before = nullptr;
    for (AfterEntries* p = t_head; p; before = p, p = p->next_) {
        if (p != this) continue;
        (before ? before->next_ : t_head) = next_;
        if (t_tail == this) t_tail = before;
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
    while (AfterEntries* item = t_head) {
        t_head = item->next_;
        if (!t_head) t_tail = nullptr;
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
