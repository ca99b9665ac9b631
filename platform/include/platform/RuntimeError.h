#pragma once
// Run-time faults of the program (overflow, subscript out of range, ...). They are thrown
// wherever the fault happens and caught at the one place where the window layer dispatches
// an event (platform::dispatch), which reports them in a message box titled with the
// program's title and then ends the process.

#include <functional>
#include <stdexcept>
#include <string>

namespace platform {

enum class ErrorCode : int {
    kDivisionByZero = 11,
    kOverflow = 6,
    kSubscriptOutOfRange = 9,
    kInvalidArgument = 5,
    // A window's load event unloaded the window before the reference that loaded it returned.
    kObjectUnloaded = 364,
};

class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(ErrorCode code);
    RuntimeError(ErrorCode code, const std::string& description);

    ErrorCode code() const { return m_code; }
    // The text of the default error report, e.g. "Run-time error '6':\n\nOverflow".
    std::string report() const;

private:
    ErrorCode m_code;
};

[[noreturn]] void raise(ErrorCode code);

// Runs one event handler. A RuntimeError escaping it is reported (message box) and ends the
// process; platform::EndRequested (thrown by the test end handler) passes through unchanged.
// Every callback the window layer invokes from the native event loop goes through here, so no
// exception crosses a native event handler.
void dispatch(const std::function<void()>& handler);

}  // namespace platform
