#include "platform/RuntimeError.h"

#include <new>
#include <optional>

#include "common/Backend.h"
#include "platform/Application.h"

namespace platform {

namespace {

const char* descriptionOf(ErrorCode code) {
    switch (code) {
        case ErrorCode::kInvalidArgument:
            return "Invalid procedure call or argument";
        case ErrorCode::kOverflow:
            return "Overflow";
        case ErrorCode::kSubscriptOutOfRange:
            return "Subscript out of range";
        case ErrorCode::kDivisionByZero:
            return "Division by zero";
        case ErrorCode::kObjectUnloaded:
            return "Object was unloaded";
    }
    return "Application-defined or object-defined error";
}

// Faults that are not the program's own run-time errors still end it with a report instead of
// escaping into the native event loop; they are reported under the codes the program's
// language uses for them.
constexpr int kOutOfMemoryCode = 7;
constexpr int kInternalErrorCode = 51;

std::string reportText(int code, const std::string& description) {
    std::string text = "Run-time error '";
    text += std::to_string(code);
    text += "':\n\n";
    text += description;
    return text;
}

int g_depth = 0;
// Set while a fault is being reported: the message box runs a nested event loop, and no other
// handler of a program that is about to end may run meanwhile.
bool g_ending = false;

// Leaving the outermost handler is the moment at which no code runs on behalf of any window,
// so windows unloaded meanwhile can be freed.
void leaveHandler() {
    if (--g_depth == 0) releaseUnloadedForms();
}

}  // namespace

RuntimeError::RuntimeError(ErrorCode code) : RuntimeError(code, descriptionOf(code)) {}

RuntimeError::RuntimeError(ErrorCode code, const std::string& description)
    : std::runtime_error(description), m_code(code) {}

std::string RuntimeError::report() const { return reportText(static_cast<int>(m_code), what()); }

void raise(ErrorCode code) { throw RuntimeError(code); }

int dispatchDepth() { return g_depth; }

void dispatch(const std::function<void()>& handler) {
    if (g_ending || !handler) return;
    ++g_depth;
    std::optional<std::string> fault;
    try {
        handler();
    } catch (const EndRequested&) {
        leaveHandler();
        throw;
    } catch (const RuntimeError& error) {
        fault = error.report();
    } catch (const std::bad_alloc&) {
        fault = reportText(kOutOfMemoryCode, "Out of memory");
    } catch (...) {
        fault = reportText(kInternalErrorCode, "Internal error");
    }
    if (fault) {
        g_ending = true;
        try {
            messageBox(*fault);
        } catch (const EndRequested&) {
            g_ending = false;
            leaveHandler();
            throw;
        } catch (...) {
            // The report could not be shown; the program ends all the same.
        }
        try {
            end();
        } catch (...) {
            // Only a test's end handler comes back here; the next test goes on normally.
            g_ending = false;
            leaveHandler();
            throw;
        }
    }
    leaveHandler();
}

}  // namespace platform
