#pragma once
// The rule by which a sprite's window shape follows from its bitmap: the key colour is the
// colour of pixel (0, 0); every pixel of another colour is inside; each row's maximal runs of
// inside pixels, consecutive rows with identical runs merged into one band, one rectangle per
// run of a band, bands from top to bottom and runs from left to right.

#include <shapes/mod_RGN_Data.h>

#include <string>
#include <vector>

#include "SpriteImage.h"

namespace shapes::tooling {

using mod_RGN_Data::RGNRect;

std::vector<RGNRect> deriveShape(const SpriteImage& image);

// Least left, least top, greatest right, greatest bottom; all zero for no rectangles.
RGNRect boundingBox(const std::vector<RGNRect>& rects);

// Empty when the rectangles are in banded order (bands top to bottom without overlap, runs
// left to right with a gap between them, touching bands differ, no empty rectangle); otherwise
// a sentence naming the first fault.
std::string bandedOrderFault(const std::vector<RGNRect>& rects);

// The number of pixels the rectangles cover.
long coveredPixels(const std::vector<RGNRect>& rects);

}  // namespace shapes::tooling
