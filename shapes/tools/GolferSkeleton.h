#pragma once
// The golfer's joints in the world, posed from a GolferPose with fixed limb lengths: the feet
// stay where they are on the ground, the knees and elbows follow by two-bone solving.

#include "GolferPose.h"
#include "Vec3.h"

namespace shapes::tooling {

struct GolferSkeleton {
    // Index 0 is the lead side (the golfer's left, away from the viewer), 1 the trail side.
    Vec3 heel[2], toe[2], ankle[2], knee[2], hip[2];
    Vec3 pelvis, spineAxis, neck, headCentre, headUp, headFacing;  // headUp, headFacing: unit
    Vec3 shoulder[2], elbow[2], hand[2];
    Vec3 chestFacing, shoulderAxis, hipAxis, pelvisFacing;
    Vec3 gripTop, clubHead;

    static GolferSkeleton posed(const GolferPose& pose);
};

// Body measures in pixels.
struct GolferMeasures {
    static constexpr double kAnkleX = 31.5;
    static constexpr double kAnkleHeight = 3.0;
    static constexpr double kHeelBack = 3.5;
    static constexpr double kToeFront = 6.5;
    static constexpr double kStanceHalf = 5.0;
    static constexpr double kThigh = 17.0;
    static constexpr double kShin = 17.0;
    static constexpr double kHipHalf = 2.4;
    static constexpr double kSpine = 21.0;
    static constexpr double kShoulderHalf = 5.0;
    static constexpr double kShoulderDrop = 2.5;
    static constexpr double kNeck = 3.0;
    static constexpr double kHeadRadius = 5.2;
    static constexpr double kUpperArm = 11.5;
    static constexpr double kForearm = 11.0;
    static constexpr double kHandGap = 2.5;  // trail hand below the lead hand on the grip
    static constexpr double kClub = 40.0;
    static constexpr double kGroundRow = 94.0;  // screen row of y = 0
};

}  // namespace shapes::tooling
