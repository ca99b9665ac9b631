#include "platform/Application.h"

#include <windows.h>

#include "common/Backend.h"
#include "platform/Clock.h"
#include "win32/Win32Support.h"

namespace platform {

using namespace platform::win32;

namespace {

struct ProgramPath {
    bool fixedForTests = false;
    std::string folder;
    std::string exeName;
};

ProgramPath& programPath() {
    static ProgramPath path;
    return path;
}

std::wstring modulePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

Application::Application(int&, char**) {
    // Window sizes are in pixels of 96 dpi on every system; the twips conversions follow the
    // system's logical DPI.
    hostWindow();
}

Application::~Application() = default;

int Application::exec() {
    MSG msg;
    for (;;) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got < 0) return 1;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::string Application::path() {
    if (programPath().fixedForTests) return programPath().folder;
    std::wstring full = modulePath();
    std::size_t slash = full.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return ".";
    std::wstring folder = full.substr(0, slash);
    // A root folder keeps its separator ("C:\").
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
    if (folder.empty()) folder = L"\\";
    return narrow(folder);
}

std::string Application::exeName() {
    if (programPath().fixedForTests) return programPath().exeName;
    std::wstring full = modulePath();
    std::size_t slash = full.find_last_of(L"\\/");
    std::wstring file = slash == std::wstring::npos ? full : full.substr(slash + 1);
    std::size_t dot = file.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) file.resize(dot);
    return narrow(file);
}

void Application::setPathForTests(std::string folder, std::string exeName) {
    programPath().fixedForTests = true;
    programPath().folder = std::move(folder);
    programPath().exeName = std::move(exeName);
}

const std::string& Application::title() {
    static const std::string kTitle = "デスクトップKiprun!";
    return kTitle;
}

namespace backend {

void showMessageBox(const std::string& text) {
    MessageBoxW(nullptr, widen(text).c_str(), widen(Application::title()).c_str(),
                MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
}

void terminateProcess(int exitCode) {
    GdiFlush();
    ExitProcess(static_cast<UINT>(exitCode));
}

}  // namespace backend

}  // namespace platform
