#pragma once
// The screen, in the program's units. Twips per pixel is 15: a pixel of the program is a
// device-independent pixel, a whole number of the screen's pixels (2 at 192 dpi).
// The program's screen is the primary monitor: positions count from its top-left corner, as on
// the home platform, whatever the desktop's other monitors are; the windows map them onto the
// desktop. Tests fix the metrics.

#include <functional>
#include <optional>

#include "platform/Region.h"

namespace platform {

struct ScreenMetrics {
    double twipsPerPixelX = 15.0;
    double twipsPerPixelY = 15.0;
    int widthPixels = 1024;
    int heightPixels = 768;
    // The work area (the desktop without panels and taskbars), pixels.
    Rect workAreaPixels{0, 0, 1024, 738};
    // Where the primary monitor's top-left corner lies on the desktop, pixels (the other
    // monitors may lie left of or above it).
    int originX = 0;
    int originY = 0;

    friend bool operator==(const ScreenMetrics&, const ScreenMetrics&) = default;
};

class Screen {
public:
    static double twipsPerPixelX();
    static double twipsPerPixelY();
    // Screen width and height in twips.
    static float width();
    static float height();
    static int widthPixels();
    static int heightPixels();
    // The part of the primary monitor no panel or dock reserves, as trusted: one that is empty,
    // lies off the monitor or leaves less than the room the program needs is replaced by the
    // monitor's own rectangle.
    static Rect workAreaPixels();

    // The least room, in the program's pixels, its windows need on the screen. A work area
    // smaller than this is not trusted, and a whole-number scale of a dense screen is capped
    // so that this much fits. Set once before the Application is made; 0 x 0 asks for none.
    static void setRoomNeeded(int widthPixels, int heightPixels);
    static int roomNeededWidth();
    static int roomNeededHeight();

    // Runs `handler` as an event of the program (through platform::dispatch) each time the
    // screen's size or its work area changes: a panel resized or moved, a screen resolution
    // changed. nullptr removes it.
    static void setOnChanged(std::function<void()> handler);

    // Fixes the metrics (tests); nothing restores the real screen's. Fixing other metrics
    // than before counts as a change of the screen.
    static void setFixed(std::optional<ScreenMetrics> metrics);
    static std::optional<ScreenMetrics> fixed();
};

}  // namespace platform
