#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "GolferRenderer.h"
#include "GolferSwing.h"
#include "ShapeDerivation.h"
#include "TestArt.h"

using mod_RGN_Data::RGNRect;
using shapes::testing::committedSprite;
using namespace shapes::tooling;

TEST(CommittedArt, EverySpriteHasItsSizeDepthResolutionAndKey) {
    for (int i = 0; i <= kPowerGauge; ++i) {
        const SpriteImage image = committedSprite(i);
        const SpriteSpec& layout = spriteSpec(i);
        EXPECT_EQ(image.width(), layout.width) << i;
        EXPECT_EQ(image.height(), layout.height) << i;
        EXPECT_EQ(image.bitsPerPixel(), layout.bitsPerPixel) << i;
        EXPECT_EQ(image.pixelsPerMetre(), i == kPowerGauge ? 0 : 2834) << i;
        EXPECT_EQ(image.colour(0, 0), layout.key) << i;
    }
}

TEST(CommittedArt, BallsButtonAndHoleGiveTheirRectangles) {
    const std::vector<RGNRect> large{{2, 1, 5, 2}, {1, 2, 6, 5}, {2, 5, 5, 6}};
    EXPECT_EQ(deriveShape(committedSprite(kBallLarge)), large);
    EXPECT_EQ(deriveShape(committedSprite(kBallMiddle)), (std::vector<RGNRect>{{1, 1, 4, 4}}));
    EXPECT_EQ(deriveShape(committedSprite(kBallSmall)), (std::vector<RGNRect>{{1, 1, 3, 3}}));
    const std::vector<RGNRect> button{{6, 1, 12, 2},   {4, 2, 14, 3},   {3, 3, 15, 4},
                                      {2, 4, 16, 6},   {1, 6, 17, 12},  {2, 12, 16, 13},
                                      {3, 13, 15, 14}, {4, 14, 14, 15}, {5, 15, 13, 16},
                                      {6, 16, 12, 17}, {7, 17, 11, 21}};
    EXPECT_EQ(deriveShape(committedSprite(kControlButton)), button);
    const std::vector<RGNRect> hole{{3, 1, 9, 2}, {1, 2, 11, 7}, {3, 7, 9, 8}};
    EXPECT_EQ(deriveShape(committedSprite(kHole)), hole);
}

TEST(CommittedArt, BallsAndButtonUseTheirPaletteColours) {
    const SpriteImage ball = committedSprite(kBallLarge);
    EXPECT_EQ(ball.colour(3, 3), (Rgb{255, 255, 255}));
    const SpriteImage button = committedSprite(kControlButton);
    bool dimple = false, darkTee = false, outline = false;
    for (int y = 0; y < button.height(); ++y) {
        for (int x = 0; x < button.width(); ++x) {
            const Rgb c = button.colour(x, y);
            dimple |= c == Rgb{192, 192, 192};
            darkTee |= c == Rgb{128, 0, 0} && x > 8;
            outline |= c == Rgb{0, 0, 0};
        }
    }
    EXPECT_TRUE(dimple && darkTee && outline);
}

TEST(CommittedArt, GaugeBarsCutIntoBands) {
    const auto rects = deriveShape(committedSprite(kPowerGauge));
    ASSERT_EQ(rects.size(), 202u);
    EXPECT_EQ(rects[0], (RGNRect{76, 1, 78, 2}));
    EXPECT_EQ(rects[1], (RGNRect{71, 2, 72, 3}));
    EXPECT_EQ(rects[2], (RGNRect{73, 2, 75, 3}));
    EXPECT_EQ(rects[3], (RGNRect{76, 2, 78, 3}));
    // The last band: every bar from row 14 to its foot at row 15.
    for (int bar = 0; bar < 26; ++bar) {
        EXPECT_EQ(rects[176 + bar], (RGNRect{1 + 3 * bar, 14, 3 + 3 * bar, 16})) << bar;
    }
    EXPECT_EQ(boundingBox(rects), (RGNRect{1, 1, 78, 16}));
    EXPECT_EQ(bandedOrderFault(rects), "");
}

