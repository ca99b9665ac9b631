#include <algorithm>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "platform/Clock.h"

namespace platform {

namespace {

struct VirtualTimerEntry {
    std::function<void()> onExpiry;
    bool active = false;
    std::int64_t interval = 0;
    std::int64_t due = 0;
    // When it was (re)scheduled, among everything on the clock: breaks ties of equal due times.
    std::uint64_t order = 0;
};

// What the timer backends share with their clock. They hold it weakly, so a timer that
// outlives its clock does nothing instead of touching freed memory.
struct Schedule {
    const std::int64_t* now = nullptr;
    std::uint64_t nextOrder = 0;
    std::uint64_t nextTimerId = 0;
    std::map<std::uint64_t, VirtualTimerEntry> timers;
    // Posted events by (due time, order).
    std::map<std::pair<std::int64_t, std::uint64_t>, std::function<void()>> events;

    std::optional<std::int64_t> nextDue() const {
        std::optional<std::int64_t> next;
        if (!events.empty()) next = events.begin()->first.first;
        for (const auto& [id, timer] : timers) {
            if (timer.active && (!next || timer.due < *next)) next = timer.due;
        }
        return next;
    }
};

class VirtualTimer : public TimerBackend {
public:
    VirtualTimer(std::weak_ptr<Schedule> schedule, std::uint64_t id)
        : m_schedule(std::move(schedule)), m_id(id) {}

    ~VirtualTimer() override {
        if (auto schedule = m_schedule.lock()) schedule->timers.erase(m_id);
    }

    void start(int intervalMs) override {
        auto schedule = m_schedule.lock();
        if (!schedule) return;
        VirtualTimerEntry& timer = schedule->timers.at(m_id);
        timer.active = true;
        // A zero interval would make the timer due forever at the same instant.
        timer.interval = std::max(intervalMs, 1);
        timer.due = *schedule->now + timer.interval;
        timer.order = schedule->nextOrder++;
    }

    void stop() override {
        if (auto schedule = m_schedule.lock()) schedule->timers.at(m_id).active = false;
    }

private:
    std::weak_ptr<Schedule> m_schedule;
    std::uint64_t m_id;
};

}  // namespace

struct VirtualClock::State {
    std::shared_ptr<Schedule> schedule = std::make_shared<Schedule>();
    std::function<void()> nativePass;

    // One event pass: runs what is due at or before now when the pass starts, each once, in
    // time order. What a handler schedules for now or earlier waits for the next pass. Stops
    // after the first event for which `done` holds; returns whether something ran and whether
    // it stopped.
    std::pair<bool, bool> runPass(const std::function<bool()>* done) {
        struct Item {
            std::int64_t time;
            std::uint64_t order;
            std::optional<std::uint64_t> timerId;
        };
        Schedule& s = *schedule;
        const std::int64_t passTime = *s.now;
        std::vector<Item> items;
        for (const auto& [id, timer] : s.timers) {
            if (timer.active && timer.due <= passTime)
                items.push_back({timer.due, timer.order, id});
        }
        for (const auto& [key, event] : s.events) {
            if (key.first > passTime) break;
            items.push_back({key.first, key.second, std::nullopt});
        }
        std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
            return std::pair(a.time, a.order) < std::pair(b.time, b.order);
        });

        bool ran = false;
        for (const Item& item : items) {
            std::function<void()> run;
            if (item.timerId) {
                // Skipped when an earlier handler stopped, restarted or destroyed the timer.
                const auto found = s.timers.find(*item.timerId);
                if (found == s.timers.end()) continue;
                VirtualTimerEntry& timer = found->second;
                if (!timer.active || timer.due != item.time || timer.order != item.order) continue;
                // The next expiry stays on the timer's grid; points that passed while the
                // thread was busy or asleep fold into this one, as native timers coalesce.
                const std::int64_t now = *s.now;
                std::int64_t next = timer.due + timer.interval;
                if (next <= now) next += ((now - next) / timer.interval + 1) * timer.interval;
                timer.due = next;
                timer.order = s.nextOrder++;
                run = timer.onExpiry;
            } else {
                // Gone when a nested pass ran it already.
                const auto found = s.events.find({item.time, item.order});
                if (found == s.events.end()) continue;
                run = std::move(found->second);
                s.events.erase(found);
            }
            ran = true;
            if (run) run();
            if (done && (*done)()) return {ran, true};
        }
        if (nativePass) nativePass();
        return {ran, false};
    }

    // The idle event loop up to `target`: jumps to each due time in turn and runs a pass.
    bool runUntil(std::int64_t& now, std::int64_t target, const std::function<bool()>* done) {
        if (done && (*done)()) return true;
        for (;;) {
            const std::optional<std::int64_t> next = schedule->nextDue();
            if (!next || *next > target) break;
            now = std::max(now, *next);
            if (runPass(done).second) return true;
        }
        now = std::max(now, target);
        return done && (*done)();
    }
};

VirtualClock::VirtualClock() : m_state(std::make_unique<State>()) {
    m_state->schedule->now = &m_now;
}

VirtualClock::~VirtualClock() = default;

void VirtualClock::post(std::int64_t atMs, std::function<void()> event) {
    Schedule& s = *m_state->schedule;
    s.events.emplace(std::pair(std::max(atMs, m_now), s.nextOrder++), std::move(event));
}

void VirtualClock::setNativeEventPass(std::function<void()> pass) {
    m_state->nativePass = std::move(pass);
}

void VirtualClock::advance(std::int64_t ms) {
    m_state->runUntil(m_now, m_now + std::max<std::int64_t>(ms, 0), nullptr);
}

bool VirtualClock::advanceUntil(const std::function<bool()>& done, std::int64_t limitMs) {
    return m_state->runUntil(m_now, m_now + std::max<std::int64_t>(limitMs, 0), &done);
}

int VirtualClock::activeTimers() const {
    const auto& timers = m_state->schedule->timers;
    return static_cast<int>(
        std::count_if(timers.begin(), timers.end(), [](const auto& t) { return t.second.active; }));
}

std::int32_t VirtualClock::tickCount() {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(coarseTicks(m_now)));
}

void VirtualClock::sleep(int milliseconds) {
    if (milliseconds <= 0) return;
    m_now += milliseconds;
    m_slept += milliseconds;
}

void VirtualClock::doEvents() { runDue(); }

void VirtualClock::waitEvents(int maxMilliseconds) {
    std::int64_t wake = m_now + std::max(maxMilliseconds, 0);
    if (const std::optional<std::int64_t> next = m_state->schedule->nextDue()) {
        wake = std::clamp(*next, m_now, wake);
    }
    m_slept += wake - m_now;
    m_now = wake;
    runDue();
}

std::unique_ptr<TimerBackend> VirtualClock::createTimer(std::function<void()> onExpiry) {
    Schedule& s = *m_state->schedule;
    const std::uint64_t id = s.nextTimerId++;
    s.timers[id].onExpiry = std::move(onExpiry);
    return std::make_unique<VirtualTimer>(m_state->schedule, id);
}

bool VirtualClock::runDue() { return m_state->runPass(nullptr).first; }

}  // namespace platform
