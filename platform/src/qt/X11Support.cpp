#include "qt/X11Support.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace platform::qt::x11 {

namespace {

xcb_connection_t* connection() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (app == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* native = app->nativeInterface<QNativeInterface::QX11Application>();
    return native != nullptr ? native->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    if (reply == nullptr) return XCB_ATOM_NONE;
    const xcb_atom_t result = reply->atom;
    std::free(reply);
    return result;
}

}  // namespace

bool active() { return connection() != nullptr; }

void flush() {
    if (xcb_connection_t* c = connection()) xcb_flush(c);
}

void setSkipTaskbarAndPager(std::uintptr_t window) {
    xcb_connection_t* c = connection();
    if (c == nullptr || window == 0) return;
    // Qt::Tool does not set these states. Written before the first map, they are what the
    // window manager reads when it takes the window on; Qt keeps states it finds there when it
    // adds its own at show().
    const xcb_atom_t state = atom(c, "_NET_WM_STATE");
    std::vector<xcb_atom_t> states;
    for (const char* name : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
        const xcb_atom_t a = atom(c, name);
        if (a != XCB_ATOM_NONE) states.push_back(a);
    }
    if (state == XCB_ATOM_NONE || states.empty()) return;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window), state,
                        XCB_ATOM_ATOM, 32, static_cast<std::uint32_t>(states.size()),
                        states.data());
    xcb_flush(c);
}

}  // namespace platform::qt::x11
