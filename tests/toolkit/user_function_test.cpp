// The settings file, screen units, the ground line, the clock, waiting and closing windows.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
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

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value) {
            setenv(name, value->c_str(), 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (m_old) {
            setenv(m_name, m_old->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

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

    const fs::path config = fs::path(env.folder()) / "config";
    ScopedEnv xdg("XDG_CONFIG_HOME", config.string());
    platform::Application::setPathForTests("/", "DskKPR");
    if (::access("/", W_OK) == 0) {
        EXPECT_EQ(SettingsPath(), "/DskKPR.ini");
    } else {
        EXPECT_EQ(SettingsPath(), (config / "DskKPR" / "DskKPR.ini").string());
    }
}

// An executable folder the user cannot write to (here: one whose parent is a plain file, so
// even root cannot create anything in it) keeps its settings in the configuration folder.
TEST(SettingsPathTest, UnwritableFolderUsesTheUsersConfigurationFolder) {
    platform::testing::TestEnvironment env;
    const fs::path base(env.folder());
    writeFile((base / "plain").string(), "");
    platform::Application::setPathForTests((base / "plain" / "bin").string(), "DskKPR");

    const fs::path config = base / "config";
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", config.string());
        const fs::path expected = config / "DskKPR" / "DskKPR.ini";
        EXPECT_EQ(SettingsPath(), expected.string());
        EXPECT_EQ(GetINI("DAVUZ", "COLOR"), "");
        PutINI("DAVUZ", "COLOR", "2");
        EXPECT_TRUE(fs::exists(expected));
        EXPECT_EQ(GetINI("DAVUZ", "COLOR"), "2");
    }
    {
        // A relative XDG_CONFIG_HOME is ignored in favour of ~/.config.
        ScopedEnv xdg("XDG_CONFIG_HOME", std::string("relative"));
        ScopedEnv home("HOME", (base / "home").string());
        EXPECT_EQ(SettingsPath(), (base / "home" / ".config" / "DskKPR" / "DskKPR.ini").string());
        PutINI("DAVUZ", "LEVEL", "1");
        EXPECT_EQ(GetINI("DAVUZ", "LEVEL"), "1");
    }
}

TEST(SettingsPathTest, ReadOnlyFolderKeepsAnExistingFileAndOtherwiseMovesToConfig) {
    platform::testing::TestEnvironment env;
    const fs::path base(env.folder());
    const fs::path readOnly = base / "ro";
    fs::create_directory(readOnly);
    writeFile((readOnly / "Kept.ini").string(), "[DAVUZ]\nCOLOR=1\n");
    ::chmod(readOnly.c_str(), 0555);
    const bool stillWritable = ::access(readOnly.c_str(), W_OK) == 0;
    if (!stillWritable) {
        const fs::path config = base / "config";
        ScopedEnv xdg("XDG_CONFIG_HOME", config.string());
        platform::Application::setPathForTests(readOnly.string(), "Kept");
        EXPECT_EQ(SettingsPath(), (readOnly / "Kept.ini").string());
        EXPECT_EQ(GetINI("DAVUZ", "COLOR"), "1");
        platform::Application::setPathForTests(readOnly.string(), "Fresh");
        EXPECT_EQ(SettingsPath(), (config / "Fresh" / "Fresh.ini").string());
    }
    ::chmod(readOnly.c_str(), 0755);
    if (stillWritable) GTEST_SKIP() << "running as root: a folder of mode 0555 stays writable";
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
