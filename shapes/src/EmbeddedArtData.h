#pragma once
// The committed art files as byte arrays, generated at build time.

#include <shapes/mod_RGN_Data.h>

#include <cstddef>
#include <cstdint>

namespace shapes::embedded {

// A file stored run-length packed (PackedBytes.h).
struct PackedFile {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t unpackedSize;
};

extern const PackedFile kSpriteFiles[mod_RGN_Data::kSpriteCount];
extern const EmbeddedFile kIconIco;
extern const EmbeddedFile kIconPng;

}  // namespace shapes::embedded
