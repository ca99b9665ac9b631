// The golfer's swing: frame sequences, the power gauge and the strike, driven through the
// control button's real handler and the timers in virtual time.

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "GameScene.h"
#include "platform/Controls.h"
#include "toolkit/mod_RGN_UserFunction.h"

namespace {

std::vector<std::int32_t> range(std::int32_t from, std::int32_t to) {
    std::vector<std::int32_t> v;
    const int step = from <= to ? 1 : -1;
    for (std::int32_t i = from;; i += step) {
        v.push_back(i);
        if (i == to) break;
    }
    return v;
}

std::vector<std::int32_t> concat(std::initializer_list<std::vector<std::int32_t>> parts) {
    std::vector<std::int32_t> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

bool gaugeShown() { return platform::isLoaded<frmPower>() && platform::form<frmPower>().visible(); }

}  // namespace

TEST(Swing, FirstShotShowsBackswingThenDownswingAndLaunchesOnShape35) {
    GameScene scene;
    frmMan& man = scene.start();
    const std::int64_t clickAt = scene.clock().now();
    ASSERT_TRUE(scene.strikeAt(20));
    ASSERT_TRUE(scene.runUntil([&] { return man.nAN == 0 && !man.Timer1().enabled(); }, 2000));

    EXPECT_EQ(scene.frameShapes(), concat({range(0, 23), range(26, 44)}));
    const auto& frames = scene.frames();
    // One frame per 20 ms tick, the first one tick after the click.
    EXPECT_EQ(frames.front().atMs, clickAt + 20);
    for (std::size_t i = 1; i < 24; ++i) EXPECT_EQ(frames[i].atMs - frames[i - 1].atMs, 20);
    for (std::size_t i = 25; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].atMs - frames[i - 1].atMs, 20);
    }
    // The ball is launched on the tick that shows shape 35, not before.
    for (const ShownFrame& f : frames) {
        EXPECT_EQ(f.ballFlag, f.shape > 35 ? -1 : 0) << "shape " << f.shape;
        EXPECT_TRUE(f.cut) << "shape " << f.shape;
    }
    // The golfer holds shape 44 while the ball flies.
    EXPECT_TRUE(GameScene::cutTo(man, 44));
    scene.clock().advance(200);
    EXPECT_TRUE(GameScene::cutTo(man, 44));
    EXPECT_EQ(scene.frames().size(), 24u + 19u);
}

TEST(Swing, MissedGaugeSwingsBackAndUpAgainWithoutShapes24_25_45) {
    GameScene scene;
    frmMan& man = scene.start();
    scene.leftClick();
    ASSERT_TRUE(scene.runUntil([&] { return man.nAN == 1; }, 5000));
    EXPECT_FALSE(gaugeShown());
    EXPECT_EQ(man.fButton, 1);
    // Back to the second gauge.
    ASSERT_TRUE(scene.runUntil([&] { return man.nAN == 0 && man.nIndex == 24; }, 5000));

    EXPECT_EQ(scene.frameShapes(), concat({range(0, 23), range(22, 1), range(1, 23)}));
    const auto& frames = scene.frames();
    // The tick that switches from the return to the backswing shows no frame.
    const std::size_t lastReturn = 24 + 21;
    EXPECT_EQ(frames[lastReturn].shape, 1);
    EXPECT_EQ(frames[lastReturn + 1].atMs - frames[lastReturn].atMs, 40);

    for (std::int32_t s : scene.frameShapes()) {
        EXPECT_NE(s, 24);
        EXPECT_NE(s, 25);
        EXPECT_NE(s, 45);
    }
    // Each frame really is the window's outline.
    EXPECT_TRUE(GameScene::cutTo(man, 23));
}

TEST(Swing, ClicksDuringBackswingAndReturnDoNotStrike) {
    GameScene scene;
    frmMan& man = scene.start();
    scene.leftClick();
    ASSERT_TRUE(scene.runUntil([&] { return man.nIndex == 10; }, 1000));
    scene.leftClick();
    EXPECT_EQ(man.fButton, 0);
    EXPECT_EQ(man.nAN, 0);

    ASSERT_TRUE(scene.runUntil([&] { return man.nAN == 1 && man.nIndex == 5; }, 5000));
    scene.leftClick();
    EXPECT_EQ(man.nAN, 1);
    EXPECT_EQ(man.fButton, 1);
    EXPECT_TRUE(man.Timer1().enabled());

    // The next gauge starts unarmed again and, without a click, runs out as well.
    ASSERT_TRUE(scene.runUntil([&] { return man.nAN == 1 && man.nIndex == 1; }, 8000));
    EXPECT_EQ(man.nBallFlag, 0);
    EXPECT_FALSE(platform::form<frmBall>().Timer1().enabled());
    for (std::int32_t s : scene.frameShapes()) EXPECT_LT(s, 24);
}

