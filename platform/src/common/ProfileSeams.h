#pragma once
// Internal to the window layer: moments inside a settings-file read or save where a test can
// step in, to do what another process might do at that instant (swap the file for a FIFO,
// kill the program). Not available on Windows, where the system's own profile calls are used.

#ifndef _WIN32

#include <functional>
#include <string>

namespace platform::profile_seams {

// Called with the file's name right before a read or a save opens the settings file, after
// its name has been looked at (links followed). An empty function removes the hook.
void setBeforeOpen(std::function<void(const std::string& path)> hook);

// Called on the save path when the new content is complete and on disk in its temporary file,
// right before that file replaces the settings file.
void setBeforeReplace(std::function<void(const std::string& temporary)> hook);

}  // namespace platform::profile_seams

#endif  // _WIN32
