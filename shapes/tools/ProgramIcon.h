#pragma once
// The program icon: 32 x 32, 256 colours, a golfer seen close up at the finish of a swing,
// arms raised over the head holding the club, on grass with a hole at the lower right; the area
// around the figure above the grass is transparent.

#include <cstdint>
#include <vector>

#include "PngEncoder.h"
#include "SpriteImage.h"

namespace shapes::tooling {

struct ProgramIcon {
    SpriteImage image;              // 8 bits per pixel
    std::vector<bool> transparent;  // one flag a pixel, rows top-down

    static ProgramIcon draw();
    RgbaPicture rgba() const;
    std::vector<std::uint8_t> icoFile() const;
    std::vector<std::uint8_t> pngFile() const;
};

}  // namespace shapes::tooling
