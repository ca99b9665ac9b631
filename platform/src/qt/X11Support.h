#pragma once
// Direct X11 requests the Qt API does not offer. All of them do nothing on another platform
// (offscreen in tests). Internal to the Qt backend.

#include <cstdint>
#include <string>

struct xcb_connection_t;
class QByteArray;

namespace platform::qt::x11 {

// Qt's connection to the X server, or nullptr on another platform.
xcb_connection_t* connection();
// The root window of the connection's screen.
std::uint32_t rootWindow(xcb_connection_t* c);
// The atom of `name`, interned once (XCB_ATOM_NONE, 0, when the server cannot say).
std::uint32_t atom(xcb_connection_t* c, const char* name);

// True when Qt runs on the xcb platform.
bool active();
// Sends everything queued for the X server now.
void flush();
// Sends everything queued and waits until the server has handled it.
void sync();

// Keeps a not-yet-mapped top-level window out of the taskbar and the pager.
void setSkipTaskbarAndPager(std::uintptr_t window);
// Makes a new, not yet mapped top-level window of the scene present itself as a plain window
// that a window manager and a compositor leave alone: out of the taskbar, the pager and the
// window switcher, no shadow or halo, and never asked to take the focus. Must run before the
// window is first mapped.
void prepareSceneWindow(std::uintptr_t window);
// The property a native event tells a change of (XCB_ATOM_NONE, 0, for any other event), and
// whether it is a window's WM_NORMAL_HINTS / _NET_WM_STATE.
std::uint32_t changedProperty(const QByteArray& eventType, const void* message);
bool isSizeHintsProperty(std::uint32_t property);
bool isWindowStateProperty(std::uint32_t property);
// Whether the window has, in _NET_WM_STATE, states a scene window never asks for (maximised,
// full screen, shaded, hidden); asks the window manager to take those back.
bool hasForeignStates(std::uintptr_t window);
void dropForeignStates(std::uintptr_t window);
// Where the server has the window's top-left corner, in screen pixels of the root; false when
// there is no answer (another platform, a window gone).
bool absolutePosition(std::uintptr_t window, int& x, int& y);
// Asks for the window at x, y of the root (a window manager's redirect takes the request).
void moveWindow(std::uintptr_t window, int x, int y);
// Whether the window's WM_NORMAL_HINTS fix its size at `width` x `height` screen pixels
// (minimum = maximum = that size); true on another platform.
bool sizeHintsFixedAt(std::uintptr_t window, int width, int height);

// Makes the window's input region its bounding shape, as it stands now. The X server clips
// input to the bounding shape itself, but XWayland hands the Wayland compositor the input
// shape alone: without this a shaped window takes clicks on its whole rectangle there.
void copyShapeToInput(std::uintptr_t window);

// Brings the program's idea of the server time up to date: a zero-length change to a property
// of the window comes back as a property notice stamped with the server's time, and the event
// pass that follows hands that time to Qt. Qt stamps a window it maps with it, and window
// managers with focus-stealing prevention place a window stamped earlier than the focused
// window's last input below it (and flag it as demanding attention).
void refreshServerTime(std::uintptr_t window);

// True when the X server is XWayland, the X server of a Wayland desktop: it has the XWAYLAND
// extension (from 23.1 on) or an output of XWayland's naming.
bool isXWayland();
bool isXWaylandOutputName(const std::string& name);
// The server time of the last mouse press the program received (0 before the first).
void noteInputTime(std::uint32_t time);
// Lets a window of the scene take the keyboard focus for a while and asks the window manager
// to activate it, stamped with the last mouse press; `take` false gives the focus up again.
// Under XWayland the compositor sends keys and clicks elsewhere to a Wayland window unless an
// X window of the program has the focus, so a popup menu's grab would never see Escape.
void takeFocusForPopup(std::uintptr_t window, bool take);

// Whether an X display can be opened; `name` is the display asked for (DISPLAY, or empty).
bool canOpenDisplay(const std::string& name);

}  // namespace platform::qt::x11

#include <vector>

#include "platform/Region.h"

namespace platform::qt::x11 {

// The file descriptor of Qt's connection to the X server, or -1 on another platform.
int connectionFileDescriptor();
// The X screen's monitors as Qt makes its screens of them (RandR's monitors, else its lit
// CRTCs, else the root window), in the server's pixels; empty on another platform.
std::vector<Rect> monitorRects();

}  // namespace platform::qt::x11
