// The ball's flight, the roll, the hole-out judgement, the balloon and the reset, played
// through the real swing and the ball's timer in virtual time.

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "GameScene.h"
#include "platform/Controls.h"
#include "platform/Numeric.h"
#include "toolkit/mod_RGN_UserFunction.h"

using namespace mod_RGN_UserFunction;

namespace {

struct FlightTick {
    std::int32_t sizeClass;
    float ballLeft;
    float shadowLeft;
    bool ballCut;
    bool shadowCut;
    bool shadowShown;
    platform::Color shadowColor;
};

struct Balloon {
    bool seen = false;
    float width = 0;
    float left = 0;
    float bottom = 0;
    bool ballVisible = false;
};

struct ShotLog {
    float launchTop = 0;
    float launchSpeed = 0;
    std::map<int, FlightTick> ticks;  // by tick number, 1 = the first flight tick
    float highestRollTop = 0;
    std::int64_t landingSleepMs = 0;
    Balloon balloon;
    bool finished = false;
};

// Strikes at the bar width that gives `speed` (15 twips per pixel: speed = bar + 30) and
// watches the shot to its end, every millisecond, also inside the landing tick.
class FlightWatch {
public:
    FlightWatch(GameScene& scene) : m_scene(scene) {}

    ShotLog play(int speed) {
        ShotLog log;
        frmMan& man = m_scene.man();
        if (!m_scene.strikeAt(speed - 30)) return log;
        const frmBall& ball = platform::form<frmBall>();
        log.launchTop = man.nBally;
        log.launchSpeed = man.nBallmb;
        log.highestRollTop = ball.top();
        float lastSpeed = man.nBallm;
        std::int64_t sleptAtLastTick = m_scene.clock().sleptMs();
        bool landed = false;
        log.finished = m_scene.runUntil(
            [&] {
                if (man.nBallFlag == -1 && man.nBallm != lastSpeed) {
                    lastSpeed = man.nBallm;
                    const int tick = static_cast<int>(man.nBallmb - man.nBallm);
                    const frmKAGE& shadow = platform::form<frmKAGE>();
                    log.ticks[tick] = FlightTick{man.nBallAnim,
                                                 ball.left(),
                                                 shadow.left(),
                                                 GameScene::cutTo(ball, 45 + man.nBallAnim),
                                                 GameScene::cutTo(shadow, 45 + man.nBallAnim),
                                                 shadow.visible(),
                                                 shadow.backColor()};
                    sleptAtLastTick = m_scene.clock().sleptMs();
                }
                if (man.nBallFlag == -1 && !platform::form<frmKAGE>().visible()) landed = true;
                if (landed && man.nBallFlag == -1) {
                    log.highestRollTop = std::min(log.highestRollTop, ball.top());
                    if (platform::isLoaded<frmTalk>() && platform::form<frmTalk>().visible()) {
                        const frmTalk& talk = platform::form<frmTalk>();
                        log.balloon = Balloon{true, talk.width(), talk.left(),
                                              talk.top() + talk.height(), ball.visible()};
                    }
                }
                if (man.nBallFlag == 0 && landed) {
                    log.landingSleepMs = m_scene.clock().sleptMs() - sleptAtLastTick;
                    return true;
                }
                return false;
            },
            20000);
        return log;
    }

private:
    GameScene& m_scene;
};

// The balloon's width for a text: the text's width in the balloon font plus both end pieces.
float balloonWidthFor(const std::string& text) {
    frmTalk& talk = platform::form<frmTalk>();
    talk.setFontName("ＭＳ Ｐゴシック");
    talk.setFontSize(8.25f);
    const float width = talk.textWidth(text) + 225;
    platform::unload(talk);
    return width;
}

int firstTickOfClass(const ShotLog& log, int sizeClass) {
    for (const auto& [tick, t] : log.ticks) {
        if (t.sizeClass == sizeClass) return tick;
    }
    return -1;
}

struct FlightCase {
    int speed;
    int class1From;
    int class2From;
    int landingTick;
    float ballRise;
    float shadowRise;
    int rollTwips;
};

class FlightOfLaunchSpeed : public ::testing::TestWithParam<FlightCase> {};

}  // namespace

