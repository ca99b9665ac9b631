// Drawing into back buffers, text metrics, twips geometry and window regions on the offscreen
// platform.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/Form.h"
#include "platform/Picture.h"
#include "platform/Region.h"
#include "platform/testing/TestEnvironment.h"

namespace {

using platform::Color;
using platform::kBlack;
using platform::Region;
using platform::rgb;

class PlainForm : public platform::Form {
public:
    PlainForm() : Form("frmPlain") {}
};

constexpr Color kRed = rgb(255, 0, 0);
constexpr Color kBlue = rgb(0, 0, 255);
constexpr Color kGreen = rgb(0, 255, 0);

// A 24-bit bottom-up BMP of `width` x `height` pixels filled by `colorAt`.
template <class ColorAt>
std::vector<std::uint8_t> bmp(int width, int height, ColorAt colorAt) {
    const int stride = (width * 3 + 3) / 4 * 4;
    const std::uint32_t fileSize = 54 + stride * height;
    std::vector<std::uint8_t> bytes(fileSize, 0);
    auto put32 = [&bytes](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, fileSize);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));
    bytes[26] = 1;
    bytes[28] = 24;
    put32(34, stride * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Color c = colorAt(x, y);
            const std::size_t at = 54 + (height - 1 - y) * stride + x * 3;
            bytes[at] = static_cast<std::uint8_t>(platform::blueOf(c));
            bytes[at + 1] = static_cast<std::uint8_t>(platform::greenOf(c));
            bytes[at + 2] = static_cast<std::uint8_t>(platform::redOf(c));
        }
    }
    return bytes;
}

class QtSurfaceTest : public ::testing::Test {
protected:
    QtSurfaceTest() {
        window.move(0, 0, 20 * 15, 10 * 15);
        window.setBackColor(kWhite);
    }

    // The pixels of the back buffer that hold `color`.
    int count(Color color, platform::Surface& s) const {
        int n = 0;
        for (int y = 0; y < s.heightPixels(); ++y)
            for (int x = 0; x < s.widthPixels(); ++x) n += s.backBufferPixel(x, y) == color;
        return n;
    }

    static constexpr Color kWhite = platform::kWhite;
    platform::testing::TestEnvironment env;
    PlainForm window;
};

TEST_F(QtSurfaceTest, ClsFillsWithBackColorThroughTheClip) {
    EXPECT_EQ(count(kWhite, window), 200);
    window.setCurrentX(90);
    window.setCurrentY(45);
    window.selectClip(Region::rectangle(2, 2, 5, 4));
    window.setBackColor(kRed);
    // Setting the colour clears, and the clip limits it like any drawing.
    EXPECT_EQ(count(kRed, window), 6);
    EXPECT_EQ(window.backBufferPixel(2, 2), kRed);
    EXPECT_EQ(window.backBufferPixel(5, 2), kWhite);
    EXPECT_EQ(window.currentX(), 0);
    EXPECT_EQ(window.currentY(), 0);

    window.clearClip();
    EXPECT_FALSE(window.hasClip());
    window.cls();
    EXPECT_EQ(count(kRed, window), 200);
}

TEST_F(QtSurfaceTest, PaintPictureCopiesOnlyTheClipsPixelsAtTheOffset) {
    const auto bytes = bmp(7, 7, [](int x, int y) { return (x + y) % 2 ? kBlue : kGreen; });
    const platform::Picture ball = platform::Picture::fromBmp(bytes.data(), bytes.size());
    ASSERT_EQ(ball.widthPixels(), 7);
    ASSERT_EQ(ball.pixel(1, 0), kBlue);

    Region clip = Region::rectangle(1, 0, 3, 7);
    clip.offset(10, 2);
    window.selectClip(clip);
    window.paintPicture(ball, 150, 30);  // 10 pixels right, 2 down
    EXPECT_TRUE(window.hasClip());
    EXPECT_EQ(count(kWhite, window), 200 - 14);
    for (int y = 0; y < 7; ++y) {
        for (int x = 1; x < 3; ++x) {
            EXPECT_EQ(window.backBufferPixel(10 + x, 2 + y), ball.pixel(x, y)) << x << "," << y;
        }
    }
    window.clearClip();
    window.paintPicture(ball, 0, 0);
    EXPECT_EQ(window.backBufferPixel(0, 0), kGreen);
    EXPECT_EQ(window.backBufferPixel(6, 6), kGreen);
}

