#include "platform/Screen.h"

#include <windows.h>

#include "common/Backend.h"
#include "common/WorkArea.h"
#include "win32/Win32Support.h"

namespace platform {

namespace {

std::optional<ScreenMetrics>& fixedMetrics() {
    static std::optional<ScreenMetrics> metrics;
    return metrics;
}

// The program's pixels are those of a 96-dpi screen whatever the system's DPI: a denser screen
// shows each as a square of whole screen pixels (win32::deviceScale()), so the sprites, whose
// window sizes are fixed twips, keep matching their bitmaps.
constexpr double kTwipsPerPixel = 1440.0 / 96;

}  // namespace

double Screen::twipsPerPixelX() {
    if (fixedMetrics()) return fixedMetrics()->twipsPerPixelX;
    return kTwipsPerPixel;
}

double Screen::twipsPerPixelY() {
    if (fixedMetrics()) return fixedMetrics()->twipsPerPixelY;
    return kTwipsPerPixel;
}

int Screen::widthPixels() {
    if (fixedMetrics()) return fixedMetrics()->widthPixels;
    return win32::fromDevice(GetSystemMetrics(SM_CXSCREEN));
}

int Screen::heightPixels() {
    if (fixedMetrics()) return fixedMetrics()->heightPixels;
    return win32::fromDevice(GetSystemMetrics(SM_CYSCREEN));
}

float Screen::width() { return static_cast<float>(widthPixels() * twipsPerPixelX()); }
float Screen::height() { return static_cast<float>(heightPixels() * twipsPerPixelY()); }

namespace {

// The primary monitor's work area; on Windows the primary's top-left corner is the desktop's
// origin, so these figures count from it as they stand.
Rect reportedWorkArea() {
    if (fixedMetrics()) return fixedMetrics()->workAreaPixels;
    RECT area{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
        return Rect{0, 0, Screen::widthPixels(), Screen::heightPixels()};
    }
    // The program pixels wholly inside the area.
    return Rect{win32::fromDeviceCeil(area.left), win32::fromDeviceCeil(area.top),
                win32::fromDevice(area.right), win32::fromDevice(area.bottom)};
}

}  // namespace

Rect Screen::workAreaPixels() {
    return workarea::trusted(reportedWorkArea(), widthPixels(), heightPixels(), roomNeededWidth(),
                             roomNeededHeight());
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
