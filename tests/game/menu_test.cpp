// The control button's popup menu, the version box and the way the program ends.

#include "platform/Menu.h"

#include <gtest/gtest.h>

#include "GameScene.h"
#include "game/frm_Version.h"
#include "platform/Application.h"
#include "platform/Controls.h"

namespace {

std::vector<std::string> captionsOf(const platform::MenuItem& menu) {
    std::vector<std::string> captions;
    for (const auto& child : menu.children()) captions.push_back(child->caption());
    return captions;
}

std::vector<std::string> namesOfLoadedForms() {
    std::vector<std::string> names;
    for (const platform::Form* form : platform::loadedForms()) names.push_back(form->name());
    return names;
}

}  // namespace

TEST(Menu, TheTreeAsThePlayerSeesIt) {
    GameScene scene;
    scene.start();
    const frmMenu& menu = platform::form<frmMenu>();
    std::vector<std::string> names;
    for (const auto& child : menu.mpop.children()) names.push_back(child->name());
    EXPECT_EQ(names,
              (std::vector<std::string>{"mL", "sep111", "mC", "sep009", "mver", "sep001", "mend"}));
    EXPECT_EQ(captionsOf(menu.mpop), (std::vector<std::string>{"レベル", "-", "色変更", "-",
                                                               "バージョン情報", "-", "終了"}));
    EXPECT_EQ(captionsOf(menu.mL()), (std::vector<std::string>{"初級", "中級", "上級"}));
    EXPECT_EQ(captionsOf(menu.mC()), (std::vector<std::string>{"黒", "青", "桃", "白"}));
    // The level submenu and its separator are switched off.
    EXPECT_FALSE(menu.mL().visible());
    EXPECT_FALSE(menu.sep111().visible());
    EXPECT_TRUE(menu.mC().visible());
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(menu.mLV(i).checked());
    // The menu host exists from start-up on and is never shown.
    EXPECT_TRUE(platform::isLoaded<frmMenu>());
    EXPECT_FALSE(menu.visible());
}

TEST(Menu, PinkFromThePopupChecksItWritesItAndRecoloursAtOnce) {
    GameScene scene;
    frmMan& man = scene.start();
    frmMenu& menu = platform::form<frmMenu>();
    scene.env().setPopupChoice([&](platform::MenuItem& root) -> platform::MenuItem* {
        EXPECT_EQ(&root, &menu.mpop);
        return &menu.mColor(2);
    });
    scene.rightClick();

    for (int i = 0; i < 4; ++i) EXPECT_EQ(menu.mColor(i).checked(), i == 2);
    EXPECT_NE(scene.readSettings().find("COLOR=2"), std::string::npos);
    EXPECT_EQ(man.backColor(), platform::rgb(255, 128, 255));
    const platform::Rect box = man.windowRegion()->rects().front();
    EXPECT_EQ(man.backBufferPixel(box.left, box.top), platform::rgb(255, 128, 255));
    // A right click opens the menu only: the swing does not start.
    EXPECT_EQ(man.nAN, -1);
    EXPECT_FALSE(man.Timer1().enabled());

    // The colour lasts through the swing's frame changes ...
    scene.leftClick();
    scene.clock().advance(100);
    const platform::Rect frameBox = man.windowRegion()->rects().front();
    EXPECT_EQ(man.backBufferPixel(frameBox.left, frameBox.top), platform::rgb(255, 128, 255));

    // ... and the next start restores it.
    platform::resetFormsForTests();
    frmMan& again = scene.start();
    EXPECT_EQ(again.backColor(), platform::rgb(255, 128, 255));
    EXPECT_TRUE(platform::form<frmMenu>().mColor(2).checked());
}

TEST(Menu, ChangingTheColourKeepsOtherSettings) {
    GameScene scene;
    scene.writeSettings("[DAVUZ]\nCOLOR=1\nLEVEL=1\n");
    scene.start();
    platform::form<frmMenu>().mColor(3).click();
    const std::string text = scene.readSettings();
    EXPECT_NE(text.find("COLOR=3"), std::string::npos);
    EXPECT_NE(text.find("LEVEL=1"), std::string::npos);
    EXPECT_EQ(text.find("COLOR=1"), std::string::npos);
}

TEST(Menu, LevelSetsTheGaugePaceChecksItAndWritesIt) {
    GameScene scene;
    frmMan& man = scene.start();
    frmMenu& menu = platform::form<frmMenu>();
    const int expectedWait[] = {21, 13, 5};
    for (int level : {0, 1, 2, 0}) {
        menu.mLV(level).click();
        EXPECT_EQ(man.nWait, expectedWait[level]);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(menu.mLV(i).checked(), i == level);
        EXPECT_NE(scene.readSettings().find("LEVEL=" + std::to_string(level)), std::string::npos);
    }
    // The level is never read back: the next start runs at the start-up pace again.
    platform::resetFormsForTests();
    EXPECT_EQ(scene.start().nWait, 5);
}

TEST(Menu, LeftClickWhileTheMenuChoosesNothingStillStartsTheSwing) {
    GameScene scene;
    frmMan& man = scene.start();
    int opened = 0;
    scene.env().setPopupChoice([&](platform::MenuItem&) -> platform::MenuItem* {
        ++opened;
        return nullptr;
    });
    // Middle and right buttons do not swing.
    platform::form<frmControl>().dispatchMouseDown(platform::kMiddleButton, 0, 0, 0);
    scene.rightClick();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(man.nAN, -1);
    scene.leftClick();
    EXPECT_EQ(man.nAN, 0);
    EXPECT_EQ(man.nIndex, -1);
    EXPECT_TRUE(man.Timer1().enabled());
}

TEST(VersionBox, OpensModallyAndOkClosesItLeavingTheSceneUnchanged) {
    GameScene scene;
    frmMan& man = scene.start();
    const float left = man.left();
    bool sawBox = false;
    // The player presses OK a moment after the box appears.
    scene.clock().post(scene.clock().now() + 300, [&] {
        ASSERT_TRUE(platform::isLoaded<frm_Version>());
        frm_Version& box = platform::form<frm_Version>();
        sawBox = box.visible();
        EXPECT_EQ(box.caption(), "バージョン情報");
        EXPECT_EQ(box.style(), platform::FormStyle::Dialog);
        EXPECT_EQ(box.Command1().caption(), "OK");
        box.Command1().click();
    });
    platform::form<frmMenu>().mver().click();
    EXPECT_TRUE(sawBox);
    EXPECT_FALSE(platform::isLoaded<frm_Version>());
    EXPECT_FLOAT_EQ(man.left(), left);
    EXPECT_EQ(scene.env().endCount(), 0);
}

TEST(Shutdown, ExitFromTheMenuUnloadsEverythingAndEndsOnce) {
    GameScene scene;
    scene.start();
    scene.env().setPopupChoice(
        [&](platform::MenuItem&) { return &platform::form<frmMenu>().mend(); });
    EXPECT_THROW(scene.rightClick(), platform::EndRequested);
    EXPECT_EQ(scene.env().endCount(), 1);
    EXPECT_EQ(namesOfLoadedForms(), std::vector<std::string>{});
}

TEST(Shutdown, ClosingTheGolferUnloadsEverythingAndEndsOnce) {
    GameScene scene;
    scene.setHoleSteps({29});
    frmMan& man = scene.start();
    // With a shot in flight.
    ASSERT_TRUE(scene.strikeAt(10));
    EXPECT_THROW(platform::unload(man), platform::EndRequested);
    EXPECT_EQ(scene.env().endCount(), 1);
    EXPECT_EQ(namesOfLoadedForms(), std::vector<std::string>{});
}
