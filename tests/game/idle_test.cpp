// The idle scene sleeps: no timer runs while nothing moves, before the first shot and after
// any shot, and the next click still starts the swing one tick later.

#include <gtest/gtest.h>

#include "GameScene.h"

namespace {

constexpr std::int64_t kTickMs = 20;

// Every golfer tick advances nIndex; over `ms` of virtual time, returns how many ticks ran and
// checks that no timer at all was running at the end of every millisecond.
int golferTicksWhileIdle(GameScene& scene, std::int64_t ms) {
    frmMan& man = scene.man();
    const std::int32_t before = man.nIndex;
    int busyMs = 0;
    for (std::int64_t t = 0; t < ms; ++t) {
        scene.clock().advance(1);
        if (scene.clock().activeTimers() != 0) ++busyMs;
    }
    EXPECT_EQ(busyMs, 0) << "milliseconds with a timer running";
    return man.nIndex - before;
}

void expectSwingStartsOneTickAfterAClick(GameScene& scene) {
    scene.clearFrames();
    const std::int64_t clickAt = scene.clock().now();
    scene.leftClick();
    scene.clock().advance(2 * kTickMs + 5);
    ASSERT_EQ(scene.frameShapes(), (std::vector<std::int32_t>{0, 1}));
    EXPECT_LE(scene.frames().front().atMs - clickAt, kTickMs);
}

}  // namespace

TEST(IdleScene, NoTimerRunsBeforeOrAfterAShotAndTheNextClickSwingsAtOnce) {
    GameScene scene;
    scene.setHoleSteps({29, 29});
    frmMan& man = scene.start();
    EXPECT_EQ(golferTicksWhileIdle(scene, 5000), 0);

    ASSERT_TRUE(scene.strikeAt(10));
    ASSERT_TRUE(scene.finishShot());
    // The reset hands the golfer back its timer, as the flight's end always has; the first
    // idle tick stops it. Until the balloon and its timer have gone the scene is not idle.
    EXPECT_TRUE(man.Timer1().enabled());
    ASSERT_TRUE(scene.runUntil([&] { return scene.clock().activeTimers() == 0; }, 10000));
    EXPECT_EQ(man.nAN, -1);
    EXPECT_FALSE(man.Timer1().enabled());

    const std::int32_t indexAtRest = man.nIndex;
    EXPECT_EQ(golferTicksWhileIdle(scene, 5000), 0);
    // nIndex no longer counts idle time, so it cannot run out however long the toy stays idle.
    EXPECT_EQ(man.nIndex, indexAtRest);

    expectSwingStartsOneTickAfterAClick(scene);
}

// The flight can end while the downswing still runs (a short shot straight into a near hole):
// the reset stops the downswing where it is, and the golfer then sleeps as well.
TEST(IdleScene, AFlightEndingDuringTheDownswingLeavesNoTimerRunning) {
    GameScene scene;
    frmMan& man = scene.start();
    ASSERT_TRUE(scene.strikeAt(0));
    ASSERT_EQ(man.nAN, 2);
    // The flight's end, as the ball's reset performs it, while the golfer is mid-downswing.
    man.nBallFlag = 0;
    man.nIndex = 0;
    man.fButton = 0;
    man.nAN = -1;
    man.Timer1().setEnabled(true);
    platform::form<frmBall>().Timer1().setEnabled(false);
    scene.clock().advance(kTickMs + 1);
    EXPECT_FALSE(man.Timer1().enabled());
    EXPECT_EQ(golferTicksWhileIdle(scene, 1000), 0);
    expectSwingStartsOneTickAfterAClick(scene);
}
