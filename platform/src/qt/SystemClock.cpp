// The real clock: a steady millisecond counter with the home platform's 1/64 s steps, blocking
// sleep, and event passes of the Qt event loop.

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <thread>

#include "common/Backend.h"
#include "platform/Clock.h"
#include "qt/QtTimerBackend.h"
#include "qt/X11Support.h"

namespace platform {

namespace {

const std::chrono::steady_clock::time_point g_start = std::chrono::steady_clock::now();

class SystemClock : public Clock {
public:
    std::int32_t tickCount() override {
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - g_start);
        // Wraps like the native 32-bit counter.
        return static_cast<std::int32_t>(
            static_cast<std::uint32_t>(coarseTicks(elapsed.count()) & 0xFFFFFFFF));
    }

    void sleep(int milliseconds) override {
        // What was drawn before the sleep must reach the screen before the thread stops.
        qt::x11::flush();
        if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }

    void doEvents() override {
        if (QCoreApplication::instance() == nullptr) return;
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        qt::x11::flush();
    }

    void waitEvents(int maxMilliseconds) override {
        if (QCoreApplication::instance() == nullptr) {
            sleep(maxMilliseconds);
            return;
        }
        if (maxMilliseconds <= 0) {
            doEvents();
            return;
        }
        QCoreApplication::sendPostedEvents();
        // The single-shot timer is the wake-up when no other event comes; the wait itself
        // blocks in the event dispatcher and costs nothing.
        QTimer wakeUp;
        wakeUp.setSingleShot(true);
        wakeUp.setTimerType(Qt::PreciseTimer);
        wakeUp.start(maxMilliseconds);
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        doEvents();
    }

    std::unique_ptr<TimerBackend> createTimer(std::function<void()> onExpiry) override {
        return std::make_unique<qt::QtTimerBackend>(std::move(onExpiry));
    }
};

}  // namespace

Clock& backend::systemClock() {
    static SystemClock clock;
    return clock;
}

}  // namespace platform
