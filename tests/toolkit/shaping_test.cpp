// Sizing and cutting windows to the stored shapes.

#include <gtest/gtest.h>

#include <iostream>
#include <vector>

#include "NamedTestForm.h"
#include "platform/Application.h"
#include "platform/Color.h"
#include "platform/Region.h"
#include "platform/RuntimeError.h"
#include "platform/testing/TestEnvironment.h"
#include "shapes/mod_RGN_Data.h"
#include "toolkit/frm_RGN_Picture.h"
#include "toolkit/mod_RGN_Proc.h"
#include "toolkit/mod_RGN_UserFunction.h"

namespace {

using mod_RGN_Proc::ApplyRGN;
using mod_RGN_Proc::CreateRGN;
using mod_RGN_Proc::SetRGNToWindow;
using mod_RGN_UserFunction::GetRGNHeight;
using mod_RGN_UserFunction::GetRGNWidth;
using mod_RGN_UserFunction::MakeRGNWindow;

struct ShapedWindowTag {
    static constexpr const char* kName = "ShapedWindow";
};
using ShapedWindow = NamedTestForm<ShapedWindowTag>;

constexpr platform::Color kBlue = platform::rgb(0, 0, 255);

platform::Region regionOf(const std::vector<platform::Rect>& rects) {
    platform::Region region;
    for (const auto& r : rects) {
        region.unite(platform::Region::rectangle(r.left, r.top, r.right, r.bottom));
    }
    return region;
}

// Sprite 45, the large ball, and 48, the control button, as the shape data documents them.
platform::Region ballShape() { return regionOf({{2, 1, 5, 2}, {1, 2, 6, 5}, {2, 5, 5, 6}}); }
platform::Region buttonShape() {
    return regionOf({{6, 1, 12, 2},
                     {4, 2, 14, 3},
                     {3, 3, 15, 4},
                     {2, 4, 16, 6},
                     {1, 6, 17, 12},
                     {2, 12, 16, 13},
                     {3, 13, 15, 14},
                     {4, 14, 14, 15},
                     {5, 15, 13, 16},
                     {6, 16, 12, 17},
                     {7, 17, 11, 21}});
}

platform::Region storedShape(std::int32_t index) {
    mod_RGN_Data::LoadRGNShapes();
    const auto record = mod_RGN_Data::LookupShapeRecord(index);
    return std::move(*platform::Region::fromRegionData(record.data, record.byteCount));
}

void expectRegion(const platform::Surface& window, const platform::Region& expected) {
    const auto region = window.windowRegion();
    ASSERT_TRUE(region.has_value());
    EXPECT_TRUE(region->samePixels(expected));
}

TEST(MakeRGNWindowTest, SizesCutsClearsAndPaintsTheSprite) {
    platform::testing::TestEnvironment env;
    ShapedWindow& button = ShapedWindow::get();
    button.setBackColor(kBlue);
    button.line(0, 0, 600, 600, platform::kWhite);

    MakeRGNWindow(48, button, true);

    EXPECT_EQ(button.width(), 270);
    EXPECT_EQ(button.height(), 330);
    EXPECT_TRUE(button.autoRedraw());
    expectRegion(button, buttonShape());
    const platform::Picture& sprite = platform::form<frm_RGN_Picture>().pPicture(48);
    const platform::Region shape = buttonShape();
    for (int y = 0; y < 22; ++y) {
        for (int x = 0; x < 18; ++x) {
            const platform::Color expected = shape.contains(x, y) ? sprite.pixel(x, y) : kBlue;
            EXPECT_EQ(button.backBufferPixel(x, y), expected) << x << "," << y;
        }
    }
    EXPECT_FALSE(button.hasClip());
}

TEST(MakeRGNWindowTest, WithoutPictureTheFigureShowsTheBackColor) {
    platform::testing::TestEnvironment env;
    ShapedWindow& golfer = ShapedWindow::get();
    golfer.setBackColor(kBlue);
    golfer.line(0, 0, 1000, 1000, platform::kWhite);

    MakeRGNWindow(5, golfer, false);

    EXPECT_EQ(golfer.width(), 1185);
    EXPECT_EQ(golfer.height(), 1440);
    EXPECT_EQ(golfer.widthPixels(), 79);
    EXPECT_EQ(golfer.heightPixels(), 96);
    expectRegion(golfer, storedShape(5));
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 79; ++x)
            ASSERT_EQ(golfer.backBufferPixel(x, y), kBlue) << x << "," << y;
    }
}

