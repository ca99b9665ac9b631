// The real clock of the Win32 backend: GetTickCount, Sleep, PeekMessage event passes and
// SetTimer timers on the hidden host window.

#include <windows.h>

#include <map>

#include "common/Backend.h"
#include "platform/Clock.h"
#include "win32/Win32Support.h"

namespace platform {

namespace {

// Every event pass stops after this many messages, so a window that keeps posting cannot hold
// the caller in one pass for ever.
constexpr int kMaxMessagesPerPass = 10000;

class Win32Timer;

// Timer ids of the host window to their timers; WM_TIMER is looked up here.
std::map<UINT_PTR, Win32Timer*>& timers() {
    static std::map<UINT_PTR, Win32Timer*> map;
    return map;
}

class Win32Timer : public TimerBackend {
public:
    explicit Win32Timer(std::function<void()> onExpiry) : m_onExpiry(std::move(onExpiry)) {
        static UINT_PTR nextId = 1;
        m_id = nextId++;
        timers()[m_id] = this;
    }
    ~Win32Timer() override {
        stop();
        timers().erase(m_id);
    }
    void start(int intervalMs) override {
        // SetTimer on an id that runs already replaces it, so the interval starts afresh.
        SetTimer(win32::hostWindow(), m_id, static_cast<UINT>(intervalMs > 0 ? intervalMs : 1),
                 nullptr);
        m_running = true;
    }
    void stop() override {
        if (m_running) KillTimer(win32::hostWindow(), m_id);
        m_running = false;
    }
    void expire() {
        if (m_running && m_onExpiry) m_onExpiry();
    }

private:
    UINT_PTR m_id = 0;
    bool m_running = false;
    std::function<void()> m_onExpiry;
};

class Win32Clock : public Clock {
public:
    std::int32_t tickCount() override {
        return static_cast<std::int32_t>(
            static_cast<std::uint32_t>(coarseTicks(static_cast<std::int64_t>(GetTickCount64()))));
    }
    void sleep(int milliseconds) override {
        if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
    }
    void doEvents() override {
        MSG msg;
        for (int i = 0; i < kMaxMessagesPerPass && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
             ++i) {
            if (msg.message == WM_QUIT) {
                // Keep the quit request for the main loop.
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            HWND modal = win32::modalWindow();
            if (modal && IsWindow(modal) && IsDialogMessageW(modal, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    void waitEvents(int maxMilliseconds) override {
        MsgWaitForMultipleObjectsEx(0, nullptr,
                                    static_cast<DWORD>(maxMilliseconds > 0 ? maxMilliseconds : 0),
                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        doEvents();
    }
    std::unique_ptr<TimerBackend> createTimer(std::function<void()> onExpiry) override {
        return std::make_unique<Win32Timer>(std::move(onExpiry));
    }
};

}  // namespace

namespace backend {

Clock& systemClock() {
    static Win32Clock clock;
    return clock;
}

}  // namespace backend

namespace win32 {

// Timer messages arrive here from every message loop, also those of popup menus and message
// boxes, so the timers keep ticking while those are open.
LRESULT CALLBACK hostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        auto it = timers().find(wParam);
        if (it != timers().end()) it->second->expire();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace win32

}  // namespace platform
