// The real clock: a steady millisecond counter with the home platform's 1/64 s steps, blocking
// sleep, and event passes of the Qt event loop.

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <array>
#include <chrono>
#include <thread>
#include <vector>

#include "common/Backend.h"
#include "platform/Clock.h"
#include "qt/QtTimerBackend.h"
#include "qt/SurfaceWidget.h"
#include "qt/X11Support.h"

namespace platform {

namespace {

const std::chrono::steady_clock::time_point g_start = std::chrono::steady_clock::now();

// The longest a sleep spends getting newly shown windows onto the screen; a window manager
// that never maps a window (another workspace) must not stretch the wait.
constexpr std::chrono::milliseconds kSettleLimit{400};
constexpr std::chrono::milliseconds kSettlePoll{1};

// When a newly shown window is painted again: a compositing window manager (KWin) starts
// watching a window's damage only once it has taken it on, and a window whose one picture came
// before that stays off the screen until the next. Measured under kwin_x11: without the
// repaints the result balloon was missing for its whole two seconds in 1 of 3 shots.
constexpr std::array<std::chrono::milliseconds, 3> kRepaintsAfterShow{
    std::chrono::milliseconds{50}, std::chrono::milliseconds{150}, std::chrono::milliseconds{300}};

std::vector<qt::SurfaceWidget*> freshlyShownWindows() {
    std::vector<qt::SurfaceWidget*> fresh;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* surface = dynamic_cast<qt::SurfaceWidget*>(w);
        if (surface != nullptr && surface->freshlyShown() && surface->isVisible()) {
            fresh.push_back(surface);
        }
    }
    return fresh;
}

bool everyShownWindowExposed() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible()) continue;
        const QWindow* window = w->windowHandle();
        if (window != nullptr && !window->isExposed()) return false;
    }
    return true;
}

// A newly shown window is painted when the window system exposes it, which under a window
// manager comes some milliseconds after the map request: a sleep that began at once would keep
// it blank for its whole length. Until every shown window is exposed (and at most until the
// deadline or the settle limit), the window system's own events run: exposures, repaints,
// map and configure notices. Timers and user input stay queued, as the sleep holds the game.
void settlePainting(std::chrono::steady_clock::time_point deadline) {
    if (QCoreApplication::instance() == nullptr) return;
    const auto start = std::chrono::steady_clock::now();
    const auto limit = std::min(deadline, start + kSettleLimit);
    constexpr auto kFlags = QEventLoop::ExcludeUserInputEvents |
                            QEventLoop::ExcludeSocketNotifiers | QEventLoop::X11ExcludeTimers;
    for (;;) {
        QCoreApplication::processEvents(kFlags);
        if (everyShownWindowExposed() || std::chrono::steady_clock::now() >= limit) break;
        qt::x11::flush();
        std::this_thread::sleep_for(kSettlePoll);
    }
    const std::vector<qt::SurfaceWidget*> fresh = freshlyShownWindows();
    if (!fresh.empty()) {
        const auto exposed = std::chrono::steady_clock::now();
        for (const auto after : kRepaintsAfterShow) {
            const auto at = exposed + after;
            if (at >= deadline) break;
            qt::x11::flush();
            std::this_thread::sleep_until(at);
            QCoreApplication::processEvents(kFlags);
            for (qt::SurfaceWidget* w : freshlyShownWindows()) w->repaint();
        }
        for (qt::SurfaceWidget* w : freshlyShownWindows()) w->setFreshlyShown(false);
    }
    // Everything drawn is handed to the server before the thread stops.
    qt::x11::sync();
}

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
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(milliseconds, 0));
        // What was drawn or shown before the sleep must be on screen during it.
        settlePainting(deadline);
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left > std::chrono::steady_clock::duration::zero()) std::this_thread::sleep_for(left);
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