TEST(ApplyRGNTest, FlagsZeroOnlyTurnsAutoRedrawOnAndClears) {
    platform::testing::TestEnvironment env;
    ShapedWindow& window = ShapedWindow::get();
    window.setWidth(300);
    window.setHeight(150);
    window.setBackColor(kBlue);
    window.setAutoRedraw(true);
    window.line(0, 30, 300, 30, platform::kWhite);
    window.setCurrentX(45);
    window.setCurrentY(60);
    window.setAutoRedraw(false);

    ApplyRGN(45, window, 0, 0, 0, false);

    EXPECT_TRUE(window.autoRedraw());
    EXPECT_EQ(window.width(), 300);
    EXPECT_EQ(window.height(), 150);
    EXPECT_FALSE(window.windowRegion().has_value());
    EXPECT_EQ(window.backBufferPixel(5, 2), kBlue);
    EXPECT_EQ(window.currentX(), 0);
    EXPECT_EQ(window.currentY(), 0);
}

TEST(ApplyRGNTest, SizeOnlyLeavesTheShapeAndIgnoresIndicesWithoutSize) {
    platform::testing::TestEnvironment env;
    ShapedWindow& window = ShapedWindow::get();
    window.setWidth(300);
    window.setHeight(150);

    ApplyRGN(10000, window, 1, 0, 0, false);
    EXPECT_EQ(window.width(), 300);
    EXPECT_EQ(window.height(), 150);

    ApplyRGN(46, window, 1, 0, 0, false);
    EXPECT_EQ(window.width(), 75);
    EXPECT_EQ(window.height(), 75);
    EXPECT_FALSE(window.windowRegion().has_value());
}

TEST(ApplyRGNTest, SizeAndCutShowsTheBackColorInsideTheShape) {
    platform::testing::TestEnvironment env;
    ShapedWindow& ball = ShapedWindow::get();
    ball.setBackColor(kBlue);

    ApplyRGN(45, ball, 3, 0, 0, false);

    EXPECT_EQ(ball.width(), 105);
    EXPECT_EQ(ball.height(), 105);
    expectRegion(ball, ballShape());
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 7; ++x) EXPECT_EQ(ball.backBufferPixel(x, y), kBlue);
    }
}

TEST(ApplyRGNTest, AllFlagsPaintTheSpriteAtTheOffset) {
    platform::testing::TestEnvironment env;
    ShapedWindow& window = ShapedWindow::get();
    window.setBackColor(kBlue);

    ApplyRGN(45, window, 7, 30, 15, false);

    platform::Region moved = ballShape();
    moved.offset(2, 1);
    expectRegion(window, moved);
    EXPECT_EQ(window.backBufferPixel(2 + 3, 1 + 3), platform::kWhite);
    EXPECT_EQ(window.backBufferPixel(2 + 0, 1 + 0), kBlue);
}

TEST(SetRGNToWindowTest, ReplacesOrUnitesWithThePresentRegion) {
    platform::testing::TestEnvironment env;
    mod_RGN_Data::LoadRGNShapes();
    ShapedWindow& window = ShapedWindow::get();
    window.setWidth(600);
    window.setHeight(600);

    // Never cut: the union is the new shape alone.
    SetRGNToWindow(45, window, 0, 0, true);
    expectRegion(window, ballShape());

    SetRGNToWindow(45, window, 120, 0, true);
    platform::Region expected = ballShape();
    platform::Region second = ballShape();
    second.offset(8, 0);
    expected.unite(second);
    expectRegion(window, expected);

    SetRGNToWindow(46, window, 0, 0, false);
    expectRegion(window, regionOf({{1, 1, 4, 4}}));
}

TEST(CreateRGNTest, OffsetsAreDividedWholeTwipsPerPixel) {
    platform::testing::TestEnvironment env;
    mod_RGN_Data::LoadRGNShapes();
    const platform::Region square = regionOf({{1, 1, 4, 4}});
    auto movedBy = [&](int dx, int dy) {
        platform::Region r = regionOf({{1, 1, 4, 4}});
        r.offset(dx, dy);
        return r;
    };
    EXPECT_TRUE(CreateRGN(46, 0, 0).samePixels(square));
    EXPECT_TRUE(CreateRGN(46, 14, 0).samePixels(square));
    EXPECT_TRUE(CreateRGN(46, 16, 0).samePixels(movedBy(1, 0)));
    EXPECT_TRUE(CreateRGN(46, 29, 30).samePixels(movedBy(1, 2)));
    // 7.5 rounds to the even 8 before the division.
    EXPECT_TRUE(CreateRGN(46, 0, 22.5).samePixels(movedBy(0, 1)));
    EXPECT_TRUE(CreateRGN(46, -16, 0).samePixels(movedBy(-1, 0)));
}

