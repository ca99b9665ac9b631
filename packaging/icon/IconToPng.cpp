// Build-time tool: turns the program icon (a Windows .ico holding device-independent bitmaps)
// into the PNG files the desktop's icon theme wants, enlarged by whole factors with nearest-
// neighbour sampling so the pixel art stays crisp.
//
//     IconToPng <icon.ico> <output.png> <scale> [<output.png> <scale> ...]
//
// The PNG writer uses stored (uncompressed) deflate blocks: the icons are at most 128x128, and
// this keeps the tool free of any library beyond the standard one. Output is byte-for-byte
// reproducible (no timestamps).

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Image {
    int width = 0;
    int height = 0;
    Bytes rgba;  // rows top to bottom, 4 bytes per pixel
};

std::uint32_t readLe(const Bytes& data, std::size_t offset, int size) {
    if (offset + size > data.size()) throw std::runtime_error("icon file is truncated");
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | data[offset + i];
    return value;
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Picks the entry with the most pixels and, among those, the most bits per pixel.
std::size_t pickEntry(const Bytes& ico) {
    if (readLe(ico, 0, 2) != 0 || readLe(ico, 2, 2) != 1)
        throw std::runtime_error("not an icon file");
    const int count = static_cast<int>(readLe(ico, 4, 2));
    if (count == 0) throw std::runtime_error("icon file holds no image");
    std::size_t best = 0;
    std::uint32_t bestPixels = 0, bestBits = 0;
    for (int i = 0; i < count; ++i) {
        const std::size_t entry = 6 + 16 * static_cast<std::size_t>(i);
        const std::uint32_t w = ico.at(entry) ? ico.at(entry) : 256;
        const std::uint32_t h = ico.at(entry + 1) ? ico.at(entry + 1) : 256;
        const std::uint32_t bits = readLe(ico, entry + 6, 2);
        if (w * h > bestPixels || (w * h == bestPixels && bits > bestBits)) {
            best = entry;
            bestPixels = w * h;
            bestBits = bits;
        }
    }
    return best;
}

Image decodeIcon(const Bytes& ico) {
    const std::size_t entry = pickEntry(ico);
    const std::size_t dib = readLe(ico, entry + 12, 4);
    if (readLe(ico, dib, 4) == 0x474e5089)
        throw std::runtime_error("PNG icon entries are not supported");
    const std::uint32_t headerSize = readLe(ico, dib, 4);
    if (headerSize < 40) throw std::runtime_error("unsupported bitmap header");
    Image image;
    image.width = static_cast<std::int32_t>(readLe(ico, dib + 4, 4));
    // The stored height covers the colour bitmap and the transparency mask below it.
    image.height = static_cast<std::int32_t>(readLe(ico, dib + 8, 4)) / 2;
    const int bits = static_cast<int>(readLe(ico, dib + 14, 2));
    const std::uint32_t compression = readLe(ico, dib + 16, 4);
    std::uint32_t colours = readLe(ico, dib + 32, 4);
    if (image.width <= 0 || image.height <= 0 || image.width > 256 || image.height > 256)
        throw std::runtime_error("unsupported icon size");
    if (compression != 0) throw std::runtime_error("compressed icon bitmaps are not supported");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        throw std::runtime_error("unsupported bits per pixel");
    if (bits <= 8 && colours == 0) colours = 1u << bits;
    if (bits > 8) colours = 0;

    const std::size_t palette = dib + headerSize;
    const std::size_t colourRows = palette + 4 * static_cast<std::size_t>(colours);
    const std::size_t colourStride = ((static_cast<std::size_t>(image.width) * bits + 31) / 32) * 4;
    const std::size_t maskRows = colourRows + colourStride * image.height;
    const std::size_t maskStride = ((static_cast<std::size_t>(image.width) + 31) / 32) * 4;
    if (maskRows + maskStride * image.height > ico.size())
        throw std::runtime_error("icon file is truncated");

    image.rgba.resize(static_cast<std::size_t>(image.width) * image.height * 4);
    bool anyAlpha = false;
    for (int y = 0; y < image.height; ++y) {
        // Rows are stored bottom-up.
        const std::size_t row = colourRows + colourStride * (image.height - 1 - y);
        const std::size_t mask = maskRows + maskStride * (image.height - 1 - y);
        for (int x = 0; x < image.width; ++x) {
            std::uint8_t* out = &image.rgba[(static_cast<std::size_t>(y) * image.width + x) * 4];
            std::uint8_t b, g, r, a = 255;
            if (bits <= 8) {
                const std::size_t bitOffset = static_cast<std::size_t>(x) * bits;
                const std::uint8_t byte = ico[row + bitOffset / 8];
                const int shift = 8 - bits - static_cast<int>(bitOffset % 8);
                const std::uint32_t index = (byte >> shift) & ((1u << bits) - 1);
                if (index >= colours) throw std::runtime_error("palette index out of range");
                b = ico[palette + 4 * index];
                g = ico[palette + 4 * index + 1];
                r = ico[palette + 4 * index + 2];
            } else {
                const std::size_t p = row + static_cast<std::size_t>(x) * (bits / 8);
                b = ico[p];
                g = ico[p + 1];
                r = ico[p + 2];
                if (bits == 32) {
                    a = ico[p + 3];
                    anyAlpha = anyAlpha || a != 0;
                }
            }
            const bool masked = (ico[mask + x / 8] >> (7 - x % 8)) & 1;
            out[0] = r;
            out[1] = g;
            out[2] = b;
            out[3] = masked ? 0 : a;
        }
    }
    // A 32-bit bitmap whose alpha bytes are all zero carries its transparency in the mask only.
    if (bits == 32 && !anyAlpha) {
        for (int y = 0; y < image.height; ++y) {
            const std::size_t mask = maskRows + maskStride * (image.height - 1 - y);
            for (int x = 0; x < image.width; ++x) {
                const bool masked = (ico[mask + x / 8] >> (7 - x % 8)) & 1;
                image.rgba[(static_cast<std::size_t>(y) * image.width + x) * 4 + 3] =
                    masked ? 0 : 255;
            }
        }
    }
    // Transparent pixels carry no colour, so the files do not depend on what the mask hides.
    for (std::size_t i = 0; i < image.rgba.size(); i += 4)
        if (image.rgba[i + 3] == 0) image.rgba[i] = image.rgba[i + 1] = image.rgba[i + 2] = 0;
    return image;
}

Image enlarge(const Image& source, int scale) {
    Image result;
    result.width = source.width * scale;
    result.height = source.height * scale;
    result.rgba.resize(static_cast<std::size_t>(result.width) * result.height * 4);
    for (int y = 0; y < result.height; ++y)
        for (int x = 0; x < result.width; ++x)
            for (int c = 0; c < 4; ++c)
                result.rgba[(static_cast<std::size_t>(y) * result.width + x) * 4 + c] =
                    source
                        .rgba[(static_cast<std::size_t>(y / scale) * source.width + x / scale) * 4 +
                              c];
    return result;
}

std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xff] ^ (crc >> 8);
    return ~crc;
}

