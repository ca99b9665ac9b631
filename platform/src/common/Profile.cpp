// The profile calls on systems without native ones. On Windows the backend hands them to the
// system's own profile functions instead, so this file is empty there.

#include "platform/Profile.h"

#ifndef _WIN32

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "common/ProfileSeams.h"
#include "common/ProfileText.h"

namespace platform {

namespace {

// A settings file holds a line or two. Anything larger is not one (a binary file, a log that
// took its name): it reads as empty and is never rewritten.
constexpr std::size_t kMaxFileBytes = 1 << 20;

// The most links a save follows from the settings file's name to the file itself, as many as
// the kernel follows in a path; a longer chain is taken for a loop.
constexpr int kMaxLinks = 40;

// Temporary files are named after the settings file: "DskKPR.ini.tmp" and six random letters
// or digits from mkstemp. Earlier versions used "DskKPR.ini.tmp<pid>-<n>".
constexpr std::string_view kTemporaryInfix = ".tmp";
constexpr std::string_view kRandomPart = "XXXXXX";

std::function<void(const std::string&)>& beforeOpenHook() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

std::function<void(const std::string&)>& beforeReplaceHook() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    ~FileDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    // Closes now and tells whether the close succeeded (a late write error shows here).
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd = -1;
};

// The folder part of `path` with its trailing slash ("" for a bare name) and the name itself.
std::string_view folderOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string_view nameOf(std::string_view path) { return path.substr(folderOf(path).size()); }

std::string folderToOpen(std::string_view path) {
    const std::string_view folder = folderOf(path);
    return folder.empty() ? std::string(".") : std::string(folder);
}

// What opening a settings file found: a regular file (fd set), nothing there (missing), or
// something that must not be read or replaced (neither).
struct OpenedFile {
    FileDescriptor fd;
    struct stat status {};
    bool missing = false;
};

// Opens first and looks at what was opened, so that nothing can be swapped in between; the
// open does not wait for a writer on a FIFO or for a device. Only a regular file is kept.
OpenedFile openRegularFile(const std::string& path, int extraFlags) {
    if (beforeOpenHook()) beforeOpenHook()(path);
    OpenedFile opened;
    FileDescriptor fd(
        ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | extraFlags));
    if (!fd) {
        opened.missing = errno == ENOENT;
        return opened;
    }
    if (::fstat(fd.get(), &opened.status) != 0 || !S_ISREG(opened.status.st_mode)) return opened;
    opened.fd = std::move(fd);
    return opened;
}

std::optional<std::string> readAll(int fd, off_t sizeHint) {
    if (sizeHint > static_cast<off_t>(kMaxFileBytes)) return std::nullopt;
    std::string content;
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        content.append(chunk, static_cast<std::size_t>(n));
        if (content.size() > kMaxFileBytes) return std::nullopt;
    }
    return content;
}

std::optional<std::string> readWholeFile(const std::string& path) {
    const OpenedFile file = openRegularFile(path, 0);
    if (!file.fd) return std::nullopt;
    return readAll(file.fd.get(), file.status.st_size);
}

std::optional<std::string> linkText(const std::string& link, const struct stat& status) {
    std::string text(static_cast<std::size_t>(status.st_size > 0 ? status.st_size : 0) + 256, '\0');
    const ssize_t n = ::readlink(link.c_str(), text.data(), text.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= text.size()) return std::nullopt;
    text.resize(static_cast<std::size_t>(n));
    return text;
}

// Puts the parts of `path` on `pending` so that its first part comes off the back first.
void pushParts(std::string_view path, std::vector<std::string>& pending) {
    std::vector<std::string> parts;
    for (std::size_t begin = 0; begin <= path.size();) {
        const std::size_t slash = std::min(path.find('/', begin), path.size());
        if (slash > begin) parts.emplace_back(path.substr(begin, slash - begin));
        begin = slash + 1;
    }
    pending.insert(pending.end(), parts.rbegin(), parts.rend());
}

std::string joined(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + '/' + name;
}

