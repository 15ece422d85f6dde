#include "common/entry_frame.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

namespace brisko {
namespace {

// A frame left open a few calls down, as when the system swallows a crash in
// a window procedure and returns past our frames without unwinding them.
[[gnu::noinline]] void AbandonFrame(int callsDown) {
    alignas(EntryFrame) volatile unsigned char storage[sizeof(EntryFrame)];
    if (callsDown > 0)
        AbandonFrame(callsDown - 1);
    else
        new (const_cast<unsigned char*>(storage)) EntryFrame;
}

TEST(EntryFrame, PutOffWorkRunsOnceWhenTheOutermostCallReturns) {
    std::vector<int> log;
    AfterEntries b([&] { log.push_back(2); }), c([&] { log.push_back(3); });
    // The work of a window procedure run by the first piece of work: it is
    // queued behind, not run inside it.
    AfterEntries a([&] {
        EntryFrame nested;
        c.Schedule();
        log.push_back(1);
    });
    a.Schedule();  // no call running: at once
    EXPECT_EQ(log, (std::vector<int>{1, 3}));
    {
        EntryFrame outer;
        {
            EntryFrame inner;
            b.Schedule();
            a.Schedule();
            b.Schedule();
            EXPECT_EQ(EntryDepth(), 2);
        }
        EXPECT_EQ(log.size(), 2u) << "ran before the outermost call returned";
        EXPECT_TRUE(a.Scheduled());
    }
    EXPECT_EQ(log, (std::vector<int>{1, 3, 2, 1, 3}));
    EXPECT_FALSE(a.Scheduled() || b.Scheduled() || c.Scheduled());
    EXPECT_EQ(EntryDepth(), 0);
}

TEST(EntryFrame, AFrameReturnedPastUnclosedHoldsNothingUpOnceTheStackIsShallowerAgain) {
    bool ran = false;
    AfterEntries work([&] { ran = true; });
    AbandonFrame(4);
    {
        const EntryFrame shallower;
        EXPECT_EQ(EntryDepth(), 1);
        work.Schedule();
    }
    EXPECT_TRUE(ran);
}

TEST(EntryFrame, CancelledThrowingAndSelfDestroyingWork) {
    std::vector<int> log;
    AfterEntries b([&] { log.push_back(2); }), c([&] { log.push_back(3); });
    AfterEntries thrower([] { throw std::runtime_error("lost"); });
    std::unique_ptr<AfterEntries> self;
    self = std::make_unique<AfterEntries>([&] {
        self.reset();
        log.push_back(4);
    });
    {
        EntryFrame f;
        b.Schedule();
        c.Schedule();
        c.Cancel();  // the last one out: what comes next still runs
        thrower.Schedule();
        self->Schedule();
        b.Cancel();  // the first one out
        c.Schedule();
    }
    EXPECT_EQ(log, (std::vector<int>{4, 3}));
    EXPECT_EQ(self, nullptr);
}

}  // namespace
}  // namespace brisko
