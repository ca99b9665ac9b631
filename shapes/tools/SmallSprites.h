#pragma once
// The sprites other than the golfer: the ball in three sizes, the control button, the hole and
// the power gauge.

#include "SpriteImage.h"

namespace shapes::tooling {

// A white ball on a red ground with a red border of one pixel; side 7, 5 or 4.
SpriteImage drawBall(int side);
// A golf ball with dimples on a red tee shaded on its right, on green.
SpriteImage drawControlButton();
// A cup seen at a slant: green elliptical rim, black inside, grey bottom in two shades, on white.
SpriteImage drawHole();
// A wedge of 26 black bars on white rising to the right.
SpriteImage drawPowerGauge();

}  // namespace shapes::tooling
