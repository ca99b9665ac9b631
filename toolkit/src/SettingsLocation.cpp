#include "SettingsLocation.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/Application.h"

namespace toolkit {

namespace {

std::string besideExecutable(const std::string& folder, const std::string& exeName) {
    std::string path = folder;
    if (path.empty() || path.back() != '/') path += '/';
    return path + exeName + ".ini";
}

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

}  // namespace

SettingsLocation settingsLocation() {
    const std::string folder = platform::Application::path();
    const std::string exeName = platform::Application::exeName();
    SettingsLocation beside{besideExecutable(folder, exeName), false};

    std::error_code error;
    if (std::filesystem::exists(beside.path, error)) return beside;
    if (::access(folder.c_str(), W_OK) == 0) return beside;
    const auto config = userConfigFolder();
    if (!config) return beside;
    return SettingsLocation{*config + '/' + exeName + '/' + exeName + ".ini", true};
}

}  // namespace toolkit
