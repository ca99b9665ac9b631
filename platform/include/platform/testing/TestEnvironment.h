#pragma once
// One test's world: Qt on the offscreen platform (started once per process), a VirtualClock,
// a fixed screen, a settings folder of its own, recorded message boxes, a scripted popup menu
// and an end() that is recorded instead of ending the process. On destruction every window is
// destroyed without handlers and the real hooks are restored.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Random.h"
#include "platform/Screen.h"

namespace platform {
class MenuItem;
}

namespace platform::testing {

class TestEnvironment {
public:
    explicit TestEnvironment(ScreenMetrics screen = ScreenMetrics{});
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    VirtualClock& clock() { return m_clock; }
    // A fresh temporary folder used as the executable's folder; exe name "DskKPR".
    const std::string& folder() const { return m_folder; }
    std::string iniPath() const;

    const std::vector<std::string>& messages() const { return m_messages; }
    int endCount() const { return m_endCount; }

    // The popup menu's answer: called with the menu when the program opens it.
    void setPopupChoice(std::function<MenuItem*(MenuItem& menu)> choose);
    // Random numbers the program draws, in turn.
    void setRandomSequence(std::vector<float> values);

private:
    VirtualClock m_clock;
    std::string m_folder;
    std::vector<std::string> m_messages;
    int m_endCount = 0;
    // A fresh never-seeded source unless the test gave a sequence: every test draws the numbers
    // a freshly started program would, whatever ran before it in the process.
    std::unique_ptr<RandomSource> m_random;
};

// Ensures the offscreen Qt application exists (for tests that need no full environment).
void ensureApplication();

// Native windows and child controls the window system still holds for this process, those
// waiting for a deferred deletion included: what a window leaked on unloading would keep alive.
int nativeWindowCount();

}  // namespace platform::testing
