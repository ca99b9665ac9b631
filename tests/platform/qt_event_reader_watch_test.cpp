// The watch that ends the program when Qt's X event reader has stopped, played with a thread
// of the test standing in for the reader and a socket pair for the X connection.

#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "common/Backend.h"
#include "platform/Clock.h"
#include "platform/testing/TestEnvironment.h"
#include "qt/EventReaderWatch.h"

namespace platform::qt {
namespace {

constexpr const char* kName = "KiprunReader";

// A thread named kName that runs until stopped.
class NamedThread {
public:
    NamedThread() {
        std::promise<pid_t> started;
        m_thread = std::thread([this, &started] {
            pthread_setname_np(pthread_self(), kName);
            started.set_value(gettid());
            m_stop.get_future().wait();
        });
        m_tid = started.get_future().get();
    }
    ~NamedThread() { stop(); }
    void stop() {
        if (!m_thread.joinable()) return;
        m_stop.set_value();
        m_thread.join();
    }
    pid_t tid() const { return m_tid; }

private:
    std::promise<void> m_stop;
    std::thread m_thread;
    pid_t m_tid = 0;
};

// Runs the event loop until the watch has called or `ms` have passed; true when it called.
bool runUntil(const std::atomic<int>& calls, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (calls.load() == 0 && std::chrono::steady_clock::now() < end)
        backend::systemClock().waitEvents(20);
    return calls.load() != 0;
}

TEST(EventReaderWatchTest, AThreadIsFoundByItsNameUntilItEnds) {
    EXPECT_EQ(threadNamed(kName), 0);
    NamedThread reader;
    EXPECT_EQ(threadNamed(kName), reader.tid());
    EXPECT_TRUE(threadRuns(reader.tid(), kName));
    EXPECT_FALSE(threadRuns(reader.tid(), "SomeOtherName"));
    reader.stop();
    EXPECT_FALSE(threadRuns(reader.tid(), kName));
    EXPECT_EQ(threadNamed(kName), 0);
}

TEST(EventReaderWatchTest, TheKernelTellsWhenTheThreadEnds) {
    testing::ensureApplication();
    NamedThread reader;
    auto calls = std::make_shared<std::atomic<int>>(0);
    if (!watchThread(reader.tid(), kName, -1, [calls] { ++*calls; })) {
        GTEST_SKIP() << "this kernel has no descriptors for threads (Linux 6.9 on)";
    }
    EXPECT_FALSE(runUntil(*calls, 300)) << "called while the thread runs";
    reader.stop();
    EXPECT_TRUE(runUntil(*calls, 5000));
    runUntil(*calls, 100);
    EXPECT_EQ(calls->load(), 1);
}

TEST(EventReaderWatchTest, DataNobodyReadsLeadsToALookForTheThread) {
    testing::ensureApplication();
    int sockets[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, sockets), 0);
    NamedThread reader;
    auto calls = std::make_shared<std::atomic<int>>(0);
    const bool kernelNotice = false;
    ASSERT_TRUE(watchThread(
        reader.tid(), kName, sockets[0], [calls] { ++*calls; }, kernelNotice));
    // Data the living reader has not taken yet: looked at, the thread found running.
    ASSERT_EQ(write(sockets[1], "x", 1), 1);
    EXPECT_FALSE(runUntil(*calls, 700));
    // The reader ends; the data still waiting shows the program its end, once.
    reader.stop();
    EXPECT_TRUE(runUntil(*calls, 5000));
    runUntil(*calls, 500);
    EXPECT_EQ(calls->load(), 1);
    close(sockets[0]);
    close(sockets[1]);
}

}  // namespace
}  // namespace platform::qt
