#include <shapes/mod_RGN_Data.h>

#include <string>

#include "EmbeddedArtData.h"

namespace shapes {

EmbeddedFile spriteBitmap(std::int32_t index) {
    if (index < 0 || index >= mod_RGN_Data::kSpriteCount) {
        throw mod_RGN_Data::SubscriptOutOfRange("sprite index " + std::to_string(index) +
                                                " out of range");
    }
    return embedded::kSpriteFiles[index];
}

EmbeddedFile programIconIco() { return embedded::kIconIco; }

EmbeddedFile programIconPng() { return embedded::kIconPng; }

}  // namespace shapes
