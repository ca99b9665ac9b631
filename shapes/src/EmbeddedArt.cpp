#include <shapes/PackedBytes.h>
#include <shapes/mod_RGN_Data.h>

#include <string>
#include <vector>

#include "EmbeddedArtData.h"

namespace shapes {

std::vector<std::uint8_t> spriteBitmap(std::int32_t index) {
    if (index < 0 || index >= mod_RGN_Data::kSpriteCount) {
        throw mod_RGN_Data::SubscriptOutOfRange("sprite index " + std::to_string(index) +
                                                " out of range");
    }
    const embedded::PackedFile& file = embedded::kSpriteFiles[index];
    return unpackBytes(file.data, file.size, file.unpackedSize);
}

EmbeddedFile programIconIco() { return embedded::kIconIco; }

EmbeddedFile programIconPng() { return embedded::kIconPng; }

}  // namespace shapes
