#include <gtest/gtest.h>

#include <QImage>
#include <cstdint>
#include <vector>

#include "BmpCodec.h"
#include "SmallSprites.h"
#include "TestArt.h"

using namespace shapes::tooling;

namespace {

std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}
std::uint32_t u16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8);
}

SpriteImage checkerboard(int w, int h, int bpp) {
    SpriteImage image(w, h, bpp);
    image.setPixelsPerMetre(2834);
    image.setPaletteEntry(7, Rgb{10, 20, 30});
    image.setPaletteEntry(200, Rgb{250, 128, 1});
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (bpp == 8) {
                image.setIndex(x, y, (x + 2 * y) % 3 == 0 ? 200 : 7);
            } else {
                image.setColour(
                    x, y,
                    Rgb{static_cast<std::uint8_t>(x * 20), static_cast<std::uint8_t>(y * 30), 77});
            }
        }
    }
    return image;
}

}  // namespace

TEST(BmpCodec, PaletteLayoutHeadersPaddingAndBottomUpRows) {
    const SpriteImage image = checkerboard(5, 3, 8);
    const auto bytes = encodeBmp(image);
    const std::size_t stride = 8;  // 5 bytes padded to 8
    ASSERT_EQ(bytes.size(), 1078 + stride * 3);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(u32(bytes, 2), bytes.size());
    EXPECT_EQ(u32(bytes, 10), 1078u);
    EXPECT_EQ(u32(bytes, 14), 40u);
    EXPECT_EQ(u32(bytes, 18), 5u);
    EXPECT_EQ(u32(bytes, 22), 3u);
    EXPECT_EQ(u16(bytes, 26), 1u);
    EXPECT_EQ(u16(bytes, 28), 8u);
    EXPECT_EQ(u32(bytes, 30), 0u);
    EXPECT_EQ(u32(bytes, 34), stride * 3);
    EXPECT_EQ(u32(bytes, 38), 2834u);
    EXPECT_EQ(u32(bytes, 42), 2834u);
    // Palette entries as blue, green, red, 0.
    EXPECT_EQ(bytes[54 + 200 * 4], 1);
    EXPECT_EQ(bytes[54 + 200 * 4 + 1], 128);
    EXPECT_EQ(bytes[54 + 200 * 4 + 2], 250);
    // The first stored row is the bottom one; padding is zero.
    for (int x = 0; x < 5; ++x) EXPECT_EQ(bytes[1078 + x], image.index(x, 2)) << x;
    for (std::size_t x = 5; x < stride; ++x) EXPECT_EQ(bytes[1078 + x], 0);
    EXPECT_EQ(bytes[1078 + 2 * stride], image.index(0, 0));
    EXPECT_EQ(decodeBmp(bytes), image);
}

TEST(BmpCodec, TwentyFourBitLayoutRoundTrips) {
    const SpriteImage image = checkerboard(3, 2, 24);
    const auto bytes = encodeBmp(image);
    ASSERT_EQ(bytes.size(), 54u + 12 * 2);  // 9 bytes padded to 12
    EXPECT_EQ(u32(bytes, 10), 54u);
    EXPECT_EQ(u16(bytes, 28), 24u);
    // Bottom row first, each pixel blue, green, red.
    EXPECT_EQ(bytes[54], 77);
    EXPECT_EQ(bytes[55], 30);
    EXPECT_EQ(bytes[56], 0);
    EXPECT_EQ(decodeBmp(bytes), image);
}

TEST(BmpCodec, RejectsWhatItCannotRead) {
    auto bytes = encodeBmp(checkerboard(4, 4, 8));
    auto broken = bytes;
    broken[0] = 'X';
    EXPECT_THROW(decodeBmp(broken), BmpError);
    broken = bytes;
    broken[30] = 1;  // run-length compression
    EXPECT_THROW(decodeBmp(broken), BmpError);
    broken = bytes;
    broken[28] = 4;
    EXPECT_THROW(decodeBmp(broken), BmpError);
    broken = bytes;
    broken.resize(bytes.size() - 1);
    EXPECT_THROW(decodeBmp(broken), BmpError);
    broken = bytes;
    broken[22] = 0;  // height 0
    EXPECT_THROW(decodeBmp(broken), BmpError);
    EXPECT_THROW(decodeBmp({'B', 'M', 0}), BmpError);
}

TEST(BmpCodec, QtReadsEveryCommittedSpriteAsWeDo) {
    for (int i = 0; i <= kPowerGauge; ++i) {
        const auto bytes = readFileBytes(shapes::testing::artDir() / spriteFileName(i));
        QImage qt;
        ASSERT_TRUE(qt.loadFromData(bytes.data(), static_cast<int>(bytes.size()), "BMP")) << i;
        const SpriteImage ours = decodeBmp(bytes);
        ASSERT_EQ(qt.width(), ours.width());
        ASSERT_EQ(qt.height(), ours.height());
        for (int y = 0; y < ours.height(); ++y) {
            for (int x = 0; x < ours.width(); ++x) {
                const QRgb c = qt.pixel(x, y);
                const Rgb o = ours.colour(x, y);
                ASSERT_EQ(
                    (Rgb{static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
                         static_cast<std::uint8_t>(qBlue(c))}),
                    o)
                    << "sprite " << i << " at " << x << ", " << y;
            }
        }
    }
}
