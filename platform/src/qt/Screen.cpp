// The primary screen through QGuiApplication. Qt is started with the Floor rounding policy of
// device-pixel ratios, so a 192-dpi screen has ratio 2 and every sprite shows at exactly twice
// its size, its mask scaled with it; a 144-dpi screen has ratio 1.
//
// One pixel of the program is one device-independent pixel of Qt, at 15 twips whatever the
// screen's dots per inch: the sprites' sizes are fixed twips at 15 per pixel, and any other
// figure (10 for Qt's logical 144 dpi at ratio 1) would size every window apart from its
// sprite and put the ball beside the golfer's club. The Windows build keeps the same rule.

#include "platform/Screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

#include "common/Backend.h"
#include "common/WorkArea.h"
#include "qt/Units.h"
#include "qt/X11Support.h"
#include "qt/X11WorkArea.h"

namespace platform {

namespace {

std::optional<ScreenMetrics>& fixedMetrics() {
    static std::optional<ScreenMetrics> metrics;
    return metrics;
}

QScreen* primaryScreen() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr
               ? QGuiApplication::primaryScreen()
               : nullptr;
}

constexpr double kTwipsPerPixel = 15.0;

}  // namespace

double Screen::twipsPerPixelX() {
    if (fixedMetrics()) return fixedMetrics()->twipsPerPixelX;
    return kTwipsPerPixel;
}

double Screen::twipsPerPixelY() {
    if (fixedMetrics()) return fixedMetrics()->twipsPerPixelY;
    return kTwipsPerPixel;
}

float Screen::width() { return static_cast<float>(widthPixels() * twipsPerPixelX()); }
float Screen::height() { return static_cast<float>(heightPixels() * twipsPerPixelY()); }

int Screen::widthPixels() {
    if (fixedMetrics()) return fixedMetrics()->widthPixels;
    QScreen* screen = primaryScreen();
    return screen != nullptr ? screen->geometry().width() : ScreenMetrics{}.widthPixels;
}

int Screen::heightPixels() {
    if (fixedMetrics()) return fixedMetrics()->heightPixels;
    QScreen* screen = primaryScreen();
    return screen != nullptr ? screen->geometry().height() : ScreenMetrics{}.heightPixels;
}

namespace {

// The primary monitor's work area as the desktop reports it, relative to the monitor's top-left
// corner, before it is judged.
// What the desktop reports of the primary's work area, relative to the monitor's top-left
// corner, in the program's pixels. `panelsOnly` leaves out the desktop-wide and per-monitor
// figures and asks the panels' struts alone.
Rect reportedWorkArea(QScreen* screen, bool panelsOnly) {
    const QRect monitor = screen->geometry();
    if ((panelsOnly || QGuiApplication::screens().size() > 1) && qt::x11::active()) {
        // The server's pixels: the monitor's corner stays where it is, its size is scaled.
        const double ratio = screen->devicePixelRatio();
        const QPoint corner = monitor.topLeft();
        const Rect native{corner.x(), corner.y(),
                          corner.x() + qt::roundPixels(monitor.width() * ratio),
                          corner.y() + qt::roundPixels(monitor.height() * ratio)};
        qt::x11::DesktopReservations desktop =
            qt::x11::readDesktopReservations(QGuiApplication::screens().size());
        if (panelsOnly) {
            desktop.perMonitor.clear();
            desktop.workArea.reset();
        }
        const Rect area = qt::x11::primaryWorkArea(native, desktop);
        // The program's pixels wholly inside the area.
        return Rect{static_cast<int>(std::ceil((area.left - corner.x()) / ratio)),
                    static_cast<int>(std::ceil((area.top - corner.y()) / ratio)),
                    static_cast<int>(std::floor((area.right - corner.x()) / ratio)),
                    static_cast<int>(std::floor((area.bottom - corner.y()) / ratio))};
    }
    // One monitor: Qt's figure, _NET_WORKAREA clipped to the screen.
    const QRect area = screen->availableGeometry().translated(-monitor.topLeft());
    return Rect{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
}

}  // namespace

Rect Screen::workAreaPixels() {
    Rect reported = ScreenMetrics{}.workAreaPixels;
    if (fixedMetrics()) {
        reported = fixedMetrics()->workAreaPixels;
    } else if (QScreen* screen = primaryScreen()) {
        reported = reportedWorkArea(screen, false);
        // A work area not to be trusted says nothing of the panels that are there: their own
        // struts do, and a window manager keeps windows out of them (xfwm4 moved the button
        // and the ball off its panel, away from the golfer).
        if (!workarea::isSane(reported, widthPixels(), heightPixels(), roomNeededWidth(),
                              roomNeededHeight())) {
            reported = reportedWorkArea(screen, true);
        }
    }
    return workarea::trusted(reported, widthPixels(), heightPixels(), roomNeededWidth(),
                             roomNeededHeight());
}

QPoint qt::desktopOrigin() {
    if (fixedMetrics()) return QPoint(fixedMetrics()->originX, fixedMetrics()->originY);
    QScreen* screen = primaryScreen();
    return screen != nullptr ? screen->geometry().topLeft() : QPoint(0, 0);
}

void Screen::setFixed(std::optional<ScreenMetrics> metrics) {
    const std::optional<ScreenMetrics> before = fixedMetrics();
    fixedMetrics() = metrics;
    if (before && metrics && *before != *metrics) backend::notifyScreenChanged();
}

void backend::watchScreenChanges() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (app == nullptr) return;
    // Every monitor's geometry and work area, monitors coming and going and a new primary: any
    // of them can move the primary's corner or its ground line. The handler lays the scene out
    // again, which changes nothing when nothing moved.
    auto watch = [](QScreen* screen) {
        if (screen == nullptr) return;
        QObject::connect(screen, &QScreen::geometryChanged, [] { notifyScreenChanged(); });
        QObject::connect(screen, &QScreen::availableGeometryChanged, [] { notifyScreenChanged(); });
    };
    for (QScreen* screen : QGuiApplication::screens()) watch(screen);
    QObject::connect(app, &QGuiApplication::screenAdded, [watch](QScreen* screen) {
        watch(screen);
        notifyScreenChanged();
    });
    QObject::connect(app, &QGuiApplication::screenRemoved, [] { notifyScreenChanged(); });
    QObject::connect(app, &QGuiApplication::primaryScreenChanged,
                     [](QScreen*) { notifyScreenChanged(); });
    // Per-monitor work areas and panels' struts change without a signal of Qt's; only a change
    // of the primary's work area is told.
    static Rect lastArea = Screen::workAreaPixels();
    qt::x11::watchDesktopReservations([] {
        if (QGuiApplication::screens().size() < 2) return;  // Qt's own signal tells then
        const Rect area = Screen::workAreaPixels();
        if (area == lastArea) return;
        lastArea = area;
        notifyScreenChanged();
    });
}

std::optional<ScreenMetrics> Screen::fixed() { return fixedMetrics(); }

}  // namespace platform
