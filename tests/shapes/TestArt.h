#pragma once
// Helpers shared by the shapes tests: building small bitmaps from rows of characters and
// reading the committed art.

#include <filesystem>
#include <initializer_list>
#include <string_view>

#include "BmpCodec.h"
#include "FileBytes.h"
#include "SpriteCatalog.h"
#include "SpriteImage.h"

namespace shapes::testing {

using tooling::Rgb;
using tooling::SpriteImage;

// '.' is palette entry 1 (white), '#' entry 0 (black); any other character entry 2 (red).
inline SpriteImage pictureFromRows(std::initializer_list<std::string_view> rows) {
    const int w = static_cast<int>(rows.begin()->size());
    SpriteImage image(w, static_cast<int>(rows.size()), 8);
    image.setPaletteEntry(0, Rgb{0, 0, 0});
    image.setPaletteEntry(1, Rgb{255, 255, 255});
    image.setPaletteEntry(2, Rgb{255, 0, 0});
    int y = 0;
    for (std::string_view row : rows) {
        for (int x = 0; x < w; ++x) {
            image.setIndex(x, y,
                           row[static_cast<std::size_t>(x)] == '.'   ? 1
                           : row[static_cast<std::size_t>(x)] == '#' ? 0
                                                                     : 2);
        }
        ++y;
    }
    return image;
}

inline std::filesystem::path artDir() { return KIPRUN_ART_DIR; }

inline SpriteImage committedSprite(int index) {
    return tooling::decodeBmp(tooling::readFileBytes(artDir() / tooling::spriteFileName(index)));
}

}  // namespace shapes::testing
