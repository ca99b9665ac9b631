#pragma once
// The screen, in the program's units. Twips per pixel is 1440 / logical DPI (15 at 96 dpi);
// positions count from the primary screen's top-left corner. Tests fix the metrics.

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

    // Fixes the metrics (tests); nothing restores the real screen's.
    static void setFixed(std::optional<ScreenMetrics> metrics);
    static std::optional<ScreenMetrics> fixed();
};

}  // namespace platform
