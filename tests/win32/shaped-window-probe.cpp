// Tells whether the Windows layer under test draws narrow shaped windows: shows two white
// popup windows cut by a window region, one 7 pixels wide (as narrow as the ball's window at
// one screen pixel per program pixel) and one 9 pixels wide, both 7 high, each cut to the
// rectangle 1 pixel inside its edges. A screenshot then finds 25 white pixels in the first
// and 35 in the second where both are drawn.
//
// Usage: shaped-window-probe.exe [LEFT TOP]: the narrow window at LEFT,TOP (default 10,10),
// the other 30 pixels to its right. Ends by itself after 60 s.
#include <windows.h>

#include <cstdlib>

namespace {

LRESULT CALLBACK probeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT all;
        GetClientRect(window, &all);
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        EndPaint(window, &ps);
        return 0;
    }
    case WM_TIMER:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int left = 10;
    int top = 10;
    if (__argc >= 3) {
        left = std::atoi(__argv[1]);
        top = std::atoi(__argv[2]);
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = probeProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"ShapedWindowProbe";
    if (!RegisterClassW(&wc)) return 1;
    const int widths[] = {7, 9};
    HWND first = nullptr;
    for (int i = 0; i < 2; ++i) {
        const int width = widths[i];
        HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"ShapedWindowProbe", L"",
                                      WS_POPUP, left + 30 * i, top, width, 7, nullptr, nullptr,
                                      instance, nullptr);
        if (!window) return 1;
        if (!first) first = window;
        SetWindowRgn(window, CreateRectRgn(1, 1, width - 1, 6), TRUE);
        ShowWindow(window, SW_SHOWNOACTIVATE);
    }
    SetTimer(first, 1, 60000, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
