#pragma once
// The eight curved end pieces of the talk balloon (talk shape indices 10000..10007). They have
// no bitmap: their rectangles are fixed here, in banded order.

#include <array>
#include <vector>

#include "ShapeDerivation.h"

namespace shapes::tooling {

// Entry i is talk shape index 10000 + i.
const std::array<std::vector<RGNRect>, 8>& talkPieces();

}  // namespace shapes::tooling
