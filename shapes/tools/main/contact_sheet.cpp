// kiprun-contact-sheet ART_FOLDER OUTPUT_FOLDER
// Renders the 45 golfer frames so a person can look at the swing: a numbered contact sheet,
// a strip of all frames at twice the size, an onion-skin overlay of the frames in the order the
// game shows them, and an animated GIF of one swing at the game's 20 ms a frame.

#include <array>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

#include "BmpCodec.h"
#include "FileBytes.h"
#include "GifEncoder.h"
#include "PngEncoder.h"
#include "ShapeDerivation.h"
#include "SpriteCatalog.h"

namespace fs = std::filesystem;
using namespace shapes::tooling;

namespace {

constexpr int kFrameW = 79;
constexpr int kFrameH = 96;

// The frames of one shot struck at the first gauge, as the game shows them.
std::vector<int> playedFrames() {
    std::vector<int> frames;
    for (int f = 0; f <= 23; ++f) frames.push_back(f);
    for (int f = 26; f <= 44; ++f) frames.push_back(f);
    return frames;
}

void drawDigits(RgbaPicture& pic, int x, int y, int number, int scale) {
    static constexpr std::array<const char*, 10> kGlyphs{
        "111101101101111", "010110010010111", "111001111100111", "111001111001111",
        "101101111001001", "111100111001111", "111100111101111", "111001010010010",
        "111101111101111", "111101111001111"};
    const std::string text = std::to_string(number);
    for (char ch : text) {
        const char* glyph = kGlyphs[static_cast<std::size_t>(ch - '0')];
        for (int gy = 0; gy < 5; ++gy) {
            for (int gx = 0; gx < 3; ++gx) {
                if (glyph[gy * 3 + gx] != '1') continue;
                for (int sy = 0; sy < scale; ++sy) {
                    for (int sx = 0; sx < scale; ++sx) {
                        pic.set(x + (gx)*scale + sx, y + gy * scale + sy, 200, 0, 0);
                    }
                }
            }
        }
        x += 4 * scale;
    }
}

void fill(RgbaPicture& pic, std::uint8_t grey) {
    for (std::size_t i = 0; i < pic.rgba.size(); i += 4) {
        pic.rgba[i] = pic.rgba[i + 1] = pic.rgba[i + 2] = grey;
        pic.rgba[i + 3] = 255;
    }
}

void blit(RgbaPicture& pic, const SpriteImage& frame, int left, int top, int scale) {
    for (int y = 0; y < kFrameH; ++y) {
        for (int x = 0; x < kFrameW; ++x) {
            const std::uint8_t v = frame.colour(x, y) == Rgb{255, 255, 255} ? 255 : 0;
            for (int sy = 0; sy < scale; ++sy) {
                for (int sx = 0; sx < scale; ++sx) {
                    pic.set(left + x * scale + sx, top + y * scale + sy, v, v, v);
                }
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: kiprun-contact-sheet ART_FOLDER OUTPUT_FOLDER\n";
        return 2;
    }
    try {
        const fs::path art = argv[1];
        const fs::path out = argv[2];
        std::vector<SpriteImage> frames;
        for (int i = 0; i < kGolferFrameCount; ++i) {
            frames.push_back(decodeBmp(readFileBytes(art / spriteFileName(i))));
        }

        // Figures per frame: black pixels, rectangles of the shape, its bounds, lowest row.
        {
            std::ofstream stats(out / "golfer-stats.txt");
            stats << "frame black rects bound(l,t,r,b)\n";
            for (int i = 0; i < kGolferFrameCount; ++i) {
                const SpriteImage& f = frames[static_cast<std::size_t>(i)];
                int black = 0;
                for (int y = 0; y < kFrameH; ++y) {
                    for (int x = 0; x < kFrameW; ++x) black += f.colour(x, y) == Rgb{0, 0, 0};
                }
                const auto rects = deriveShape(f);
                const auto b = boundingBox(rects);
                stats << i << ' ' << black << ' ' << rects.size() << ' ' << b.left << ',' << b.top
                      << ',' << b.right << ',' << b.bottom << '\n';
            }
        }
        // Numbered sheet: 15 frames a row, twice the size.
        {
            constexpr int kScale = 2;
            constexpr int kCols = 15;
            constexpr int kCellW = kFrameW * kScale + 6;
            constexpr int kCellH = kFrameH * kScale + 20;
            const int rows = (kGolferFrameCount + kCols - 1) / kCols;
            RgbaPicture sheet(kCols * kCellW + 6, rows * kCellH + 6);
            fill(sheet, 170);
            for (int i = 0; i < kGolferFrameCount; ++i) {
                const int left = 6 + (i % kCols) * kCellW;
                const int top = 6 + (i / kCols) * kCellH;
                drawDigits(sheet, left, top, i, 2);
                blit(sheet, frames[static_cast<std::size_t>(i)], left, top + 14, kScale);
            }
            writeFileBytes(out / "golfer-contact-sheet.png",
                           encodePng(sheet, PngPacking::Compressed));
        }
        // Strip of all frames side by side at twice the size.
        {
            constexpr int kScale = 2;
            RgbaPicture strip(kGolferFrameCount * (kFrameW * kScale + 2), kFrameH * kScale);
            fill(strip, 170);
            for (int i = 0; i < kGolferFrameCount; ++i) {
                blit(strip, frames[static_cast<std::size_t>(i)], i * (kFrameW * kScale + 2), 0,
                     kScale);
            }
            writeFileBytes(out / "golfer-strip-2x.png", encodePng(strip, PngPacking::Compressed));
        }
        // Onion skin at four times the size: the backswing (0-23) and the downswing (26-44),
        // each frame's pixels tinted from blue (first) to red (last).
        {
            constexpr int kScale = 4;
            const std::array<std::pair<int, int>, 2> phases{{{0, 23}, {26, 44}}};
            RgbaPicture onion(2 * kFrameW * kScale + 8, kFrameH * kScale);
            fill(onion, 255);
            for (std::size_t p = 0; p < phases.size(); ++p) {
                const auto [first, last] = phases[p];
                const int left = static_cast<int>(p) * (kFrameW * kScale + 8);
                for (int f = first; f <= last; ++f) {
                    const double t = static_cast<double>(f - first) / (last - first);
                    const auto r = static_cast<std::uint8_t>(255 * t);
                    const auto b = static_cast<std::uint8_t>(255 * (1 - t));
                    for (int y = 0; y < kFrameH; ++y) {
                        for (int x = 0; x < kFrameW; ++x) {
                            if (frames[static_cast<std::size_t>(f)].colour(x, y) ==
                                Rgb{255, 255, 255})
                                continue;
                            for (int sy = 0; sy < kScale; ++sy) {
                                for (int sx = 0; sx < kScale; ++sx) {
                                    onion.set(left + x * kScale + sx, y * kScale + sy, r, 0, b);
                                }
                            }
                        }
                    }
                }
            }
            writeFileBytes(out / "golfer-onion.png", encodePng(onion, PngPacking::Compressed));
        }
        // One swing at 20 ms a frame, twice the size; the top and the finish are held.
        {
            constexpr int kScale = 2;
            const int w = kFrameW * kScale;
            const int h = kFrameH * kScale;
            std::vector<GifFrame> gif;
            const std::vector<int> played = playedFrames();
            for (std::size_t k = 0; k < played.size(); ++k) {
                const int f = played[k];
                GifFrame g;
                g.indices.assign(static_cast<std::size_t>(w) * h, 1);
                for (int y = 0; y < h; ++y) {
                    for (int x = 0; x < w; ++x) {
                        if (!(frames[static_cast<std::size_t>(f)].colour(x / kScale, y / kScale) ==
                              Rgb{255, 255, 255})) {
                            g.indices[static_cast<std::size_t>(y) * w + x] = 0;
                        }
                    }
                }
                g.delayCentiseconds = f == 0 ? 100 : f == 23 ? 50 : f == 44 ? 150 : 2;
                gif.push_back(std::move(g));
            }
            writeFileBytes(out / "golfer-swing-2x.gif",
                           encodeGif(w, h, {Rgb{0, 0, 0}, Rgb{255, 255, 255}}, gif));
        }
    } catch (const std::exception& e) {
        std::cerr << "kiprun-contact-sheet: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
