#pragma once
// The native side of a Region: one GDI region handle, owned. Internal to the Win32 backend.

#include <windows.h>

#include "platform/Region.h"

namespace platform {

struct Region::Impl {
    HRGN handle = nullptr;

    ~Impl() {
        if (handle) DeleteObject(handle);
    }
    // Gives the handle away (to SetWindowRgn, which owns it from then on).
    HRGN release() {
        HRGN h = handle;
        handle = nullptr;
        return h;
    }
};

}  // namespace platform
