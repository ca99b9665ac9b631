#pragma once
// Time, as the program sees it: the millisecond tick counter, sleeping, letting pending events
// run, and the timers. Everything that reads the clock or sleeps goes through the active Clock,
// so tests can substitute a VirtualClock and run whole shots, waits included, in virtual time
// with exact tick counts.

#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

// What a Timer needs from the clock it runs on.
class TimerBackend {
public:
    virtual ~TimerBackend();
    // (Re)starts the periodic timer: the first expiry is `intervalMs` from now.
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
};

class Clock {
public:
    virtual ~Clock();

    // Milliseconds since start-up with the granularity of the home platform's tick counter:
    // it advances 64 times a second, by 15 or 16 ms (floor(floor(ms * 64 / 1000) * 1000 / 64)).
    // Wraps like a signed 32-bit counter; take differences with tickDifference().
    virtual std::int32_t tickCount() = 0;
    // Blocks the user-interface thread; no event runs meanwhile.
    virtual void sleep(int milliseconds) = 0;
    // Lets every event pending at this moment run once (timer ticks that are due, input,
    // painting), then returns; waits for nothing.
    virtual void doEvents() = 0;
    // Sleeps in the event loop until an event is pending or `maxMilliseconds` have passed,
    // then lets the pending events run once. Costs no CPU while waiting.
    virtual void waitEvents(int maxMilliseconds) = 0;

    // A timer backend whose expiry calls `onExpiry` on the user-interface thread.
    virtual std::unique_ptr<TimerBackend> createTimer(std::function<void()> onExpiry) = 0;
};

// later - earlier on a wrapping 32-bit counter, without overflow.
constexpr std::int32_t tickDifference(std::int32_t later, std::int32_t earlier) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(later) -
                                     static_cast<std::uint32_t>(earlier));
}

// The 1/64 s granularity applied to a millisecond count.
constexpr std::int64_t coarseTicks(std::int64_t milliseconds) {
    return (milliseconds * 64 / 1000) * 1000 / 64;
}

// The active clock: the system clock unless a test installed another.
Clock& clock();
// Installs `clock` (not owned) as the active clock; nullptr restores the system clock.
void setClock(Clock* clock);

// Shorthands for the active clock.
inline std::int32_t tickCount() { return clock().tickCount(); }
inline void sleepMs(int milliseconds) { clock().sleep(milliseconds); }
inline void doEvents() { clock().doEvents(); }

// A clock in virtual time. Nothing advances by itself: time moves only when the program sleeps
// or waits, or when the test runs the event loop with advance(). Timers fire at their exact due
// times; events posted with post() run at their time during the next event pass at or after
// it (as input from the user would).
class VirtualClock : public Clock {
public:
    VirtualClock();
    ~VirtualClock() override;

    std::int64_t now() const { return m_now; }
    // Total virtual milliseconds spent in sleep() and waitEvents().
    std::int64_t sleptMs() const { return m_slept; }

    // Queues `event` to run at virtual time `atMs` (>= now()).
    void post(std::int64_t atMs, std::function<void()> event);
    // Runs the event loop as the idle program would for `ms` of virtual time: timer ticks and
    // posted events at their due times, in time order.
    void advance(std::int64_t ms);
    // Like advance(), but stops early (right after the event that made it true) when
    // `done()` holds. Returns true when it stopped because of `done()`.
    bool advanceUntil(const std::function<bool()>& done, std::int64_t limitMs);
    // Number of timers currently started.
    int activeTimers() const;
    // A pass over the window system's own queue (repaints, show and hide notices, deferred
    // deletions), run after the program's events in every event pass, as the real event loop
    // empties that queue too. The test environment installs it; empty by default.
    void setNativeEventPass(std::function<void()> pass);

    std::int32_t tickCount() override;
    void sleep(int milliseconds) override;
    void doEvents() override;
    void waitEvents(int maxMilliseconds) override;
    std::unique_ptr<TimerBackend> createTimer(std::function<void()> onExpiry) override;

    struct State;

private:
    // Runs everything due at or before now(); returns whether anything ran.
    bool runDue();
    std::int64_t m_now = 0;
    std::int64_t m_slept = 0;
    std::unique_ptr<State> m_state;
};

}  // namespace platform
