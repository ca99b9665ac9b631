#include "IcoEncoder.h"

#include <stdexcept>

namespace shapes::tooling {
namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

}  // namespace

std::vector<std::uint8_t> encodeIco(const SpriteImage& image,
                                    const std::vector<bool>& transparent) {
    const int w = image.width();
    const int h = image.height();
    if (!image.hasPalette() || w > 256 || h > 256 ||
        transparent.size() != static_cast<std::size_t>(w) * h) {
        throw std::invalid_argument("an icon takes a palette image of at most 256 x 256");
    }
    const std::size_t colourStride = (static_cast<std::size_t>(w) + 3) / 4 * 4;
    const std::size_t maskStride = (static_cast<std::size_t>(w) + 31) / 32 * 4;
    const std::size_t imageBytes = 40 + 256 * 4 + (colourStride + maskStride) * h;

    std::vector<std::uint8_t> out;
    put16(out, 0);
    put16(out, 1);  // icon
    put16(out, 1);  // one image
    out.push_back(static_cast<std::uint8_t>(w == 256 ? 0 : w));
    out.push_back(static_cast<std::uint8_t>(h == 256 ? 0 : h));
    out.push_back(0);  // 256 colours
    out.push_back(0);
    put16(out, 1);  // planes
    put16(out, 8);  // bits per pixel
    put32(out, static_cast<std::uint32_t>(imageBytes));
    put32(out, 6 + 16);

    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(w));
    put32(out, static_cast<std::uint32_t>(h * 2));  // colour rows and mask rows
    put16(out, 1);
    put16(out, 8);
    put32(out, 0);
    put32(out, static_cast<std::uint32_t>((colourStride + maskStride) * h));
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    for (const Rgb& c : image.palette()) {
        out.insert(out.end(), {c.b, c.g, c.r, 0});
    }
    auto clear = [&](int x, int y) { return transparent[static_cast<std::size_t>(y) * w + x]; };
    for (int y = h - 1; y >= 0; --y) {
        const std::size_t start = out.size();
        for (int x = 0; x < w; ++x) out.push_back(clear(x, y) ? 0 : image.index(x, y));
        out.resize(start + colourStride, 0);
    }
    for (int y = h - 1; y >= 0; --y) {
        const std::size_t start = out.size();
        out.resize(start + maskStride, 0);
        for (int x = 0; x < w; ++x) {
            if (clear(x, y)) out[start + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    }
    return out;
}

}  // namespace shapes::tooling
