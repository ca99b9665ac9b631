#pragma once
// The committed art files as byte arrays, generated at build time.

#include <shapes/mod_RGN_Data.h>

namespace shapes::embedded {

extern const EmbeddedFile kSpriteFiles[mod_RGN_Data::kSpriteCount];
extern const EmbeddedFile kIconIco;
extern const EmbeddedFile kIconPng;

}  // namespace shapes::embedded
