#include "qt/X11Support.h"

#include <xcb/randr.h>
#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QEventLoop>
#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace platform::qt::x11 {

xcb_connection_t* connection() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (app == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* native = app->nativeInterface<QNativeInterface::QX11Application>();
    return native != nullptr ? native->connection() : nullptr;
}

xcb_window_t rootWindow(xcb_connection_t* c) {
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

// Atoms are interned once per name: each lookup is a round trip to the server.
xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    static std::map<std::string, xcb_atom_t> known;
    if (auto it = known.find(name); it != known.end()) return it->second;
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    if (reply == nullptr) return XCB_ATOM_NONE;
    const xcb_atom_t result = reply->atom;
    std::free(reply);
    known.emplace(name, result);
    return result;
}

namespace {

void setAtoms(xcb_connection_t* c, xcb_window_t window, const char* property, xcb_atom_t type,
              const std::vector<const char*>& names) {
    std::vector<xcb_atom_t> atoms;
    for (const char* name : names) {
        const xcb_atom_t a = atom(c, name);
        if (a != XCB_ATOM_NONE) atoms.push_back(a);
    }
    const xcb_atom_t p = atom(c, property);
    if (p == XCB_ATOM_NONE || atoms.empty()) return;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, p, type, 32,
                        static_cast<std::uint32_t>(atoms.size()), atoms.data());
}

void setCardinals(xcb_connection_t* c, xcb_window_t window, const char* property,
                  const std::vector<std::uint32_t>& values) {
    const xcb_atom_t p = atom(c, property);
    if (p == XCB_ATOM_NONE) return;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, p, XCB_ATOM_CARDINAL, 32,
                        static_cast<std::uint32_t>(values.size()), values.data());
}

}  // namespace

bool active() { return connection() != nullptr; }

void flush() {
    if (xcb_connection_t* c = connection()) xcb_flush(c);
}

