// The screen-change notice shared by both backends: the backend reports a change, the program's
// handler runs as an event.

#include "common/Backend.h"
#include "platform/RuntimeError.h"
#include "platform/Screen.h"

namespace platform {

namespace {

std::function<void()>& changeHandler() {
    static std::function<void()> handler;
    return handler;
}

}  // namespace

void Screen::setOnChanged(std::function<void()> handler) {
    static bool watching = false;
    if (handler && !watching) {
        watching = true;
        backend::watchScreenChanges();
    }
    changeHandler() = std::move(handler);
}

void backend::notifyScreenChanged() {
    if (!changeHandler()) return;
    // A copy: the handler may replace itself.
    const std::function<void()> handler = changeHandler();
    dispatch(handler);
}

}  // namespace platform
