#pragma once
// Where the settings file lives. Normally beside the executable, named after it. An
// installed copy whose folder the user cannot write to (and where no settings file stands
// already) keeps its settings in the user's configuration folder instead, so that a chosen
// colour survives; a portable copy in a writable folder keeps its file beside itself.

#include <string>

namespace toolkit {

struct SettingsLocation {
    std::string path;
    // True when the file lives in the user's configuration folder, which a write may have to
    // create first.
    bool inUserConfig = false;
};

SettingsLocation settingsLocation();

// Creates the folders a write to `location` needs, when it lies in the user's configuration
// folder. Failures are left to the write, which then fails quietly.
void createSettingsFolder(const SettingsLocation& location);

}  // namespace toolkit
