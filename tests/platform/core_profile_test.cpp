// The profile (settings) file: reading and writing one value, and the files that are not what
// they should be. Windows has native profile calls; this is the implementation elsewhere.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/Profile.h"

#ifndef _WIN32

#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using platform::readProfileString;
using platform::writeProfileString;

constexpr std::size_t kBuffer = 511;

class ProfileTest : public ::testing::Test {
protected:
    ProfileTest() {
        std::string pattern = (fs::temp_directory_path() / "kiprun-profile-XXXXXX").string();
        folder = mkdtemp(pattern.data());
        path = (folder / "DskKPR.ini").string();
    }
    ~ProfileTest() override {
        std::error_code ignored;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(folder, ignored);
    }

    void store(const std::string& content) const {
        std::ofstream(path, std::ios::binary) << content;
    }
    std::string stored() const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::string read(const std::string& section = "DAVUZ", const std::string& key = "COLOR") const {
        return readProfileString(section, key, path, kBuffer);
    }
    bool write(const std::string& key, const std::string& value) const {
        return writeProfileString("DAVUZ", key, value, path);
    }
    std::size_t filesInFolder() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
    }

    fs::path folder;
    std::string path;
};

TEST_F(ProfileTest, MissingFileSectionOrKeyReadsEmpty) {
    EXPECT_EQ(read(), "");
    store("[OTHER]\r\nCOLOR=1\r\n[DAVUZ]\r\nLEVEL=2\r\n");
    EXPECT_EQ(read(), "");
    EXPECT_EQ(read("NOPE", "LEVEL"), "");
    EXPECT_EQ(read("DAVUZ", "LEVEL"), "2");
}

TEST_F(ProfileTest, WritingCreatesTheFileThenReplacesValuesInPlace) {
    ASSERT_TRUE(write("COLOR", "3"));
    EXPECT_EQ(stored(), "[DAVUZ]\r\nCOLOR=3\r\n");
    EXPECT_EQ(read(), "3");
    ASSERT_TRUE(write("LEVEL", "1"));
    ASSERT_TRUE(write("COLOR", "2"));
    EXPECT_EQ(stored(), "[DAVUZ]\r\nCOLOR=2\r\nLEVEL=1\r\n");
    EXPECT_EQ(read("DAVUZ", "LEVEL"), "1");
    EXPECT_EQ(filesInFolder(), 1U);  // no temporary file left behind
}

TEST_F(ProfileTest, ValuesAreTrimmedAndLoseOnePairOfQuotes) {
    store("[DAVUZ]\nA=\t 2 \t\nC=\"2\"\nD=' x '\nE=\"\"y\"\"\nF=\"z\n");
    EXPECT_EQ(read("DAVUZ", "A"), "2");
    EXPECT_EQ(read("DAVUZ", "C"), "2");
    EXPECT_EQ(read("DAVUZ", "D"), " x ");
    EXPECT_EQ(read("DAVUZ", "E"), "\"y\"");
    EXPECT_EQ(read("DAVUZ", "F"), "\"z");
}

TEST_F(ProfileTest, NamesMatchWithoutCaseAndKeepTheirSpelling) {
    store("  [ davuz ]\n  Color = 1\n");
    EXPECT_EQ(read(), "1");
    ASSERT_TRUE(write("COLOR", "3"));
    EXPECT_EQ(stored(), "  [ davuz ]\nColor=3\n");
}

TEST_F(ProfileTest, LongValueIsCutToTheBuffer) {
    store("[DAVUZ]\r\nCOLOR=" + std::string(600, '7') + "\r\n");
    EXPECT_EQ(read(), std::string(510, '7'));
    EXPECT_EQ(readProfileString("DAVUZ", "COLOR", path, 1), "");
    EXPECT_EQ(readProfileString("DAVUZ", "COLOR", path, 0), "");
}

TEST_F(ProfileTest, FirstOfDuplicatesWins) {
    store("[DAVUZ]\r\nCOLOR=1\r\nCOLOR=2\r\n[DAVUZ]\r\nCOLOR=3\r\nLEVEL=2\r\n");
    EXPECT_EQ(read(), "1");
    EXPECT_EQ(read("DAVUZ", "LEVEL"), "");  // only in the second section
    ASSERT_TRUE(write("COLOR", "0"));
    EXPECT_EQ(stored(), "[DAVUZ]\r\nCOLOR=0\r\nCOLOR=2\r\n[DAVUZ]\r\nCOLOR=3\r\nLEVEL=2\r\n");
}

TEST_F(ProfileTest, OtherLinesMeanNothingAndSurviveAWrite) {
    const std::string before =
        "COLOR=9\r\n; written by hand\r\n[A]\r\nx=1\r\n\r\n[DAVUZ]\r\nnoise\r\nCOLOR=1\r\n\r\n"
        "; the end\r\n[B]\r\ny=2\r\n";
    store(before);
    EXPECT_EQ(read(), "1");
    EXPECT_EQ(read("DAVUZ", "noise"), "");
    ASSERT_TRUE(write("LEVEL", "2"));
    EXPECT_EQ(stored(),
              "COLOR=9\r\n; written by hand\r\n[A]\r\nx=1\r\n\r\n[DAVUZ]\r\nnoise\r\nCOLOR=1\r\n"
              "LEVEL=2\r\n\r\n; the end\r\n[B]\r\ny=2\r\n");
    ASSERT_TRUE(writeProfileString("C", "z", "3", path));
    EXPECT_EQ(stored().substr(before.size() + 9), "[C]\r\nz=3\r\n");
}

