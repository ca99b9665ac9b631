#pragma once
// 24-bit colours in the program's own layout: red in the low byte, then green, then blue
// (0x00BBGGRR), so rgb(255, 0, 0) == 0x0000FF.

#include <cstdint>

namespace platform {

using Color = std::uint32_t;

constexpr Color rgb(int red, int green, int blue) {
    return static_cast<Color>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int redOf(Color c) { return static_cast<int>(c & 0xFF); }
constexpr int greenOf(Color c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int blueOf(Color c) { return static_cast<int>((c >> 16) & 0xFF); }

inline constexpr Color kBlack = rgb(0, 0, 0);
inline constexpr Color kWhite = rgb(255, 255, 255);

}  // namespace platform