void sync() {
    if (xcb_connection_t* c = connection())
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

void setSkipTaskbarAndPager(std::uintptr_t window) {
    xcb_connection_t* c = connection();
    if (c == nullptr || window == 0) return;
    // Read when the window manager takes the window on; Qt keeps states it finds there when
    // it adds its own at show().
    setAtoms(c, static_cast<xcb_window_t>(window), "_NET_WM_STATE", XCB_ATOM_ATOM,
             {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"});
    xcb_flush(c);
}

namespace {

// A stand-alone compositor reads its no-shadow hint from the top-level window it composites,
// which under a reparenting window manager is the frame the window was put in, not the
// window. This filter sees the program's X events before Qt and hints each frame a scene
// window is put in.
class FrameShadowHint : public QAbstractNativeEventFilter {
public:
    std::set<xcb_window_t> sceneWindows;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const int type = event->response_type & 0x7f;
        if (type == XCB_DESTROY_NOTIFY) {
            sceneWindows.erase(static_cast<const xcb_destroy_notify_event_t*>(message)->window);
        } else if (type == XCB_REPARENT_NOTIFY) {
            const auto* reparent = static_cast<const xcb_reparent_notify_event_t*>(message);
            xcb_connection_t* c = connection();
            if (c != nullptr && sceneWindows.count(reparent->window) != 0 &&
                reparent->parent != rootWindow(c)) {
                setCardinals(c, reparent->parent, "_COMPTON_SHADOW", {0});
                xcb_flush(c);
            }
        }
        return false;
    }
};

FrameShadowHint& frameShadowHint() {
    static FrameShadowHint* filter = [] {
        auto* f = new FrameShadowHint;  // lives as long as the application
        QCoreApplication::instance()->installNativeEventFilter(f);
        return f;
    }();
    return *filter;
}

}  // namespace

void prepareSceneWindow(std::uintptr_t window) {
    xcb_connection_t* c = connection();
    if (c == nullptr || window == 0) return;
    const auto w = static_cast<xcb_window_t>(window);
    frameShadowHint().sceneWindows.insert(w);
    // Qt::Window without Qt::Tool: a tool window is made transient for the hidden client
    // leader, and a window manager that minimises the transients of a hidden window
    // minimises the whole scene.
    setSkipTaskbarAndPager(window);
    // No WM_TAKE_FOCUS: a window manager that offers the focus to a window on a click would
    // otherwise hand it on to some other window when the scene declines it. No
    // _NET_WM_SYNC_REQUEST: a compositor would hold a newly shown window back until the
    // program answers, and the game holds its thread in its waits.
    setAtoms(c, w, "WM_PROTOCOLS", XCB_ATOM_ATOM, {"WM_DELETE_WINDOW", "_NET_WM_PING"});
    // Frame extents of 0 tell a compositing window manager that the window draws its own
    // edges, so it adds no shadow; the second property does the same for stand-alone
    // compositors.
    setCardinals(c, w, "_GTK_FRAME_EXTENTS", {0, 0, 0, 0});
    setCardinals(c, w, "_COMPTON_SHADOW", {0});
    xcb_flush(c);
}

std::uint32_t changedProperty(const QByteArray& eventType, const void* message) {
    if (eventType != "xcb_generic_event_t") return XCB_ATOM_NONE;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return XCB_ATOM_NONE;
    return static_cast<const xcb_property_notify_event_t*>(message)->atom;
}

bool isSizeHintsProperty(std::uint32_t property) { return property == XCB_ATOM_WM_NORMAL_HINTS; }

bool isWindowStateProperty(std::uint32_t property) {
    xcb_connection_t* c = connection();
    return c != nullptr && property != XCB_ATOM_NONE && property == atom(c, "_NET_WM_STATE");
}

namespace {

constexpr std::array<const char*, 5> kForeignStates{
    "_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ", "_NET_WM_STATE_FULLSCREEN",
    "_NET_WM_STATE_SHADED", "_NET_WM_STATE_HIDDEN"};

// The foreign states the window has.
std::vector<xcb_atom_t> foreignStates(xcb_connection_t* c, xcb_window_t w) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 0, 64), nullptr);
    if (reply == nullptr) return {};
    std::vector<xcb_atom_t> present;
    if (reply->format == 32) {
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        present.assign(atoms, atoms + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    std::vector<xcb_atom_t> foreign;
    for (const char* name : kForeignStates) {
        const xcb_atom_t state = atom(c, name);
        if (std::find(present.begin(), present.end(), state) != present.end())
            foreign.push_back(state);
    }
    return foreign;
}

}  // namespace

bool hasForeignStates(std::uintptr_t window) {
    xcb_connection_t* c = connection();
    return c != nullptr && window != 0 &&
           !foreignStates(c, static_cast<xcb_window_t>(window)).empty();
}

void dropForeignStates(std::uintptr_t window) {
    xcb_connection_t* c = connection();
    if (c == nullptr || window == 0) return;
    const auto w = static_cast<xcb_window_t>(window);
    for (const xcb_atom_t state : foreignStates(c, w)) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = w;
        event.type = atom(c, "_NET_WM_STATE");
        event.data.data32[0] = 0;  // remove
        event.data.data32[1] = state;
        event.data.data32[3] = 1;  // asked by the application
        xcb_send_event(c, 0, rootWindow(c),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    }
    xcb_flush(c);
}

bool absolutePosition(std::uintptr_t window, int& x, int& y) {
    xcb_connection_t* c = connection();
    if (c == nullptr || window == 0) return false;
    xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, static_cast<xcb_window_t>(window), rootWindow(c), 0, 0),
        nullptr);
    if (reply == nullptr) return false;
    x = reply->dst_x;
    y = reply->dst_y;
    std::free(reply);
    return true;
}

void moveWindow(std::uintptr_t window, int x, int y) {
    xcb_connection_t* c = connection();
    if (c == nullptr || window == 0) return;
    // INT16 coordinates travel in 32-bit values.
    const std::array<std::uint32_t, 2> values = {static_cast<std::uint32_t>(x),
                                                 static_cast<std::uint32_t>(y)};
    xcb_configure_window(c, static_cast<xcb_window_t>(window),
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values.data());
    xcb_flush(c);
}

