// Painting sprites through their shapes.

#include <gtest/gtest.h>

#include "NamedTestForm.h"
#include "platform/Color.h"
#include "platform/RuntimeError.h"
#include "platform/testing/TestEnvironment.h"
#include "shapes/mod_RGN_Data.h"
#include "toolkit/frm_RGN_Picture.h"
#include "toolkit/mod_RGN_Proc.h"

namespace {

struct CanvasTag {
    static constexpr const char* kName = "Canvas";
};
using Canvas = NamedTestForm<CanvasTag>;

constexpr platform::Color kGrey = platform::rgb(60, 70, 80);

// The large ball's 21 pixels: its three rectangles (2,1)-(5,2), (1,2)-(6,5), (2,5)-(5,6).
bool insideBall(int x, int y) {
    return (y == 1 && x >= 2 && x < 5) || (y >= 2 && y < 5 && x >= 1 && x < 6) ||
           (y == 5 && x >= 2 && x < 5);
}

// Paints the ball at (dx, dy) pixels on a 20 x 20 pixel canvas and checks every pixel: the
// bitmap's inside the shape, the back colour elsewhere (the bitmap's red surround included).
void expectBallPaintedAt(int dx, int dy) {
    mod_RGN_Data::LoadRGNShapes();
    Canvas& canvas = Canvas::get();
    canvas.setWidth(300);
    canvas.setHeight(300);
    canvas.setBackColor(kGrey);
    canvas.setAutoRedraw(true);
    canvas.cls();

    mod_RGN_Proc::PaintRGNPicture(45, canvas, dx * 15, dy * 15);

    const platform::Picture& ball = platform::form<frm_RGN_Picture>().pPicture(45);
    int painted = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            const bool inside = insideBall(x - dx, y - dy);
            const platform::Color expected = inside ? ball.pixel(x - dx, y - dy) : kGrey;
            EXPECT_EQ(canvas.backBufferPixel(x, y), expected) << x << "," << y;
            if (inside && canvas.backBufferPixel(x, y) == platform::kWhite) ++painted;
        }
    }
    EXPECT_EQ(painted, 21);
    EXPECT_FALSE(canvas.hasClip());
}

TEST(PaintRGNPictureTest, CopiesOnlyThePixelsInsideTheShape) {
    platform::testing::TestEnvironment env;
    expectBallPaintedAt(0, 0);
}

TEST(PaintRGNPictureTest, BitmapAndClipMoveTogether) {
    platform::testing::TestEnvironment env;
    expectBallPaintedAt(10, 5);
}

TEST(PaintRGNPictureTest, LeavesNoClipForLaterDrawing) {
    platform::testing::TestEnvironment env;
    expectBallPaintedAt(0, 0);
    Canvas& canvas = Canvas::get();
    canvas.setBackColor(platform::kBlack);
    canvas.cls();
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) ASSERT_EQ(canvas.backBufferPixel(x, y), platform::kBlack);
    }
}

TEST(PaintRGNPictureTest, AShapeWithoutBitmapIsRejectedWithoutLeavingAClip) {
    platform::testing::TestEnvironment env;
    mod_RGN_Data::LoadRGNTalkShapes();
    Canvas& canvas = Canvas::get();
    try {
        mod_RGN_Proc::PaintRGNPicture(10000, canvas, 0, 0);
        ADD_FAILURE() << "no error";
    } catch (const platform::RuntimeError& error) {
        EXPECT_EQ(error.code(), platform::ErrorCode::kSubscriptOutOfRange);
    }
    EXPECT_FALSE(canvas.hasClip());
}

TEST(SpriteHolderTest, HoldsEverySpriteAtItsSizeAndRejectsOtherIndices) {
    platform::testing::TestEnvironment env;
    frm_RGN_Picture& holder = platform::form<frm_RGN_Picture>();
    for (int i = 0; i <= 44; ++i) {
        EXPECT_EQ(holder.pPicture(i).widthPixels(), 79) << i;
        EXPECT_EQ(holder.pPicture(i).heightPixels(), 96) << i;
    }
    EXPECT_EQ(holder.pPicture(45).widthPixels(), 7);
    EXPECT_EQ(holder.pPicture(48).heightPixels(), 22);
    EXPECT_EQ(holder.pPicture(49).widthPixels(), 12);
    EXPECT_EQ(holder.pPicture(50).heightPixels(), 17);
    EXPECT_EQ(holder.pPicture(45).pixel(0, 0), platform::rgb(255, 0, 0));
    EXPECT_FALSE(holder.visible());
    for (const std::int32_t index : {-1, 51, 10000}) {
        try {
            holder.pPicture(index);
            ADD_FAILURE() << "no error for " << index;
        } catch (const platform::RuntimeError& error) {
            EXPECT_EQ(error.code(), platform::ErrorCode::kSubscriptOutOfRange) << index;
        }
    }
}

}  // namespace
