// The settings file, screen units, the ground line, the clock, waiting and closing windows.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "NamedTestForm.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Form.h"
#include "platform/RuntimeError.h"
#include "platform/testing/TestEnvironment.h"
#include "toolkit/mod_RGN_UserFunction.h"

namespace {

namespace fs = std::filesystem;
using namespace mod_RGN_UserFunction;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(SettingsTest, MissingFileSectionOrKeyReadsEmpty) {
    platform::testing::TestEnvironment env;
    EXPECT_EQ(GetINI("DAVUZ", "COLOR"), "");
    writeFile(env.iniPath(), "[OTHER]\nCOLOR=1\n[DAVUZ]\nLEVEL=2\n");
    EXPECT_EQ(GetINI("DAVUZ", "COLOR"), "");
    EXPECT_EQ(GetINI("NONE", "LEVEL"), "");
    EXPECT_EQ(GetINI("DAVUZ", "LEVEL"), "2");
}

TEST(SettingsTest, ValuesAreTrimmedAndCutTo510Bytes) {
    platform::testing::TestEnvironment env;
    const std::string longValue(600, 'x');
    writeFile(env.iniPath(), "[DAVUZ]\nCOLOR= 2 \nLEVEL=" + longValue + "\n");
    EXPECT_EQ(GetINI("DAVUZ", "COLOR"), "2");
    EXPECT_EQ(GetINI("DAVUZ", "LEVEL"), std::string(510, 'x'));
}

TEST(SettingsTest, WritingCreatesTheFileAndReplacesOnlyTheKey) {
    platform::testing::TestEnvironment env;
    PutINI("DAVUZ", "COLOR", "3");
    ASSERT_TRUE(fs::exists(env.iniPath()));
    const std::string written = readFile(env.iniPath());
    EXPECT_NE(written.find("[DAVUZ]"), std::string::npos);
    EXPECT_NE(written.find("COLOR=3"), std::string::npos);
    EXPECT_EQ(GetINI("DAVUZ", "COLOR"), "3");

    PutINI("DAVUZ", "LEVEL", "1");
    PutINI("DAVUZ", "COLOR", "2");
    EXPECT_EQ(GetINI("DAVUZ", "COLOR"), "2");
    EXPECT_EQ(GetINI("DAVUZ", "LEVEL"), "1");
}

TEST(SettingsPathTest, BesideTheExecutableWithoutDoubledSeparator) {
    platform::testing::TestEnvironment env;
    EXPECT_EQ(SettingsPath(), env.folder() + "/DskKPR.ini");
    EXPECT_EQ(SettingsPath(), env.iniPath());

    platform::Application::setPathForTests(env.folder(), "Renamed");
    EXPECT_EQ(SettingsPath(), env.folder() + "/Renamed.ini");
}

TEST(UnitsTest, TwipsAndPixelsAt15TwipsPerPixel) {
    platform::testing::TestEnvironment env;
    EXPECT_EQ(TwipToPixelX(1185), 79);
    EXPECT_EQ(TwipToPixelX(22), 1);
    EXPECT_EQ(TwipToPixelX(7.5), 0);
    EXPECT_EQ(TwipToPixelX(-22), -1);
    EXPECT_EQ(PixelToTwipX(2), 30);
    EXPECT_EQ(PixelToTwipY(79), 1185);
    // Halves go to the even neighbour: 7.5 -> 8, 22.5 -> 22.
    EXPECT_EQ(PixelToTwipX(0.5), 8);
    EXPECT_EQ(PixelToTwipY(1.5), 22);
}

TEST(UnitsTest, TwipsAndPixelsAt12TwipsPerPixel) {
    platform::ScreenMetrics screen;
    screen.twipsPerPixelX = 12;
    screen.twipsPerPixelY = 12;
    platform::testing::TestEnvironment env(screen);
    EXPECT_EQ(TwipToPixelX(1185), 98);
    EXPECT_EQ(PixelToTwipX(2), 24);
    EXPECT_EQ(PixelToTwipY(2), 24);
}

TEST(WorkAreaTest, GroundLineIsTheWorkAreasBottomEdge) {
    platform::ScreenMetrics screen;
    screen.heightPixels = 768;
    screen.workAreaPixels = {0, 0, 1024, 738};
    {
        platform::testing::TestEnvironment env(screen);
        EXPECT_EQ(GetWorkAreaHeight(), 11070);
    }
    screen.workAreaPixels = {0, 24, 1024, 738};  // a panel at the top as well
    screen.twipsPerPixelY = 12;
    {
        platform::testing::TestEnvironment env(screen);
        EXPECT_EQ(GetWorkAreaHeight(), 738 * 12);
    }
}

TEST(WaitMSTest, RunsThePendingEventsOnceThenBlocks) {
    platform::testing::TestEnvironment env;
    platform::VirtualClock& clock = env.clock();
    const std::int64_t slept = clock.sleptMs();
    int due = 0;
    int later = 0;
    clock.post(clock.now(), [&] { ++due; });
    clock.post(clock.now() + 100, [&] { ++later; });

    WaitMS(0);
    EXPECT_EQ(due, 1);
    EXPECT_EQ(later, 0);
    EXPECT_EQ(clock.sleptMs() - slept, 0);

    WaitMS(500);
    EXPECT_EQ(later, 0);  // it fell due while the thread slept
    EXPECT_EQ(clock.sleptMs() - slept, 500);

    WaitMS(2.5);
    EXPECT_EQ(later, 1);
    EXPECT_EQ(clock.sleptMs() - slept, 502);

    WaitMS(-5);
    EXPECT_EQ(clock.sleptMs() - slept, 502);
}

struct ManTag {
    static constexpr const char* kName = "frmMan";
};
struct BallTag {
    static constexpr const char* kName = "frmBall";
};
struct TalkTag {
    static constexpr const char* kName = "frmTalk";
};
using Man = NamedTestForm<ManTag>;
using Ball = NamedTestForm<BallTag>;
using Talk = NamedTestForm<TalkTag>;

class UnloadOtherFormsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int* count : {&Man::closeCount, &Ball::closeCount, &Talk::closeCount}) *count = 0;
        Man::get();
        Ball::get();
        Talk::get();
    }
    void TearDown() override {
        Man::onClose = nullptr;
        Ball::onClose = nullptr;
        Talk::onClose = nullptr;
    }
    platform::testing::TestEnvironment m_env;
};

