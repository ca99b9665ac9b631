#include "GolferPose.h"

namespace shapes::tooling {

std::array<double, GolferPose::kValueCount> GolferPose::values() const {
    return {pelvis.x, pelvis.y, pelvis.z, pelvisTurn, spineTilt, spineSide, shoulderTurn, headTilt,
            grip.x,   grip.y,   grip.z,   clubDir.x,  clubDir.y, clubDir.z, trailHeel};
}

GolferPose GolferPose::fromValues(const std::array<double, kValueCount>& v) {
    GolferPose p{};
    p.pelvis = {v[0], v[1], v[2]};
    p.pelvisTurn = v[3];
    p.spineTilt = v[4];
    p.spineSide = v[5];
    p.shoulderTurn = v[6];
    p.headTilt = v[7];
    p.grip = {v[8], v[9], v[10]};
    p.clubDir = normalized(Vec3{v[11], v[12], v[13]});
    p.trailHeel = v[14];
    p.headTurn = v[15];
    return p;
}

}  // namespace shapes::tooling
