#include "PngEncoder.h"

#include <zlib.h>

#include <stdexcept>
#include <string_view>

namespace shapes::tooling {
namespace {

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 24));
    out.push_back(static_cast<std::uint8_t>(v >> 16));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

void chunk(std::vector<std::uint8_t>& out, std::string_view type,
           const std::vector<std::uint8_t>& data) {
    put32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + typeAt, static_cast<uInt>(out.size() - typeAt));
    put32(out, static_cast<std::uint32_t>(crc));
}

std::vector<std::uint8_t> storedZlib(const std::vector<std::uint8_t>& raw) {
    std::vector<std::uint8_t> out{0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t n = std::min<std::size_t>(raw.size() - at, 65535);
        out.push_back(at + n == raw.size() ? 1 : 0);
        out.push_back(static_cast<std::uint8_t>(n));
        out.push_back(static_cast<std::uint8_t>(n >> 8));
        out.push_back(static_cast<std::uint8_t>(~n));
        out.push_back(static_cast<std::uint8_t>(~n >> 8));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                   raw.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    } while (at < raw.size());
    put32(out, static_cast<std::uint32_t>(adler32(1L, raw.data(), static_cast<uInt>(raw.size()))));
    return out;
}

std::vector<std::uint8_t> compressedZlib(const std::vector<std::uint8_t>& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> out(size);
    if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK) {
        throw std::runtime_error("PNG compression failed");
    }
    out.resize(size);
    return out;
}

}  // namespace

void RgbaPicture::set(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                      std::uint8_t a) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4;
    rgba[i] = r;
    rgba[i + 1] = g;
    rgba[i + 2] = b;
    rgba[i + 3] = a;
}

std::vector<std::uint8_t> encodePng(const RgbaPicture& picture, PngPacking packing) {
    std::vector<std::uint8_t> raw;
    raw.reserve(static_cast<std::size_t>(picture.height) * (picture.width * 4 + 1));
    for (int y = 0; y < picture.height; ++y) {
        raw.push_back(0);  // no filter
        const auto row = picture.rgba.begin() + static_cast<std::ptrdiff_t>(y) * picture.width * 4;
        raw.insert(raw.end(), row, row + picture.width * 4);
    }
    std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    put32(header, static_cast<std::uint32_t>(picture.width));
    put32(header, static_cast<std::uint32_t>(picture.height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter, no interlace
    chunk(out, "IHDR", header);
    chunk(out, "IDAT", packing == PngPacking::Stored ? storedZlib(raw) : compressedZlib(raw));
    chunk(out, "IEND", {});
    return out;
}

}  // namespace shapes::tooling
