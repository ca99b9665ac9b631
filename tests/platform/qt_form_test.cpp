// Windows through their lifecycle, input, timers, popup menus, message boxes and the modal
// dialog, in virtual time on the offscreen platform.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/Form.h"
#include "platform/Menu.h"
#include "platform/RuntimeError.h"
#include "platform/testing/TestEnvironment.h"

namespace {

using platform::Form;

std::vector<std::string> g_journal;

class frmScene : public Form {
public:
    frmScene() : Form("frmScene") {}
    std::function<void(int, int, float, float)> mouseDown;
    int loads = 0;

protected:
    void onLoad() override {
        ++loads;
        g_journal.push_back("load");
    }
    void onQueryUnload() override { g_journal.push_back("unload"); }
    void onMouseDown(int button, int shift, float x, float y) override {
        if (mouseDown) mouseDown(button, shift, x, y);
    }
};

class frmBox : public Form {
public:
    frmBox() : Form("frmBox", platform::FormStyle::Dialog) {}
};

class QtFormTest : public ::testing::Test {
protected:
    QtFormTest() { g_journal.clear(); }
    platform::testing::TestEnvironment env;
};

TEST_F(QtFormTest, LoadUnloadAndReloadThroughTheRegistry) {
    const std::int64_t formsBefore = Form::liveCount();
    frmScene& scene = platform::form<frmScene>();
    EXPECT_EQ(&platform::form<frmScene>(), &scene);
    EXPECT_EQ(scene.loads, 1);
    EXPECT_EQ(scene.caption(), "Form1");
    EXPECT_EQ(scene.name(), "frmScene");
    EXPECT_NE(scene.hwnd(), 0u);
    EXPECT_EQ(platform::loadedForms(), std::vector<Form*>{&scene});
    scene.show();
    EXPECT_TRUE(scene.visible());

    platform::unload(scene);
    EXPECT_EQ(g_journal, (std::vector<std::string>{"load", "unload"}));
    EXPECT_TRUE(platform::loadedForms().empty());
    EXPECT_EQ(Form::liveCount(), formsBefore);

    frmScene& again = platform::form<frmScene>();
    EXPECT_EQ(again.loads, 1);
    EXPECT_EQ(again.caption(), "Form1");
    EXPECT_FALSE(again.visible());
}

TEST_F(QtFormTest, WindowUnloadedByItsOwnClickLivesUntilTheHandlerReturns) {
    frmScene& scene = platform::form<frmScene>();
    scene.show();
    const std::int64_t formsLoaded = Form::liveCount();
    std::vector<std::string> seen;
    scene.mouseDown = [&](int button, int shift, float x, float y) {
        seen.push_back(std::to_string(button) + " " + std::to_string(shift) + " " +
                       std::to_string(static_cast<int>(x)) + " " +
                       std::to_string(static_cast<int>(y)));
        platform::unload(scene);
        // The window is gone from the screen, but this handler's object still exists.
        EXPECT_EQ(scene.hwnd(), 0u);
        EXPECT_FALSE(scene.visible());
        EXPECT_EQ(Form::liveCount(), formsLoaded);
        scene.setLeft(15);
        scene.cls();
    };
    scene.dispatchMouseDown(platform::kRightButton, 1, 30, 45);
    EXPECT_EQ(seen, std::vector<std::string>{"2 1 30 45"});
    EXPECT_EQ(Form::liveCount(), formsLoaded - 1);
    EXPECT_FALSE(platform::isLoaded<frmScene>());
}

TEST_F(QtFormTest, ControlNamesAreUniquePerWindow) {
    for (const char* taken : {"pic", "Timer1"}) {
        frmScene& scene = platform::form<frmScene>();
        scene.addPictureBox("pic");
        scene.addTimer("Timer1", 20);
        // The fault is reported through the dispatcher like any run-time error, then ends.
        EXPECT_THROW(platform::dispatch([&] { scene.addPictureBox(taken); }),
                     platform::EndRequested);
    }
    EXPECT_EQ(env.messages().size(), 2u);
    EXPECT_EQ(env.endCount(), 2);
}

TEST_F(QtFormTest, TimersTickInVirtualTime) {
    frmScene& scene = platform::form<frmScene>();
    platform::Timer& timer = scene.addTimer("Timer1", 20);
    EXPECT_EQ(scene.timer("Timer1"), &timer);
    EXPECT_EQ(scene.timer("Timer2"), nullptr);
    std::vector<std::int64_t> ticks;
    timer.setOnTick([&] { ticks.push_back(env.clock().now()); });
    timer.setEnabled(true);
    env.clock().advance(100);
    EXPECT_EQ(ticks, (std::vector<std::int64_t>{20, 40, 60, 80, 100}));

    // Unloading the window stops its timers.
    platform::unload(scene);
    env.clock().advance(100);
    EXPECT_EQ(ticks.size(), 5u);
    EXPECT_EQ(env.clock().activeTimers(), 0);
}

TEST_F(QtFormTest, PopupMenuRunsTheChosenItemBeforeReturning) {
    frmScene& scene = platform::form<frmScene>();
    platform::MenuItem root("mpop", "mpop");
    platform::MenuItem& colour = root.add("mColorTop", "色");
    platform::MenuItem& blue = colour.add("mColor", "青", 1);
    root.add("sep001", "-");
    std::vector<std::string> clicks;
    blue.setOnClick([&] { clicks.push_back("blue"); });

    env.setPopupChoice([&](platform::MenuItem& menu) -> platform::MenuItem* {
        EXPECT_EQ(&menu, &root);
        return menu.find("mColorTop")->find("mColor", 1);
    });
    scene.popupMenu(root);
    EXPECT_EQ(clicks, std::vector<std::string>{"blue"});

    env.setPopupChoice(nullptr);
    scene.popupMenu(root);
    EXPECT_EQ(clicks.size(), 1u);
}

TEST_F(QtFormTest, MessageBoxesAndEndAreRecorded) {
    platform::form<frmScene>();
    platform::messageBox("It failed in reading of region data.");
    EXPECT_THROW(platform::end(), platform::EndRequested);
    EXPECT_EQ(env.messages(), std::vector<std::string>{"It failed in reading of region data."});
    EXPECT_EQ(env.endCount(), 1);
    EXPECT_TRUE(platform::loadedForms().empty());
    EXPECT_EQ(platform::Application::exeName(), "DskKPR");
    EXPECT_EQ(platform::Application::path(), env.folder());
    EXPECT_EQ(env.iniPath(), env.folder() + "/DskKPR.ini");
}

TEST_F(QtFormTest, ModalDialogReturnsWhenUnloadedAndTimersKeepTicking) {
    frmScene& scene = platform::form<frmScene>();
    platform::Timer& timer = scene.addTimer("Timer1", 20);
    int ticks = 0;
    timer.setOnTick([&] { ++ticks; });
    timer.setEnabled(true);

    frmBox& box = platform::form<frmBox>();
    box.setCaption("バージョン情報");
    box.setClientSize(3945, 1125);
    box.centerOnScreen();
    EXPECT_EQ(box.widthPixels(), 263);
    EXPECT_EQ(box.heightPixels(), 75);
    platform::CommandButton& ok = box.addCommandButton("Command1");
    ok.setCaption("OK");
    ok.setDefault(true);
    ok.setCancel(true);
    ok.setOnClick([] { platform::unload(platform::form<frmBox>()); });
    env.clock().post(env.clock().now() + 500, [&] { ok.click(); });

    // Called outside any handler: the box unloaded by its button must not be freed under the
    // modal wait.
    box.showModal();
    EXPECT_FALSE(platform::isLoaded<frmBox>());
    EXPECT_GE(env.clock().now(), 500);
    EXPECT_GE(ticks, 24);
}

TEST_F(QtFormTest, ModalDialogReturnsWhenHidden) {
    frmBox& box = platform::form<frmBox>();
    env.clock().post(env.clock().now() + 40, [&] { box.hide(); });
    box.showModal();
    EXPECT_TRUE(platform::isLoaded<frmBox>());
    EXPECT_FALSE(box.visible());
}

}  // namespace
