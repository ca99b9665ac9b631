// Periodic timers of windows, run on the virtual clock.

#include <gtest/gtest.h>

#include <vector>

#include "platform/Application.h"
#include "platform/Form.h"
#include "platform/RuntimeError.h"
#include "platform/testing/TestEnvironment.h"

namespace {

class TimerForm : public platform::Form {
public:
    TimerForm() : Form("frmTimer") {}
};

class TimerTest : public ::testing::Test {
protected:
    platform::testing::TestEnvironment env;
    TimerForm& window = platform::form<TimerForm>();
    platform::Timer& timer = window.addTimer("Timer1", 20);
    std::vector<std::int64_t> ticks;

    void recordTicks() {
        timer.setOnTick([this] { ticks.push_back(env.clock().now()); });
    }
};

TEST_F(TimerTest, CreatedDisabledAndEnablingStartsTheIntervalAfresh) {
    recordTicks();
    EXPECT_FALSE(timer.enabled());
    env.clock().advance(100);
    EXPECT_TRUE(ticks.empty());

    timer.setEnabled(true);  // at 100
    env.clock().advance(45);
    timer.setEnabled(false);
    env.clock().advance(5);
    timer.setEnabled(true);  // at 150
    env.clock().advance(40);
    EXPECT_EQ(ticks, (std::vector<std::int64_t>{120, 140, 170, 190}));
}

TEST_F(TimerTest, HandlerThatDisablesItselfAndWaitsShiftsTheNextTick) {
    // The program's frame timers: off at the start of a tick, on again at its end.
    timer.setOnTick([this] {
        timer.setEnabled(false);
        ticks.push_back(env.clock().now());
        env.clock().sleep(5);
        timer.setEnabled(true);
    });
    timer.setEnabled(true);
    env.clock().advance(80);
    EXPECT_EQ(ticks, (std::vector<std::int64_t>{20, 45, 70}));
}

TEST_F(TimerTest, TicksNeverOverlapWhenTheHandlerLetsEventsRun) {
    platform::Timer& other = window.addTimer("Timer2", 10);
    int otherTicks = 0;
    int depth = 0;
    int deepest = 0;
    other.setOnTick([&] { ++otherTicks; });
    timer.setOnTick([&] {
        ++depth;
        deepest = std::max(deepest, depth);
        ticks.push_back(env.clock().now());
        if (ticks.size() == 1) {
            // Like the power gauge: a long loop inside one tick that lets events run.
            for (int i = 0; i < 10; ++i) {
                env.clock().sleep(10);
                platform::doEvents();
            }
        }
        --depth;
    });
    timer.setEnabled(true);
    other.setEnabled(true);
    env.clock().advance(20);
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(ticks, (std::vector<std::int64_t>{20}));
    EXPECT_EQ(otherTicks, 11);  // at 10, then one per pass inside the long tick
    // The expiries that fell due during the long tick were dropped; the grid goes on.
    env.clock().advance(20);
    EXPECT_EQ(ticks, (std::vector<std::int64_t>{20, 140}));
}

TEST_F(TimerTest, IntervalZeroStopsAndAChangedIntervalRestarts) {
    recordTicks();
    timer.setEnabled(true);
    env.clock().advance(30);  // tick at 20
    timer.setInterval(50);    // at 30
    env.clock().advance(60);  // tick at 80
    timer.setInterval(0);
    EXPECT_TRUE(timer.enabled());
    EXPECT_EQ(env.clock().activeTimers(), 0);
    env.clock().advance(200);
    timer.setInterval(10);  // at 290
    env.clock().advance(10);
    EXPECT_EQ(ticks, (std::vector<std::int64_t>{20, 80, 300}));
    EXPECT_THROW(timer.setInterval(-1), platform::RuntimeError);
}

TEST_F(TimerTest, TimerOfAnUnloadedWindowStopsTicking) {
    recordTicks();
    timer.setEnabled(true);
    env.clock().advance(20);
    platform::unload(window);
    EXPECT_EQ(env.clock().activeTimers(), 0);
    env.clock().advance(100);
    EXPECT_EQ(ticks, (std::vector<std::int64_t>{20}));
}

TEST_F(TimerTest, WindowUnloadedByItsOwnTickIsFreedAfterTheTick) {
    timer.setOnTick([this] {
        platform::unload(window);
        ticks.push_back(env.clock().now());
        EXPECT_FALSE(timer.enabled());
        EXPECT_TRUE(timer.ticking());  // the timer object is still there
    });
    timer.setEnabled(true);
    const std::int64_t live = platform::Form::liveCount();
    env.clock().advance(100);
    EXPECT_EQ(ticks.size(), 1U);
    EXPECT_EQ(platform::Form::liveCount(), live - 1);
}

TEST_F(TimerTest, ErrorInATickIsReported) {
    timer.setOnTick([] { platform::raise(platform::ErrorCode::kSubscriptOutOfRange); });
    timer.setEnabled(true);
    EXPECT_THROW(env.clock().advance(20), platform::EndRequested);
    EXPECT_EQ(env.messages(),
              (std::vector<std::string>{"Run-time error '9':\n\nSubscript out of range"}));
}

}  // namespace
