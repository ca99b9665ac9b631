#pragma once
// Profile (INI) files with the semantics of the native profile calls the program was designed
// on: sections "[name]" and "key=value" lines, names matched without regard to case, values
// trimmed of blanks, the first of duplicate sections or keys winning. Writing creates the file,
// the section or the key as needed and replaces a value in place, leaving every other line,
// section and comment of the file as it was. A write goes to a file beside the target first and
// then replaces it, so a failure never leaves a half-written file. Nothing is reported: a file
// that cannot be read reads as empty, a write that fails returns false.
// Except on Windows, whose own profile calls are used: only a regular file is read or replaced
// (never a FIFO or a device); a write follows links, to the file at their end, only when every
// link on the way belongs to the user running the program or to root, and it leaves a file
// without any write permission bit as it is.

#include <cstddef>
#include <string>

namespace platform {

// The value of `key` in `section` of the file at `path`, at most `bufferSize` - 1 bytes (the
// value is cut there, as a caller's buffer would cut it); "" when the file, section or key does
// not exist or the file cannot be read.
std::string readProfileString(const std::string& section, const std::string& key,
                              const std::string& path, std::size_t bufferSize);

// Sets `key` in `section` to `value`; true on success.
bool writeProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& path);

}  // namespace platform
