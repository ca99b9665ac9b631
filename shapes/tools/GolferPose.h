#pragma once
// One pose of the golfer: the few numbers from which the whole skeleton follows. Angles in
// degrees; positions in pixels, x to the right, y up from the ground, z away from the viewer.

#include <array>

#include "Vec3.h"

namespace shapes::tooling {

struct GolferPose {
    Vec3 pelvis;          // centre between the hip joints
    double pelvisTurn;    // about the vertical; positive turns the belt away from the target
    double spineTilt;     // forward bend of the spine towards the ball
    double spineSide;     // sideways bend, positive towards the target
    double shoulderTurn;  // about the tilted spine; positive as pelvisTurn
    double headTilt;      // how far the head bows below the line of the spine
    double headTurn;      // the head turning to follow the ball, towards the target
    Vec3 grip;            // top of the grip, where the lead hand holds the club
    Vec3 clubDir;         // unit vector from the grip towards the club head
    double trailHeel;     // 0 flat on the ground, 1 the trail heel fully raised

    static constexpr std::size_t kValueCount = 16;
    std::array<double, kValueCount> values() const;
    static GolferPose fromValues(const std::array<double, kValueCount>& v);
};

}  // namespace shapes::tooling
