// How fast a window's new outline reaches the X server. A shaped window changes its region on
// every tick of a 20 ms timer, as the golfer does on each frame of its swing; a second X
// connection on a thread of its own receives the server's shape notifications. Prints the
// latency from setWindowRegion to the notification and the gaps between notifications, and
// fails only when a change never reached the server. With BUSY_MS the tick goes on for that
// long after the cut, sleeping as the swing and the roll do between frames, so nothing but the
// cut itself can have sent the outline in time.
//
// Usage: shape_latency [TICKS [BUSY_MS]]   (DISPLAY set; defaults 250 and 0)

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Form.h"
#include "platform/Region.h"

namespace {

using Clock = std::chrono::steady_clock;

class frmShape : public platform::Form {
public:
    frmShape() : Form("frmShape") {}
};

struct Arrivals {
    std::mutex mutex;
    std::vector<Clock::time_point> times;
};

void watch(std::uint32_t window, std::atomic<bool>& stop, std::atomic<bool>& watching,
           Arrivals& arrivals) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return;
    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(c, &xcb_shape_id);
    if (shape == nullptr || !shape->present) return;
    xcb_shape_select_input(c, window, 1);
    xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);  // a round trip
    watching = true;
    while (!stop) {
        xcb_generic_event_t* event = xcb_poll_for_event(c);
        if (event == nullptr) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            continue;
        }
        if ((event->response_type & 0x7f) == shape->first_event + XCB_SHAPE_NOTIFY) {
            const auto* notify = reinterpret_cast<xcb_shape_notify_event_t*>(event);
            if (notify->shape_kind == XCB_SHAPE_SK_BOUNDING) {
                std::lock_guard<std::mutex> lock(arrivals.mutex);
                arrivals.times.push_back(Clock::now());
            }
        }
        std::free(event);
    }
    xcb_disconnect(c);
}

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void printStats(const char* what, std::vector<double> values) {
    if (values.empty()) return;
    std::sort(values.begin(), values.end());
    const double mean = std::accumulate(values.begin(), values.end(), 0.0) / values.size();
    std::printf("%s: mean %.2f ms, median %.2f ms, 99th %.2f ms, max %.2f ms\n", what, mean,
                values[values.size() / 2], values[values.size() * 99 / 100], values.back());
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("DISPLAY") == nullptr) {
        std::printf("no DISPLAY: skipped\n");
        return 77;
    }
    const int ticks = argc > 1 ? std::atoi(argv[1]) : 250;
    const int busyMs = argc > 2 ? std::atoi(argv[2]) : 0;
    platform::Application app(argc, argv);
    frmShape& window = platform::form<frmShape>();
    window.move(6000, 1500, 1500, 1500);
    window.setBackColor(platform::rgb(0, 128, 0));
    window.setWindowRegion(platform::Region::rectangle(0, 0, 100, 100), true);
    window.show();
    for (int i = 0; i < 10; ++i) platform::clock().waitEvents(20);

    std::atomic<bool> stop{false};
    std::atomic<bool> watching{false};
    Arrivals arrivals;
    std::thread watcher(watch, static_cast<std::uint32_t>(window.hwnd()), std::ref(stop),
                        std::ref(watching), std::ref(arrivals));
    while (!watching) std::this_thread::sleep_for(std::chrono::milliseconds(1));

    std::vector<Clock::time_point> sent;
    platform::Timer& timer = window.addTimer("Timer1", 20);
    timer.setOnTick([&] {
        // Two outlines in turn: a growing bar and a frame, different on every tick.
        const int n = static_cast<int>(sent.size());
        platform::Region region = platform::Region::rectangle(0, 0, 10 + n % 90, 50);
        region.unite(platform::Region::rectangle(0, 60, 100, 70 + n % 30));
        sent.push_back(Clock::now());
        window.setWindowRegion(std::move(region), true);
        if (busyMs > 0) platform::clock().sleep(busyMs);
        if (static_cast<int>(sent.size()) >= ticks) timer.setEnabled(false);
    });
    timer.setEnabled(true);
    while (timer.enabled()) platform::clock().waitEvents(50);
    for (int i = 0; i < 10; ++i) platform::clock().waitEvents(20);
    stop = true;
    watcher.join();

    std::vector<double> latencies;
    std::vector<double> gaps;
    const std::size_t arrived = arrivals.times.size();
    for (std::size_t i = 0; i < std::min(arrived, sent.size()); ++i) {
        latencies.push_back(ms(arrivals.times[i] - sent[i]));
        if (i > 0) gaps.push_back(ms(arrivals.times[i] - arrivals.times[i - 1]));
    }
    std::printf("shape changes %zu (tick busy %d ms after the cut), reached the server %zu\n",
                sent.size(), busyMs, arrived);
    printStats("setWindowRegion to shape notification", latencies);
    printStats("gap between notifications (timer 20 ms)", gaps);
    return arrived == sent.size() ? 0 : 1;
}
