#include "SettingsLocation.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>

#include "platform/Application.h"

namespace toolkit {

namespace {

std::string besideExecutable(const std::string& folder, const std::string& exeName) {
    std::string path = folder;
    if (path.empty() || path.back() != '/') path += '/';
    return path + exeName + ".ini";
}

#if !defined(_WIN32)
// $XDG_CONFIG_HOME when it is set to an absolute path, else $HOME/.config.
std::optional<std::string> userConfigFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return std::string(xdg);
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') {
        std::string folder = home;
        if (folder.back() != '/') folder += '/';
        return folder + ".config";
    }
    return std::nullopt;
}
#endif

}  // namespace

SettingsLocation settingsLocation() {
    const std::string folder = platform::Application::path();
    const std::string exeName = platform::Application::exeName();
    SettingsLocation beside{besideExecutable(folder, exeName), false};
#if defined(_WIN32)
    // Windows keeps the file beside the program, wherever that is.
    return beside;
#else
    if (::access(beside.path.c_str(), F_OK) == 0) return beside;
    if (::access(folder.c_str(), W_OK) == 0) return beside;
    const auto config = userConfigFolder();
    if (!config) return beside;
    return SettingsLocation{*config + '/' + exeName + '/' + exeName + ".ini", true};
#endif
}

void createSettingsFolder(const SettingsLocation& location) {
#if !defined(_WIN32)
    if (!location.inUserConfig) return;
    // Each missing folder on the way, as mkdir -p does; one that exists already is fine.
    const std::string::size_type last = location.path.rfind('/');
    for (std::string::size_type slash = location.path.find('/', 1);
         slash != std::string::npos && slash <= last; slash = location.path.find('/', slash + 1)) {
        const std::string prefix = location.path.substr(0, slash);
        if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return;
    }
#else
    (void)location;
#endif
}

}  // namespace toolkit
