#include "qt/X11WorkArea.h"

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>

#include "qt/X11Support.h"

namespace platform::qt::x11 {

namespace {

Rect intersected(const Rect& a, const Rect& b) {
    return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

std::int64_t areaOf(const Rect& r) {
    return r.isEmpty() ? 0
                       : static_cast<std::int64_t>(r.right - r.left) *
                             static_cast<std::int64_t>(r.bottom - r.top);
}

// Whether [start, end] (inclusive, as struts give it) meets [low, high).
bool meets(std::int64_t start, std::int64_t end, std::int64_t low, std::int64_t high) {
    return start < high && end >= low;
}

std::int32_t clampToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

// The primary less every strut whose band lies over it: a band starts at the desktop's edge
// and reaches inward by the strut's width, along the range it names.
Rect cutByStruts(const Rect& primary, const Rect& root, const std::vector<Strut>& struts) {
    std::int64_t left = primary.left, top = primary.top;
    std::int64_t right = primary.right, bottom = primary.bottom;
    for (const Strut& s : struts) {
        if (s[0] > 0 && meets(s[4], s[5], primary.top, primary.bottom) &&
            root.left + s[0] > primary.left) {
            left = std::max(left, root.left + s[0]);
        }
        if (s[1] > 0 && meets(s[6], s[7], primary.top, primary.bottom) &&
            root.right - s[1] < primary.right) {
            right = std::min(right, root.right - s[1]);
        }
        if (s[2] > 0 && meets(s[8], s[9], primary.left, primary.right) &&
            root.top + s[2] > primary.top) {
            top = std::max(top, root.top + s[2]);
        }
        if (s[3] > 0 && meets(s[10], s[11], primary.left, primary.right) &&
            root.bottom - s[3] < primary.bottom) {
            bottom = std::min(bottom, root.bottom - s[3]);
        }
    }
    return Rect{clampToInt32(left), clampToInt32(top), clampToInt32(right), clampToInt32(bottom)};
}

// A cut of the desktop-wide work area deeper than any window's strut at that edge is the
// window manager's own (openbox's margins, say) and reserves that much along the whole edge.
// A cut no deeper than some strut cannot be told from that strut's and is taken for it.
std::optional<Strut> windowManagersOwn(const Rect& root, const std::optional<Rect>& workArea,
                                       const std::vector<Strut>& struts) {
    if (!workArea) return std::nullopt;
    Strut own{};
    own[0] = std::int64_t{workArea->left} - root.left;
    own[1] = std::int64_t{root.right} - workArea->right;
    own[2] = std::int64_t{workArea->top} - root.top;
    own[3] = std::int64_t{root.bottom} - workArea->bottom;
    bool any = false;
    for (int edge = 0; edge < 4; ++edge) {
        std::int64_t deepest = 0;
        for (const Strut& s : struts) deepest = std::max(deepest, s[edge]);
        if (own[edge] <= deepest) own[edge] = 0;
        any = any || own[edge] > 0;
    }
    own[4] = own[6] = root.top;
    own[5] = own[7] = std::int64_t{root.bottom} - 1;
    own[8] = own[10] = root.left;
    own[9] = own[11] = std::int64_t{root.right} - 1;
    return any ? std::optional<Strut>(own) : std::nullopt;
}

}  // namespace

Rect primaryWorkArea(const Rect& primary, const DesktopReservations& desktop) {
    // Each per-monitor area lies within its monitor: the primary's is the one that covers most
    // of it.
    const Rect* best = nullptr;
    std::int64_t bestArea = 0;
    if (desktop.perMonitor.size() == desktop.monitorCount) {
        for (const Rect& r : desktop.perMonitor) {
            const std::int64_t a = areaOf(intersected(r, primary));
            if (a > bestArea) {
                best = &r;
                bestArea = a;
            }
        }
    }
    if (best != nullptr) return intersected(*best, primary);
    if (!desktop.struts.empty()) {
        std::vector<Strut> struts = desktop.struts;
        if (auto own = windowManagersOwn(desktop.root, desktop.workArea, desktop.struts))
            struts.push_back(*own);
        return cutByStruts(primary, desktop.root, struts);
    }
    if (desktop.workArea) return intersected(*desktop.workArea, primary);
    return primary;
}

namespace {

// A 32-bit property of `window` as unsigned numbers; empty when it is missing or of another
// format.
std::vector<std::uint32_t> cardinals(xcb_connection_t* c, xcb_get_property_cookie_t cookie) {
    std::vector<std::uint32_t> values;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr);
    if (reply == nullptr) return values;
    if (reply->format == 32) {
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

xcb_get_property_cookie_t ask(xcb_connection_t* c, xcb_window_t window, const char* property,
                              xcb_atom_t type, std::uint32_t longs) {
    return xcb_get_property(c, 0, window, atom(c, property), type, 0, longs);
}

// x, y, width, height as a rectangle; the figures are the server's 32-bit cardinals, read as
// signed positions and unsigned sizes.
Rect rectOf(const std::uint32_t* v) {
    const std::int64_t x = static_cast<std::int32_t>(v[0]);
    const std::int64_t y = static_cast<std::int32_t>(v[1]);
    return Rect{clampToInt32(x), clampToInt32(y), clampToInt32(x + v[2]), clampToInt32(y + v[3])};
}

}  // namespace

DesktopReservations readDesktopReservations(std::size_t monitorCount) {
    DesktopReservations desktop;
    desktop.monitorCount = monitorCount;
    xcb_connection_t* c = connection();
    if (c == nullptr) return desktop;
    const xcb_window_t root = rootWindow(c);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    desktop.root = Rect{0, 0, screen->width_in_pixels, screen->height_in_pixels};

    const std::vector<std::uint32_t> current =
        cardinals(c, ask(c, root, "_NET_CURRENT_DESKTOP", XCB_ATOM_CARDINAL, 1));
    const std::uint32_t d = current.empty() ? 0 : current[0];
    const std::string perMonitorName = "_GTK_WORKAREAS_D" + std::to_string(d);
    const auto perMonitorCookie =
        ask(c, root, perMonitorName.c_str(), XCB_ATOM_CARDINAL, 4 * 64);
    const auto workAreaCookie = ask(c, root, "_NET_WORKAREA", XCB_ATOM_CARDINAL, 4 * 64);
    const auto clientsCookie = ask(c, root, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW, 4096);
    const auto supportedCookie = ask(c, root, "_NET_SUPPORTED", XCB_ATOM_ATOM, 4096);

    // A window manager that is gone leaves its properties behind: the per-monitor areas count
    // only while the running one says it keeps them.
    const std::vector<std::uint32_t> perMonitor = cardinals(c, perMonitorCookie);
    const std::vector<std::uint32_t> supported = cardinals(c, supportedCookie);
    const xcb_atom_t perMonitorAtom = atom(c, "_GTK_WORKAREAS");
    if (std::find(supported.begin(), supported.end(), perMonitorAtom) != supported.end()) {
        for (std::size_t i = 0; i + 4 <= perMonitor.size(); i += 4)
            desktop.perMonitor.push_back(rectOf(&perMonitor[i]));
    }
    const std::vector<std::uint32_t> workArea = cardinals(c, workAreaCookie);
    if (workArea.size() >= 4) {
        const std::size_t at = 4 * d + 4 <= workArea.size() ? 4 * d : 0;
        desktop.workArea = rectOf(&workArea[at]);
    }

    // Every client's struts asked at once, then read: one round trip in all.
    const std::vector<std::uint32_t> clients = cardinals(c, clientsCookie);
    std::vector<std::pair<xcb_get_property_cookie_t, xcb_get_property_cookie_t>> cookies;
    cookies.reserve(clients.size());
    for (const std::uint32_t w : clients) {
        cookies.emplace_back(ask(c, w, "_NET_WM_STRUT_PARTIAL", XCB_ATOM_CARDINAL, 12),
                             ask(c, w, "_NET_WM_STRUT", XCB_ATOM_CARDINAL, 4));
    }
    for (const auto& [partialCookie, plainCookie] : cookies) {
        const std::vector<std::uint32_t> partial = cardinals(c, partialCookie);
        const std::vector<std::uint32_t> plain = cardinals(c, plainCookie);
        Strut s{};
        if (partial.size() >= 12) {
            std::copy_n(partial.begin(), 12, s.begin());
        } else if (plain.size() >= 4) {
            // The older property reserves along the whole edge.
            std::copy_n(plain.begin(), 4, s.begin());
            s[4] = s[6] = desktop.root.top;
            s[5] = s[7] = desktop.root.bottom - 1;
            s[8] = s[10] = desktop.root.left;
            s[9] = s[11] = desktop.root.right - 1;
        } else {
            continue;
        }
        if (s[0] > 0 || s[1] > 0 || s[2] > 0 || s[3] > 0) desktop.struts.push_back(s);
    }
    return desktop;
}

namespace {

class ReservationWatch : public QAbstractNativeEventFilter {
public:
    void (*changed)() = nullptr;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t" || changed == nullptr) return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
        const auto* notice = static_cast<const xcb_property_notify_event_t*>(message);
        xcb_connection_t* c = connection();
        if (c == nullptr || notice->window != rootWindow(c)) return false;
        if (notice->atom == atom(c, "_NET_WORKAREA") ||
            notice->atom == atom(c, "_NET_CLIENT_LIST") ||
            notice->atom == atom(c, "_NET_CURRENT_DESKTOP") || isPerMonitorArea(c, notice->atom)) {
            changed();
        }
        return false;
    }

private:
    // Root properties change often (the active window, say): each atom's name is asked once.
    bool isPerMonitorArea(xcb_connection_t* c, xcb_atom_t a) {
        if (auto it = m_perMonitor.find(a); it != m_perMonitor.end()) return it->second;
        xcb_get_atom_name_reply_t* reply =
            xcb_get_atom_name_reply(c, xcb_get_atom_name(c, a), nullptr);
        if (reply == nullptr) return false;
        const std::string name(xcb_get_atom_name_name(reply),
                               static_cast<std::size_t>(xcb_get_atom_name_name_length(reply)));
        std::free(reply);
        const bool perMonitor = name.rfind("_GTK_WORKAREAS_D", 0) == 0;
        m_perMonitor.emplace(a, perMonitor);
        return perMonitor;
    }

    std::map<xcb_atom_t, bool> m_perMonitor;
};

}  // namespace

void watchDesktopReservations(void (*changed)()) {
    xcb_connection_t* c = connection();
    if (c == nullptr) return;
    static ReservationWatch* watch = [] {
        auto* w = new ReservationWatch;  // lives as long as the application
        QCoreApplication::instance()->installNativeEventFilter(w);
        return w;
    }();
    watch->changed = changed;
    // Qt listens to the root window's properties already; the mask is widened, never narrowed.
    const xcb_window_t root = rootWindow(c);
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, root), nullptr);
    const std::uint32_t mask =
        (attributes != nullptr ? attributes->your_event_mask : 0) | XCB_EVENT_MASK_PROPERTY_CHANGE;
    std::free(attributes);
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
}

}  // namespace platform::qt::x11
