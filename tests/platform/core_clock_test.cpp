// The tick counter's arithmetic and the virtual clock that tests run the program on.

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/Clock.h"

namespace {

using platform::VirtualClock;

TEST(TickTest, DifferenceSurvivesTheWrap) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(platform::tickDifference(1000, 400), 600);
    EXPECT_EQ(platform::tickDifference(kMin + 99, kMax - 100), 200);  // past 24.8 days
    EXPECT_EQ(platform::tickDifference(150, -50), 200);               // past 49.7 days
    EXPECT_EQ(platform::tickDifference(kMax - 100, kMin + 99), -200);
}

TEST(TickTest, CoarseTicksStepBy15Or16Milliseconds) {
    EXPECT_EQ(platform::coarseTicks(0), 0);
    EXPECT_EQ(platform::coarseTicks(15), 0);
    EXPECT_EQ(platform::coarseTicks(16), 15);
    EXPECT_EQ(platform::coarseTicks(31), 15);
    EXPECT_EQ(platform::coarseTicks(32), 31);
    EXPECT_EQ(platform::coarseTicks(1000), 1000);
    EXPECT_EQ(platform::coarseTicks(1015), 1000);
    std::int64_t previous = 0;
    for (std::int64_t ms = 1; ms <= 5000; ++ms) {
        const std::int64_t t = platform::coarseTicks(ms);
        ASSERT_TRUE(t == previous || t - previous == 15 || t - previous == 16) << ms;
        ASSERT_LE(t, ms);
        previous = t;
    }
}

TEST(VirtualClockTest, TickCountFollowsVirtualTimeCoarselyAndWraps) {
    VirtualClock clock;
    clock.sleep(20);
    EXPECT_EQ(clock.tickCount(), 15);
    const std::int32_t before = clock.tickCount();
    clock.advance(std::int64_t{1} << 31);  // past 24.8 days the counter turns negative
    EXPECT_LT(clock.tickCount(), 0);
    EXPECT_EQ(platform::tickDifference(clock.tickCount(), before),
              platform::coarseTicks(clock.now()) - 15);
}

// A timer of the virtual clock recording the times of its expiries.
struct RecordingTimer {
    explicit RecordingTimer(VirtualClock& clock, std::function<void()> also = {})
        : clock(clock), backend(clock.createTimer([this, also] {
              times.push_back(this->clock.now());
              if (also) also();
          })) {}
    VirtualClock& clock;
    std::vector<std::int64_t> times;
    std::unique_ptr<platform::TimerBackend> backend;
};

TEST(VirtualClockTest, TimerFiresAtExactMultiplesOfItsInterval) {
    VirtualClock clock;
    clock.sleep(7);
    RecordingTimer timer(clock);
    timer.backend->start(20);
    EXPECT_EQ(clock.activeTimers(), 1);
    clock.advance(100);
    EXPECT_EQ(timer.times, (std::vector<std::int64_t>{27, 47, 67, 87, 107}));
    EXPECT_EQ(clock.now(), 107);
    timer.backend->stop();
    EXPECT_EQ(clock.activeTimers(), 0);
    clock.advance(100);
    EXPECT_EQ(timer.times.size(), 5U);
}

TEST(VirtualClockTest, SleepRunsNothingAndMissedExpiriesFireOnce) {
    VirtualClock clock;
    RecordingTimer timer(clock);
    std::vector<std::string> events;
    timer.backend->start(20);
    clock.post(5, [&] { events.push_back("posted"); });
    clock.sleep(95);
    EXPECT_TRUE(timer.times.empty());
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(clock.sleptMs(), 95);
    clock.doEvents();  // at 95: four due times passed, one expiry
    EXPECT_EQ(timer.times, (std::vector<std::int64_t>{95}));
    EXPECT_EQ(events, (std::vector<std::string>{"posted"}));
    clock.doEvents();
    EXPECT_EQ(timer.times.size(), 1U);
    clock.advance(30);  // the timer keeps its grid: 100, 120
    EXPECT_EQ(timer.times, (std::vector<std::int64_t>{95, 100, 120}));
}