TEST_P(FlightOfLaunchSpeed, ClimbsShrinksLandsAndRolls) {
    const FlightCase c = GetParam();
    GameScene scene;
    // The hole hangs 29 hole heights up: out of reach of every roll here.
    scene.setHoleSteps({29});
    frmMan& man = scene.start();
    const float holeTop = platform::form<frmHole>().top();
    FlightWatch watch(scene);
    const ShotLog log = watch.play(c.speed);
    ASSERT_TRUE(log.finished);
    ASSERT_FLOAT_EQ(log.launchSpeed, static_cast<float>(c.speed));

    EXPECT_EQ(firstTickOfClass(log, 1), c.class1From);
    EXPECT_EQ(firstTickOfClass(log, 2), c.class2From);
    EXPECT_EQ(static_cast<int>(man.nBallmb - man.nBallm), c.landingTick);
    EXPECT_EQ(log.ticks.rbegin()->first, c.landingTick);
    EXPECT_EQ(static_cast<int>(log.ticks.size()), c.landingTick);
    EXPECT_FLOAT_EQ(log.launchTop - man.nBally, c.ballRise);
    // The shadow climbs by fifths of the launch speed, held in single precision.
    EXPECT_NEAR(log.launchTop - man.nKageY, c.shadowRise, 0.1);

    // Ball and shadow wear the size class's shape on its line, one pixel right per class;
    // the shadow is grey and shown until the landing tick hides it.
    const double line = man.left() + man.width() - 105 / 2.0;
    for (const auto& [tick, t] : log.ticks) {
        SCOPED_TRACE(tick);
        EXPECT_TRUE(t.ballCut);
        EXPECT_TRUE(t.shadowCut);
        EXPECT_NEAR(t.ballLeft, line + 15 * t.sizeClass, 15);
        EXPECT_FLOAT_EQ(t.shadowLeft, t.ballLeft);
        EXPECT_EQ(t.shadowColor, platform::rgb(100, 100, 100));
        if (tick < c.landingTick) {
            EXPECT_TRUE(t.shadowShown);
        }
    }

    // The roll: one position per twip from the landing spot up to 2.5 x the launch speed,
    // 2 ms each, then 500 ms before the balloon and 2000 ms with it.
    const float landingTop = log.launchTop - c.ballRise;
    EXPECT_NEAR(landingTop - log.highestRollTop, c.rollTwips, 15);
    EXPECT_EQ(log.landingSleepMs, 2 * (c.rollTwips + 1) + 500 + 2000);

    // A miss: "残念・・・" next to the ball, which stays visible; the hole stays put.
    ASSERT_TRUE(log.balloon.seen);
    EXPECT_FLOAT_EQ(log.balloon.width, balloonWidthFor("残念・・・"));
    EXPECT_TRUE(log.balloon.ballVisible);
    EXPECT_NEAR(log.balloon.bottom, log.highestRollTop, 15);
    EXPECT_FLOAT_EQ(platform::form<frmHole>().top(), holeTop);
}

INSTANTIATE_TEST_SUITE_P(Speeds, FlightOfLaunchSpeed,
                         ::testing::Values(FlightCase{30, 12, 38, 48, 312, 312, 75},
                                           FlightCase{48, 18, 60, 77, 770, 777.6f, 120},
                                           FlightCase{60, 22, 75, 96, 1200, 1200, 150},
                                           FlightCase{110, 38, 136, 175, 4025, 3938, 275}),
                         [](const auto& info) {
                             return "speed" + std::to_string(info.param.speed);
                         });

namespace {

struct HoleCase {
    int holeSteps;
    bool holed;
    bool atOnce;
};

class HoleOut : public ::testing::TestWithParam<HoleCase> {};

}  // namespace

TEST_P(HoleOut, JudgesTheBallCentreAgainstTheHoleBand) {
    const HoleCase c = GetParam();
    GameScene scene;
    // The second number places the hole after a hit.
    scene.setHoleSteps({c.holeSteps, 25});
    frmMan& man = scene.start();
    const std::int32_t ground = GetWorkAreaHeight();
    ASSERT_FLOAT_EQ(platform::form<frmHole>().top(), ground - c.holeSteps * 120);

    FlightWatch watch(scene);
    const ShotLog log = watch.play(60);
    ASSERT_TRUE(log.finished);
    ASSERT_TRUE(log.balloon.seen);
    EXPECT_EQ(log.launchTop - 1200, ground - 1305);

    const std::string text = c.holed ? "KIPRUN!" : "残念・・・";
    EXPECT_FLOAT_EQ(log.balloon.width, balloonWidthFor(text));
    EXPECT_EQ(log.balloon.ballVisible, !c.holed);
    if (c.holed && c.atOnce) {
        EXPECT_EQ(log.landingSleepMs, 2500);
    }
    if (c.holed && !c.atOnce) {
        EXPECT_GT(log.landingSleepMs, 2500);
        EXPECT_LT(log.landingSleepMs, 2500 + 2 * 150);
    }
    if (!c.holed) {
        EXPECT_EQ(log.landingSleepMs, 2500 + 2 * 151);
    }

    // After a hit the hole moves to the next drawn height; after a miss it stays.
    const frmHole& hole = platform::form<frmHole>();
    EXPECT_FLOAT_EQ(hole.top(), ground - (c.holed ? 25 : c.holeSteps) * 120);
    EXPECT_FLOAT_EQ(hole.left() + hole.width() / 2, man.left() + man.width());
    EXPECT_TRUE(hole.visible());
}

