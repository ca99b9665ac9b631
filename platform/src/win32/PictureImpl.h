#pragma once
// The native side of a Picture: its pixels as a top-down 32-bit device-independent bitmap,
// ready for BitBlt. Internal to the Win32 backend.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/Picture.h"

namespace platform {

struct Picture::Impl {
    int width = 0;
    int height = 0;
    // 0x00RRGGBB per pixel, rows top to bottom (the memory layout of a 32-bit DIB).
    std::vector<std::uint32_t> pixels;

    Impl() = default;
    Impl(const Impl& other) : width(other.width), height(other.height), pixels(other.pixels) {}
    ~Impl();

    // A DIB section holding the pixels, made on first use and kept.
    HBITMAP bitmap() const;

private:
    mutable HBITMAP m_bitmap = nullptr;
};

}  // namespace platform
