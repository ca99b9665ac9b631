#pragma once
// Everything under shapes/art/: the 51 sprite bitmaps in index order, then the program icon as
// .ico and as .png. Drawing is deterministic, so the committed files can be re-created exactly.

#include <vector>

#include "NamedFile.h"
#include "SpriteImage.h"

namespace shapes::tooling {

SpriteImage drawSprite(int index);
std::vector<NamedFile> drawArtSet();

}  // namespace shapes::tooling
