#pragma once
// What the shared code of the window layer needs from the backend (Qt or Win32), and the test
// hooks the backend consults. Internal to the window layer.

#include <functional>
#include <string>

namespace platform {

class Clock;
class MenuItem;

namespace backend {

// The real clock: tick counter, sleep, event passes and native timers.
Clock& systemClock();
// Shows a native modal message box with OK only, titled with the program's title.
void showMessageBox(const std::string& text);
// Tells the program that the screen's size or work area changed (Screen::setOnChanged).
void notifyScreenChanged();
// Starts watching the native screen for changes; called once, when a handler is first set.
void watchScreenChanges();
// Ends the process at once with `exitCode` (flushing what the window system was told first).
[[noreturn]] void terminateProcess(int exitCode);

}  // namespace backend

namespace hooks {

// The hooks installed by tests (empty when none).
const std::function<void(const std::string&)>& messageBoxHandler();
const std::function<MenuItem*(MenuItem&)>& popupMenuHandler();
const std::function<void()>& endHandler();

}  // namespace hooks

// Event handlers currently running (nesting depth of platform::dispatch). Unloaded windows are
// freed when it returns to 0.
int dispatchDepth();
// Frees the windows unloaded while handlers were running; called when the depth returns to 0.
void releaseUnloadedForms();

}  // namespace platform
