#pragma once
// Direct X11 requests the Qt API does not offer. All of them do nothing on another platform
// (offscreen in tests). Internal to the Qt backend.

#include <cstdint>

namespace platform::qt::x11 {

// True when Qt runs on the xcb platform.
bool active();
// Sends everything queued for the X server now.
void flush();
// Keeps a not-yet-mapped top-level window out of the taskbar and the pager.
void setSkipTaskbarAndPager(std::uintptr_t window);

}  // namespace platform::qt::x11
