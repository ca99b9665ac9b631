// The ratio the program runs at on a dense screen, and the global factor that gets it from Qt.

#include <gtest/gtest.h>

#include "qt/DeviceScale.h"

namespace platform::qt {
namespace {

// The room the scene needs at one pixel per program pixel.
constexpr int kNeedW = 103;
constexpr int kNeedH = 232;
constexpr Rect kXga{0, 0, 1024, 768};

TEST(DeviceScaleTest, ARatioIsCappedAtTheLargestAtWhichTheSceneFitsTheWorkArea) {
    // Ratios that fit stand, a fractional one of the user's own too.
    for (double ratio : {1.0, 2.0, 3.0, 2.5})
        EXPECT_EQ(cappedRatio(ratio, kXga, kXga, kNeedW, kNeedH), 0);
    // 1000 dpi: Qt's ratio 10; 768 / 232 leaves 3.
    EXPECT_EQ(cappedRatio(10, kXga, kXga, kNeedW, kNeedH), 3);
    EXPECT_EQ(cappedRatio(3.5, kXga, kXga, kNeedW, kNeedH), 3);
    // The width can be what runs out; never below one pixel per program pixel.
    EXPECT_EQ(cappedRatio(5, Rect{0, 0, 250, 2000}, Rect{0, 0, 250, 2000}, kNeedW, kNeedH), 2);
    EXPECT_EQ(cappedRatio(6, Rect{0, 0, 100, 200}, Rect{0, 0, 100, 200}, kNeedW, kNeedH), 1);
    // A 700-pixel-high monitor holds 3 x 232, but not above a 30-pixel panel.
    const Rect monitor{0, 0, 1024, 700};
    EXPECT_EQ(cappedRatio(5, monitor, Rect{0, 0, 1024, 670}, kNeedW, kNeedH), 2);
    // The second of two monitors, to the right of the first, its panel at the bottom.
    EXPECT_EQ(cappedRatio(10, Rect{1920, 0, 3840, 1080}, Rect{1920, 0, 3840, 1040}, kNeedW, kNeedH),
              4);
    // A work area that leaves less than the room needed is not believed.
    EXPECT_EQ(cappedRatio(10, kXga, Rect{0, 0, 1024, 100}, kNeedW, kNeedH), 3);
}

TEST(DeviceScaleTest, TheGlobalFactorGivesAWholeRatioExactly) {
    // Qt multiplies the global factor by the screen's own factor; the nearest double to
    // wanted / screen is not always the one whose product is the whole number (1 / 49 * 49 is
    // not 1).
    for (int screen = 2; screen <= 21; ++screen) {
        for (int wanted = 1; wanted < screen; ++wanted) {
            const std::optional<double> factor = globalFactorFor(wanted, screen, 1.0);
            ASSERT_TRUE(factor.has_value()) << wanted << " from " << screen;
            ASSERT_EQ(*factor * screen, static_cast<double>(wanted))
                << wanted << " from " << screen;
        }
    }
    EXPECT_EQ(*globalFactorFor(1, 49, 1.0) * 49, 1.0);
    // No double times 22 is 15: the next smaller ratio is had instead.
    EXPECT_FALSE(globalFactorFor(15, 22, 1.0).has_value());
    const std::optional<Restart> restart = restartFor(15, 22, 1.0);
    ASSERT_TRUE(restart.has_value());
    EXPECT_EQ(restart->ratio, 14);
    EXPECT_EQ(restart->globalFactor * 22, 14.0);
}

TEST(DeviceScaleTest, AGlobalFactorTheUserSetIsPartOfTheNewOne) {
    // QT_SCALE_FACTOR=0.5 on a 1000-dpi screen: Qt's ratio 10 * 0.5 = 5; the cap 3 needs 0.3.
    const std::optional<double> factor = globalFactorFor(3, 5.0, 0.5);
    ASSERT_TRUE(factor.has_value());
    EXPECT_EQ(*factor * 10, 3.0);
    // Read and written in the C locale's notation, as Qt reads it.
    EXPECT_EQ(globalFactorFromText(nullptr), 1.0);
    EXPECT_EQ(globalFactorFromText(" 1.5 "), 1.5);
    for (const char* bad : {"", "0", "-2", "1,5", "big"}) EXPECT_EQ(globalFactorFromText(bad), 1.0);
    for (double f : {0.3, 1.0 / 49, 0.1 + 0.2})
        EXPECT_EQ(globalFactorFromText(factorText(f).c_str()), f);
}

}  // namespace
}  // namespace platform::qt
