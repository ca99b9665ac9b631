#include <shapes/mod_RGN_Data.h>

#include <shapes/PackedBytes.h>

#include <array>
#include <string>
#include <vector>

#include "EmbeddedArtData.h"

namespace shapes {

EmbeddedFile spriteBitmap(std::int32_t index) {
    if (index < 0 || index >= mod_RGN_Data::kSpriteCount) {
        throw mod_RGN_Data::SubscriptOutOfRange("sprite index " + std::to_string(index) +
                                                " out of range");
    }
    // Unpacked on first use and kept for the life of the process, as the pointer promises.
    static std::array<std::vector<std::uint8_t>, mod_RGN_Data::kSpriteCount> unpacked;
    std::vector<std::uint8_t>& bytes = unpacked[static_cast<std::size_t>(index)];
    if (bytes.empty()) {
        const embedded::PackedFile& file = embedded::kSpriteFiles[index];
        bytes = unpackBytes(file.data, file.size, file.unpackedSize);
    }
    return EmbeddedFile{bytes.data(), bytes.size()};
}

EmbeddedFile programIconIco() { return embedded::kIconIco; }

EmbeddedFile programIconPng() { return embedded::kIconPng; }

}  // namespace shapes