void putBe(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back((value >> shift) & 0xff);
}

void putChunk(Bytes& out, const char* type, const Bytes& data) {
    putBe(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBe(out, crc32(&out[start], out.size() - start));
}

// A zlib stream of stored deflate blocks.
Bytes zlibStored(const Bytes& raw) {
    Bytes out{0x78, 0x01};
    std::size_t pos = 0;
    do {
        const std::size_t len = std::min<std::size_t>(65535, raw.size() - pos);
        const bool last = pos + len == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(len & 0xff);
        out.push_back((len >> 8) & 0xff);
        out.push_back(~len & 0xff);
        out.push_back((~len >> 8) & 0xff);
        out.insert(out.end(), raw.begin() + pos, raw.begin() + pos + len);
        pos += len;
    } while (pos < raw.size());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putBe(out, (b << 16) | a);
    return out;
}

Bytes encodePng(const Image& image) {
    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    Bytes header;
    putBe(header, image.width);
    putBe(header, image.height);
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter, no interlace
    putChunk(png, "IHDR", header);
    Bytes raw;
    const std::size_t stride = static_cast<std::size_t>(image.width) * 4;
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);  // filter type None
        raw.insert(raw.end(), image.rgba.begin() + y * stride,
                   image.rgba.begin() + (y + 1) * stride);
    }
    putChunk(png, "IDAT", zlibStored(raw));
    putChunk(png, "IEND", {});
    return png;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || argc % 2 != 0) {
        std::fprintf(stderr, "usage: %s icon.ico out.png scale [out.png scale ...]\n", argv[0]);
        return 2;
    }
    try {
        const Image icon = decodeIcon(readFile(argv[1]));
        for (int i = 2; i + 1 < argc; i += 2) {
            const int scale = std::stoi(argv[i + 1]);
            if (scale < 1 || scale > 16) throw std::runtime_error("scale must be 1 to 16");
            const Bytes png = encodePng(enlarge(icon, scale));
            std::ofstream out(argv[i], std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(png.data()),
                      static_cast<std::streamsize>(png.size()));
            if (!out) throw std::runtime_error(std::string("cannot write ") + argv[i]);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
    return 0;
}
