#include "SmallSprites.h"

#include <array>
#include <map>
#include <stdexcept>
#include <string_view>

#include "SpriteCatalog.h"

namespace shapes::tooling {
namespace {

// Draws a palette image from rows of characters, one character per pixel.
SpriteImage fromRows(int index, std::initializer_list<std::string_view> rows,
                     const std::map<char, std::uint8_t>& legend,
                     std::initializer_list<std::pair<std::uint8_t, Rgb>> palette) {
    const SpriteSpec& layout = spriteSpec(index);
    SpriteImage image(layout.width, layout.height, layout.bitsPerPixel);
    image.setPixelsPerMetre(layout.pixelsPerMetre);
    for (const auto& [entry, colour] : palette) image.setPaletteEntry(entry, colour);
    if (static_cast<int>(rows.size()) != layout.height) throw std::logic_error("row count");
    int y = 0;
    for (std::string_view row : rows) {
        if (static_cast<int>(row.size()) != layout.width) throw std::logic_error("row width");
        for (int x = 0; x < layout.width; ++x) image.setIndex(x, y, legend.at(row[x]));
        ++y;
    }
    return image;
}

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kRed{255, 0, 0};

}  // namespace

SpriteImage drawBall(int side) {
    const std::map<char, std::uint8_t> legend{{'.', 1}, {'W', 2}};
    const std::initializer_list<std::pair<std::uint8_t, Rgb>> palette{
        {0, kBlack}, {1, kRed}, {2, kWhite}};
    switch (side) {
        case 7:
            return fromRows(
                kBallLarge,
                {".......", "..WWW..", ".WWWWW.", ".WWWWW.", ".WWWWW.", "..WWW..", "......."},
                legend, palette);
        case 5:
            return fromRows(kBallMiddle, {".....", ".WWW.", ".WWW.", ".WWW.", "....."}, legend,
                            palette);
        case 4:
            return fromRows(kBallSmall, {"....", ".WW.", ".WW.", "...."}, legend, palette);
        default:
            throw std::invalid_argument("no ball of side " + std::to_string(side));
    }
}

SpriteImage drawControlButton() {
    return fromRows(kControlButton,
                    {
                        "..................",  //
                        "......KKKKKK......",  //
                        "....KKWWWWWWKK....",  //
                        "...KWWoWWWWWoWK...",  //
                        "..KWWWWWWoWWWWWK..",  //
                        "..KWoWWWWWWWWoWK..",  //
                        ".KWWWWWoWWWWWWWWK.",  //
                        ".KWWoWWWWWWoWWoWK.",  //
                        ".KWWWWWWoWWWWWWWK.",  //
                        ".KWoWWWWWWWWWoWWK.",  //
                        ".KWWWWoWWWoWWWWWK.",  //
                        ".KWWWWWWWWWWWWoWK.",  //
                        "..KWWoWWWWoWWWWK..",  //
                        "...KWWWWWWWWWWK...",  //
                        "....KKWWWWWWKK....",  //
                        ".....RRRRRRMM.....",  //
                        "......RRRRMM......",  //
                        ".......RRMM.......",  //
                        ".......RRMM.......",  //
                        ".......RRMM.......",  //
                        ".......RRMM.......",  //
                        "..................",  //
                    },
                    {{'K', 0}, {'.', 1}, {'M', 2}, {'R', 3}, {'W', 4}, {'o', 5}},
                    {{0, kBlack},
                     {1, Rgb{94, 189, 65}},
                     {2, Rgb{128, 0, 0}},
                     {3, kRed},
                     {4, kWhite},
                     {5, Rgb{192, 192, 192}}});
}

SpriteImage drawHole() {
    static constexpr std::array<std::string_view, 8> kRows{
        "............",  //
        "...GGGGGG...",  //
        ".GGKKKKKKGG.",  //
        ".GKKKKKKKKG.",  //
        ".GKKKKKKKKG.",  //
        ".GKddddgggG.",  //
        ".GGdddgggGG.",  //
        "...GGGGGG...",  //
    };
    const std::map<char, Rgb> legend{{'.', kWhite},
                                     {'G', Rgb{0, 128, 0}},
                                     {'K', kBlack},
                                     {'d', Rgb{80, 80, 81}},
                                     {'g', Rgb{123, 124, 124}}};
    const SpriteSpec& layout = spriteSpec(kHole);
    SpriteImage image(layout.width, layout.height, layout.bitsPerPixel);
    image.setPixelsPerMetre(layout.pixelsPerMetre);
    for (int y = 0; y < layout.height; ++y) {
        for (int x = 0; x < layout.width; ++x) image.setColour(x, y, legend.at(kRows[y][x]));
    }
    return image;
}

SpriteImage drawPowerGauge() {
    // Column x of a bar reaches up to the first row r with x >= kStairStart[r - 1]: one row
    // about every six columns, from row 14 at the left end to row 1 at the right end.
    static constexpr std::array<int, 14> kStairStart{76, 71, 63, 57, 51, 45, 38,
                                                     32, 26, 20, 14, 8,  2,  1};
    constexpr int kBars = 26;
    constexpr int kGroundRow = 15;
    const SpriteSpec& layout = spriteSpec(kPowerGauge);
    SpriteImage image(layout.width, layout.height, layout.bitsPerPixel);
    image.setPixelsPerMetre(layout.pixelsPerMetre);
    image.setPaletteEntry(0, kBlack);
    image.setPaletteEntry(1, kWhite);
    for (int y = 0; y < layout.height; ++y) {
        for (int x = 0; x < layout.width; ++x) image.setIndex(x, y, 1);
    }
    for (int bar = 0; bar < kBars; ++bar) {
        for (int x = 1 + 3 * bar; x <= 2 + 3 * bar; ++x) {
            int top = 1;
            while (x < kStairStart[static_cast<std::size_t>(top - 1)]) ++top;
            for (int y = top; y <= kGroundRow; ++y) image.setIndex(x, y, 0);
        }
    }
    return image;
}

}  // namespace shapes::tooling
