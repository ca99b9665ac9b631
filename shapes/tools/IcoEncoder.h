#pragma once
// A one-image icon file: 256 colours with a palette, and a mask for the transparent area.

#include <cstdint>
#include <vector>

#include "SpriteImage.h"

namespace shapes::tooling {

// image: 8 bits per pixel; transparent[y * width + x] marks the pixels the mask leaves out.
std::vector<std::uint8_t> encodeIco(const SpriteImage& image, const std::vector<bool>& transparent);

}  // namespace shapes::tooling
