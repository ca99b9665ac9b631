#pragma once
// An uncompressed bitmap as the sprite files hold it: 8 bits per pixel with a 256-entry palette,
// or 24 bits per pixel with the colour in each pixel. Host-side only (drawing and deriving art).

#include <array>
#include <cstdint>
#include <vector>

namespace shapes::tooling {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

class SpriteImage {
public:
    SpriteImage() = default;
    // bitsPerPixel is 8 (palette) or 24; every pixel starts as palette index 0 or black.
    SpriteImage(int width, int height, int bitsPerPixel);

    int width() const { return m_width; }
    int height() const { return m_height; }
    int bitsPerPixel() const { return m_bitsPerPixel; }
    bool hasPalette() const { return m_bitsPerPixel == 8; }
    std::int32_t pixelsPerMetre() const { return m_pixelsPerMetre; }
    void setPixelsPerMetre(std::int32_t value) { m_pixelsPerMetre = value; }

    const std::array<Rgb, 256>& palette() const { return m_palette; }
    void setPaletteEntry(int index, Rgb colour) { m_palette.at(index) = colour; }

    // Palette images: the index of a pixel.
    std::uint8_t index(int x, int y) const;
    void setIndex(int x, int y, std::uint8_t index);
    // The colour of a pixel, through the palette where there is one.
    Rgb colour(int x, int y) const;
    // 24-bit images only.
    void setColour(int x, int y, Rgb colour);

    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }
    // Same size, depth, resolution and pixels; the palette counts only where there is one.
    bool operator==(const SpriteImage& other) const;

private:
    std::size_t offset(int x, int y) const;

    int m_width = 0;
    int m_height = 0;
    int m_bitsPerPixel = 8;
    std::int32_t m_pixelsPerMetre = 0;
    std::array<Rgb, 256> m_palette{};
    std::vector<std::uint32_t> m_pixels;  // palette index, or 0xRRGGBB
};

}  // namespace shapes::tooling
