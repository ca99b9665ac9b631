#pragma once
// Draws a posed golfer as a one-pixel outline figure: head, trunk, arms and legs are outlined
// solids whose inside keeps the white of the ground, the club a line with a small filled head.
// Hidden lines are removed per pixel, nearer parts covering farther ones.

#include "GolferSkeleton.h"
#include "SpriteImage.h"

namespace shapes::tooling {

struct GolferDrawing {
    SpriteImage image;  // 79 x 96, palette 0 black (figure), 1 white (ground)
    int clubHeadX = 0;  // pixel of the club head's centre
    int clubHeadY = 0;
    bool clubHeadVisible = false;
    // The topmost row and leftmost column of the head's drawn pixels: the blob's extent depends
    // on where the centre falls within its pixel, so these, not the centre, say how high and how
    // far left the head shows.
    int clubHeadTop = 0;
    int clubHeadLeft = 0;
    // The figure without the club: leftmost and rightmost columns of its outline, and the
    // leftmost and rightmost columns of the feet (the lowest five rows of the outline).
    int bodyLeft = 0;
    int bodyRight = 0;
    int feetLeft = 0;
    int feetRight = 0;
};

GolferDrawing drawGolfer(const GolferSkeleton& skeleton);

}  // namespace shapes::tooling
