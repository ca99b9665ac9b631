#include "GifEncoder.h"

#include <stdexcept>

namespace shapes::tooling {
namespace {

void put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

class CodeWriter {
public:
    explicit CodeWriter(std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}
    void write(unsigned code, int width) {
        m_bits |= static_cast<std::uint32_t>(code) << m_count;
        m_count += width;
        while (m_count >= 8) {
            m_bytes.push_back(static_cast<std::uint8_t>(m_bits));
            m_bits >>= 8;
            m_count -= 8;
        }
    }
    void flush() {
        if (m_count > 0) m_bytes.push_back(static_cast<std::uint8_t>(m_bits));
        m_bits = 0;
        m_count = 0;
    }

private:
    std::vector<std::uint8_t>& m_bytes;
    std::uint32_t m_bits = 0;
    int m_count = 0;
};

}  // namespace

std::vector<std::uint8_t> encodeGif(int width, int height, const std::vector<Rgb>& palette,
                                    const std::vector<GifFrame>& frames) {
    if (palette.empty() || palette.size() > 256) throw std::invalid_argument("GIF palette size");
    std::vector<std::uint8_t> out{'G', 'I', 'F', '8', '9', 'a'};
    put16(out, static_cast<unsigned>(width));
    put16(out, static_cast<unsigned>(height));
    out.push_back(0xF7);  // global table of 256 entries
    out.push_back(0);
    out.push_back(0);
    for (std::size_t i = 0; i < 256; ++i) {
        const Rgb c = i < palette.size() ? palette[i] : Rgb{};
        out.insert(out.end(), {c.r, c.g, c.b});
    }
    // Loop forever.
    out.insert(out.end(), {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
                           0x03, 0x01, 0x00, 0x00, 0x00});
    constexpr unsigned kClear = 256;
    constexpr unsigned kEnd = 257;
    constexpr int kCodeWidth = 9;
    // After a clear code the decoder adds one table entry per code; 254 literals keep the
    // table below 512 entries, so every code stays 9 bits wide.
    constexpr int kLiteralsPerClear = 254;
    for (const GifFrame& frame : frames) {
        if (frame.indices.size() != static_cast<std::size_t>(width) * height) {
            throw std::invalid_argument("GIF frame size");
        }
        out.insert(out.end(), {0x21, 0xF9, 0x04, 0x00});
        put16(out, static_cast<unsigned>(frame.delayCentiseconds));
        out.insert(out.end(), {0x00, 0x00});
        out.push_back(0x2C);
        put16(out, 0);
        put16(out, 0);
        put16(out, static_cast<unsigned>(width));
        put16(out, static_cast<unsigned>(height));
        out.push_back(0);
        out.push_back(8);  // minimum code size
        std::vector<std::uint8_t> data;
        CodeWriter codes(data);
        int sinceClear = kLiteralsPerClear;
        for (std::uint8_t index : frame.indices) {
            if (sinceClear == kLiteralsPerClear) {
                codes.write(kClear, kCodeWidth);
                sinceClear = 0;
            }
            codes.write(index, kCodeWidth);
            ++sinceClear;
        }
        codes.write(kEnd, kCodeWidth);
        codes.flush();
        for (std::size_t at = 0; at < data.size(); at += 255) {
            const std::size_t n = std::min<std::size_t>(255, data.size() - at);
            out.push_back(static_cast<std::uint8_t>(n));
            out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                       data.begin() + static_cast<std::ptrdiff_t>(at + n));
        }
        out.push_back(0);
    }
    out.push_back(0x3B);
    return out;
}

}  // namespace shapes::tooling
