// Start-up of Qt, the event loop, the program's folder and name, message boxes and the end of
// the process.

#include "platform/Application.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "common/Backend.h"
#include "qt/EventReaderWatch.h"
#include "qt/QtConvert.h"
#include "qt/QtMessageFilter.h"
#include "qt/QtStartup.h"
#include "qt/X11Support.h"

namespace platform {

namespace {

struct ProgramPath {
    std::string folder;
    std::string exeName;
};

std::optional<ProgramPath>& pathForTests() {
    static std::optional<ProgramPath> path;
    return path;
}

ProgramPath realProgramPath() {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        const QString dir = QCoreApplication::applicationDirPath();
        return ProgramPath{dir.toStdString(), QCoreApplication::applicationName().toStdString()};
    }
    exe = std::filesystem::weakly_canonical(exe, error);
    std::string folder = exe.parent_path().string();
    if (folder.empty()) folder.push_back('/');  // the root folder keeps its separator
    return ProgramPath{folder, exe.stem().string()};
}

const ProgramPath& programPath() {
    if (pathForTests()) return *pathForTests();
    static const ProgramPath real = realProgramPath();
    return real;
}

// Qt reaches for the session bus (its accessibility bridge asks there for a screen reader).
// When no bus is announced, libdbus would "autolaunch" one: it runs dbus-launch, whose
// dbus-daemon then stays until the X server ends. A desktop toy starts no daemon of its own,
// so without an address in the environment, and without the user's bus socket in
// $XDG_RUNTIME_DIR (which libdbus would use), the address is set to one that reaches nothing:
// the connection then fails quietly and the program runs without the bus.
void keepFromStartingASessionBus() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && *address != '\0') return;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        struct stat status {};
        const std::string bus = std::string(runtime) + "/bus";
        if (::stat(bus.c_str(), &status) == 0 && S_ISSOCK(status.st_mode)) return;
    }
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
}

void reportUnusableDisplay(const std::string& why) {
    std::fprintf(stderr, "%s: %s; %s needs an X11 display (or XWayland on a Wayland desktop)\n",
                 Application::exeName().c_str(), why.c_str(), Application::title().c_str());
    std::fflush(stderr);
}

std::string cannotOpen(const std::string& name) {
    return "cannot open the X11 display \"" + name + "\"";
}

// The scene runs on X11 alone (XWayland on a Wayland session): without a display it cannot
// start, and Qt would abort with a core dump and advice meant for its own installation.
void requireX11Display() {
    const char* display = std::getenv("DISPLAY");
    const std::string name = display != nullptr ? display : "";
    if (!name.empty() && qt::x11::canOpenDisplay(name)) return;
    reportUnusableDisplay(name.empty() ? std::string("DISPLAY is not set") : cannotOpen(name));
    std::exit(1);
}

// The display Qt connects to: the one its -display option names, else DISPLAY's.
std::string& displayName() {
    static std::string name;
    return name;
}

std::string displayAskedFor(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "-display" || option == "--display") return argv[i + 1];
    }
    const char* display = std::getenv("DISPLAY");
    return display != nullptr ? display : "";
}

void reportLostDisplay() {
    std::fprintf(stderr, "%s: lost the connection to the X11 display \"%s\"\n",
                 Application::exeName().c_str(), displayName().c_str());
    std::fflush(stderr);
}

qt::QtMessageFilter* g_messageFilter = nullptr;
QtMessageHandler g_qtHandler = nullptr;

static_assert(QtDebugMsg == 0 && QtWarningMsg == 1 && QtCriticalMsg == 2 && QtFatalMsg == 3 &&
              QtInfoMsg == 4);

// Qt's messages through the program's filter: the failures of the display in the program's own
// words, repeats of notices about events nobody acts on left out, the rest as Qt writes them.
void onQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    using Verdict = qt::QtMessageFilter::Verdict;
    const std::string_view category = context.category != nullptr ? context.category : "";
    const QByteArray text = message.toUtf8();
    switch (g_messageFilter->judge(static_cast<qt::QtMessageFilter::Type>(type), category,
                                   std::string_view(text.constData(), text.size()))) {
        case Verdict::show:
            g_qtHandler(type, context, message);
            return;
        case Verdict::showFirstOfKind:
            g_qtHandler(type, context,
                        message + QStringLiteral(" (repeats are not shown; QT_LOGGING_RULES=\"%1."
                                                 "warning=true\" shows them)")
                                      .arg(QLatin1String(category.data(),
                                                         static_cast<qsizetype>(category.size()))));
            return;
        case Verdict::hide:
            return;
        case Verdict::displayUnusable: {
            // Qt would abort next, with a core dump.
            const std::string tried = g_messageFilter->displayTried();
            reportUnusableDisplay(cannotOpen(tried.empty() ? displayName() : tried));
            _exit(1);
        }
        case Verdict::displayLost:
            // Qt ends the process itself, with status 1.
            reportLostDisplay();
            return;
    }
}

void filterQtMessages() {
    const char* rules = std::getenv("QT_LOGGING_RULES");
    g_messageFilter = new qt::QtMessageFilter(rules != nullptr ? rules : "");  // for good
    g_qtHandler = qInstallMessageHandler(onQtMessage);
}

}  // namespace

Application::Application(int& argc, char** argv) {
    // A Wayland client may not place its own top-level windows, and every window of the scene
    // is one: run through an X server (XWayland on a Wayland session). A platform named in the
    // environment (offscreen in tests) is left alone.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool x11 =
        platform == nullptr || *platform == '\0' || std::string_view(platform) == "xcb";
    if (x11) {
        requireX11Display();
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        displayName() = displayAskedFor(argc, argv);
        filterQtMessages();
    }
    keepFromStartingASessionBus();
    qt::startApplication(argc, argv);
    if (x11) {
        qt::watchEventReader([] {
            reportLostDisplay();
            backend::terminateProcess(1);
        });
    }
}

// The QApplication stays until the process ends: windows held by the program's global
// instances outlive this object.
Application::~Application() = default;

int Application::exec() { return QApplication::exec(); }

std::string Application::path() { return programPath().folder; }
std::string Application::exeName() { return programPath().exeName; }

void Application::setPathForTests(std::string folder, std::string exeName) {
    pathForTests() = ProgramPath{std::move(folder), std::move(exeName)};
}

const std::string& Application::title() {
    static const std::string title = "デスクトップKiprun!";
    return title;
}

void backend::showMessageBox(const std::string& text) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        std::fprintf(stderr, "%s: %s\n", Application::title().c_str(), text.c_str());
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, qt::toQString(Application::title()), qt::toQString(text),
                    QMessageBox::Ok);
    box.exec();
}

void backend::terminateProcess(int exitCode) {
    qt::x11::flush();
    std::fflush(nullptr);
    _exit(exitCode);
}

}  // namespace platform
