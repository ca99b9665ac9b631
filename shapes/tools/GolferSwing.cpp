#include "GolferSwing.h"

#include <array>
#include <cmath>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "GolferSkeleton.h"
#include "SpriteCatalog.h"

namespace shapes::tooling {
namespace {

using M = GolferMeasures;

// The body's key poses. Angles in degrees; the pelvis in screen pixels (row down from the top).
struct BodyKey {
    int frame;
    bool still;  // the motion halts here (address, top, finish)
    double pelvisX, pelvisRow;
    double pelvisTurn, spineTilt, shoulderTurn, headTilt, headTurn;
    double trailHeel;
};

// The hands and the club, keyed more densely since the club head moves fastest: grip and club
// head in screen pixels, the head's side of the picture plane as +1 (away from the viewer) or
// -1 (towards it); the club's length fixes how far it points out of the picture.
struct ClubKey {
    int frame;
    bool still;
    double gripX, gripRow, gripZ;
    double headX, headRow, headSide;
};

// clang-format off
constexpr std::array kBodyKeys{
    //      f  still  pelvis       turn  tilt  shldr  bow  look  heel
    BodyKey{ 0, true,  28.5, 61.0,    0,  40,     0,  15,    0, 0.0},
    BodyKey{ 8, false, 28.2, 61.0,   16,  40,    40,  15,    0, 0.0},
    BodyKey{13, false, 27.8, 61.0,   32,  39,    72,  15,    0, 0.0},
    BodyKey{18, false, 27.5, 61.0,   41,  38,    88,  15,    0, 0.0},
    BodyKey{24, true,  27.5, 61.0,   45,  37,    95,  15,    0, 0.0},
    BodyKey{27, false, 28.0, 61.0,   32,  38,    80,  15,    0, 0.0},
    BodyKey{29, false, 28.8, 61.0,   12,  38,    50,  15,    0, 0.0},
    BodyKey{31, false, 29.6, 61.0,  -10,  39,    18,  15,    0, 0.0},
    BodyKey{32, false, 30.0, 60.8,  -22,  39,     2,  15,    0, 0.1},
    BodyKey{34, false, 30.4, 60.5,  -42,  36,   -35,  13,   10, 0.3},
    BodyKey{36, false, 30.6, 60.0,  -60,  30,   -70,  10,   30, 0.5},
    BodyKey{39, false, 31.0, 59.0,  -78,  18,   -95,   4,   60, 0.85},
    BodyKey{41, false, 31.2, 58.5,  -85,  12,  -102,   0,   70, 0.95},
    BodyKey{44, true,  31.5, 58.0,  -90,   6,  -110,  -4,   80, 1.0},
};

constexpr std::array kClubKeys{
    //      f  still   grip                club head
    ClubKey{ 0, true,  45.0, 64.0,  0.0,   74.0, 91.0, +1},
    ClubKey{ 3, false, 43.8, 63.2, -1.5,   69.0, 88.5, -1},
    ClubKey{ 6, false, 41.5, 60.8, -4.5,   55.0, 82.5, -1},
    ClubKey{ 8, false, 39.0, 58.0, -7.0,   37.6, 74.0, -1},
    ClubKey{ 9, false, 37.3, 56.0, -8.0,   29.0, 66.0, -1},
    ClubKey{10, false, 35.5, 53.5, -8.5,   20.5, 56.5, -1},
    ClubKey{11, false, 33.5, 51.0, -8.0,   12.5, 43.5, -1},
    ClubKey{12, false, 32.0, 48.0, -7.5,    7.0, 29.5, -1},
    ClubKey{13, false, 31.0, 45.0, -7.0,    6.0, 18.0, +1},
    ClubKey{14, false, 30.4, 41.8, -6.5,    9.5,  9.0, +1},
    ClubKey{15, false, 30.2, 38.9, -5.8,   13.0, 10.5, +1},
    ClubKey{16, false, 30.0, 36.0, -5.0,   17.5, 12.5, +1},
    ClubKey{18, false, 30.4, 31.9, -3.5,   27.0, 17.0, +1},
    ClubKey{20, false, 31.5, 29.0, -2.0,   35.0, 22.0, +1},
    ClubKey{22, false, 32.4, 27.4, -1.0,   39.5, 25.0, +1},
    ClubKey{24, true,  33.0, 27.0, -1.0,   41.0, 26.0, +1},
    ClubKey{26, false, 33.6, 30.6, -1.0,   29.7, 21.4, +1},
    ClubKey{27, false, 34.0, 34.0, -1.0,   22.0, 24.0, +1},
    ClubKey{28, false, 35.2, 38.9, -1.0,   14.0, 32.0, +1},
    ClubKey{29, false, 37.0, 45.0, -1.0,    8.0, 50.0, +1},
    ClubKey{30, false, 39.2, 51.5, -0.5,   14.0, 73.0, -1},
    ClubKey{31, false, 42.0, 58.0,  0.0,   40.0, 89.0, -1},
    ClubKey{32, false, 46.0, 63.0,  1.0,   74.0, 91.0, +1},
    ClubKey{33, false, 48.0, 61.0,  3.0,   71.0, 80.0, +1},
    ClubKey{34, false, 48.5, 56.0,  6.0,   62.0, 67.0, +1},
    ClubKey{35, false, 47.0, 50.5,  8.0,   51.0, 54.0, +1},
    ClubKey{36, false, 44.0, 46.0,  8.0,   40.0, 47.0, +1},
    ClubKey{37, false, 40.0, 38.0,   7.5,   27.0, 26.0, +1},
    ClubKey{38, false, 36.0, 31.0,   6.0,   17.0, 12.0, +1},
    ClubKey{39, false, 33.0, 26.0,   7.0,   15.0,  1.0, +1},
    ClubKey{40, false, 31.0, 23.0,   8.0,   25.0,  1.5, +1},
    ClubKey{41, false, 30.0, 22.0,   8.5,   37.0,  6.0, +1},
    ClubKey{42, false, 29.5, 22.0,   9.0,   48.0, 13.0, +1},
    ClubKey{43, false, 29.2, 22.2,   9.0,   57.0, 21.0, +1},
    ClubKey{44, true,  29.0, 22.5,   9.0,   63.0, 27.0, +1},
};
// clang-format on

Vec3 clubDirection(const ClubKey& k) {
    const double dx = (k.headX - k.gripX) / M::kClub;
    const double dy = (k.gripRow - k.headRow) / M::kClub;
    const double across = dx * dx + dy * dy;
    if (across > 1.0) {
        throw std::logic_error("club key at frame " + std::to_string(k.frame) +
                               ": the head is out of the club's reach");
    }
    return {dx, dy, k.headSide * std::sqrt(1.0 - across)};
}

// Piecewise cubic Hermite through keyed values: tangents from the neighbours (Catmull-Rom on
// uneven spacing), zero where the motion halts.
template <typename Key, std::size_t N>
std::vector<double> blend(std::span<const Key> keys, const std::vector<std::array<double, N>>& v,
                          int frame) {
    std::size_t i = 0;
    while (i + 2 < keys.size() && keys[i + 1].frame <= frame) ++i;
    auto tangent = [&](std::size_t j, std::size_t c) {
        if (keys[j].still || j == 0 || j + 1 == keys.size()) return 0.0;
        return (v[j + 1][c] - v[j - 1][c]) / (keys[j + 1].frame - keys[j - 1].frame);
    };
    const double span = keys[i + 1].frame - keys[i].frame;
    const double t = (frame - keys[i].frame) / span;
    const double t2 = t * t;
    const double t3 = t2 * t;
    std::vector<double> out(N);
    for (std::size_t c = 0; c < N; ++c) {
        out[c] = (2 * t3 - 3 * t2 + 1) * v[i][c] + (t3 - 2 * t2 + t) * tangent(i, c) * span +
                 (-2 * t3 + 3 * t2) * v[i + 1][c] + (t3 - t2) * tangent(i + 1, c) * span;
    }
    return out;
}

}  // namespace

GolferPose golferPose(int frame) {
    if (frame < 0 || frame >= kGolferFrameCount) {
        throw std::out_of_range("no golfer frame " + std::to_string(frame));
    }
    static const std::vector<std::array<double, 8>> kBody = [] {
        std::vector<std::array<double, 8>> v;
        for (const BodyKey& k : kBodyKeys) {
            v.push_back({k.pelvisX, k.pelvisRow, k.pelvisTurn, k.spineTilt, k.shoulderTurn,
                         k.headTilt, k.headTurn, k.trailHeel});
        }
        return v;
    }();
    static const std::vector<std::array<double, 6>> kClub = [] {
        std::vector<std::array<double, 6>> v;
        for (const ClubKey& k : kClubKeys) {
            const Vec3 d = clubDirection(k);
            v.push_back({k.gripX, k.gripRow, k.gripZ, d.x, d.y, d.z});
        }
        return v;
    }();
    const std::vector<double> b = blend<BodyKey>(kBodyKeys, kBody, frame);
    const std::vector<double> c = blend<ClubKey>(kClubKeys, kClub, frame);
    GolferPose p{};
    p.pelvis = {b[0], M::kGroundRow - b[1], 0};
    p.pelvisTurn = b[2];
    p.spineTilt = b[3];
    p.spineSide = 0;
    p.shoulderTurn = b[4];
    p.headTilt = b[5];
    p.headTurn = b[6];
    p.trailHeel = b[7];
    p.grip = {c[0], M::kGroundRow - c[1], c[2]};
    p.clubDir = normalized(Vec3{c[3], c[4], c[5]});
    return p;
}

}  // namespace shapes::tooling
