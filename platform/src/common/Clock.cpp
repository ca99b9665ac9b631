#include "platform/Clock.h"

#include "common/Backend.h"
#include "common/ClockEpoch.h"

namespace platform {

namespace {

Clock* g_active = nullptr;
std::uint64_t g_epoch = 0;

}  // namespace

TimerBackend::~TimerBackend() = default;

Clock::~Clock() {
    // A test's clock that goes out of scope while installed must not stay the active clock.
    if (g_active == this) g_active = nullptr;
    ++g_epoch;
}

Clock& clock() { return g_active ? *g_active : backend::systemClock(); }

void setClock(Clock* clock) {
    if (clock != g_active) ++g_epoch;
    g_active = clock;
}

std::uint64_t clockEpoch() { return g_epoch; }

}  // namespace platform
