#include "qt/EventReaderWatch.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>

#include "qt/X11Support.h"

namespace platform::qt {

namespace {

// The name the kernel keeps for a thread: Qt names each thread it starts after its class.
std::string threadName(pid_t thread) {
    std::ifstream comm("/proc/self/task/" + std::to_string(thread) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

// A descriptor that becomes readable when the thread ends, or -1 where the kernel has none
// (before Linux 6.9, whose pidfd_open takes PIDFD_THREAD, the value of O_EXCL).
int threadDescriptor(pid_t thread) {
#ifdef SYS_pidfd_open
    const long fd = syscall(SYS_pidfd_open, thread, O_EXCL);
    return fd >= 0 ? static_cast<int>(fd) : -1;
#else
    (void)thread;
    return -1;
#endif
}

// How long after data arrives the thread is looked for: while it lives it takes the data at
// once, and a thread that has just read its last event needs a moment to end.
constexpr int kLookAfterMs = 200;

class ThreadWatch {
public:
    ThreadWatch(pid_t thread, std::string_view name, std::function<void()> onGone)
        : m_thread(thread), m_name(name), m_onGone(std::move(onGone)) {}

    void byKernel(int fd) {
        m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(m_notifier, &QSocketNotifier::activated, [this] {
            m_notifier->setEnabled(false);
            gone();
        });
    }

    // Data waiting on `fd` wakes the program; the notifier rests until the look, so that data
    // the thread has not taken yet does not wake it over and over.
    void byData(int fd) {
        m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(m_notifier, &QSocketNotifier::activated, [this] {
            m_notifier->setEnabled(false);
            QTimer::singleShot(kLookAfterMs, m_notifier, [this] {
                if (threadRuns(m_thread, m_name)) {
                    m_notifier->setEnabled(true);
                } else {
                    gone();
                }
            });
        });
    }

private:
    void gone() {
        if (m_onGone) std::exchange(m_onGone, nullptr)();
    }

    pid_t m_thread;
    std::string m_name;
    std::function<void()> m_onGone;
    QSocketNotifier* m_notifier = nullptr;
};

constexpr std::string_view kReaderThreadName = "QXcbEventQueue";

// Waits for the first X event: Qt's reader thread has been named by then, since it read it.
class FirstEvent : public QAbstractNativeEventFilter {
public:
    explicit FirstEvent(std::function<void()> onStopped) : m_onStopped(std::move(onStopped)) {}

    bool nativeEventFilter(const QByteArray& eventType, void*, qintptr*) override {
        if (eventType != "xcb_generic_event_t") return false;
        QCoreApplication::instance()->removeNativeEventFilter(this);
        watchThread(threadNamed(kReaderThreadName), kReaderThreadName,
                    x11::connectionFileDescriptor(), std::move(m_onStopped));
        return false;
    }

private:
    std::function<void()> m_onStopped;
};

}  // namespace

pid_t threadNamed(std::string_view name) {
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr) return 0;
    pid_t found = 0;
    while (const dirent* entry = readdir(tasks)) {
        const auto thread = static_cast<pid_t>(std::atol(entry->d_name));
        if (thread > 0 && threadName(thread) == name) {
            found = thread;
            break;
        }
    }
    closedir(tasks);
    return found;
}

bool threadRuns(pid_t thread, std::string_view name) {
    return thread > 0 && threadName(thread) == name;
}

bool watchThread(pid_t thread, std::string_view name, int dataFd, std::function<void()> onGone,
                 bool kernelNotice) {
    if (thread <= 0) return false;
    const int threadFd = kernelNotice ? threadDescriptor(thread) : -1;
    if (threadFd < 0 && dataFd < 0) return false;
    auto* watch = new ThreadWatch(thread, name, std::move(onGone));  // for good
    if (threadFd >= 0) {
        watch->byKernel(threadFd);
    } else {
        watch->byData(dataFd);
    }
    return true;
}

void watchEventReader(std::function<void()> onStopped) {
    if (!x11::active()) return;
    // Lives as long as the application.
    QCoreApplication::instance()->installNativeEventFilter(new FirstEvent(std::move(onStopped)));
}

}  // namespace platform::qt
