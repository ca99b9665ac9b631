#pragma once
// A minimal PNG writer for 8-bit RGBA pictures (the program icon, the contact sheets).

#include <cstdint>
#include <vector>

namespace shapes::tooling {

struct RgbaPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // 4 bytes a pixel, rows top-down

    RgbaPicture() = default;
    RgbaPicture(int w, int h) : width(w), height(h), rgba(static_cast<std::size_t>(w) * h * 4) {}
    void set(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255);
};

enum class PngPacking {
    // Deflate's stored blocks: the bytes do not depend on the compression library's version,
    // so a committed file can be re-created exactly.
    Stored,
    Compressed,
};

std::vector<std::uint8_t> encodePng(const RgbaPicture& picture, PngPacking packing);

}  // namespace shapes::tooling
