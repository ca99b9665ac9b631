#include "BmpCodec.h"

#include <cstddef>
#include <string>

namespace shapes::tooling {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kPaletteEntries = 256;

std::size_t rowStride(int width, int bitsPerPixel) {
    const std::size_t bytes = static_cast<std::size_t>(width) * (bitsPerPixel / 8);
    return (bytes + 3) / 4 * 4;
}

void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

class Reader {
public:
    explicit Reader(const std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}
    std::uint32_t u16(std::size_t at) const {
        need(at, 2);
        return std::uint32_t{m_bytes[at]} | (std::uint32_t{m_bytes[at + 1]} << 8);
    }
    std::uint32_t u32(std::size_t at) const { return u16(at) | (u16(at + 2) << 16); }
    std::int32_t s32(std::size_t at) const { return static_cast<std::int32_t>(u32(at)); }
    std::uint8_t u8(std::size_t at) const {
        need(at, 1);
        return m_bytes[at];
    }
    void need(std::size_t at, std::size_t count) const {
        if (at > m_bytes.size() || count > m_bytes.size() - at) {
            throw BmpError("truncated file: needs " + std::to_string(at + count) + " bytes, has " +
                           std::to_string(m_bytes.size()));
        }
    }

private:
    const std::vector<std::uint8_t>& m_bytes;
};

}  // namespace

std::vector<std::uint8_t> encodeBmp(const SpriteImage& image) {
    const int bpp = image.bitsPerPixel();
    const std::size_t stride = rowStride(image.width(), bpp);
    const std::size_t paletteBytes = image.hasPalette() ? kPaletteEntries * 4 : 0;
    const std::size_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + paletteBytes;
    const std::size_t imageBytes = stride * static_cast<std::size_t>(image.height());
    const std::size_t fileSize = pixelOffset + imageBytes;

    std::vector<std::uint8_t> out;
    out.reserve(fileSize);
    out.push_back('B');
    out.push_back('M');
    put32(out, static_cast<std::uint32_t>(fileSize));
    put32(out, 0);
    put32(out, static_cast<std::uint32_t>(pixelOffset));

    put32(out, kInfoHeaderSize);
    put32(out, static_cast<std::uint32_t>(image.width()));
    put32(out, static_cast<std::uint32_t>(image.height()));  // positive: rows bottom-up
    put16(out, 1);
    put16(out, static_cast<std::uint32_t>(bpp));
    put32(out, 0);  // no compression
    put32(out, static_cast<std::uint32_t>(imageBytes));
    put32(out, static_cast<std::uint32_t>(image.pixelsPerMetre()));
    put32(out, static_cast<std::uint32_t>(image.pixelsPerMetre()));
    put32(out, 0);  // colours used: 0 means the full 256
    put32(out, 0);

    if (image.hasPalette()) {
        for (const Rgb& c : image.palette()) {
            out.push_back(c.b);
            out.push_back(c.g);
            out.push_back(c.r);
            out.push_back(0);
        }
    }
    for (int y = image.height() - 1; y >= 0; --y) {
        const std::size_t rowStart = out.size();
        for (int x = 0; x < image.width(); ++x) {
            if (image.hasPalette()) {
                out.push_back(image.index(x, y));
            } else {
                const Rgb c = image.colour(x, y);
                out.push_back(c.b);
                out.push_back(c.g);
                out.push_back(c.r);
            }
        }
        out.resize(rowStart + stride, 0);
    }
    return out;
}

SpriteImage decodeBmp(const std::vector<std::uint8_t>& bytes) {
    const Reader in(bytes);
    if (in.u8(0) != 'B' || in.u8(1) != 'M') throw BmpError("not a BMP file (no \"BM\" signature)");
    const std::uint32_t pixelOffset = in.u32(10);
    const std::uint32_t infoSize = in.u32(14);
    if (infoSize < kInfoHeaderSize) {
        throw BmpError("unsupported info header of " + std::to_string(infoSize) + " bytes");
    }
    const std::int32_t width = in.s32(18);
    const std::int32_t rawHeight = in.s32(22);
    const std::uint32_t planes = in.u16(26);
    const std::uint32_t bpp = in.u16(28);
    const std::uint32_t compression = in.u32(30);
    const std::int32_t ppm = in.s32(38);
    const std::uint32_t coloursUsed = in.u32(46);
    if (planes != 1) throw BmpError("unsupported plane count " + std::to_string(planes));
    if (compression != 0) throw BmpError("compressed bitmaps are not supported");
    if (bpp != 8 && bpp != 24) {
        throw BmpError("unsupported depth of " + std::to_string(bpp) + " bits per pixel");
    }
    const bool topDown = rawHeight < 0;
    const std::int64_t height = topDown ? -std::int64_t{rawHeight} : rawHeight;
    constexpr std::int64_t kMaxSide = 1 << 15;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
        throw BmpError("unsupported size " + std::to_string(width) + " x " +
                       std::to_string(height));
    }

    SpriteImage image(width, static_cast<int>(height), static_cast<int>(bpp));
    image.setPixelsPerMetre(ppm);
    if (bpp == 8) {
        const std::uint32_t entries = coloursUsed == 0 ? kPaletteEntries : coloursUsed;
        if (entries > kPaletteEntries) {
            throw BmpError("palette of " + std::to_string(entries) + " entries");
        }
        const std::size_t paletteAt = kFileHeaderSize + infoSize;
        in.need(paletteAt, entries * 4);
        for (std::uint32_t i = 0; i < entries; ++i) {
            const std::size_t at = paletteAt + i * 4;
            image.setPaletteEntry(static_cast<int>(i),
                                  Rgb{in.u8(at + 2), in.u8(at + 1), in.u8(at)});
        }
    }
    const std::size_t stride = rowStride(width, static_cast<int>(bpp));
    in.need(pixelOffset, stride * static_cast<std::size_t>(height));
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : static_cast<int>(height) - 1 - row;
        const std::size_t rowAt = pixelOffset + static_cast<std::size_t>(row) * stride;
        for (int x = 0; x < width; ++x) {
            if (bpp == 8) {
                image.setIndex(x, y, in.u8(rowAt + static_cast<std::size_t>(x)));
            } else {
                const std::size_t at = rowAt + static_cast<std::size_t>(x) * 3;
                image.setColour(x, y, Rgb{in.u8(at + 2), in.u8(at + 1), in.u8(at)});
            }
        }
    }
    return image;
}

}  // namespace shapes::tooling
