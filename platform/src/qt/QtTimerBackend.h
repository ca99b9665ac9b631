#pragma once
// A periodic timer on QTimer. Internal to the Qt backend.

#include <QTimer>
#include <functional>

#include "platform/Clock.h"

namespace platform::qt {

class QtTimerBackend : public TimerBackend {
public:
    explicit QtTimerBackend(std::function<void()> onExpiry);
    void start(int intervalMs) override;
    void stop() override;

private:
    QTimer m_timer;
};

}  // namespace platform::qt
