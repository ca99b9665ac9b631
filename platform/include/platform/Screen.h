#pragma once
// The screen, in the program's units. Twips per pixel is 15: a pixel of the program is a
// device-independent pixel, a whole number of the screen's pixels (2 at 192 dpi);
// positions count from the primary screen's top-left corner. Tests fix the metrics.

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
    static Rect workAreaPixels();

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
