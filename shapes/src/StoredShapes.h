#pragma once
// The constant shape records, generated at build time from the sprite bitmaps.

#include <shapes/mod_RGN_Data.h>

namespace mod_RGN_Data::stored {

extern const RGNShapeRecord kSpriteShapes[kSpriteCount];
extern const RGNTalkShapeRecord kTalkShapes[kTalkShapeCount];

}  // namespace mod_RGN_Data::stored