TEST_F(UnloadOtherFormsTest, KeepsOnlyTheNamedWindow) {
    UnloadOtherForms("frmMan");
    ASSERT_EQ(platform::loadedForms().size(), 1U);
    EXPECT_EQ(platform::loadedForms()[0]->name(), "frmMan");
    EXPECT_EQ(Man::closeCount, 0);
    EXPECT_EQ(Ball::closeCount, 1);
    EXPECT_EQ(Talk::closeCount, 1);
}

TEST_F(UnloadOtherFormsTest, NamesAreComparedExactly) {
    UnloadOtherForms("FRMMAN");
    EXPECT_TRUE(platform::loadedForms().empty());
    EXPECT_EQ(Man::closeCount, 1);
}

TEST_F(UnloadOtherFormsTest, SkipsWindowsThatACloseHandlerUnloaded) {
    Ball::onClose = [] { Talk::slot().unload(); };
    UnloadOtherForms("frmMan");
    EXPECT_EQ(Ball::closeCount, 1);
    EXPECT_EQ(Talk::closeCount, 1);
    EXPECT_EQ(platform::loadedForms().size(), 1U);

    // The same inside an event handler, where unloaded windows are freed only afterwards.
    Ball::get();
    Talk::get();
    platform::dispatch([] { UnloadOtherForms("frmMan"); });
    EXPECT_EQ(Ball::closeCount, 2);
    EXPECT_EQ(Talk::closeCount, 2);
    EXPECT_EQ(platform::loadedForms().size(), 1U);
}

}  // namespace
