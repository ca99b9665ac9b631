#include "qt/QtStartup.h"

#include <QApplication>
#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/Screen.h"
#include "qt/DeviceScale.h"
#include "qt/X11Support.h"
#include "qt/X11WorkArea.h"

namespace platform::qt {

namespace {

// The program names the home platform's Japanese faces; the IPA faces are metric-compatible
// with them. Without a substitution the names resolve to a Latin face of other widths.
void substituteFaces() {
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho"));
}

// The primary monitor and its work area in the server's pixels. On X11 they are read from the
// server, the work area judged as the scene's ground line is: Qt gives them in its own pixels,
// rounded. Qt keeps a screen's top-left corner in the server's pixels, which picks the primary
// among the monitors.
void primaryInDevicePixels(const QScreen& screen, double ratio, Rect& monitor, Rect& workArea) {
    const QRect geometry = screen.geometry();
    const QRect available = screen.availableGeometry();
    const QPoint corner = geometry.topLeft();
    auto scaled = [ratio, corner](const QRect& r) {
        const auto left = static_cast<std::int32_t>(corner.x() + (r.x() - corner.x()) * ratio);
        const auto top = static_cast<std::int32_t>(corner.y() + (r.y() - corner.y()) * ratio);
        return Rect{left, top, left + static_cast<std::int32_t>(r.width() * ratio),
                    top + static_cast<std::int32_t>(r.height() * ratio)};
    };
    monitor = scaled(geometry);
    workArea = scaled(available);
    if (!x11::active()) return;
    const Rect estimate = monitor;
    bool found = false;
    for (const Rect& m : x11::monitorRects()) {
        if (m.left != corner.x() || m.top != corner.y()) continue;
        // Of monitors that share a corner, the one closest to Qt's size.
        const auto misfit = [&estimate](const Rect& r) {
            return std::abs((r.right - r.left) - (estimate.right - estimate.left)) +
                   std::abs((r.bottom - r.top) - (estimate.bottom - estimate.top));
        };
        if (!found || misfit(m) < misfit(monitor)) monitor = m;
        found = true;
    }
    if (!found) return;
    workArea = x11::primaryWorkArea(
        monitor, x11::readDesktopReservations(QGuiApplication::screens().size()));
}

// How to start Qt again, or nothing when the ratio it chose stands.
std::optional<Restart> restartWanted() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || Screen::roomNeededWidth() <= 0 || Screen::roomNeededHeight() <= 0)
        return std::nullopt;
    const double ratio = screen->devicePixelRatio();
    if (ratio <= 1) return std::nullopt;
    Rect monitor;
    Rect workArea;
    primaryInDevicePixels(*screen, ratio, monitor, workArea);
    const int capped = cappedRatio(ratio, monitor, workArea, Screen::roomNeededWidth(),
                                   Screen::roomNeededHeight());
    if (capped == 0) return std::nullopt;
    return restartFor(capped, ratio, globalFactorFromText(std::getenv("QT_SCALE_FACTOR")));
}

}  // namespace

QApplication& startApplication(int& argc, char** argv) {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return *existing;
    }
    // Fractional ratios would scale every sprite and mask by a non-integer factor; the floor
    // keeps whole pixels (a 192-dpi screen gets exactly 2).
    const auto wholePixels = [] {
        QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
            Qt::HighDpiScaleFactorRoundingPolicy::Floor);
    };
    wholePixels();
    // Qt takes the options it reads out of argv; a second start needs them again.
    const int argumentCount = argc;
    const std::vector<char*> arguments(argv, argv + argc);
    // Kept for the life of the process: windows of the program may outlive any scope here.
    auto* app = new QApplication(argc, argv);
    if (const std::optional<Restart> restart = restartWanted()) {
        // Qt fixes its ratio as it starts. No window exists yet, so it starts again, with the
        // global factor that makes the ratio a smaller whole number (a factor the user set is
        // part of it).
        delete app;
        setenv("QT_SCALE_FACTOR", factorText(restart->globalFactor).c_str(), 1);
        // Qt 6.8 forgets the policy with the application it belonged to.
        wholePixels();
        argc = argumentCount;
        std::copy(arguments.begin(), arguments.end(), argv);
        app = new QApplication(argc, argv);
    }
    // The scene's windows are tool windows; closing a message box while only they are shown
    // would otherwise quit the event loop.
    QApplication::setQuitOnLastWindowClosed(false);
    substituteFaces();
    return *app;
}

}  // namespace platform::qt
