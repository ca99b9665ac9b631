#include "SpriteImage.h"

#include <stdexcept>
#include <string>

namespace shapes::tooling {

SpriteImage::SpriteImage(int width, int height, int bitsPerPixel)
    : m_width(width), m_height(height), m_bitsPerPixel(bitsPerPixel) {
    if (width <= 0 || height <= 0 || (bitsPerPixel != 8 && bitsPerPixel != 24)) {
        throw std::invalid_argument("unsupported image: " + std::to_string(width) + " x " +
                                    std::to_string(height) + ", " + std::to_string(bitsPerPixel) +
                                    " bits per pixel");
    }
    m_pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
}

std::size_t SpriteImage::offset(int x, int y) const {
    if (!contains(x, y)) {
        throw std::out_of_range("pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                                ") outside the image");
    }
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
           static_cast<std::size_t>(x);
}

std::uint8_t SpriteImage::index(int x, int y) const {
    if (!hasPalette()) throw std::logic_error("a 24-bit image has no palette indices");
    return static_cast<std::uint8_t>(m_pixels[offset(x, y)]);
}

void SpriteImage::setIndex(int x, int y, std::uint8_t index) {
    if (!hasPalette()) throw std::logic_error("a 24-bit image has no palette indices");
    m_pixels[offset(x, y)] = index;
}

Rgb SpriteImage::colour(int x, int y) const {
    const std::uint32_t value = m_pixels[offset(x, y)];
    if (hasPalette()) return m_palette[value];
    return Rgb{static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
               static_cast<std::uint8_t>(value)};
}

void SpriteImage::setColour(int x, int y, Rgb colour) {
    if (hasPalette()) throw std::logic_error("a palette image takes indices, not colours");
    m_pixels[offset(x, y)] =
        (std::uint32_t{colour.r} << 16) | (std::uint32_t{colour.g} << 8) | std::uint32_t{colour.b};
}

bool SpriteImage::operator==(const SpriteImage& other) const {
    return m_width == other.m_width && m_height == other.m_height &&
           m_bitsPerPixel == other.m_bitsPerPixel && m_pixelsPerMetre == other.m_pixelsPerMetre &&
           m_pixels == other.m_pixels && (!hasPalette() || m_palette == other.m_palette);
}

}  // namespace shapes::tooling
