#include "platform/Screen.h"

#include <windows.h>

#include "common/Backend.h"

namespace platform {

namespace {

std::optional<ScreenMetrics>& fixedMetrics() {
    static std::optional<ScreenMetrics> metrics;
    return metrics;
}

int dotsPerInch(int axis) {
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, axis);
    ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

}  // namespace

double Screen::twipsPerPixelX() {
    if (fixedMetrics()) return fixedMetrics()->twipsPerPixelX;
    return 1440.0 / dotsPerInch(LOGPIXELSX);
}

double Screen::twipsPerPixelY() {
    if (fixedMetrics()) return fixedMetrics()->twipsPerPixelY;
    return 1440.0 / dotsPerInch(LOGPIXELSY);
}

int Screen::widthPixels() {
    if (fixedMetrics()) return fixedMetrics()->widthPixels;
    return GetSystemMetrics(SM_CXSCREEN);
}

int Screen::heightPixels() {
    if (fixedMetrics()) return fixedMetrics()->heightPixels;
    return GetSystemMetrics(SM_CYSCREEN);
}

float Screen::width() { return static_cast<float>(widthPixels() * twipsPerPixelX()); }
float Screen::height() { return static_cast<float>(heightPixels() * twipsPerPixelY()); }

Rect Screen::workAreaPixels() {
    if (fixedMetrics()) return fixedMetrics()->workAreaPixels;
    RECT area{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
        return Rect{0, 0, widthPixels(), heightPixels()};
    }
    return Rect{area.left, area.top, area.right, area.bottom};
}

void Screen::setFixed(std::optional<ScreenMetrics> metrics) {
    const std::optional<ScreenMetrics> before = fixedMetrics();
    fixedMetrics() = metrics;
    if (before && metrics && *before != *metrics) backend::notifyScreenChanged();
}

// Changes reach the program's windows as messages (WM_DISPLAYCHANGE, WM_SETTINGCHANGE); there
// is nothing to subscribe to.
void backend::watchScreenChanges() {}
std::optional<ScreenMetrics> Screen::fixed() { return fixedMetrics(); }

}  // namespace platform