INSTANTIATE_TEST_SUITE_P(At15TwipsPerPixel, HoleOut,
                         ::testing::Values(HoleCase{10, false, false}, HoleCase{11, true, true},
                                           HoleCase{12, true, false}, HoleCase{13, false, false}),
                         [](const auto& info) {
                             return "hole" + std::to_string(info.param.holeSteps);
                         });

namespace {

void expectSceneAtRest(GameScene& scene) {
    frmMan& man = scene.man();
    const frmBall& ball = platform::form<frmBall>();
    EXPECT_TRUE(GameScene::cutTo(man, 0));
    EXPECT_TRUE(GameScene::cutTo(ball, 45));
    EXPECT_TRUE(ball.visible());
    EXPECT_FLOAT_EQ(ball.top(), GetWorkAreaHeight() - 105);
    EXPECT_FLOAT_EQ(ball.left() + ball.width() / 2, man.left() + man.width());
    EXPECT_FALSE(platform::form<frmKAGE>().visible());
    EXPECT_FALSE(platform::isLoaded<frmTalk>());
    EXPECT_EQ(man.nBallFlag, 0);
    EXPECT_EQ(man.nIndex, 0);
    EXPECT_EQ(man.fButton, 0);
    EXPECT_EQ(man.nAN, -1);
    EXPECT_TRUE(man.Timer1().enabled());
    EXPECT_FALSE(ball.Timer1().enabled());
}

}  // namespace

TEST(FlightReset, AfterAHitAndAfterAMissTheSceneIsBackOnItsStartSpots) {
    GameScene scene;
    scene.setHoleSteps({11, 13});
    scene.start();
    FlightWatch watch(scene);
    ASSERT_TRUE(watch.play(60).finished);
    {
        SCOPED_TRACE("after a hit");
        expectSceneAtRest(scene);
    }
    ASSERT_TRUE(watch.play(60).finished);
    {
        SCOPED_TRACE("after a miss");
        expectSceneAtRest(scene);
    }
    // The golfer idles on its timer; the next click starts a new swing from shape 0.
    scene.clearFrames();
    scene.leftClick();
    scene.clock().advance(45);
    EXPECT_EQ(scene.frameShapes(), (std::vector<std::int32_t>{0, 1}));
}

TEST(FlightReset, ClicksDuringTheFlightChangeNothing) {
    GameScene scene;
    scene.setHoleSteps({29});
    frmMan& man = scene.start();
    ASSERT_TRUE(scene.strikeAt(30));
    scene.clock().advance(400);
    ASSERT_EQ(man.nBallFlag, -1);
    const int anBefore = man.nAN;
    const int buttonBefore = man.fButton;
    const bool timerBefore = man.Timer1().enabled();
    scene.leftClick();
    EXPECT_EQ(man.nAN, anBefore);
    EXPECT_EQ(man.fButton, buttonBefore);
    EXPECT_EQ(man.Timer1().enabled(), timerBefore);
    ASSERT_TRUE(scene.finishShot());
    expectSceneAtRest(scene);
}

TEST(FlightReset, ATickWithoutAShotChangesNothing) {
    GameScene scene;
    scene.start();
    frmBall& ball = platform::form<frmBall>();
    const float left = ball.left();
    const float top = ball.top();
    ball.Timer1().setEnabled(true);
    scene.clock().advance(100);
    EXPECT_TRUE(ball.Timer1().enabled());
    EXPECT_FLOAT_EQ(ball.left(), left);
    EXPECT_FLOAT_EQ(ball.top(), top);
    EXPECT_TRUE(GameScene::cutTo(ball, 45));
    EXPECT_FALSE(platform::isLoaded<frmKAGE>() && platform::form<frmKAGE>().visible());
}