TEST_F(QtSurfaceTest, UnreadableBitmapIsAnEmptyPicture) {
    const std::uint8_t junk[] = {'B', 'M', 1, 2, 3};
    EXPECT_TRUE(platform::Picture::fromBmp(junk, sizeof junk).isNull());
    EXPECT_TRUE(platform::Picture::fromBmp(nullptr, 0).isNull());
}

TEST_F(QtSurfaceTest, LineLeavesOutItsEndPoint) {
    window.line(15, 15, 15 * 9, 15, kBlack);
    EXPECT_EQ(count(kBlack, window), 8);
    EXPECT_EQ(window.backBufferPixel(1, 1), kBlack);
    EXPECT_EQ(window.backBufferPixel(8, 1), kBlack);
    EXPECT_EQ(window.backBufferPixel(9, 1), kWhite);

    window.cls();
    window.line(0, 0, 45, 45, kRed);  // diagonal to (3, 3)
    EXPECT_EQ(count(kRed, window), 3);
    EXPECT_EQ(window.backBufferPixel(2, 2), kRed);
    EXPECT_EQ(window.backBufferPixel(3, 3), kWhite);
}

TEST_F(QtSurfaceTest, BalloonFontMeasuresLikeTheHomePlatform) {
    window.setFontName("ＭＳ Ｐゴシック");
    window.setFontSize(8.25f);
    EXPECT_FLOAT_EQ(window.textWidth("KIPRUN!"), 44 * 15);
    EXPECT_FLOAT_EQ(window.textWidth("残念・・・"), 39 * 15);
    EXPECT_FLOAT_EQ(window.textWidth(""), 0);
}

TEST_F(QtSurfaceTest, PrintDrawsAtTheTextPositionAndMovesDownOneLine) {
    window.move(0, 0, 100 * 15, 40 * 15);
    window.cls();
    window.setFontName("ＭＳ Ｐゴシック");
    window.setFontSize(8.25f);
    window.setCurrentX(128);
    window.setCurrentY(52);
    window.print("KIPRUN!");
    EXPECT_EQ(window.currentX(), 0);
    EXPECT_GT(window.currentY(), 52 + 11 * 15 - 1);
    EXPECT_LT(window.currentY(), 52 + 16 * 15);
    // Ink only right of and below the text position (pixel 8, 3), within one line.
    int ink = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 100; ++x) {
            if (window.backBufferPixel(x, y) == kWhite) continue;
            ++ink;
            EXPECT_GE(x, 8);
            EXPECT_GE(y, 3);
            EXPECT_LT(y, 3 + 16);
        }
    }
    EXPECT_GT(ink, 20);
}

TEST_F(QtSurfaceTest, GeometryReadsBackTheTwipsSetAndRoundsThePixels) {
    window.move(1000.5f, 2007, 1185, 1440);
    EXPECT_FLOAT_EQ(window.left(), 1000.5f);
    EXPECT_FLOAT_EQ(window.top(), 2007);
    EXPECT_FLOAT_EQ(window.width(), 1185);
    EXPECT_FLOAT_EQ(window.height(), 1440);
    EXPECT_EQ(window.widthPixels(), 79);
    EXPECT_EQ(window.heightPixels(), 96);
    // 7.5 pixels wide rounds to the even 8, 8.5 to 8 too.
    window.setWidth(112.5f);
    window.setHeight(127.5f);
    EXPECT_EQ(window.widthPixels(), 8);
    EXPECT_EQ(window.heightPixels(), 8);
    EXPECT_FLOAT_EQ(window.width(), 112.5f);
}

