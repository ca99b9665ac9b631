#pragma once
// Reading and writing the uncompressed device-independent bitmap file layout of the sprites:
// a 14-byte file header ("BM"), a 40-byte info header, for 8 bits per pixel a 256-entry palette
// (pixels at byte 1078), for 24 bits none (pixels at byte 54), rows bottom-up, each padded to a
// multiple of 4 bytes.

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "SpriteImage.h"

namespace shapes::tooling {

class BmpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::vector<std::uint8_t> encodeBmp(const SpriteImage& image);
// Accepts what encodeBmp writes, and also top-down rows and shorter palettes; anything else
// (compression, other depths, truncated data) throws BmpError.
SpriteImage decodeBmp(const std::vector<std::uint8_t>& bytes);

}  // namespace shapes::tooling
