#pragma once
// The program as a whole: start-up of the window system, the event loop, the program's folder,
// name and title, message boxes, and the end of the process.

#include <functional>
#include <string>

namespace platform {

class MenuItem;

// Thrown by end() when a test installed an end handler that returns; never by the program.
struct EndRequested {
    int exitCode = 0;
};

class Application {
public:
    // Starts the window system. On Linux: Qt on X11 (the xcb platform is forced when DISPLAY is
    // set, so Wayland sessions run through XWayland), integer device-pixel ratios only, the
    // program's face names mapped to installed faces, and no quit when the last window closes
    // (the program ends through its own close handlers).
    Application(int& argc, char** argv);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs the event loop until end().
    int exec();

    // The executable's folder without a trailing separator (except for a root folder) and its
    // file name without extension.
    static std::string path();
    static std::string exeName();
    static void setPathForTests(std::string folder, std::string exeName);

    // The program's title, "デスクトップKiprun!".
    static const std::string& title();
};

// A modal message box with `text`, an OK button only and the program's title; returns when it
// is closed.
void messageBox(const std::string& text);

// Terminates the process at once with exit code 0: no close handler runs, no further event.
[[noreturn]] void end();

// Hooks for tests (each nullptr restores the real behaviour).
// A message box handler receives the text instead of showing a box.
void setMessageBoxHandler(std::function<void(const std::string& text)> handler);
// A popup handler chooses an item of the menu (or nullptr for none) instead of showing it.
void setPopupMenuHandler(std::function<MenuItem*(MenuItem& menu)> handler);
// An end handler runs instead of terminating; end() then throws EndRequested.
void setEndHandler(std::function<void()> handler);

}  // namespace platform
