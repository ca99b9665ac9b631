// The test hooks of the program-wide calls, and the calls that consult them.

#include "common/Backend.h"
#include "platform/Application.h"

namespace platform {

namespace {

std::function<void(const std::string&)>& messageBoxHook() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

std::function<MenuItem*(MenuItem&)>& popupMenuHook() {
    static std::function<MenuItem*(MenuItem&)> hook;
    return hook;
}

std::function<void()>& endHook() {
    static std::function<void()> hook;
    return hook;
}

}  // namespace

namespace hooks {

const std::function<void(const std::string&)>& messageBoxHandler() { return messageBoxHook(); }
const std::function<MenuItem*(MenuItem&)>& popupMenuHandler() { return popupMenuHook(); }
const std::function<void()>& endHandler() { return endHook(); }

}  // namespace hooks

void setMessageBoxHandler(std::function<void(const std::string& text)> handler) {
    messageBoxHook() = std::move(handler);
}

void setPopupMenuHandler(std::function<MenuItem*(MenuItem& menu)> handler) {
    popupMenuHook() = std::move(handler);
}

void setEndHandler(std::function<void()> handler) { endHook() = std::move(handler); }

void messageBox(const std::string& text) {
    // A copy, so that a handler that replaces the hook does not destroy itself while it runs.
    if (const auto handler = messageBoxHook()) {
        handler(text);
        return;
    }
    backend::showMessageBox(text);
}

void end() {
    if (const auto handler = endHook()) {
        handler();
        throw EndRequested{0};
    }
    backend::terminateProcess(0);
}

}  // namespace platform
