#include "GolferSkeleton.h"

#include <algorithm>

namespace shapes::tooling {
namespace {

using M = GolferMeasures;

// The middle joint of a two-bone limb from root to end, bending towards pole. A target out of
// reach stretches the limb straight rather than leaving the end short of it.
Vec3 solveMiddleJoint(Vec3 root, Vec3 end, double first, double second, Vec3 pole) {
    const Vec3 span = end - root;
    const double d = length(span);
    if (d < 1e-9) return root + normalized(pole) * first;
    const Vec3 u = span * (1.0 / d);
    if (d >= first + second) return root + u * (d * first / (first + second));
    const double along = (first * first - second * second + d * d) / (2 * d);
    const double across = std::sqrt(std::max(0.0, first * first - along * along));
    Vec3 side = pole - u * dot(pole, u);
    if (length(side) < 1e-9) side = Vec3{0, -1, 0} - u * dot(Vec3{0, -1, 0}, u);
    return root + u * along + normalized(side) * across;
}

}  // namespace

GolferSkeleton GolferSkeleton::posed(const GolferPose& pose) {
    GolferSkeleton s{};
    const Vec3 up{0, 1, 0};
    const Vec3 lead{0, 0, 1};

    // Feet: flat on the ground, pointing at the ball; the trail heel may roll up over the toe.
    for (int side = 0; side < 2; ++side) {
        const double z = side == 0 ? M::kStanceHalf : -M::kStanceHalf;
        s.ankle[side] = {M::kAnkleX, M::kAnkleHeight, z};
        s.heel[side] = {M::kAnkleX - M::kHeelBack, 1.6, z};
        s.toe[side] = {M::kAnkleX + M::kToeFront, 1.4, z};
    }
    {
        const double lift = -radians(55.0) * std::clamp(pose.trailHeel, 0.0, 1.0);
        const Vec3 pivot = s.toe[1];
        s.ankle[1] = pivot + rotated(s.ankle[1] - pivot, lead, lift);
        s.heel[1] = pivot + rotated(s.heel[1] - pivot, lead, lift);
    }

    // Pelvis and legs.
    s.pelvis = pose.pelvis;
    const double pelvisTurn = radians(pose.pelvisTurn);
    s.hipAxis = rotated(lead, up, pelvisTurn);
    s.pelvisFacing = cross(up, s.hipAxis);
    for (int side = 0; side < 2; ++side) {
        const double sign = side == 0 ? 1.0 : -1.0;
        s.hip[side] = s.pelvis + s.hipAxis * (sign * M::kHipHalf);
        // Knees follow the hips' turn: at the finish they point at the target.
        const Vec3 pole = normalized(Vec3{0.4, 0, 0} + s.pelvisFacing);
        s.knee[side] = solveMiddleJoint(s.hip[side], s.ankle[side], M::kThigh, M::kShin, pole);
    }

    // Spine: tilted towards the ball, bent sideways, the shoulders turning about it.
    const double tilt = radians(pose.spineTilt);
    Vec3 axis{std::sin(tilt), std::cos(tilt), 0};
    axis = rotated(axis, Vec3{1, 0, 0}, radians(pose.spineSide));
    s.spineAxis = axis;
    s.neck = s.pelvis + axis * M::kSpine;
    const Vec3 leadAtAddress = normalized(lead - axis * dot(lead, axis));
    s.shoulderAxis = rotated(leadAtAddress, axis, radians(pose.shoulderTurn));
    s.chestFacing = cross(axis, s.shoulderAxis);
    const Vec3 shoulderCentre = s.neck - axis * M::kShoulderDrop;
    s.shoulder[0] = shoulderCentre + s.shoulderAxis * M::kShoulderHalf;
    s.shoulder[1] = shoulderCentre - s.shoulderAxis * M::kShoulderHalf;

    // Head: along the neck, bowed towards the ball by headTilt.
    const Vec3 forward = normalized(Vec3{std::cos(tilt), -std::sin(tilt), 0});
    const double bow = radians(pose.headTilt);
    const Vec3 headDir = normalized(axis * std::cos(bow) + forward * std::sin(bow));
    s.headCentre = s.neck + headDir * (M::kNeck + M::kHeadRadius * 0.8);
    s.headUp = headDir;
    // The face looks down at the ball, then turns with the ball's flight towards the target.
    s.headFacing = rotated(normalized(cross(headDir, lead)), up, -radians(pose.headTurn));

    // Hands on the grip, the club along its direction.
    s.gripTop = pose.grip;
    s.hand[0] = pose.grip;
    s.hand[1] = pose.grip + pose.clubDir * M::kHandGap;
    s.clubHead = pose.grip + pose.clubDir * M::kClub;
    for (int side = 0; side < 2; ++side) {
        // Elbows hang towards the ground and a little outwards.
        const double sign = side == 0 ? 1.0 : -1.0;
        const Vec3 pole = normalized(Vec3{0, -1, 0} + s.shoulderAxis * (0.4 * sign));
        s.elbow[side] =
            solveMiddleJoint(s.shoulder[side], s.hand[side], M::kUpperArm, M::kForearm, pole);
    }
    return s;
}

}  // namespace shapes::tooling