bool sizeHintsFixedAt(std::uintptr_t window, int width, int height) {
    xcb_connection_t* c = connection();
    if (c == nullptr || window == 0) return true;
    // flags, x, y, width, height, min width, min height, max width, max height, ...
    constexpr std::uint32_t kMinSize = 16, kMaxSize = 32;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c,
        xcb_get_property(c, 0, static_cast<xcb_window_t>(window), XCB_ATOM_WM_NORMAL_HINTS,
                         XCB_ATOM_WM_SIZE_HINTS, 0, 18),
        nullptr);
    if (reply == nullptr) return true;
    bool fixed = false;
    if (reply->format == 32 && xcb_get_property_value_length(reply) >= 9 * 4) {
        const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        const auto w = static_cast<std::uint32_t>(width), h = static_cast<std::uint32_t>(height);
        fixed = (v[0] & kMinSize) != 0 && (v[0] & kMaxSize) != 0 && v[5] == w && v[6] == h &&
                v[7] == w && v[8] == h;
    }
    std::free(reply);
    return fixed;
}

void copyShapeToInput(std::uintptr_t window) {
    xcb_connection_t* c = connection();
    if (c == nullptr || window == 0) return;
    const auto w = static_cast<xcb_window_t>(window);
    xcb_shape_combine(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_SHAPE_SK_BOUNDING, w, 0, 0, w);
}

void refreshServerTime(std::uintptr_t window) {
    xcb_connection_t* c = connection();
    if (c == nullptr || window == 0) return;
    const xcb_atom_t stamp = atom(c, "_KIPRUN_TIMESTAMP");
    if (stamp == XCB_ATOM_NONE) return;
    xcb_change_property(c, XCB_PROP_MODE_APPEND, static_cast<xcb_window_t>(window), stamp,
                        XCB_ATOM_INTEGER, 32, 0, nullptr);
    // After the round trip the notice is queued for Qt; only the window system's own events
    // run, never a timer of the program or user input.
    sync();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::ExcludeSocketNotifiers |
                                    QEventLoop::X11ExcludeTimers);
}

namespace {

// XWayland names each of its outputs XWAYLAND<n>; servers before 23.1 have no other mark.
bool hasXWaylandOutput(xcb_connection_t* c) {
    xcb_randr_get_screen_resources_current_reply_t* resources =
        xcb_randr_get_screen_resources_current_reply(
            c, xcb_randr_get_screen_resources_current(c, rootWindow(c)), nullptr);
    if (resources == nullptr) return false;
    const xcb_randr_output_t* outputs =
        xcb_randr_get_screen_resources_current_outputs(resources);
    const int count = xcb_randr_get_screen_resources_current_outputs_length(resources);
    bool found = false;
    for (int i = 0; i < count && !found; ++i) {
        xcb_randr_get_output_info_reply_t* info = xcb_randr_get_output_info_reply(
            c, xcb_randr_get_output_info(c, outputs[i], resources->config_timestamp), nullptr);
        if (info == nullptr) continue;
        const std::string name(
            reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info)),
            static_cast<std::size_t>(xcb_randr_get_output_info_name_length(info)));
        found = isXWaylandOutputName(name);
        std::free(info);
    }
    std::free(resources);
    return found;
}

