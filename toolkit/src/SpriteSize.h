#pragma once
// The sprites' window sizes in twips, by shape index. The values are fixed twips (15 times the
// bitmaps' pixel sizes) and deliberately not recomputed from the screen's twips per pixel.

#include <cstdint>
#include <optional>

namespace toolkit {

struct SpriteSize {
    std::int32_t width;
    std::int32_t height;
};

// The size of sprite `index`, or nothing for an index without a sprite (51, the talk shape
// indices, anything else).
constexpr std::optional<SpriteSize> spriteSize(std::int32_t index) {
    if (index >= 0 && index <= 44) return SpriteSize{1185, 1440};
    switch (index) {
        case 45:
            return SpriteSize{105, 105};
        case 46:
            return SpriteSize{75, 75};
        case 47:
            return SpriteSize{60, 60};
        case 48:
            return SpriteSize{270, 330};
        case 49:
            return SpriteSize{180, 120};
        case 50:
            return SpriteSize{1185, 255};
        default:
            return std::nullopt;
    }
}

}  // namespace toolkit
