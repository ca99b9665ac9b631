#pragma once
// A minimal animated GIF writer: frames of palette indices sharing one palette, looping
// forever. The codes are written without compression (a clear code before the table grows),
// which keeps the writer short; the files are only for looking at the swing.

#include <cstdint>
#include <vector>

#include "SpriteImage.h"

namespace shapes::tooling {

struct GifFrame {
    std::vector<std::uint8_t> indices;  // width * height, rows top-down
    int delayCentiseconds = 2;
};

std::vector<std::uint8_t> encodeGif(int width, int height, const std::vector<Rgb>& palette,
                                    const std::vector<GifFrame>& frames);

}  // namespace shapes::tooling
