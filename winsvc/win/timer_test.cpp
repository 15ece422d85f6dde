#include "winsvc/timer.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "testing/pump.h"
#include "winsvc/win/slot_pool.h"

namespace brisko {
namespace {

using test::Pump;

struct Owner : iTimer {
    std::vector<std::int32_t> elapsed, ids;
    std::function<void()> react;
    void iTimer_Proc(std::int32_t lElapsedMS, std::int32_t lTimerID) override {
        elapsed.push_back(lElapsedMS);
        ids.push_back(lTimerID);
        if (react) react();
    }
};

// Timer resolution under Wine and on Windows is coarse; allow for it.
constexpr std::int32_t kSlack = 40;

// A restart replaces the first timer and counts from the second start; the
// proc stops the timer at the third tick and nothing comes after.
TEST(TimerTest, ElapsedTimeCountsFromTheLastStartWithItsIdAndTheProcMayStopIt) {
    Owner owner;
    CTimer t;
    EXPECT_TRUE(t.TmrStop()) << "stopping an idle timer";
    ASSERT_TRUE(t.TmrStart(&owner, 30, 1));
    // Long enough that a count from the first start is unmistakable.
    Pump(5000, [&] { return !owner.elapsed.empty() && owner.elapsed.back() >= 600; });
    ASSERT_TRUE(t.TmrStart(&owner, 100, 2));
    owner.elapsed.clear();
    owner.ids.clear();
    bool stopped = false;
    owner.react = [&] { stopped |= owner.ids.size() == 3 && t.TmrStop(); };
    Pump(3000, [&] { return owner.ids.size() >= 3; });
    Pump(300);
    EXPECT_TRUE(stopped && !t.Running());
    EXPECT_EQ(owner.ids, (std::vector<std::int32_t>{2, 2, 2})) << "the first timer is gone, nothing after the stop";
    EXPECT_LT(owner.elapsed[0], 500) << "counted from the second start";
    // Tick n has at least n intervals behind it: one timer at 100 ms, no leftover 30 ms one.
    for (std::size_t i = 0; i < owner.elapsed.size(); ++i)
        EXPECT_GE(owner.elapsed[i], static_cast<std::int32_t>(100 * (i + 1)) - kSlack) << i;
}

TEST(TimerTest, ThrowingOwnerKeepsTickingAndADestroyedObjectStops) {
    Owner owner;
    auto t = std::make_unique<CTimer>();
    owner.react = [&] {
        if (owner.ids.size() < 3) throw 1;
        t.reset();  // inside its own tick
    };
    ASSERT_TRUE(t->TmrStart(&owner, 20));
    Pump(3000, [&] { return t == nullptr; });
    Pump(150);
    EXPECT_EQ(owner.ids.size(), 3u);
    EXPECT_EQ(winsvc_detail::TimerSlotsInUse(), 0);
    // Destroyed from outside, between ticks.
    owner.react = nullptr;
    t = std::make_unique<CTimer>();
    ASSERT_TRUE(t->TmrStart(&owner, 20));
    Pump(3000, [&] { return owner.ids.size() > 3; });
    t.reset();
    Pump(150);
    EXPECT_EQ(owner.ids.size(), 4u);
}

}  // namespace
}  // namespace brisko
