// The real clock's sleep holds the program as the home platform's does: whatever it does to
// get shown windows onto the screen first, no timer of the program runs inside it.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "common/Backend.h"
#include "platform/Clock.h"
#include "platform/Controls.h"
#include "platform/Form.h"
#include "platform/testing/TestEnvironment.h"

namespace {

class ClockForm : public platform::Form {
public:
    ClockForm() : Form("ClockForm") {}
};

}  // namespace

TEST(SystemClockTest, SleepRunsNoTimerAndTheTimerRunsAfterIt) {
    platform::testing::TestEnvironment env;
    platform::Clock& real = platform::backend::systemClock();
    platform::setClock(&real);
    ClockForm& window = platform::form<ClockForm>();
    window.show();
    platform::Timer& timer = window.addTimer("Timer1", 5);
    int ticks = 0;
    timer.setOnTick([&] { ++ticks; });
    timer.setEnabled(true);
    // Overdue before the sleep begins: the sleep's own pass over the window system's events
    // must still leave it alone.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    real.sleep(10);
    EXPECT_EQ(ticks, 0) << "a timer ran inside the sleep";
    // Long overdue, it runs at the next event pass.
    real.waitEvents(30);
    EXPECT_GE(ticks, 1);
    timer.setEnabled(false);
    platform::setClock(&env.clock());
}