// The file a save of `path` replaces: where `path` leads once every link on the way, in its
// folders as well as at its end, has been followed. A link is followed only when the user
// running the program or root owns it. In a folder others may write to (mode 1777, like /tmp),
// another user could otherwise plant a link that points the save at any file this user may
// write, or makes it create one anywhere.
std::optional<std::string> trustedSaveTarget(const std::string& path) {
    if (path.empty()) return std::nullopt;
    const uid_t user = ::geteuid();
    // The folders walked so far, none of them a link ("" is the current folder).
    std::string walked = path.front() == '/' ? "/" : "";
    std::vector<std::string> pending;
    pushParts(path, pending);
    if (pending.empty()) return std::nullopt;
    int links = 0;
    while (!pending.empty()) {
        const std::string part = std::move(pending.back());
        pending.pop_back();
        const bool last = pending.empty();
        if (part == "." && !last) continue;
        if (part == ".." && !last) {
            // No link among the walked folders: the parent is the text's parent.
            const std::size_t slash = walked.find_last_of('/', walked.size() - 1);
            const bool relativeTop = walked.empty() || walked == ".." || walked.ends_with("/..");
            if (relativeTop) {
                walked = joined(walked, "..");
            } else if (walked != "/") {
                walked = slash == std::string::npos ? "" : walked.substr(0, slash == 0 ? 1 : slash);
            }
            continue;
        }
        const std::string next = joined(walked, part);
        struct stat status {};
        if (::lstat(next.c_str(), &status) != 0) {
            // A missing file is created; a missing folder or any other failure fails the save.
            if (errno == ENOENT && last) return next;
            return std::nullopt;
        }
        if (!S_ISLNK(status.st_mode)) {
            if (last) return next;
            walked = next;
            continue;
        }
        if (status.st_uid != user && status.st_uid != 0) return std::nullopt;
        if (++links > kMaxLinks) return std::nullopt;
        const std::optional<std::string> text = linkText(next, status);
        if (!text) return std::nullopt;
        if (text->front() == '/') walked = "/";
        pushParts(*text, pending);
    }
    return std::nullopt;
}

// The file-creation mask, which mkstemp does not apply (it always creates mode 0600).
mode_t creationMask() {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

bool isTemporaryName(std::string_view name, std::string_view target, bool& legacy) {
    if (!name.starts_with(target) || name.size() <= target.size() + kTemporaryInfix.size()) {
        return false;
    }
    name.remove_prefix(target.size());
    if (!name.starts_with(kTemporaryInfix)) return false;
    name.remove_prefix(kTemporaryInfix.size());
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto isAlnum = [&](char c) {
        return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    };
    if (name.size() == kRandomPart.size() && std::all_of(name.begin(), name.end(), isAlnum)) {
        legacy = false;
        return true;
    }
    // <pid>-<n>
    const std::size_t dash = name.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == name.size()) return false;
    legacy = std::all_of(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(dash), isDigit) &&
             std::all_of(name.begin() + static_cast<std::ptrdiff_t>(dash) + 1, name.end(), isDigit);
    return legacy;
}

// Removes the temporary files a save of `target` left behind when its process was killed
// between creating one and renaming it. A save holds a lock on its temporary file for as long
// as the file exists, so a file whose lock can be taken belongs to no running save. Files of
// the earlier naming were never locked; they go only when the process they name is gone.
void removeStaleTemporaries(const std::string& target) {
    const std::string folder = folderToOpen(target);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    const int dirFd = ::dirfd(dir);
    const uid_t user = ::geteuid();
    const std::string_view targetName = nameOf(target);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        bool legacy = false;
        if (!isTemporaryName(name, targetName, legacy)) continue;
        FileDescriptor fd(::openat(dirFd, entry->d_name,
                                   O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (!fd) continue;
        struct stat opened {};
        // Only the user's own regular files: whatever else carries the name is not ours.
        if (::fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_uid != user) {
            continue;
        }
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;
        if (legacy) {
            const long pid = std::strtol(entry->d_name + targetName.size() + kTemporaryInfix.size(),
                                         nullptr, 10);
            if (pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM)) continue;
        }
        // The name must still be the file that was locked, not one created under it since.
        struct stat named {};
        if (::fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) {
            ::unlinkat(dirFd, entry->d_name, 0);
        }
    }
    ::closedir(dir);
}

bool writeAll(int fd, const std::string& content) {
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EINTR) {
            return false;
        }
    }
    return true;
}

// A new file in the target's folder with an unpredictable name, locked and with the final
// file's mode (and owner, where that may be given) before any content goes in.
struct Temporary {
    FileDescriptor fd;
    std::string path;
};

