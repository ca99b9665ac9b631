// The test world on the Win32 backend: real (hidden until shown) Win32 windows, a virtual
// clock, a fixed screen, a temporary settings folder and recorded message boxes and ends.

#include "platform/testing/TestEnvironment.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/Form.h"
#include "platform/Menu.h"
#include "win32/Win32Support.h"

namespace platform::testing {

namespace {

std::string makeTemporaryFolder() {
    static std::atomic<unsigned> counter{0};
    char base[MAX_PATH + 1] = {};
    DWORD n = GetTempPathA(MAX_PATH, base);
    std::string root = n ? std::string(base, n) : std::string(".\\");
    if (!root.empty() && root.back() != '\\' && root.back() != '/') root += '\\';
    for (;;) {
        std::string folder = root + "kiprun-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(counter++);
        if (CreateDirectoryA(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return root.substr(0, root.size() - 1);
    }
}

void removeFolder(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeFolder(path);
            } else {
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

BOOL CALLBACK countWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

BOOL CALLBACK countWindowAndChildren(HWND window, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(window, countWindow, count);
    return TRUE;
}

}  // namespace

void ensureApplication() {
    static int argc = 1;
    static char name[] = "DskKPR";
    static char* argv[] = {name, nullptr};
    static Application application(argc, argv);
}

TestEnvironment::TestEnvironment(ScreenMetrics screen)
    : m_random(std::make_unique<DefaultRandomSource>()) {
    ensureApplication();
    setClock(&m_clock);
    Screen::setFixed(screen);
    // The fixed screen's pixels are the system's, whatever DPI the test machine is set to.
    win32::setDeviceScaleForTests(1);
    m_folder = makeTemporaryFolder();
    Application::setPathForTests(m_folder, "DskKPR");
    setMessageBoxHandler([this](const std::string& text) { m_messages.push_back(text); });
    setEndHandler([this] {
        ++m_endCount;
        resetFormsForTests();
    });
    // Without a scripted answer a popup menu closes with nothing chosen.
    setPopupMenuHandler([](MenuItem&) -> MenuItem* { return nullptr; });
    setRandomSource(m_random.get());
}

TestEnvironment::~TestEnvironment() {
    resetFormsForTests();
    setRandomSource(nullptr);
    setPopupMenuHandler(nullptr);
    setEndHandler(nullptr);
    setMessageBoxHandler(nullptr);
    setClock(nullptr);
    Screen::setFixed(std::nullopt);
    win32::setDeviceScaleForTests(0);
    removeFolder(m_folder);
}

int nativeWindowCount() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), countWindowAndChildren,
                      reinterpret_cast<LPARAM>(&count));
    return count;
}

std::string TestEnvironment::iniPath() const {
    // Spelt as the toolkit spells the settings path, so the two compare equal.
    return m_folder + "/DskKPR.ini";
}

void TestEnvironment::setPopupChoice(std::function<MenuItem*(MenuItem& menu)> choose) {
    if (!choose) {
        setPopupMenuHandler([](MenuItem&) -> MenuItem* { return nullptr; });
        return;
    }
    setPopupMenuHandler(std::move(choose));
}

void TestEnvironment::setRandomSequence(std::vector<float> values) {
    m_random = std::make_unique<SequenceRandomSource>(std::move(values));
    setRandomSource(m_random.get());
}

}  // namespace platform::testing