bool hasExtension(xcb_connection_t* c, const char* name) {
    xcb_query_extension_reply_t* reply = xcb_query_extension_reply(
        c, xcb_query_extension(c, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const bool present = reply != nullptr && reply->present != 0;
    std::free(reply);
    return present;
}

}  // namespace

bool isXWaylandOutputName(const std::string& name) { return name.rfind("XWAYLAND", 0) == 0; }

bool isXWayland() {
    static const bool xwayland = [] {
        xcb_connection_t* c = connection();
        if (c == nullptr) return false;
        return hasExtension(c, "XWAYLAND") || (hasExtension(c, "RANDR") && hasXWaylandOutput(c));
    }();
    return xwayland;
}

namespace {
std::uint32_t g_inputTime = 0;
}  // namespace

void noteInputTime(std::uint32_t time) { g_inputTime = time; }

void takeFocusForPopup(std::uintptr_t window, bool take) {
    xcb_connection_t* c = connection();
    if (c == nullptr || window == 0) return;
    const auto w = static_cast<xcb_window_t>(window);
    // WM_HINTS: flags, input, and seven fields this leaves as they are.
    std::array<std::uint32_t, 9> hints{};
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, 9), nullptr);
    if (reply != nullptr) {
        const int length = xcb_get_property_value_length(reply);
        std::memcpy(
            hints.data(), xcb_get_property_value(reply),
            std::min<std::size_t>(static_cast<std::size_t>(std::max(length, 0)), sizeof hints));
        std::free(reply);
    }
    constexpr std::uint32_t kInputHint = 1;
    hints[0] |= kInputHint;
    hints[1] = take ? 1 : 0;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32,
                        static_cast<std::uint32_t>(hints.size()), hints.data());
    if (take) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = w;
        event.type = atom(c, "_NET_ACTIVE_WINDOW");
        event.data.data32[0] = 2;  // on the user's behalf: the click that opened the menu
        event.data.data32[1] = g_inputTime;
        xcb_send_event(c, 0, rootWindow(c),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    }
    xcb_flush(c);
}

bool canOpenDisplay(const std::string& name) {
    xcb_connection_t* c = xcb_connect(name.empty() ? nullptr : name.c_str(), nullptr);
    const bool ok = c != nullptr && xcb_connection_has_error(c) == 0;
    if (c != nullptr) xcb_disconnect(c);
    return ok;
}

}  // namespace platform::qt::x11

namespace platform::qt::x11 {

int connectionFileDescriptor() {
    xcb_connection_t* c = connection();
    return c != nullptr ? xcb_get_file_descriptor(c) : -1;
}

namespace {

// RandR 1.5's monitors, which Qt 6 makes its screens of where the server has them.
std::vector<Rect> randrMonitors(xcb_connection_t* c) {
    std::vector<Rect> monitors;
    xcb_randr_get_monitors_reply_t* reply =
        xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, rootWindow(c), 1), nullptr);
    if (reply == nullptr) return monitors;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(reply); it.rem > 0;
         xcb_randr_monitor_info_next(&it)) {
        const xcb_randr_monitor_info_t& m = *it.data;
        if (m.width > 0 && m.height > 0)
            monitors.push_back(Rect{m.x, m.y, m.x + m.width, m.y + m.height});
    }
    std::free(reply);
    return monitors;
}

std::vector<Rect> litCrtcs(xcb_connection_t* c) {
    std::vector<Rect> monitors;
    xcb_randr_get_screen_resources_current_reply_t* resources =
        xcb_randr_get_screen_resources_current_reply(
            c, xcb_randr_get_screen_resources_current(c, rootWindow(c)), nullptr);
    if (resources == nullptr) return monitors;
    const xcb_randr_crtc_t* crtcs = xcb_randr_get_screen_resources_current_crtcs(resources);
    const int count = xcb_randr_get_screen_resources_current_crtcs_length(resources);
    for (int i = 0; i < count; ++i) {
        xcb_randr_get_crtc_info_reply_t* info = xcb_randr_get_crtc_info_reply(
            c, xcb_randr_get_crtc_info(c, crtcs[i], resources->config_timestamp), nullptr);
        if (info == nullptr) continue;
        if (info->mode != XCB_NONE && info->width > 0 && info->height > 0) {
            monitors.push_back(
                Rect{info->x, info->y, info->x + info->width, info->y + info->height});
        }
        std::free(info);
    }
    std::free(resources);
    return monitors;
}

}  // namespace

std::vector<Rect> monitorRects() {
    xcb_connection_t* c = connection();
    if (c == nullptr) return {};
    std::vector<Rect> monitors;
    if (hasExtension(c, "RANDR")) {
        monitors = randrMonitors(c);
        if (monitors.empty()) monitors = litCrtcs(c);
    }
    if (monitors.empty()) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        monitors.push_back(Rect{0, 0, screen->width_in_pixels, screen->height_in_pixels});
    }
    return monitors;
}

}  // namespace platform::qt::x11
