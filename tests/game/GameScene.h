#pragma once
// A running program in virtual time: the test environment, the golfer window loaded as at
// start-up, and the moves a player makes (clicks on the control button, menu choices), plus
// what the tests read back (the shape a window is cut to, the frames shown on the golfer).

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/frmBall.h"
#include "game/frmControl.h"
#include "game/frmHole.h"
#include "game/frmKAGE.h"
#include "game/frmMan.h"
#include "game/frmMenu.h"
#include "game/frmPower.h"
#include "game/frmTalk.h"
#include "platform/Screen.h"
#include "platform/testing/TestEnvironment.h"

struct ShownFrame {
    std::int64_t atMs;
    std::int32_t shape;
    std::int16_t ballFlag;
    // Whether the golfer window's region really is that shape right after it was put on.
    bool cut;
};

class GameScene {
public:
    explicit GameScene(platform::ScreenMetrics screen = platform::ScreenMetrics{});
    ~GameScene();

    platform::testing::TestEnvironment& env() { return *m_env; }
    platform::VirtualClock& clock() { return m_env->clock(); }

    // Writes the settings file before start().
    void writeSettings(const std::string& text);
    std::string readSettings() const;
    // The hole heights (10..29) the program draws at start-up and after each hit, in turn.
    void setHoleSteps(const std::vector<int>& steps);

    // Loads the golfer window as the program's start-up does, and records the swing frames.
    frmMan& start();
    frmMan& man() { return platform::form<frmMan>(); }

    void leftClick();
    void rightClick();

    // Starts a swing and strikes when the gauge's bar is `barPixels` wide; returns when the
    // launch has happened (the ball's timer runs) or after `limitMs` of virtual time.
    bool strikeAt(int barPixels, std::int64_t limitMs = 10000);
    // Runs until the shot is over and the golfer is idle again.
    bool finishShot(std::int64_t limitMs = 20000);
    // Runs until `done` holds, checking it every millisecond of virtual time, also while the
    // program is inside a long tick (the gauge, the roll).
    bool runUntil(const std::function<bool()>& done, std::int64_t limitMs);

    const std::vector<ShownFrame>& frames() const { return m_frames; }
    std::vector<std::int32_t> frameShapes() const;
    void clearFrames() { m_frames.clear(); }

    // The sprite shape index (0..50) whose stored shape covers exactly the same pixels as the
    // window's region, or -1.
    static std::int32_t shapeOf(const platform::Surface& window);
    // Whether the window is cut to sprite shape `index`.
    static bool cutTo(const platform::Surface& window, std::int32_t index);

private:
    std::unique_ptr<platform::testing::TestEnvironment> m_env;
    std::vector<ShownFrame> m_frames;
};

// The bar width of the gauge in pixels.
int barPixels();