TEST(CreateRGNTest, OffsetsFollowTheScreensTwipsPerPixel) {
    platform::ScreenMetrics screen;
    screen.twipsPerPixelX = 12;
    screen.twipsPerPixelY = 12;
    platform::testing::TestEnvironment env(screen);
    mod_RGN_Data::LoadRGNShapes();
    platform::Region expected = regionOf({{1, 1, 4, 4}});
    expected.offset(10, 2);
    EXPECT_TRUE(CreateRGN(46, 120, 24).samePixels(expected));
}

TEST(CreateRGNTest, IndicesOutsideTheTablesAreSubscriptErrors) {
    platform::testing::TestEnvironment env;
    for (const std::int32_t index : {-1, 52, 9999, 10008}) {
        try {
            CreateRGN(index, 0, 0);
            ADD_FAILURE() << "no error for " << index;
        } catch (const platform::RuntimeError& error) {
            EXPECT_EQ(error.code(), platform::ErrorCode::kSubscriptOutOfRange) << index;
        }
    }
}

TEST(SpriteSizeTest, SizesInTwipsAndZeroWithoutSprite) {
    EXPECT_EQ(GetRGNWidth(0), 1185);
    EXPECT_EQ(GetRGNHeight(44), 1440);
    EXPECT_EQ(GetRGNWidth(45), 105);
    EXPECT_EQ(GetRGNHeight(46), 75);
    EXPECT_EQ(GetRGNWidth(47), 60);
    EXPECT_EQ(GetRGNHeight(48), 330);
    EXPECT_EQ(GetRGNWidth(49), 180);
    EXPECT_EQ(GetRGNHeight(50), 255);
    EXPECT_EQ(GetRGNWidth(10000), 0);
    EXPECT_EQ(GetRGNHeight(51), 0);
    EXPECT_EQ(GetRGNWidth(-1), 0);
}

TEST(SizeRGNWindowTest, SizeDoesNotFollowTheScreensTwipsPerPixel) {
    platform::ScreenMetrics screen;
    screen.twipsPerPixelX = 12;
    screen.twipsPerPixelY = 12;
    platform::testing::TestEnvironment env(screen);
    ShapedWindow& window = ShapedWindow::get();
    mod_RGN_Proc::SizeRGNWindow(48, window);
    EXPECT_EQ(window.width(), 270);
    EXPECT_EQ(window.height(), 330);
}

// The failures end the real process: the message goes to stderr through the message-box hook,
// and end() is left to terminate with exit code 0.
void shapeEmptyEntryForReal(std::int32_t flags) {
    platform::testing::TestEnvironment env;
    platform::setMessageBoxHandler([](const std::string& text) { std::cerr << text << std::endl; });
    platform::setEndHandler(nullptr);
    ApplyRGN(51, ShapedWindow::get(), flags, 0, 0, false);
    std::cerr << "still running" << std::endl;
}

TEST(ShapingFailureDeathTest, EmptyEntryEndsTheProgramWithItsMessage) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(shapeEmptyEntryForReal(mod_RGN_Proc::kCutWindow), ::testing::ExitedWithCode(0),
                "It failed in reading of region data\\.");
    EXPECT_EXIT(shapeEmptyEntryForReal(mod_RGN_Proc::kPaintPicture), ::testing::ExitedWithCode(0),
                "It failed in reading of region data\\.");
}

TEST(ShapingFailureTest, EmptyEntryShowsTheMessageAndEnds) {
    platform::testing::TestEnvironment env;
    ShapedWindow& window = ShapedWindow::get();
    EXPECT_THROW(MakeRGNWindow(51, window, true), platform::EndRequested);
    ASSERT_EQ(env.messages().size(), 1U);
    EXPECT_EQ(env.messages()[0], "It failed in reading of region data.");
    EXPECT_EQ(env.endCount(), 1);
}

}  // namespace
