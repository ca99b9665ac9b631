// The scene on a changing desktop: a panel resized or a new resolution lays the scene out
// again on the new ground line (at once when idle, at the shot's reset otherwise), and close
// requests from outside reach only the golfer.

#include <gtest/gtest.h>

#include <cmath>

#include "GameScene.h"
#include "platform/Application.h"
#include "platform/Controls.h"
#include "platform/Screen.h"
#include "toolkit/mod_RGN_UserFunction.h"

using namespace mod_RGN_UserFunction;

namespace {

// 1024 x 768 at 15 twips per pixel with a bottom panel `panel` pixels high.
platform::ScreenMetrics desktop(int panel, int width = 1024) {
    platform::ScreenMetrics m;
    m.widthPixels = width;
    m.workAreaPixels = platform::Rect{0, 0, width, 768 - panel};
    return m;
}

// Where the scene stands: every edge in twips.
struct Layout {
    float golferLeft, golferBottom, buttonRight, buttonBottom, ballCentre, ballBottom, holeCentre,
        holeTop;
    bool operator==(const Layout&) const = default;
};

Layout layout() {
    const frmMan& man = platform::form<frmMan>();
    const frmControl& button = platform::form<frmControl>();
    const frmBall& ball = platform::form<frmBall>();
    const frmHole& hole = platform::form<frmHole>();
    return Layout{man.left(),
                  man.top() + man.height(),
                  button.left() + button.width(),
                  button.top() + button.height(),
                  ball.left() + ball.width() / 2,
                  ball.top() + ball.height(),
                  hole.left() + hole.width() / 2,
                  hole.top()};
}

// The scene as start-up lays it out on `ground` (twips) with the hole `steps` hole heights up.
void expectStandingOn(float ground, int steps, int screenPixels = 1024) {
    const Layout at = layout();
    const float golferRight = at.golferLeft + 1185;
    EXPECT_EQ(at.golferLeft, std::nearbyint((screenPixels * 15.0f - 1185) / 2));
    EXPECT_EQ(at.golferBottom, ground);
    EXPECT_EQ(at.buttonRight, at.golferLeft);
    EXPECT_EQ(at.buttonBottom, ground);
    EXPECT_EQ(at.ballCentre, golferRight);
    EXPECT_EQ(at.ballBottom, ground);
    EXPECT_EQ(at.holeCentre, golferRight);
    EXPECT_EQ(at.holeTop, ground - steps * 120.0f);
}

}  // namespace

TEST(DesktopChange, AnIdleSceneStandsOnTheNewGroundAtOnce) {
    GameScene scene(desktop(30));
    scene.setHoleSteps({17});
    scene.writeSettings("[DAVUZ]\nCOLOR=2\n");
    frmMan& man = scene.start();
    expectStandingOn(738 * 15, 17);

    // The panel grows from 30 to 48 pixels: everything rises 18 pixels.
    platform::Screen::setFixed(desktop(48));
    expectStandingOn(720 * 15, 17);
    // And shrinks away entirely.
    platform::Screen::setFixed(desktop(0));
    expectStandingOn(768 * 15, 17);
    // A narrower screen centres the golfer anew.
    platform::Screen::setFixed(desktop(30, 800));
    expectStandingOn(738 * 15, 17, 800);

    // Nothing else changes: the colour, the golfer's frame, the idle state.
    EXPECT_EQ(man.backColor(), platform::rgb(255, 128, 255));
    EXPECT_TRUE(GameScene::cutTo(man, 0));
    EXPECT_EQ(man.nAN, -1);
    EXPECT_FALSE(man.Timer1().enabled());
    EXPECT_TRUE(scene.env().messages().empty());

    // The next shot plays from the new spot and comes back to it.
    ASSERT_TRUE(scene.strikeAt(20));
    ASSERT_TRUE(scene.finishShot());
    const Layout after = layout();
    EXPECT_EQ(after.golferBottom, 738 * 15);
    EXPECT_EQ(after.ballBottom, 738 * 15);
}

