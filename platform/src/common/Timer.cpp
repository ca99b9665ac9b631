#include <algorithm>

#include "common/ClockEpoch.h"
#include "platform/Clock.h"
#include "platform/Controls.h"
#include "platform/RuntimeError.h"

namespace platform {

struct Timer::Backend {
    std::unique_ptr<TimerBackend> native;
    Clock* clock = nullptr;
    std::uint64_t epoch = 0;
};

Timer::Timer(std::string name, int intervalMs)
    : m_name(std::move(name)),
      m_interval(std::max(intervalMs, 0)),
      m_backend(std::make_unique<Backend>()) {}

Timer::~Timer() = default;

void Timer::setEnabled(bool enabled) {
    if (enabled == m_enabled) return;
    m_enabled = enabled;
    restart();
}

void Timer::setInterval(int milliseconds) {
    if (milliseconds < 0) raise(ErrorCode::kInvalidArgument);
    if (milliseconds == m_interval) return;
    m_interval = milliseconds;
    restart();
}

void Timer::setOnTick(std::function<void()> handler) { m_onTick = std::move(handler); }

void Timer::restart() {
    if (!m_enabled || m_interval == 0) {
        if (m_backend->native) m_backend->native->stop();
        return;
    }
    // The backend is made on first use, on the clock active at that moment.
    Clock& active = clock();
    if (!m_backend->native || m_backend->clock != &active || m_backend->epoch != clockEpoch()) {
        m_backend->native.reset();
        m_backend->native = active.createTimer([this] { fire(); });
        m_backend->clock = &active;
        m_backend->epoch = clockEpoch();
    }
    m_backend->native->start(m_interval);
}

void Timer::fire() {
    if (m_ticking || !m_enabled || m_interval == 0) return;
    dispatch([this] {
        // Cleared before dispatch returns: once the outermost handler is done, the window that
        // owns this timer may be freed.
        struct TickScope {
            bool& ticking;
            explicit TickScope(bool& flag) : ticking(flag) { ticking = true; }
            ~TickScope() { ticking = false; }
        } scope(m_ticking);
        if (m_onTick) {
            // A copy: the handler may replace itself.
            const std::function<void()> handler = m_onTick;
            handler();
        }
    });
}

}  // namespace platform