std::optional<Temporary> createTemporary(const std::string& target, mode_t mode,
                                         const struct stat* existing) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        Temporary temporary;
        temporary.path = target + std::string(kTemporaryInfix) + std::string(kRandomPart);
        temporary.fd = FileDescriptor(::mkostemp(temporary.path.data(), O_CLOEXEC));
        if (!temporary.fd) return std::nullopt;
        // Another copy of the program cleaning up may have taken the lock in the moment
        // before this one did, and removed the file: then it is no longer linked.
        struct stat own {};
        if (::flock(temporary.fd.get(), LOCK_EX) != 0 || ::fstat(temporary.fd.get(), &own) != 0) {
            ::unlink(temporary.path.c_str());
            return std::nullopt;
        }
        if (own.st_nlink == 0) continue;
        // Owner and group first: a change of owner clears some mode bits. Only root, or a
        // member of the group, can give them; otherwise the file is the user's own.
        if (existing != nullptr) {
            [[maybe_unused]] const int ignored =
                ::fchown(temporary.fd.get(), existing->st_uid, existing->st_gid);
        }
        if (::fchmod(temporary.fd.get(), mode) != 0) {
            ::unlink(temporary.path.c_str());
            return std::nullopt;
        }
        return temporary;
    }
    return std::nullopt;
}

// Makes the rename itself durable: until the folder is on disk, a power cut can bring back
// the old file, or none.
bool syncFolder(const std::string& target) {
    FileDescriptor folder(::open(folderToOpen(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return folder && ::fsync(folder.get()) == 0;
}

// Replaces `target` with a file holding `content`; the old file stays whole on any failure.
bool replaceFile(const std::string& target, const std::string& content, mode_t mode,
                 const struct stat* existing) {
    removeStaleTemporaries(target);
    std::optional<Temporary> temporary = createTemporary(target, mode, existing);
    if (!temporary) return false;
    // On disk before the rename, so that a crash cannot leave an empty settings file.
    bool ok = writeAll(temporary->fd.get(), content) && ::fsync(temporary->fd.get()) == 0;
    if (ok && beforeReplaceHook()) beforeReplaceHook()(temporary->path);
    ok = ok && ::rename(temporary->path.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary->path.c_str());
        return false;
    }
    // The lock goes with the descriptor, once the file has its final name.
    ok = temporary->fd.close();
    return syncFolder(target) && ok;
}

// A name or value that would end the line or change its meaning cannot be stored: written as it
// stands, it would add lines (other keys, other sections) to the file.
bool isStorable(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::string_view trimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool isStorableEntry(std::string_view section, std::string_view key, std::string_view value) {
    if (!isStorable(section) || !isStorable(key) || !isStorable(value)) return false;
    section = trimBlanks(section);
    key = trimBlanks(key);
    return !section.empty() && section.find(']') == std::string_view::npos && !key.empty() &&
           key.find('=') == std::string_view::npos && key.front() != '[';
}

}  // namespace

std::string readProfileString(const std::string& section, const std::string& key,
                              const std::string& path, std::size_t bufferSize) {
    if (bufferSize == 0) return {};
    const std::optional<std::string> content = readWholeFile(path);
    if (!content) return {};
    std::string_view value = ProfileText(*content).value(section, key).value_or("");
    // The caller's buffer ends the text at the first NUL and holds bufferSize - 1 bytes.
    value = value.substr(0, value.find('\0'));
    value = value.substr(0, bufferSize - 1);
    return std::string(value);
}

bool writeProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& path) {
    if (!isStorableEntry(section, key, value)) return false;
    // A settings file that is a link stays one: the file at the end of its links is replaced.
    const std::optional<std::string> target = trustedSaveTarget(path);
    if (!target) return false;

    // O_NOFOLLOW: the target is no link when it was looked at; one put there since is not
    // followed.
    const OpenedFile existing = openRegularFile(*target, O_NOFOLLOW);
    if (!existing.fd && !existing.missing) return false;
    const bool exists = static_cast<bool>(existing.fd);
    std::string content;
    mode_t mode = 0666 & ~creationMask();
    if (exists) {
        // A file the user made read-only keeps its content, although the folder would allow
        // replacing it. The mode bits decide, also for root, whom access() lets write anything.
        if ((existing.status.st_mode & 0222) == 0 || ::access(target->c_str(), W_OK) != 0) {
            return false;
        }
        std::optional<std::string> read = readAll(existing.fd.get(), existing.status.st_size);
        if (!read) return false;
        content = std::move(*read);
        mode = existing.status.st_mode & 07777;
    }

    const std::string updated = ProfileText(content).withValue(section, key, value);
    if (exists && updated == content) return true;
    if (updated.size() > kMaxFileBytes) return false;
    return replaceFile(*target, updated, mode, exists ? &existing.status : nullptr);
}

namespace profile_seams {

void setBeforeOpen(std::function<void(const std::string& path)> hook) {
    beforeOpenHook() = std::move(hook);
}

void setBeforeReplace(std::function<void(const std::string& temporary)> hook) {
    beforeReplaceHook() = std::move(hook);
}

}  // namespace profile_seams

}  // namespace platform

#endif  // _WIN32