TEST(DesktopChange, DuringAFlightTheSceneMovesAtTheReset) {
    GameScene scene(desktop(30));
    // Holes far up: the shot misses and the hole stays where it was.
    scene.setHoleSteps({29});
    scene.start();
    ASSERT_TRUE(scene.strikeAt(10));
    const float golferLeft = layout().golferLeft;

    platform::Screen::setFixed(desktop(48));
    // The ball flies on along its line and the golfer stays put until the shot is over.
    EXPECT_EQ(layout().golferBottom, 738 * 15);
    EXPECT_EQ(layout().golferLeft, golferLeft);
    ASSERT_TRUE(scene.runUntil([&] { return scene.man().nBallAnim == 1; }, 5000));
    EXPECT_EQ(layout().golferBottom, 738 * 15);
    EXPECT_EQ(scene.man().nBallFlag, -1);

    ASSERT_TRUE(scene.finishShot());
    expectStandingOn(720 * 15, 29);
}

TEST(DesktopChange, DuringTheGaugeTheSceneMovesWhenTheGaugeEnds) {
    GameScene scene(desktop(30));
    scene.setHoleSteps({12});
    frmMan& man = scene.start();
    const frmPower& gauge = platform::form<frmPower>();
    scene.leftClick();
    // The panel grows while the gauge runs (the probe runs inside the gauge's event passes).
    bool changed = false;
    float bottomDuringGauge = 0;
    float gaugeTop = 0;
    ASSERT_TRUE(scene.runUntil(
        [&] {
            if (!changed && man.fButton == 1 && barPixels() == 20) {
                platform::Screen::setFixed(desktop(48));
                changed = true;
                bottomDuringGauge = layout().golferBottom;
                gaugeTop = gauge.top();
            }
            return changed && man.nAN == 1;
        },
        5000));
    EXPECT_EQ(bottomDuringGauge, 738 * 15);
    EXPECT_EQ(gaugeTop, 738 * 15 - 1440);
    // The gauge ran out without a click; the golfer swings back on the new ground.
    expectStandingOn(720 * 15, 12);
    // The next gauge opens at the golfer's new place.
    ASSERT_TRUE(scene.runUntil([&] { return man.fButton == 1 && gauge.visible(); }, 10000));
    EXPECT_EQ(gauge.top(), 720 * 15 - 1440);
}

TEST(CloseRequest, OnlyTheGolferClosesTheProgram) {
    GameScene scene;
    frmMan& man = scene.start();
    ASSERT_TRUE(scene.strikeAt(30));

    // Closed from outside in the middle of a flight: ball, shadow, button and hole stay.
    platform::form<frmBall>().dispatchCloseRequest();
    platform::form<frmKAGE>().dispatchCloseRequest();
    platform::form<frmControl>().dispatchCloseRequest();
    platform::form<frmHole>().dispatchCloseRequest();
    EXPECT_TRUE(platform::isLoaded<frmBall>());
    EXPECT_TRUE(platform::isLoaded<frmControl>());
    EXPECT_TRUE(platform::isLoaded<frmHole>());
    EXPECT_TRUE(platform::form<frmBall>().Timer1().enabled());
    EXPECT_EQ(scene.env().endCount(), 0);

    // The shot plays on to its end, balloon included, and the next one can start.
    bool balloonSeen = false;
    ASSERT_TRUE(scene.runUntil(
        [&] {
            if (platform::isLoaded<frmTalk>() && platform::form<frmTalk>().visible()) {
                platform::form<frmTalk>().dispatchCloseRequest();
                balloonSeen = true;
            }
            return man.nBallFlag == 0 && man.nAN == -1;
        },
        20000));
    EXPECT_TRUE(balloonSeen);
    ASSERT_TRUE(scene.strikeAt(30));
    platform::form<frmPower>().dispatchCloseRequest();
    EXPECT_TRUE(platform::isLoaded<frmPower>());
    ASSERT_TRUE(scene.finishShot());

    // The golfer's close ends the program, as its close handler always did.
    EXPECT_THROW(man.dispatchCloseRequest(), platform::EndRequested);
    EXPECT_EQ(scene.env().endCount(), 1);
}