TEST(Swing, GaugeFillsAndEmptiesTwoPixelsPerStepAtTheGolfersCentre) {
    GameScene scene;
    frmMan& man = scene.start();
    scene.leftClick();
    std::vector<int> widths;
    std::vector<std::int32_t> changedAt;
    float gaugeLeft = 0;
    float gaugeTop = 0;
    bool cutToGauge = false;
    ASSERT_TRUE(scene.runUntil(
        [&] {
            if (man.fButton == 1 && gaugeShown()) {
                const frmPower& power = platform::form<frmPower>();
                gaugeLeft = power.left();
                gaugeTop = power.top();
                cutToGauge = GameScene::cutTo(power, 50);
                if (widths.empty() || widths.back() != barPixels()) {
                    widths.push_back(barPixels());
                    changedAt.push_back(mod_RGN_UserFunction::GetTick());
                }
            }
            return man.nAN == 1;
        },
        5000));

    std::vector<int> expected;
    for (int w = 0; w <= 78; w += 2) expected.push_back(w);
    for (int w = 80; w >= 2; w -= 2) expected.push_back(w);
    EXPECT_EQ(widths, expected);
    // Each step lasts at least nWait (5 ms) of the coarse tick counter.
    for (std::size_t i = 1; i < changedAt.size(); ++i) {
        EXPECT_GE(platform::tickDifference(changedAt[i], changedAt[i - 1]), man.nWait);
    }
    EXPECT_TRUE(cutToGauge);
    EXPECT_FLOAT_EQ(gaugeLeft, man.left() + man.width() / 2);
    EXPECT_FLOAT_EQ(gaugeTop, man.top());
    EXPECT_FALSE(gaugeShown());
}

TEST(Swing, StrikeTakesTheBarLengthAsLaunchSpeed) {
    GameScene scene;
    frmMan& man = scene.start();
    ASSERT_TRUE(scene.strikeAt(40));
    EXPECT_FLOAT_EQ(man.nBallm, 40 + 30);
    EXPECT_FLOAT_EQ(man.nBallmb, 70);
    EXPECT_FLOAT_EQ(man.nKage, 70);
    EXPECT_EQ(man.nBallAnim, 0);
    const frmBall& ball = platform::form<frmBall>();
    EXPECT_FLOAT_EQ(man.nBally, ball.top());
    EXPECT_FLOAT_EQ(man.nKageY, ball.top());
    const frmKAGE& shadow = platform::form<frmKAGE>();
    EXPECT_TRUE(shadow.visible());
    EXPECT_FLOAT_EQ(shadow.left(), ball.left());
    EXPECT_FLOAT_EQ(shadow.top(), ball.top());
    EXPECT_TRUE(ball.Timer1().enabled());
}

TEST(Swing, ClickBeforeTheFirstStepEndsGivesTheSmallestSpeed) {
    GameScene scene;
    frmMan& man = scene.start();
    ASSERT_TRUE(scene.strikeAt(0));
    EXPECT_FLOAT_EQ(man.nBallmb, 30);
    // The bar kept the width of the step during which the click came.
    EXPECT_EQ(barPixels(), 0);
}

TEST(Swing, SlowGaugeStepsDoNotStartASecondGauge) {
    GameScene scene;
    frmMan& man = scene.start();
    platform::form<frmMenu>().mLV(0).click();
    ASSERT_EQ(man.nWait, 21);

    scene.leftClick();
    int gaugesSeen = 0;
    bool wasShown = false;
    bool clicked = false;
    ASSERT_TRUE(scene.runUntil(
        [&] {
            const bool shown = man.fButton != 0 && gaugeShown();
            if (shown && !wasShown) ++gaugesSeen;
            wasShown = shown;
            if (!clicked && man.fButton == 1 && barPixels() == 10) {
                scene.leftClick();
                clicked = true;
            }
            return man.nBallFlag == -1;
        },
        10000));
    EXPECT_EQ(gaugesSeen, 1);
    EXPECT_EQ(man.fButton, 2);
    EXPECT_FLOAT_EQ(man.nBallmb, 10 + 30);
    EXPECT_EQ(scene.frameShapes(), concat({range(0, 23), range(26, 35)}));
    // Every step of the slower pace lasted at least 21 ms of the tick counter: 6 steps.
    EXPECT_GE(scene.frames()[24].atMs - scene.frames()[23].atMs, 6 * 21);
}