TEST_F(ProfileTest, KeepsTheFilesLineEndsAndMendsAMissingLastOne) {
    store("[DAVUZ]\nCOLOR=1");
    EXPECT_EQ(read(), "1");
    ASSERT_TRUE(write("LEVEL", "2"));
    EXPECT_EQ(stored(), "[DAVUZ]\nCOLOR=1\nLEVEL=2\n");

    store("[DAVUZ]");
    ASSERT_TRUE(write("COLOR", "1"));
    EXPECT_EQ(stored(), "[DAVUZ]\r\nCOLOR=1\r\n");

    store("[X]\r\na=1");
    ASSERT_TRUE(write("COLOR", "1"));
    EXPECT_EQ(stored(), "[X]\r\na=1\r\n[DAVUZ]\r\nCOLOR=1\r\n");

    // Cut after the CR of its last CR LF: the LF that completes it does not change the line.
    store("[DAVUZ]\nCOLOR=1\r");
    EXPECT_EQ(read(), "1");
    ASSERT_TRUE(write("LEVEL", "2"));
    EXPECT_EQ(stored(), "[DAVUZ]\nCOLOR=1\r\nLEVEL=2\n");
    EXPECT_EQ(read(), "1");

    store("\xEF\xBB\xBF[DAVUZ]\nCOLOR=2\n");
    EXPECT_EQ(read(), "2");
    ASSERT_TRUE(write("COLOR", "3"));
    EXPECT_EQ(stored(), "\xEF\xBB\xBF[DAVUZ]\nCOLOR=3\n");
}

TEST_F(ProfileTest, BinaryContentDoesNotCrashAndNulEndsTheValue) {
    std::string junk;
    for (int i = 0; i < 70000; ++i) junk += static_cast<char>((i * 7919) % 256);
    const char middle[] =
        "\n[DAVUZ]\nCOLOR=4\0"
        "5\n";
    store(junk + std::string(middle, sizeof middle - 1) + junk);
    EXPECT_EQ(read(), "4");
    ASSERT_TRUE(write("LEVEL", "1"));
    EXPECT_EQ(read("DAVUZ", "LEVEL"), "1");
    EXPECT_EQ(stored().substr(0, junk.size()), junk);
}

TEST_F(ProfileTest, HugeFileIsNeitherReadNorRewritten) {
    const std::string huge = "[DAVUZ]\r\nCOLOR=1\r\n" + std::string(2 << 20, 'x');
    store(huge);
    EXPECT_EQ(read(), "");
    EXPECT_FALSE(write("COLOR", "2"));
    EXPECT_EQ(stored(), huge);
    EXPECT_EQ(filesInFolder(), 1U);
}

TEST_F(ProfileTest, PathThatIsNoFileReadsEmptyAndCannotBeWritten) {
    fs::create_directory(path);
    EXPECT_EQ(read(), "");
    EXPECT_FALSE(write("COLOR", "1"));
    EXPECT_TRUE(fs::is_directory(path));
    fs::remove(path);

    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);  // would block a reader that opened it
    EXPECT_EQ(read(), "");
    EXPECT_FALSE(write("COLOR", "1"));

    const std::string inMissingFolder = (folder / "gone" / "DskKPR.ini").string();
    EXPECT_FALSE(writeProfileString("DAVUZ", "COLOR", "1", inMissingFolder));
}

TEST_F(ProfileTest, NamesAndValuesThatWouldAddLinesAreRefused) {
    store("[DAVUZ]\r\nCOLOR=1\r\n");
    EXPECT_FALSE(write("COLOR", "2\r\n[EVIL]\r\nx=1"));
    EXPECT_FALSE(write("COLOR", "2\nLEVEL=9"));
    EXPECT_FALSE(write("COLOR", std::string("2\0"
                                            "3",
                                            3)));
    EXPECT_FALSE(write("LEVEL\n", "2"));
    EXPECT_FALSE(write("A=B", "2"));
    EXPECT_FALSE(write("", "2"));
    EXPECT_FALSE(writeProfileString("DA]VUZ", "COLOR", "2", path));
    EXPECT_EQ(stored(), "[DAVUZ]\r\nCOLOR=1\r\n");
}

TEST_F(ProfileTest, RewrittenFileKeepsItsPermissionsAndItsLink) {
    const fs::path real = folder / "real.ini";
    std::ofstream(real, std::ios::binary) << "[DAVUZ]\nCOLOR=1\n";
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("real.ini", path);
    ASSERT_TRUE(write("COLOR", "2"));
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(read(), "2");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

// The write runs in a child process that cannot write the folder: as an unprivileged user
// (root writes everywhere) when the tests run as root, else after taking away write permission.
TEST_F(ProfileTest, ReadOnlyFolderLeavesTheOldFileQuietly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    store("[DAVUZ]\r\nCOLOR=1\r\n");
    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
    // The file itself stays writable for everyone: only the folder stands in the way.
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::group_write | fs::perms::others_read |
                              fs::perms::others_write);
    const auto writeWithoutPermission = [this] {
        if (geteuid() == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
        } else {
            fs::permissions(folder, fs::perms::owner_write, fs::perm_options::remove);
        }
        _exit(writeProfileString("DAVUZ", "COLOR", "2", path) ? 1 : 0);
    };
    EXPECT_EXIT(writeWithoutPermission(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(stored(), "[DAVUZ]\r\nCOLOR=1\r\n");
    EXPECT_EQ(filesInFolder(), 1U);
}
}  // namespace

#endif  // _WIN32
