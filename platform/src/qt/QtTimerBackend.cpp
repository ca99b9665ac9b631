#include "qt/QtTimerBackend.h"

namespace platform::qt {

QtTimerBackend::QtTimerBackend(std::function<void()> onExpiry) {
    // Coarse timers may fire 5 % late; the scene's 20 ms frames would drift visibly.
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [handler = std::move(onExpiry)] { handler(); });
}

void QtTimerBackend::start(int intervalMs) {
    // An interval of 0 disables a timer of the program; a 0 ms QTimer would spin instead.
    if (intervalMs <= 0) {
        m_timer.stop();
        return;
    }
    m_timer.start(intervalMs);
}

void QtTimerBackend::stop() { m_timer.stop(); }

}  // namespace platform::qt
