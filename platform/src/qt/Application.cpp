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
#include "qt/QtConvert.h"
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

// The scene runs on X11 alone (XWayland on a Wayland session): without a display it cannot
// start, and Qt would abort with a core dump and advice meant for its own installation.
void requireX11Display() {
    const char* display = std::getenv("DISPLAY");
    const std::string name = display != nullptr ? display : "";
    if (!name.empty() && qt::x11::canOpenDisplay(name)) return;
    const std::string why = name.empty() ? std::string("DISPLAY is not set")
                                         : "cannot open the X11 display \"" + name + "\"";
    std::fprintf(stderr, "%s: %s; %s needs an X11 display (or XWayland on a Wayland desktop)\n",
                 Application::exeName().c_str(), why.c_str(), Application::title().c_str());
    std::exit(1);
}

}  // namespace

Application::Application(int& argc, char** argv) {
    // A Wayland client may not place its own top-level windows, and every window of the scene
    // is one: run through an X server (XWayland on a Wayland session). A platform named in the
    // environment (offscreen in tests) is left alone.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform == nullptr || *platform == '\0' || std::string_view(platform) == "xcb") {
        requireX11Display();
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    keepFromStartingASessionBus();
    qt::startApplication(argc, argv);
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
