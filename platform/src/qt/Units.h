#pragma once
// Twips to whole pixels of the screen, as the window system is told them. Internal.

#include <QPoint>
#include <cmath>

#include "platform/Screen.h"

namespace platform::qt {

// Nearest pixel, an exact half to the even neighbour; clamped to a range the window system
// takes, because geometry setters must not fault.
inline int roundPixels(double value) {
    constexpr double kLimit = 1 << 24;
    if (!(value == value)) return 0;
    const double clamped = value < -kLimit ? -kLimit : (value > kLimit ? kLimit : value);
    return static_cast<int>(std::nearbyint(clamped));
}

// Where the primary monitor's top-left corner lies on the desktop, Qt's pixels: the program's
// positions count from it, a top-level window's position on the desktop is offset by it.
QPoint desktopOrigin();

inline int toPixelsX(double twips) { return roundPixels(twips / Screen::twipsPerPixelX()); }
inline int toPixelsY(double twips) { return roundPixels(twips / Screen::twipsPerPixelY()); }
inline float toTwipsX(int pixels) { return static_cast<float>(pixels * Screen::twipsPerPixelX()); }
inline float toTwipsY(int pixels) { return static_cast<float>(pixels * Screen::twipsPerPixelY()); }

}  // namespace platform::qt
