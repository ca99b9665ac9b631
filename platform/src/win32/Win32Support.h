#pragma once
// Helpers of the Win32 backend: text conversion between the program's UTF-8 and the wide
// strings of the Win32 calls, unit conversion, the window classes and the hidden host window,
// and fonts by the program's face names. Internal to the window layer.

#include <windows.h>

#include <string>
#include <string_view>

namespace platform::win32 {

// UTF-8 to UTF-16 and back (MultiByteToWideChar / WideCharToMultiByte with CP_UTF8), so the
// Japanese captions show whatever the system's ANSI code page is.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);
// UTF-8 to the system's ANSI code page, for the ...A calls.
std::string toAnsi(std::string_view utf8);

HINSTANCE instance();

// Twips to whole pixels (nearest, an exact half to the even neighbour) and back, with the
// screen's twips per pixel.
int twipsToPixelsX(double twips);
int twipsToPixelsY(double twips);
float pixelsToTwipsX(int pixels);
float pixelsToTwipsY(int pixels);

// The program works in pixels of a 96-dpi screen (15 twips per pixel on every system). On a
// denser screen the window layer shows each of them as a square of deviceScale() screen pixels,
// the whole number floor(dpi / 96): sprites, window shapes and hit areas stay pixel-exact where
// a fractional factor would blur or fray them. The program declares itself DPI-aware in its
// manifest, so the system does not stretch its windows behind its back.
int deviceScale();
// Overrides the scale read from the system (0 goes back to the system's).
void setDeviceScaleForTests(int scale);
// Program pixels to screen pixels, and back (rounded down, so a screen pixel belongs to the
// program pixel that covers it).
int toDevice(int pixels);
int fromDevice(int devicePixels);
// Screen pixels to the program pixels that cover them all (rounded up): sizes of back buffers.
int fromDeviceCeil(int devicePixels);
// A copy of a region with every coordinate multiplied by multiply and divided by divide.
HRGN scaledRegion(HRGN region, int multiply, int divide);

// Window classes: top-level windows and child controls share one window procedure that hands
// every message to the NativeWindow stored with the window.
const wchar_t* topLevelClass();
const wchar_t* childClass();
// A hidden top-level window that owns the program's dialogs (so they stay out of the taskbar)
// and receives the system clock's timer messages.
HWND hostWindow();
// The host window's procedure (the system clock's timers).
LRESULT CALLBACK hostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// A font by the program's face name and size in points. A face the system lacks is replaced
// by a metric-compatible installed one where one is known, else left to the font mapper with
// the Japanese character set so Japanese text still finds glyphs.
// scale multiplies the height in pixels (deviceScale() for text drawn straight on the screen).
HFONT createFont(const std::string& faceName, float points, bool bold, int scale = 1);

// Whether the font has a glyph for every character of the text (no font linking counted).
bool fontHasGlyphs(HFONT font, const std::wstring& text);
// The system's menu font for a menu caption: the font itself where it has the caption's
// glyphs, else the same face with the Japanese character set, which the font mapper answers
// with an installed face that has them (a system whose menu face lacks Japanese glyphs would
// otherwise show boxes). nullptr when the system's own menu drawing serves.
HFONT menuFallbackFont(const std::wstring& caption);

// The window shown modally at the moment (nullptr when none): event passes give it the dialog
// keys (Enter for the default button, Escape for the cancel button).
HWND modalWindow();
void setModalWindow(HWND hwnd);

// The program's icon from the executable's resources (id 1), or the system's default icon.
HICON programIcon(bool small);

}  // namespace platform::win32
