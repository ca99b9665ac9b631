// The profile calls on systems without native ones. On Windows the backend hands them to the
// system's own profile functions instead, so this file is empty there.

#include "platform/Profile.h"

#ifndef _WIN32

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>
#include <system_error>

#include "common/ProfileText.h"

namespace platform {

namespace fs = std::filesystem;

namespace {

// A settings file holds a line or two. Anything larger is not one (a binary file, a log that
// took its name): it reads as empty and is never rewritten.
constexpr std::size_t kMaxFileBytes = 1 << 20;

std::optional<std::string> readWholeFile(const fs::path& path) {
    std::error_code error;
    // Only a regular file: a directory has no content, and a FIFO would block the reader.
    if (!fs::is_regular_file(fs::status(path, error))) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string content;
    char chunk[64 * 1024];
    while (in) {
        in.read(chunk, sizeof chunk);
        content.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (content.size() > kMaxFileBytes) return std::nullopt;
    }
    if (in.bad()) return std::nullopt;
    return content;
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

// Writes `content` to a new file beside `target` and returns its path; nothing on failure
// (a read-only folder, a full disk), in which case no file is left behind.
std::optional<fs::path> writeTemporary(const fs::path& target, const std::string& content) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path temporary = target;
        temporary += ".tmp" + std::to_string(getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return std::nullopt;
        }
        bool ok = true;
        std::size_t written = 0;
        while (ok && written < content.size()) {
            const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
            if (n > 0) {
                written += static_cast<std::size_t>(n);
            } else if (n < 0 && errno != EINTR) {
                ok = false;
            }
        }
        // On disk before the rename, so that a crash cannot leave an empty settings file.
        ok = ok && ::fsync(fd) == 0;
        ok = ::close(fd) == 0 && ok;
        if (ok) return temporary;
        ::unlink(temporary.c_str());
        return std::nullopt;
    }
    return std::nullopt;
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
    std::error_code error;
    fs::path target = path;
    // A settings file that is a link stays one: the file it points to is rewritten.
    if (fs::is_symlink(fs::symlink_status(target, error))) {
        const fs::path pointsTo = fs::read_symlink(target, error);
        if (error) return false;
        target = pointsTo.is_absolute() ? pointsTo : target.parent_path() / pointsTo;
    }

    const fs::file_status status = fs::status(target, error);
    const bool exists = fs::exists(status);
    if (exists && !fs::is_regular_file(status)) return false;
    // A file the user made read-only keeps its content, although the folder would allow
    // replacing it.
    if (exists && ::access(target.c_str(), W_OK) != 0) return false;
    std::string content;
    if (exists) {
        std::optional<std::string> existing = readWholeFile(target);
        if (!existing) return false;
        content = std::move(*existing);
    }

    const std::string updated = ProfileText(content).withValue(section, key, value);
    if (exists && updated == content) return true;
    if (updated.size() > kMaxFileBytes) return false;

    const std::optional<fs::path> temporary = writeTemporary(target, updated);
    if (!temporary) return false;
    if (exists) fs::permissions(*temporary, status.permissions(), error);
    fs::rename(*temporary, target, error);
    if (error) {
        fs::remove(*temporary, error);
        return false;
    }
    return true;
}

}  // namespace platform

#endif  // _WIN32