TEST(QtSurfaceGeometry, TwipsRoundTripAtTwelveTwipsPerPixel) {
    platform::ScreenMetrics metrics;
    metrics.twipsPerPixelX = 12;
    metrics.twipsPerPixelY = 12;
    platform::testing::TestEnvironment env(metrics);
    PlainForm window;
    window.move(-120, 66, 1185, 1440);
    EXPECT_FLOAT_EQ(window.left(), -120);
    EXPECT_FLOAT_EQ(window.top(), 66);
    EXPECT_EQ(window.widthPixels(), 99);  // 98.75
    EXPECT_EQ(window.heightPixels(), 120);
    platform::PictureBox& box = window.addPictureBox("pic");
    box.setLeft(30);  // 2.5 pixels: to the even 2
    box.setWidth(300);
    EXPECT_FLOAT_EQ(box.left(), 30);
    EXPECT_EQ(box.widthPixels(), 25);
    // The balloon font at 12 twips per pixel: 8.25 pt is 14 pixels high.
    window.setFontName("ＭＳ Ｐゴシック");
    window.setFontSize(8.25f);
    EXPECT_GT(window.textWidth("KIPRUN!"), 44 * 15);
}

TEST_F(QtSurfaceTest, WindowRegionIsSetAndReadBack) {
    EXPECT_FALSE(window.windowRegion().has_value());
    const std::int64_t regionsBefore = Region::liveCount();

    Region shape = Region::rectangle(0, 0, 4, 10);
    shape.unite(Region::rectangle(0, 8, 20, 10));
    EXPECT_TRUE(window.setWindowRegion(std::move(shape), true));
    const auto readBack = window.windowRegion();
    ASSERT_TRUE(readBack.has_value());
    Region expected = Region::rectangle(0, 8, 20, 10);
    expected.unite(Region::rectangle(0, 0, 4, 8));
    EXPECT_TRUE(readBack->samePixels(expected));
    EXPECT_FALSE(readBack->contains(10, 2));

    // Cut to nothing: the window shows no pixel, which is not the same as never cut.
    EXPECT_TRUE(window.setWindowRegion(Region(), true));
    const auto empty = window.windowRegion();
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->isEmpty());
    // The regions handed over are gone; readBack, expected and empty remain.
    EXPECT_EQ(Region::liveCount(), regionsBefore + 3);
}

TEST_F(QtSurfaceTest, PictureBoxHasItsOwnBufferAndRegion) {
    platform::PictureBox& frame = window.addPictureBox("MakeRGNTalkWindowWaku");
    EXPECT_EQ(window.pictureBox("MakeRGNTalkWindowWaku"), &frame);
    EXPECT_EQ(window.pictureBox("other"), nullptr);
    EXPECT_EQ(&frame.container(), &window);
    EXPECT_FLOAT_EQ(frame.left(), 0);
    EXPECT_FLOAT_EQ(frame.width(), 1215);
    EXPECT_FALSE(frame.visible());
    EXPECT_EQ(frame.backColor(), kWhite);
    EXPECT_FALSE(frame.autoRedraw());
    EXPECT_NE(frame.hwnd(), 0u);
    EXPECT_NE(frame.hwnd(), window.hwnd());

    frame.setBackColor(kBlack);
    frame.setVisible(true);
    EXPECT_TRUE(frame.visible());
    EXPECT_EQ(frame.backBufferPixel(80, 80), kBlack);
    EXPECT_EQ(window.backBufferPixel(5, 5), kWhite);
    EXPECT_FALSE(frame.windowRegion().has_value());
    EXPECT_TRUE(frame.setWindowRegion(Region::rectangle(0, 0, 1, 18), false));
    EXPECT_TRUE(frame.windowRegion()->samePixels(Region::rectangle(0, 0, 1, 18)));
    EXPECT_FALSE(window.windowRegion().has_value());
}

}  // namespace
