// The profile (settings) file: reading and writing one value, and the files that are not what
// they should be. Windows has native profile calls; this is the implementation elsewhere.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/Profile.h"

#ifndef _WIN32

#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/ProfileSeams.h"

namespace {

// Every fsync of a folder this test program makes, and what the file watched then held: the
// save's last step must be the sync of the folder its file was renamed in.
struct FolderSync {
    dev_t device;
    ino_t inode;
    std::string watchedContent;
};
std::vector<FolderSync> g_folderSyncs;
std::string g_watchedFile;

}  // namespace

// Stands in for the C library's fsync in this test program (the code under test calls it by
// name) to record folder syncs; the sync itself still happens.
extern "C" int fsync(int fd) {
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
        std::ifstream in(g_watchedFile, std::ios::binary);
        g_folderSyncs.push_back(
            {status.st_dev, status.st_ino, {std::istreambuf_iterator<char>(in), {}}});
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

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

// A user other than the one running the tests and other than root, to own planted links.
constexpr uid_t kOtherUser = 65534;

// Gives a link to kOtherUser, as if that user had planted it; false where the tests cannot
// (only root may give a file away).
bool plantedByOtherUser(const fs::path& link) {
    return ::lchown(link.c_str(), kOtherUser, kOtherUser) == 0;
}

std::string contentOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class ProfileLinkTest : public ProfileTest {
protected:
    ProfileLinkTest() {
        // The settings folder is shared with other users; the victim's file lies elsewhere.
        fs::permissions(folder, fs::perms::all | fs::perms::sticky_bit);
        home = folder.parent_path() / (folder.filename().string() + "-home");
        fs::create_directory(home);
        victim = home / ".profile";
        std::ofstream(victim, std::ios::binary) << "PATH=/usr/bin\n";
    }
    ~ProfileLinkTest() override {
        std::error_code ignored;
        fs::remove_all(home, ignored);
    }
    fs::path home;
    fs::path victim;
};

TEST_F(ProfileLinkTest, AnotherUsersLinkIsNotFollowedAndNothingIsWritten) {
    fs::create_symlink(victim, path);
    if (!plantedByOtherUser(path)) GTEST_SKIP() << "cannot give a link to another user (not root)";
    EXPECT_FALSE(write("COLOR", "3"));
    EXPECT_EQ(contentOf(victim), "PATH=/usr/bin\n");
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(filesInFolder(), 1U);

    // A dangling link creates nothing, neither where it points nor in the settings folder.
    fs::remove(path);
    const fs::path planted = home / "new.ini";
    fs::create_symlink(planted, path);
    ASSERT_TRUE(plantedByOtherUser(path));
    EXPECT_FALSE(write("COLOR", "3"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(planted)));
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(filesInFolder(), 1U);
}

// The user's own link may lead through a folder link another user planted: that is no more
// trusted than a link at the end.
TEST_F(ProfileLinkTest, AFolderLinkAnotherUserPlantedOnTheWayIsNotFollowed) {
    const fs::path planted = folder / "sub";
    fs::create_directory_symlink(home, planted);
    fs::create_symlink("./sub/./new.ini", path);
    ASSERT_TRUE(write("COLOR", "1"));  // the user's own links all the way
    EXPECT_EQ(contentOf(home / "new.ini"), "[DAVUZ]\r\nCOLOR=1\r\n");
    fs::remove(home / "new.ini");

    if (!plantedByOtherUser(planted))
        GTEST_SKIP() << "cannot give a link to another user (not root)";
    EXPECT_FALSE(write("COLOR", "2"));
    EXPECT_FALSE(fs::exists(home / "new.ini"));
    EXPECT_EQ(filesInFolder(), 2U);
}

// The same as two unprivileged users: the victim (kVictim) saves in the shared folder where
// kOtherUser planted a link to the victim's file; a link the victim made is followed as before.
TEST_F(ProfileLinkTest, TwoUnprivilegedUsersSharingTheFolder) {
    constexpr uid_t kVictim = 65533;
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as two other users";
    ASSERT_EQ(::chown(home.c_str(), kVictim, kVictim), 0);
    ASSERT_EQ(::chown(victim.c_str(), kVictim, kVictim), 0);
    fs::create_symlink(victim, path);
    ASSERT_TRUE(plantedByOtherUser(path));
    const auto saveAsVictim = [this] {
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgid(kVictim) != 0 || ::setuid(kVictim) != 0) _exit(3);
            _exit(write("COLOR", "3") ? 1 : 0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(saveAsVictim(), 0);  // refused
    EXPECT_EQ(contentOf(victim), "PATH=/usr/bin\n");

    fs::remove(path);
    const fs::path own = home / "own.ini";
    std::ofstream(own, std::ios::binary) << "[DAVUZ]\nCOLOR=1\n";
    ASSERT_EQ(::chown(own.c_str(), kVictim, kVictim), 0);
    fs::create_symlink(own, path);
    ASSERT_EQ(::lchown(path.c_str(), kVictim, kVictim), 0);
    EXPECT_EQ(saveAsVictim(), 1);  // saved through the victim's own link
    EXPECT_EQ(contentOf(own), "[DAVUZ]\nCOLOR=3\n");
    EXPECT_EQ(contentOf(victim), "PATH=/usr/bin\n");
}

TEST_F(ProfileLinkTest, AChainIsFollowedToItsEndOnlyWhenEveryLinkIsTheUsers) {
    // DskKPR.ini -> a.ini -> ../<home>/b.ini: the user's own links, the last one relative.
    const fs::path real = home / "b.ini";
    std::ofstream(real, std::ios::binary) << "[DAVUZ]\nCOLOR=1\n";
    const fs::path middle = folder / "a.ini";
    fs::create_symlink(fs::path("..") / home.filename() / "b.ini", middle);
    fs::create_symlink("a.ini", path);
    ASSERT_TRUE(write("COLOR", "2"));
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_TRUE(fs::is_symlink(middle));
    EXPECT_EQ(contentOf(real), "[DAVUZ]\nCOLOR=2\n");
    EXPECT_EQ(read(), "2");
    EXPECT_EQ(filesInFolder(), 2U);

    // The same chain with the middle link planted by another user saves nothing.
    if (!plantedByOtherUser(middle))
        GTEST_SKIP() << "cannot give a link to another user (not root)";
    EXPECT_FALSE(write("COLOR", "3"));
    EXPECT_EQ(contentOf(real), "[DAVUZ]\nCOLOR=2\n");
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_TRUE(fs::is_symlink(middle));
}

TEST_F(ProfileTest, ALinkLoopOrALinkToAFifoSavesNothing) {
    fs::create_symlink("b.ini", path);
    fs::create_symlink("DskKPR.ini", folder / "b.ini");
    EXPECT_FALSE(write("COLOR", "1"));
    EXPECT_EQ(read(), "");
    fs::remove(folder / "b.ini");
    ASSERT_EQ(mkfifo((folder / "b.ini").c_str(), 0600), 0);
    EXPECT_FALSE(write("COLOR", "1"));
    EXPECT_EQ(filesInFolder(), 2U);
}

// Runs `body` in a child process that an alarm ends after 5 s; its exit code, or 128 plus the
// signal that ended it.
int exitCodeOfChild(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(5);
        _exit(body());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A FIFO put in place of the file in the moment between the look at its name and the open:
// neither the read nor the save may hang on it, and the save must not replace it.
TEST_F(ProfileTest, AFifoSwappedInBeforeTheOpenIsNeitherReadNorReplaced) {
    const auto swapInFifo = [](const std::string& opened) {
        ::unlink(opened.c_str());
        if (::mkfifo(opened.c_str(), 0600) != 0) _exit(4);
    };
    store("[DAVUZ]\r\nCOLOR=1\r\n");
    EXPECT_EQ(exitCodeOfChild([&] {
                  platform::profile_seams::setBeforeOpen(swapInFifo);
                  return read().empty() ? 0 : 1;
              }),
              0);
    ASSERT_TRUE(fs::is_fifo(path));
    fs::remove(path);

    store("[DAVUZ]\r\nCOLOR=1\r\n");
    EXPECT_EQ(exitCodeOfChild([&] {
                  platform::profile_seams::setBeforeOpen(swapInFifo);
                  return write("COLOR", "2") ? 1 : 0;
              }),
              0);
    EXPECT_TRUE(fs::is_fifo(path));  // left as it was found, not replaced by a regular file
    EXPECT_EQ(filesInFolder(), 1U);
}

// A power cut right after a save must not bring back the old file: the rename is made durable
// by syncing the folder once the file has its new name.
TEST_F(ProfileTest, TheFolderIsSyncedAfterTheRename) {
    store("[DAVUZ]\r\nCOLOR=1\r\n");
    g_watchedFile = path;
    g_folderSyncs.clear();
    ASSERT_TRUE(write("COLOR", "2"));
    struct stat folderStatus {};
    ASSERT_EQ(::stat(folder.c_str(), &folderStatus), 0);
    ASSERT_FALSE(g_folderSyncs.empty());
    const FolderSync& last = g_folderSyncs.back();
    EXPECT_EQ(last.device, folderStatus.st_dev);
    EXPECT_EQ(last.inode, folderStatus.st_ino);
    EXPECT_EQ(last.watchedContent, "[DAVUZ]\r\nCOLOR=2\r\n");
    g_watchedFile.clear();
}

// Root may write any file, but a settings file of mode 0444 was made read-only on purpose.
TEST_F(ProfileTest, AReadOnlyFileKeepsItsContentAlsoForRoot) {
    store("[DAVUZ]\r\nCOLOR=1\r\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(write("COLOR", "2"));
    EXPECT_EQ(stored(), "[DAVUZ]\r\nCOLOR=1\r\n");
    EXPECT_EQ(filesInFolder(), 1U);
}

// Saves in child processes that stop right before their rename, as a kill would stop them.
class ProfileTemporaryTest : public ProfileTest {
protected:
    // Starts a child that saves COLOR=`value` and stops before the rename; returns its pid
    // once its temporary file exists, and that file's name and mode in `temporary`, `mode`.
    pid_t startStoppedSave(const std::string& value, std::string& temporary, mode_t& mode) {
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) return -1;
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipeFds[0]);
            platform::profile_seams::setBeforeReplace([&](const std::string& name) {
                struct stat status {};
                ::stat(name.c_str(), &status);
                const std::string report = std::to_string(status.st_mode & 07777) + " " + name;
                if (::write(pipeFds[1], report.data(), report.size()) < 0) _exit(2);
                ::close(pipeFds[1]);
                for (;;) ::pause();
            });
            write("COLOR", value);
            _exit(3);
        }
        ::close(pipeFds[1]);
        std::string report;
        char buffer[512];
        ssize_t n;
        while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) {
            report.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(pipeFds[0]);
        const std::size_t space = report.find(' ');
        if (space == std::string::npos) {
            killChild(child);
            return -1;
        }
        mode = static_cast<mode_t>(std::stoul(report.substr(0, space)));
        temporary = report.substr(space + 1);
        return child;
    }
    static void killChild(pid_t child) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
};

TEST_F(ProfileTemporaryTest, AKilledSavesLeftoverGoesWithTheNextSaveButARunningOnesStays) {
    store("[DAVUZ]\r\nCOLOR=1\r\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    std::string killedTemporary;
    mode_t mode = 0;
    const pid_t killed = startStoppedSave("2", killedTemporary, mode);
    ASSERT_GT(killed, 0);
    // Beside the file, with its mode from the start, under a name no one can guess.
    EXPECT_EQ(fs::path(killedTemporary).parent_path(), folder);
    EXPECT_EQ(mode, 0600U);
    EXPECT_EQ(killedTemporary.find(std::to_string(killed)), std::string::npos);
    killChild(killed);
    EXPECT_EQ(stored(), "[DAVUZ]\r\nCOLOR=1\r\n");
    ASSERT_TRUE(fs::exists(killedTemporary));

    std::string runningTemporary;
    const pid_t running = startStoppedSave("3", runningTemporary, mode);
    ASSERT_GT(running, 0);
    EXPECT_FALSE(fs::exists(killedTemporary));  // the running save cleaned up on its way
    ASSERT_TRUE(write("LEVEL", "1"));
    EXPECT_TRUE(fs::exists(runningTemporary));  // still held by the save in progress
    EXPECT_EQ(stored(), "[DAVUZ]\r\nCOLOR=1\r\nLEVEL=1\r\n");
    killChild(running);
    ASSERT_TRUE(write("LEVEL", "2"));
    EXPECT_EQ(filesInFolder(), 1U);

    // A leftover of the earlier naming, "<name>.tmp<pid>-<n>", goes once its process is gone.
    const std::string legacy = path + ".tmp" + std::to_string(killed) + "-0";
    std::ofstream(legacy) << "[DAVUZ]\r\n";
    const std::string living = path + ".tmp" + std::to_string(getpid()) + "-0";
    std::ofstream(living) << "[DAVUZ]\r\n";
    ASSERT_TRUE(write("LEVEL", "0"));
    EXPECT_FALSE(fs::exists(legacy));
    EXPECT_TRUE(fs::exists(living));
}

TEST_F(ProfileTemporaryTest, ANewFileGetsTheModeTheCreationMaskAllows) {
    const mode_t oldMask = ::umask(027);
    std::string temporary;
    mode_t mode = 0;
    const pid_t child = startStoppedSave("2", temporary, mode);
    ::umask(oldMask);
    ASSERT_GT(child, 0);
    killChild(child);
    EXPECT_EQ(mode, 0640U);
}
}  // namespace

#endif  // _WIN32