TEST(CommittedArt, GolferFramesStayWithinTheirLimits) {
    for (int f = 0; f < kGolferFrameCount; ++f) {
        SCOPED_TRACE("frame " + std::to_string(f));
        const SpriteImage image = committedSprite(f);
        int black = 0;
        int lowest = -1;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const Rgb c = image.colour(x, y);
                ASSERT_TRUE(c == (Rgb{0, 0, 0}) || c == (Rgb{255, 255, 255}));
                if (c == Rgb{0, 0, 0}) {
                    ++black;
                    lowest = y;
                }
            }
        }
        EXPECT_GE(black, 218);
        EXPECT_LE(black, 363);
        EXPECT_GE(lowest, 92);
        EXPECT_LE(lowest, 94);
        const auto rects = deriveShape(image);
        EXPECT_LE(rects.size(), 206u);
        EXPECT_EQ(bandedOrderFault(rects), "");
        // Hollow: the inside of the figure keeps the ground's white, so the shape holds only
        // the outline and is far smaller than the figure's box.
        EXPECT_EQ(coveredPixels(rects), black);

        const GolferDrawing drawing = drawGolfer(GolferSkeleton::posed(golferPose(f)));
        EXPECT_GE(drawing.feetLeft, 25);
        EXPECT_LE(drawing.feetRight, 42);
        EXPECT_GE(drawing.bodyLeft, 22);
        EXPECT_LE(drawing.bodyRight, 55);
    }
}

TEST(CommittedArt, ClubHeadFollowsThePhasesOfTheSwing) {
    auto head = [](int f) { return drawGolfer(GolferSkeleton::posed(golferPose(f))); };
    for (int f : {0, 32}) {
        SCOPED_TRACE(f);
        EXPECT_GE(head(f).clubHeadX, 66);  // lower right, at the ball
        EXPECT_GE(head(f).clubHeadY, 88);
        EXPECT_TRUE(head(f).clubHeadVisible);
    }
    for (int f : {12, 13, 14, 37, 38, 39}) {
        SCOPED_TRACE(f);
        EXPECT_LE(head(f).clubHeadX, 30);  // top left
        EXPECT_LE(head(f).clubHeadY, 30);
    }
    EXPECT_LE(head(39).clubHeadY, 1);
    // 12 to 14 hold the backswing's leftmost and highest club head, measured on the drawn blob
    // (its top row and left column), strictly: no frame from address to the top of the
    // backswing outside 12 to 14 comes as far up or as far left.
    auto extreme = [&](auto coordinate) {
        int inside = 1000, outside = 1000;
        for (int f = 0; f <= 24; ++f) {
            const GolferDrawing d = head(f);
            if (!d.clubHeadVisible) continue;
            int& best = f >= 12 && f <= 14 ? inside : outside;
            best = std::min(best, coordinate(d));
        }
        return std::pair{inside, outside};
    };
    const auto [topInside, topOutside] =
        extreme([](const GolferDrawing& d) { return d.clubHeadTop; });
    EXPECT_LT(topInside, topOutside) << "the highest club head is outside frames 12 to 14";
    const auto [leftInside, leftOutside] =
        extreme([](const GolferDrawing& d) { return d.clubHeadLeft; });
    EXPECT_LT(leftInside, leftOutside) << "the leftmost club head is outside frames 12 to 14";
    EXPECT_FALSE(head(36).clubHeadVisible);  // hidden by the body
}

TEST(CommittedArt, GolferMovesWithoutJumpsBetweenShownFrames) {
    // The frames in the order the game shows them: 0-23, then 26-44. Apart from the downswing
    // into impact, no joint leaps across the picture from one frame to the next.
    std::vector<int> shown;
    for (int f = 0; f <= 23; ++f) shown.push_back(f);
    for (int f = 26; f <= 44; ++f) shown.push_back(f);
    for (std::size_t i = 1; i < shown.size(); ++i) {
        const auto a = GolferSkeleton::posed(golferPose(shown[i - 1]));
        const auto b = GolferSkeleton::posed(golferPose(shown[i]));
        SCOPED_TRACE("frames " + std::to_string(shown[i - 1]) + " to " + std::to_string(shown[i]));
        auto step = [](Vec3 p, Vec3 q) { return std::hypot(p.x - q.x, p.y - q.y); };
        EXPECT_LT(step(a.headCentre, b.headCentre), 3.0);
        EXPECT_LT(step(a.pelvis, b.pelvis), 2.0);
        EXPECT_LT(step(a.hand[0], b.hand[0]), 10.0);
        EXPECT_LT(step(a.clubHead, b.clubHead), shown[i] >= 29 && shown[i] <= 32 ? 40.0 : 26.0);
    }
}
