#pragma once
// Noticing that Qt has stopped reading the X server's events. Qt's X11 platform reads them in
// a thread of its own (its class QXcbEventQueue, whose name the thread carries), and that
// thread ends for good when it reads a client message of Qt's private type
// _QT_CLOSE_CONNECTION, which Qt sends itself when it shuts down and which any other client can
// send to a window of the program. The program would then stay on the desktop deaf: no clicks,
// no menu, close requests unread. The watch ends the program instead, as when the X server goes.
//
// Nothing here wakes an idle program. Where the kernel hands out a descriptor for a thread
// (Linux 6.9 on), the end of the reader thread itself wakes the program. Elsewhere the program
// looks when the X server has sent something: data waiting on the connection's socket wakes it,
// and a moment later it asks whether the reader thread still lives; so a deaf program ends at
// the next event the server has for it (a click, a close request). Internal to the Qt backend.

#include <sys/types.h>

#include <functional>
#include <string_view>

namespace platform::qt {

// The kernel's id of the first thread of this process named `name`, or 0 when there is none.
pid_t threadNamed(std::string_view name);

// Whether thread `thread` of this process still runs under the name `name`.
bool threadRuns(pid_t thread, std::string_view name);

// Runs `onGone` once, from the event loop, after thread `thread` of this process (named
// `name`) has ended: told by the kernel when `kernelNotice` is true and the kernel can, else
// looked for a moment after data waits on `dataFd`. The watch lives as long as the
// application; `onGone` must not throw. False when there is nothing to watch with.
bool watchThread(pid_t thread, std::string_view name, int dataFd, std::function<void()> onGone,
                 bool kernelNotice = true);

// Once Qt has handed the program its first X event, watches Qt's reader thread with
// watchThread() and the X connection's socket. Does nothing on another platform or when Qt's
// reader thread cannot be found.
void watchEventReader(std::function<void()> onStopped);

}  // namespace platform::qt
