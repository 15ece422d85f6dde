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

TEST(EntryFrame, WorkWaitsForTheOutermostCallAndRunsOnceInOrder) {
    std::vector<int> log;
    std::unique_ptr<AfterEntries> self;
    AfterEntries b([&] { log.push_back(2); }), c([&] { log.push_back(3); }),
        thrower([] { throw std::runtime_error(""); });
    // Work that calls back in (a window procedure run by a DestroyWindow)
    // queues more behind itself instead of running it inside.
    AfterEntries a([&] {
        const EntryFrame nested;
        c.Schedule();
        log.push_back(1);
    });
    self = std::make_unique<AfterEntries>([&] {
        self.reset();  // the work destroys its holder
        log.push_back(4);
    });
    a.Schedule();  // nothing running: at once
    EXPECT_EQ(log, (std::vector<int>{1, 3}));
    AbandonFrame(4);  // holds nothing up below a shallower frame
    {
        const EntryFrame outer;
        {
            const EntryFrame inner;
            for (AfterEntries* w : {&b, &c, &thrower, &a, &b, self.get()}) w->Schedule();
            self->Cancel();  // the last out, and queued again
            self->Schedule();
            c.Cancel();  // out of the middle
            EXPECT_EQ(EntryDepth(), 2);
        }
        EXPECT_EQ(log.size(), 2u) << "ran before the outermost call returned";
    }
    EXPECT_EQ(log, (std::vector<int>{1, 3, 2, 1, 4, 3}));
    EXPECT_EQ(self, nullptr);
    EXPECT_EQ(EntryDepth(), 0);
}

}  // namespace
}  // namespace brisko
