#pragma once
// What every sprite bitmap must be: its file name under shapes/art/, size, depth, resolution and
// the key colour of its top-left pixel, by shape index 0..50.

#include <string>

#include "SpriteImage.h"

namespace shapes::tooling {

struct SpriteSpec {
    const char* what;
    int width;
    int height;
    int bitsPerPixel;
    int pixelsPerMetre;
    Rgb key;
};

inline constexpr int kGolferFrameCount = 45;  // shape indices 0..44
inline constexpr int kBallLarge = 45;
inline constexpr int kBallMiddle = 46;
inline constexpr int kBallSmall = 47;
inline constexpr int kControlButton = 48;
inline constexpr int kHole = 49;
inline constexpr int kPowerGauge = 50;
inline constexpr int kMaxSpriteRects = 206;

// Throws std::out_of_range outside 0..50.
const SpriteSpec& spriteSpec(int index);
// "sprite_00.bmp" ... "sprite_50.bmp".
std::string spriteFileName(int index);

inline constexpr const char* kIconIcoFileName = "program_icon.ico";
inline constexpr const char* kIconPngFileName = "program_icon.png";

}  // namespace shapes::tooling