TEST(VirtualClockTest, EventPassRunsWhatIsDueInTimeOrderOnceEach) {
    VirtualClock clock;
    std::vector<std::string> order;
    clock.post(30, [&] { order.push_back("c"); });
    clock.post(10, [&] {
        order.push_back("a");
        clock.post(10, [&] { order.push_back("posted during the pass"); });
    });
    clock.post(10, [&] { order.push_back("b"); });
    clock.post(31, [&] { order.push_back("late"); });
    clock.sleep(30);
    clock.doEvents();
    EXPECT_EQ(order, (std::vector<std::string>{"a", "b", "c"}));
    clock.doEvents();
    EXPECT_EQ(order.back(), "posted during the pass");
    clock.advance(1);
    EXPECT_EQ(order.back(), "late");
}

TEST(VirtualClockTest, NestedEventPassDoesNotRunAnEventTwice) {
    VirtualClock clock;
    std::vector<std::string> order;
    clock.post(0, [&] {
        order.push_back("outer");
        clock.doEvents();
    });
    clock.post(0, [&] { order.push_back("second"); });
    clock.doEvents();
    EXPECT_EQ(order, (std::vector<std::string>{"outer", "second"}));
}

TEST(VirtualClockTest, WaitEventsWakesAtTheNextDueTime) {
    VirtualClock clock;
    RecordingTimer timer(clock);
    timer.backend->start(40);
    clock.waitEvents(100);
    EXPECT_EQ(clock.now(), 40);
    EXPECT_EQ(timer.times, (std::vector<std::int64_t>{40}));
    clock.waitEvents(15);  // nothing due before 55
    EXPECT_EQ(clock.now(), 55);
    EXPECT_EQ(timer.times.size(), 1U);
    EXPECT_EQ(clock.sleptMs(), 55);
    clock.post(60, [] {});
    clock.waitEvents(100);
    EXPECT_EQ(clock.now(), 60);
}

TEST(VirtualClockTest, AdvanceUntilStopsRightAfterTheEventThatEndsIt) {
    VirtualClock clock;
    int count = 0;
    RecordingTimer timer(clock, [&] { ++count; });
    timer.backend->start(10);
    clock.post(35, [&] { count += 100; });
    EXPECT_TRUE(clock.advanceUntil([&] { return count >= 3; }, 1000));
    EXPECT_EQ(clock.now(), 30);
    EXPECT_TRUE(clock.advanceUntil([&] { return count >= 100; }, 1000));
    EXPECT_EQ(clock.now(), 35);
    EXPECT_FALSE(clock.advanceUntil([] { return false; }, 12));
    EXPECT_EQ(clock.now(), 47);
}

TEST(VirtualClockTest, TimerStoppedOrDestroyedByAnEarlierHandlerDoesNotRun) {
    VirtualClock clock;
    auto second = std::make_unique<RecordingTimer>(clock);
    RecordingTimer first(clock, [&] { second.reset(); });
    first.backend->start(10);
    second->backend->start(10);
    clock.advance(10);
    EXPECT_EQ(first.times.size(), 1U);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(clock.activeTimers(), 1);
}

TEST(VirtualClockTest, ClockGoingOutOfScopeLeavesNothingDangling) {
    auto clock = std::make_unique<VirtualClock>();
    platform::setClock(clock.get());
    auto backend = clock->createTimer([] {});
    backend->start(10);
    const auto gone = reinterpret_cast<std::uintptr_t>(clock.get());
    clock.reset();
    EXPECT_NE(reinterpret_cast<std::uintptr_t>(&platform::clock()), gone);
    backend->start(10);  // a timer that outlives its clock does nothing
    backend.reset();
}

}  // namespace
