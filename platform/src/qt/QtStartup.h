#pragma once
// Starting Qt the way the program needs it, shared by the program and the test environment.
// Internal to the Qt backend.

class QApplication;

namespace platform::qt {

// Creates the QApplication unless one exists, with integer device-pixel ratios, no quit when
// the last window closes and the program's face names mapped to installed faces. `argc` and
// `argv` must outlive the application.
QApplication& startApplication(int& argc, char** argv);

}  // namespace platform::qt
