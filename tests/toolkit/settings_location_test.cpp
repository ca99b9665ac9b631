// Where the settings file lives on a POSIX system: beside the program, or in the user's
// configuration folder when the program's folder cannot be written.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/Application.h"
#include "platform/testing/TestEnvironment.h"
#include "toolkit/mod_RGN_UserFunction.h"

namespace {

namespace fs = std::filesystem;
using namespace mod_RGN_UserFunction;

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

}  // namespace

// The root folder is not writable for a normal user: the file moves to the configuration folder.
TEST(SettingsPathTest, RootFolderFollowsItsWritability) {
    platform::testing::TestEnvironment env;
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

