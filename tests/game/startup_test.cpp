// Start-up: the stored colour, the scene's layout and the idle timers.

#include <gtest/gtest.h>

#include <cmath>

#include "GameScene.h"
#include "platform/Controls.h"
#include "platform/Screen.h"
#include "toolkit/mod_RGN_UserFunction.h"

using namespace mod_RGN_UserFunction;

namespace {

// The colour item checked, or -1 when none (and fails when several are).
int checkedColor() {
    int checked = -1;
    for (int i = 0; i < 4; ++i) {
        if (platform::form<frmMenu>().mColor(i).checked()) {
            EXPECT_EQ(checked, -1) << "more than one colour checked";
            checked = i;
        }
    }
    return checked;
}

struct StoredColorCase {
    const char* stored;  // nullptr: no settings file
    int checked;
    platform::Color golfer;
};

class StoredColor : public ::testing::TestWithParam<StoredColorCase> {};

}  // namespace

TEST_P(StoredColor, PicksTheGolferColourAndItsMenuItem) {
    const StoredColorCase c = GetParam();
    GameScene scene;
    if (c.stored != nullptr) scene.writeSettings(std::string("[DAVUZ]\nCOLOR=") + c.stored + "\n");
    frmMan& man = scene.start();
    EXPECT_EQ(checkedColor(), c.checked);
    EXPECT_EQ(man.backColor(), c.golfer);
    // The figure itself shows the colour: a pixel inside shape 0.
    const platform::Rect box = man.windowRegion()->rects().front();
    EXPECT_EQ(man.backBufferPixel(box.left, box.top), c.golfer);
    EXPECT_TRUE(scene.env().messages().empty());
    EXPECT_EQ(scene.env().endCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredColor,
    ::testing::Values(StoredColorCase{nullptr, 0, platform::rgb(0, 0, 0)},
                      StoredColorCase{"", 0, platform::rgb(0, 0, 0)},
                      StoredColorCase{"1", 1, platform::rgb(0, 128, 255)},
                      StoredColorCase{"2", 2, platform::rgb(255, 128, 255)},
                      StoredColorCase{"3", 3, platform::rgb(255, 255, 255)},
                      StoredColorCase{"2.5", 2, platform::rgb(255, 128, 255)},
                      StoredColorCase{"3.5", -1, platform::rgb(0, 0, 0)},
                      StoredColorCase{"-1", -1, platform::rgb(0, 0, 0)},
                      StoredColorCase{"pink", 0, platform::rgb(0, 0, 0)},
                      StoredColorCase{"99999999999", -1, platform::rgb(0, 0, 0)},
                      StoredColorCase{"-2147483649", -1, platform::rgb(0, 0, 0)},
                      StoredColorCase{"1e999", -1, platform::rgb(0, 0, 0)}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(StartUp, TheColourIndexOfAStoredValue) {
    EXPECT_EQ(frmMan::colorIndexOf("2"), 2);
    EXPECT_EQ(frmMan::colorIndexOf("2.5"), 2);
    EXPECT_EQ(frmMan::colorIndexOf("3.5"), 4);
    EXPECT_EQ(frmMan::colorIndexOf("1abc"), 1);
    EXPECT_EQ(frmMan::colorIndexOf("abc"), 0);
    EXPECT_EQ(frmMan::colorIndexOf("2147483647"), 2147483647);
    EXPECT_EQ(frmMan::colorIndexOf("2147483648"), -1);
}

namespace {

void expectSceneLayout(GameScene& scene) {
    frmMan& man = scene.man();
    const std::int32_t ground = GetWorkAreaHeight();
    const double expectedLeft =
        std::nearbyint((static_cast<double>(platform::Screen::width()) - 1185) / 2);
    EXPECT_FLOAT_EQ(man.left(), expectedLeft);
    EXPECT_FLOAT_EQ(man.top() + man.height(), ground);
    EXPECT_TRUE(GameScene::cutTo(man, 0));

    const frmControl& control = platform::form<frmControl>();
    EXPECT_TRUE(GameScene::cutTo(control, 48));
    EXPECT_FLOAT_EQ(control.left() + control.width(), man.left());
    EXPECT_FLOAT_EQ(control.top() + control.height(), ground);
    EXPECT_TRUE(control.visible());

    const frmBall& ball = platform::form<frmBall>();
    EXPECT_TRUE(GameScene::cutTo(ball, 45));
    EXPECT_FLOAT_EQ(ball.left() + ball.width() / 2, man.left() + man.width());
    EXPECT_FLOAT_EQ(ball.top() + ball.height(), ground);
    EXPECT_TRUE(ball.visible());

    const frmHole& hole = platform::form<frmHole>();
    EXPECT_TRUE(GameScene::cutTo(hole, 49));
    EXPECT_FLOAT_EQ(hole.left() + hole.width() / 2, man.left() + man.width());
    const double steps = (ground - hole.top()) / 120.0;
    EXPECT_EQ(steps, std::floor(steps));
    EXPECT_GE(steps, 10);
    EXPECT_LE(steps, 29);
    EXPECT_TRUE(hole.visible());

    EXPECT_EQ(man.nIndex, 0);
    EXPECT_EQ(man.nAN, -1);
    EXPECT_EQ(man.fButton, 0);
    EXPECT_EQ(man.nBallFlag, 0);
    EXPECT_EQ(man.nWait, 5);
    EXPECT_EQ(man.Timer1().interval(), 20);
    EXPECT_FALSE(man.Timer1().enabled());
    EXPECT_FALSE(ball.Timer1().enabled());
}

}  // namespace

TEST(StartUp, LaysOutTheSceneOnTheGroundLineWithBothTimersStopped) {
    GameScene scene;
    scene.setHoleSteps({17});
    frmMan& man = scene.start();
    expectSceneLayout(scene);
    EXPECT_FLOAT_EQ(platform::form<frmHole>().top(), GetWorkAreaHeight() - 17 * 120);

    for (std::size_t i = 0; i < man.anim0.size(); ++i) EXPECT_EQ(man.anim0[i], i);
    for (std::size_t i = 0; i < man.anim1.size(); ++i) EXPECT_EQ(man.anim1[i], 23 - i);
    for (std::size_t i = 0; i < man.anim2.size(); ++i) EXPECT_EQ(man.anim2[i], 25 + i);

    // Nothing ticks until the control button is clicked.
    EXPECT_EQ(scene.clock().activeTimers(), 0);
    scene.clock().advance(2000);
    EXPECT_TRUE(scene.frames().empty());
    EXPECT_EQ(man.nIndex, 0);
}

TEST(StartUp, LayoutAt12TwipsPerPixel) {
    platform::ScreenMetrics screen;
    screen.twipsPerPixelX = 12;
    screen.twipsPerPixelY = 12;
    screen.widthPixels = 1280;
    screen.heightPixels = 1024;
    screen.workAreaPixels = {0, 0, 1280, 994};
    GameScene scene(screen);
    scene.start();
    expectSceneLayout(scene);
}

TEST(StartUp, CentringRoundsAHalfTwipToTheEvenNeighbour) {
    platform::ScreenMetrics screen;
    // 19200 twips: the golfer's left is (19200 - 1185) / 2 = 9007.5, taken as 9008.
    screen.widthPixels = 1280;
    screen.heightPixels = 1024;
    screen.workAreaPixels = {0, 0, 1280, 994};
    GameScene scene(screen);
    EXPECT_FLOAT_EQ(scene.start().left(), 9008);
}
