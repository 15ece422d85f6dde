#include "winsvc/timer.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "winsvc/win/pump.h"
#include "winsvc/win/slot_pool.h"

namespace brisko {
namespace {

using test::Pump;

struct Tick {
    std::int32_t lElapsedMS;
    std::int32_t lTimerID;
};

struct Owner : iTimer {
    std::vector<Tick> ticks;
    std::function<void(const Tick&)> react;
    void iTimer_Proc(std::int32_t lElapsedMS, std::int32_t lTimerID) override {
        ticks.push_back({lElapsedMS, lTimerID});
        if (react) react(ticks.back());
    }
};

// Timer resolution under Wine and on Windows is coarse; allow for it.
constexpr std::int32_t kSlack = 40;

// The proc stops its own timer at the fourth tick: nothing comes after.
TEST(TimerTest, ElapsedTimeGrowsFromTheStartCarriesTheIdAndTheProcMayStopIt) {
    Owner owner;
    CTimer t;
    EXPECT_TRUE(t.TmrStop()) << "stopping an idle timer";
    bool stopped = false;
    owner.react = [&](const Tick&) {
        if (owner.ticks.size() == 4) stopped = t.TmrStop();
    };
    ASSERT_TRUE(t.TmrStart(&owner, 50, 7));
    EXPECT_TRUE(t.Running());
    Pump(3000, [&] { return owner.ticks.size() >= 4; });
    Pump(200);
    EXPECT_TRUE(stopped);
    EXPECT_FALSE(t.Running());
    ASSERT_EQ(owner.ticks.size(), 4u);
    for (std::size_t i = 0; i < owner.ticks.size(); ++i) {
        const Tick& k = owner.ticks[i];
        EXPECT_EQ(k.lTimerID, 7);
        // Tick n has at least n intervals behind it, counted from TmrStart.
        EXPECT_GE(k.lElapsedMS, static_cast<std::int32_t>(50 * (i + 1)) - kSlack) << i;
        if (i > 0) {
            EXPECT_GT(k.lElapsedMS, owner.ticks[i - 1].lElapsedMS) << i;
        }
    }
}

TEST(TimerTest, RestartCountsFromTheSecondStartWithOneTimer) {
    Owner owner;
    CTimer t;
    ASSERT_TRUE(t.TmrStart(&owner, 30, 1));
    // Long enough that a count from the first start is unmistakable.
    Pump(5000, [&] { return !owner.ticks.empty() && owner.ticks.back().lElapsedMS >= 600; });
    ASSERT_FALSE(owner.ticks.empty());
    ASSERT_GE(owner.ticks.back().lElapsedMS, 600);
    ASSERT_TRUE(t.TmrStart(&owner, 100, 2));
    owner.ticks.clear();
    Pump(3000, [&] { return owner.ticks.size() >= 3; });
    ASSERT_GE(owner.ticks.size(), 3u);
    for (const Tick& k : owner.ticks) EXPECT_EQ(k.lTimerID, 2) << "the first timer is gone";
    EXPECT_GE(owner.ticks[0].lElapsedMS, 100 - kSlack);
    EXPECT_LT(owner.ticks[0].lElapsedMS, 500) << "counted from the second start";
    // One system timer at 100 ms: ticks are about 100 ms apart, not mixed
    // with a leftover 30 ms timer.
    EXPECT_GE(owner.ticks[2].lElapsedMS - owner.ticks[0].lElapsedMS, 200 - 2 * kSlack);
    EXPECT_TRUE(t.TmrStop());
}

TEST(TimerTest, DestroyedObjectStopsAndThrowingOwnerKeepsTicking) {
    Owner owner;
    auto t = std::make_unique<CTimer>();
    owner.react = [](const Tick&) { throw 1; };
    ASSERT_TRUE(t->TmrStart(&owner, 20));
    Pump(3000, [&] { return owner.ticks.size() >= 3; });
    EXPECT_GE(owner.ticks.size(), 3u);
    t.reset();
    const std::size_t n = owner.ticks.size();
    Pump(150);
    EXPECT_EQ(owner.ticks.size(), n);

    // A timer destroyed inside its own tick.
    Owner self;
    auto u = std::make_unique<CTimer>();
    self.react = [&](const Tick&) { u.reset(); };
    ASSERT_TRUE(u->TmrStart(&self, 20));
    Pump(2000, [&] { return !self.ticks.empty(); });
    Pump(100);
    EXPECT_EQ(self.ticks.size(), 1u);
    EXPECT_EQ(u, nullptr);
    EXPECT_EQ(winsvc_detail::TimerSlotsInUse(), 0);
}

}  // namespace
}  // namespace brisko
