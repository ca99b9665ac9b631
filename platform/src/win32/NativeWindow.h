#pragma once
// The receiver of a window's messages. The shared window procedure finds it through the
// window's user data (set from CreateWindowExW's last argument) and calls handle(); messages
// it does not handle go to DefWindowProcW. Internal to the Win32 backend.

#include <windows.h>

namespace platform::win32 {

class NativeWindow {
public:
    virtual ~NativeWindow() = default;
    // Returns true when the message was handled, with its result in `result`.
    virtual bool handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
    // The window is being destroyed (WM_NCDESTROY): forget its handle.
    virtual void detached(HWND hwnd) = 0;

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace platform::win32
