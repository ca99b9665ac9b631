#include <gtest/gtest.h>

#include <vector>

#include "ShapeDerivation.h"
#include "TestArt.h"

using mod_RGN_Data::RGNRect;
using shapes::testing::pictureFromRows;
using namespace shapes::tooling;

TEST(Derivation, SevenPixelBallGivesThreeBands) {
    // Red ground (top-left pixel) around a white disc with its corners cut.
    const SpriteImage ball = pictureFromRows({
        "rrrrrrr",
        "rr...rr",
        "r.....r",
        "r.....r",
        "r.....r",
        "rr...rr",
        "rrrrrrr",
    });
    const std::vector<RGNRect> expected{{2, 1, 5, 2}, {1, 2, 6, 5}, {2, 5, 5, 6}};
    EXPECT_EQ(deriveShape(ball), expected);
    EXPECT_EQ(boundingBox(expected), (RGNRect{1, 1, 6, 6}));
}

TEST(Derivation, RunsPerRowBandsAndEnclosedKeyPixels) {
    const SpriteImage picture = pictureFromRows({
        "........",
        ".##..#..",
        ".##..#..",
        "........",
        "..####..",
        "..#..#..",
        "..####..",
        "#......#",
    });
    // Two runs in rows 1-2 (one band), an empty row ending it, the enclosed white pixels of
    // row 5 left outside, and runs that touch the bitmap's edges.
    const std::vector<RGNRect> expected{{1, 1, 3, 3}, {5, 1, 6, 3}, {2, 4, 6, 5}, {2, 5, 3, 6},
                                        {5, 5, 6, 6}, {2, 6, 6, 7}, {0, 7, 1, 8}, {7, 7, 8, 8}};
    const auto rects = deriveShape(picture);
    EXPECT_EQ(rects, expected);
    EXPECT_EQ(bandedOrderFault(rects), "");
    EXPECT_EQ(coveredPixels(rects), 4 + 2 + 4 + 2 + 4 + 2);
}

TEST(Derivation, KeyIsTheColourNotThePaletteIndex) {
    SpriteImage picture = pictureFromRows({"..#", ".#.", "..."});
    // Entry 3 holds the key colour too: its pixel is outside like the white ones.
    picture.setPaletteEntry(3, Rgb{255, 255, 255});
    picture.setIndex(1, 2, 3);
    // A black pixel whose colour differs from the key only slightly is inside.
    picture.setPaletteEntry(4, Rgb{255, 255, 254});
    picture.setIndex(0, 2, 4);
    const std::vector<RGNRect> expected{{2, 0, 3, 1}, {1, 1, 2, 2}, {0, 2, 1, 3}};
    EXPECT_EQ(deriveShape(picture), expected);
}

TEST(Derivation, TwentyFourBitPictureUsesTheTopLeftColour) {
    SpriteImage picture(4, 2, 24);
    const Rgb grey{123, 124, 124};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) picture.setColour(x, y, grey);
    }
    picture.setColour(1, 1, Rgb{0, 128, 0});
    picture.setColour(2, 1, Rgb{0, 0, 0});
    const std::vector<RGNRect> expected{{1, 1, 3, 2}};
    EXPECT_EQ(deriveShape(picture), expected);
}

TEST(BandedOrder, ReportsEachKindOfFault) {
    EXPECT_EQ(bandedOrderFault({{0, 0, 2, 1}, {3, 0, 4, 1}, {0, 1, 4, 3}}), "");
    EXPECT_NE(bandedOrderFault({{0, 0, 0, 1}}), "");                // empty
    EXPECT_NE(bandedOrderFault({{0, 0, 2, 1}, {2, 0, 4, 1}}), "");  // touching in a band
    EXPECT_NE(bandedOrderFault({{3, 0, 4, 1}, {0, 0, 2, 1}}), "");  // right to left
    EXPECT_NE(bandedOrderFault({{0, 0, 2, 2}, {0, 1, 2, 3}}), "");  // overlapping bands
    EXPECT_NE(bandedOrderFault({{0, 2, 2, 3}, {0, 0, 2, 1}}), "");  // bottom to top
    EXPECT_NE(bandedOrderFault({{0, 0, 2, 1}, {0, 1, 2, 2}}), "");  // equal touching bands
    EXPECT_EQ(bandedOrderFault({{0, 0, 2, 1}, {0, 2, 2, 3}}), "");  // equal, not touching
}
