// One test's world on Qt's offscreen platform.

#include "platform/testing/TestEnvironment.h"

#include <stdlib.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QtGlobal>
#include <filesystem>

#include "platform/Application.h"
#include "platform/Form.h"
#include "common/Backend.h"
#include "qt/QtStartup.h"

namespace platform::testing {

namespace {

std::string makeTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kiprun-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return std::filesystem::temp_directory_path().string();
    return pattern;
}

QtMessageHandler g_previousHandler = nullptr;

// The offscreen platform cannot shape or raise windows and says so on every call; the tests
// read shapes back from the windows themselves, so the notice is only noise.
void quietOffscreenNotices(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QStringLiteral("This plugin does not support")))
        return;
    if (g_previousHandler != nullptr) g_previousHandler(type, context, message);
}

}  // namespace

void ensureApplication() {
    if (QCoreApplication::instance() != nullptr) return;
    g_previousHandler = qInstallMessageHandler(quietOffscreenNotices);
    // Unit tests never open windows on a real display, whatever the environment says.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "platform-test";
    static char* argv[] = {name, nullptr};
    qt::startApplication(argc, argv);
}

TestEnvironment::TestEnvironment(ScreenMetrics screen)
    : m_folder(makeTempFolder()),
      m_random(std::make_unique<DefaultRandomSource>()) {
    ensureApplication();
    // The window system's queue empties in every event pass, as under the real event loop;
    // left alone it would grow for as long as the test runs.
    m_clock.setNativeEventPass([] {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        // Without a running event loop Qt never frees widgets whose deletion was deferred
        // while a handler ran; between handlers nothing uses them any more.
        if (dispatchDepth() == 0) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    });
    setClock(&m_clock);
    Screen::setFixed(screen);
    Application::setPathForTests(m_folder, "DskKPR");
    setMessageBoxHandler([this](const std::string& text) { m_messages.push_back(text); });
    setEndHandler([this] {
        ++m_endCount;
        resetFormsForTests();
    });
    // No real popup ever opens in a test: unless a test answers, the menu closes unchosen.
    setPopupMenuHandler([](MenuItem&) -> MenuItem* { return nullptr; });
    setRandomSource(m_random.get());
}

TestEnvironment::~TestEnvironment() {
    resetFormsForTests();
    // Widgets of windows unloaded inside handlers wait for deferred deletion.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    setMessageBoxHandler(nullptr);
    setPopupMenuHandler(nullptr);
    setEndHandler(nullptr);
    setRandomSource(nullptr);
    setClock(nullptr);
    Screen::setFixed(std::nullopt);
    std::error_code error;
    std::filesystem::remove_all(m_folder, error);
}

int nativeWindowCount() {
    return static_cast<int>(QApplication::allWidgets().size());
}

std::string TestEnvironment::iniPath() const { return m_folder + "/DskKPR.ini"; }

void TestEnvironment::setPopupChoice(std::function<MenuItem*(MenuItem& menu)> choose) {
    if (!choose) choose = [](MenuItem&) -> MenuItem* { return nullptr; };
    setPopupMenuHandler(std::move(choose));
}

void TestEnvironment::setRandomSequence(std::vector<float> values) {
    m_random = std::make_unique<SequenceRandomSource>(std::move(values));
    setRandomSource(m_random.get());
}

}  // namespace platform::testing
