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

#include "common/Backend.h"

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

Rect Screen::workAreaPixels() {
    if (fixedMetrics()) return fixedMetrics()->workAreaPixels;
    QScreen* screen = primaryScreen();
    if (screen == nullptr) return ScreenMetrics{}.workAreaPixels;
    // Positions count from the primary screen's top-left corner.
    const QRect area = screen->availableGeometry().translated(-screen->geometry().topLeft());
    return Rect{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
}

void Screen::setFixed(std::optional<ScreenMetrics> metrics) {
    const std::optional<ScreenMetrics> before = fixedMetrics();
    fixedMetrics() = metrics;
    if (before && metrics && *before != *metrics) backend::notifyScreenChanged();
}

void backend::watchScreenChanges() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (app == nullptr) return;
    // The primary screen's geometry and work area; a new primary screen counts as a change
    // and is watched from then on.
    auto watch = [](QScreen* screen) {
        if (screen == nullptr) return;
        QObject::connect(screen, &QScreen::geometryChanged, [] { notifyScreenChanged(); });
        QObject::connect(screen, &QScreen::availableGeometryChanged, [] { notifyScreenChanged(); });
    };
    watch(QGuiApplication::primaryScreen());
    QObject::connect(app, &QGuiApplication::primaryScreenChanged, [watch](QScreen* screen) {
        watch(screen);
        notifyScreenChanged();
    });
}

std::optional<ScreenMetrics> Screen::fixed() { return fixedMetrics(); }

}  // namespace platform
