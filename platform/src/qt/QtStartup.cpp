#include "qt/QtStartup.h"

#include <QApplication>
#include <QFont>
#include <QGuiApplication>

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

}  // namespace

QApplication& startApplication(int& argc, char** argv) {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return *existing;
    }
    // Fractional ratios would scale every sprite and mask by a non-integer factor; the floor
    // keeps whole pixels (a 192-dpi screen gets exactly 2).
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Floor);
    // Kept for the life of the process: windows of the program may outlive any scope here.
    auto* app = new QApplication(argc, argv);
    // The scene's windows are tool windows; closing a message box while only they are shown
    // would otherwise quit the event loop.
    QApplication::setQuitOnLastWindowClosed(false);
    substituteFaces();
    return *app;
}

}  // namespace platform::qt
