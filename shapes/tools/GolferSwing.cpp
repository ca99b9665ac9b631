#include "GolferSwing.h"

#include <array>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "GolferSkeleton.h"
#include "SpriteCatalog.h"

namespace shapes::tooling {
namespace {

using M = GolferMeasures;

// A key pose as it is easiest to write down: grip and club head in screen pixels (row down from
// the top of the frame), the club head's side of the picture plane as +1 (away from the viewer)
// or -1 (towards), body angles in degrees.
struct Key {
    int frame;
    bool still;  // the motion halts here (address, top, finish)
    double pelvisX, pelvisRow;
    double pelvisTurn, spineTilt, shoulderTurn, headTilt;
    double gripX, gripRow, gripZ;
    double headX, headRow, headSide;
    double trailHeel;
};

// clang-format off
constexpr std::array kKeys{
    //  f  still   pelvis       turn  tilt  shldr head   grip               club head        heel
    Key{ 0, true,  28.5, 61.0,    0,  40,     0,  15,   45.0, 64.0,  0.0,   74.0, 91.0, +1,  0.0},
    Key{ 4, false, 28.4, 61.0,    6,  40,    18,  15,   43.0, 62.5, -3.0,   65.0, 86.0, -1,  0.0},
    Key{ 8, false, 28.2, 61.0,   16,  40,    40,  15,   39.0, 58.0, -7.0,   44.0, 78.0, -1,  0.0},
    Key{11, false, 28.0, 61.0,   26,  39,    60,  15,   33.5, 51.0, -8.0,    6.0, 36.0, -1,  0.0},
    Key{13, false, 27.8, 61.0,   32,  39,    72,  15,   31.0, 45.0, -7.0,    7.0, 16.0, +1,  0.0},
    Key{16, false, 27.6, 61.0,   38,  38,    84,  15,   30.0, 36.0, -5.0,   17.0, 15.0, +1,  0.0},
    Key{20, false, 27.5, 61.0,   43,  37,    92,  15,   31.0, 29.0, -2.0,   36.0, 24.0, +1,  0.0},
    Key{24, true,  27.5, 61.0,   45,  37,    95,  15,   32.0, 27.0, -1.0,   41.0, 26.0, +1,  0.0},
    Key{27, false, 28.0, 61.0,   32,  38,    80,  15,   34.0, 34.0, -1.0,   22.0, 22.0, +1,  0.0},
    Key{29, false, 28.8, 61.0,   12,  38,    50,  15,   37.0, 45.0, -1.0,    9.0, 42.0, +1,  0.0},
    Key{31, false, 29.6, 61.0,  -10,  39,    18,  15,   42.0, 58.0,  0.0,   37.0, 88.0, -1,  0.0},
    Key{32, false, 30.0, 60.8,  -22,  39,     2,  15,   46.0, 63.0,  1.0,   74.0, 91.0, +1,  0.1},
    Key{34, false, 30.4, 60.5,  -42,  36,   -35,  13,   49.0, 57.0,  6.0,   72.0, 80.0, +1,  0.3},
    Key{36, false, 30.6, 60.0,  -60,  30,   -70,  10,   45.0, 44.0,  8.0,   34.0, 42.0, +1,  0.5},
    Key{39, false, 31.0, 59.0,  -78,  18,   -95,   4,   38.0, 28.0,  5.0,   14.0,  1.0, +1,  0.85},
    Key{41, false, 31.2, 58.5,  -85,  12,  -102,   0,   36.0, 27.0,  3.0,   34.0,  9.0, +1,  0.95},
    Key{44, true,  31.5, 58.0,  -90,   6,  -110,  -4,   34.0, 29.0,  2.0,   68.0, 31.0, +1,  1.0},
};
// clang-format on

GolferPose poseOf(const Key& k) {
    GolferPose p{};
    p.pelvis = {k.pelvisX, M::kGroundRow - k.pelvisRow, 0};
    p.pelvisTurn = k.pelvisTurn;
    p.spineTilt = k.spineTilt;
    p.spineSide = 0;
    p.shoulderTurn = k.shoulderTurn;
    p.headTilt = k.headTilt;
    p.grip = {k.gripX, M::kGroundRow - k.gripRow, k.gripZ};
    const double dx = (k.headX - k.gripX) / M::kClub;
    const double dy = (k.gripRow - k.headRow) / M::kClub;
    const double across = dx * dx + dy * dy;
    if (across > 1.0) {
        throw std::logic_error("key pose at frame " + std::to_string(k.frame) +
                               ": the club cannot reach its head position");
    }
    p.clubDir = {dx, dy, k.headSide * std::sqrt(1.0 - across)};
    p.trailHeel = k.trailHeel;
    return p;
}

// Piecewise cubic Hermite through the keys: tangents from the neighbours (Catmull-Rom on
// uneven spacing), zero where the motion halts.
double curve(const std::vector<std::array<double, GolferPose::kValueCount>>& values,
             std::size_t channel, int frame) {
    std::size_t i = 0;
    while (i + 2 < kKeys.size() && kKeys[i + 1].frame <= frame) ++i;
    const Key& k0 = kKeys[i];
    const Key& k1 = kKeys[i + 1];
    auto tangent = [&](std::size_t j) {
        if (kKeys[j].still || j == 0 || j + 1 == kKeys.size()) return 0.0;
        return (values[j + 1][channel] - values[j - 1][channel]) /
               (kKeys[j + 1].frame - kKeys[j - 1].frame);
    };
    const double span = k1.frame - k0.frame;
    const double t = (frame - k0.frame) / span;
    const double t2 = t * t;
    const double t3 = t2 * t;
    const double p0 = values[i][channel];
    const double p1 = values[i + 1][channel];
    const double m0 = tangent(i) * span;
    const double m1 = tangent(i + 1) * span;
    return (2 * t3 - 3 * t2 + 1) * p0 + (t3 - 2 * t2 + t) * m0 + (-2 * t3 + 3 * t2) * p1 +
           (t3 - t2) * m1;
}

}  // namespace

GolferPose golferPose(int frame) {
    if (frame < 0 || frame >= kGolferFrameCount) {
        throw std::out_of_range("no golfer frame " + std::to_string(frame));
    }
    static const std::vector<std::array<double, GolferPose::kValueCount>> kValues = [] {
        std::vector<std::array<double, GolferPose::kValueCount>> v;
        for (const Key& k : kKeys) v.push_back(poseOf(k).values());
        return v;
    }();
    std::array<double, GolferPose::kValueCount> blended{};
    for (std::size_t c = 0; c < blended.size(); ++c) blended[c] = curve(kValues, c, frame);
    return GolferPose::fromValues(blended);
}

}  // namespace shapes::tooling
