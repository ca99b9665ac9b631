// On Windows the settings file goes through the system's own profile calls, so the program
// reads and writes it exactly as every other Windows program does.

#include "platform/Profile.h"

#include <windows.h>

#include <vector>

#include "win32/Win32Support.h"

namespace platform {

std::string readProfileString(const std::string& section, const std::string& key,
                              const std::string& path, std::size_t bufferSize) {
    if (bufferSize == 0) return {};
    std::vector<char> buffer(bufferSize, '\0');
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(),
                                       static_cast<DWORD>(bufferSize), win32::toAnsi(path).c_str());
    return std::string(buffer.data(), n < bufferSize ? n : bufferSize - 1);
}

bool writeProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& path) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                      win32::toAnsi(path).c_str()) != FALSE;
}

}  // namespace platform
