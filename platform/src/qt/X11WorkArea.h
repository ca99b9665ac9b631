#pragma once
// The primary monitor's work area on an X11 desktop with several monitors. _NET_WORKAREA is one
// rectangle for the whole desktop (the monitors' bounding box less the struts a window manager
// could express), so a panel on another monitor can cut the primary's ground line wrongly. What
// a desktop publishes per monitor comes first, then the panels' own reservations over the
// primary's range, then _NET_WORKAREA clipped to the primary (docs/desktops.md). Internal to the
// Qt backend.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Region.h"

namespace platform::qt::x11 {

// A window's reservation at the desktop's edges, as _NET_WM_STRUT_PARTIAL lists it: left,
// right, top, bottom widths, then the start and end (inclusive) of each along its edge.
using Strut = std::array<std::int64_t, 12>;

// What the root window and the managed windows tell of the desktop, in the server's pixels.
struct DesktopReservations {
    Rect root;
    // _GTK_WORKAREAS_D<current desktop> when the running window manager lists _GTK_WORKAREAS
    // in _NET_SUPPORTED: one work area per monitor, in no promised order.
    std::vector<Rect> perMonitor;
    // How many monitors the program knows. Per-monitor areas of another count are a window
    // manager's view of other monitors (or left behind by one that is gone) and are not used.
    std::size_t monitorCount = 0;
    // The struts of the managed windows (_NET_CLIENT_LIST).
    std::vector<Strut> struts;
    // _NET_WORKAREA of the current desktop.
    std::optional<Rect> workArea;
};

// The work area of the monitor `primary` (the server's pixels, as the result).
Rect primaryWorkArea(const Rect& primary, const DesktopReservations& desktop);

// Reads the reservations from the X server, for a desktop of `monitorCount` monitors; empty on
// another platform.
DesktopReservations readDesktopReservations(std::size_t monitorCount);

// Calls `changed` whenever a root-window property that can move the work area changes (the work
// areas, the list of managed windows); at most one watcher.
void watchDesktopReservations(void (*changed)());

}  // namespace platform::qt::x11
