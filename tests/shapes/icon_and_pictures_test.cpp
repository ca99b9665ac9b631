#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <set>
#include <tuple>

#include "GifEncoder.h"
#include "PngEncoder.h"
#include "TestArt.h"

using namespace shapes::tooling;

namespace {

QImage readWithQt(const std::vector<std::uint8_t>& bytes, const char* format) {
    QImage image;
    image.loadFromData(bytes.data(), static_cast<int>(bytes.size()), format);
    return image.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

TEST(ProgramIcon, PngAndIcoShowTheSameGolferWithATransparentSky) {
    const QImage png =
        readWithQt(readFileBytes(shapes::testing::artDir() / "program_icon.png"), "PNG");
    const QImage ico =
        readWithQt(readFileBytes(shapes::testing::artDir() / "program_icon.ico"), "ICO");
    ASSERT_EQ(png.size(), QSize(32, 32));
    ASSERT_EQ(ico.size(), QSize(32, 32));
    std::set<std::tuple<int, int, int>> colours;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb p = png.pixel(x, y);
            const QRgb i = ico.pixel(x, y);
            ASSERT_EQ(qAlpha(p), qAlpha(i)) << x << ", " << y;
            if (qAlpha(p) == 0) continue;
            ASSERT_EQ(qAlpha(p), 255);
            ASSERT_EQ(p & 0xFFFFFF, i & 0xFFFFFF) << x << ", " << y;
            colours.insert({qRed(p), qGreen(p), qBlue(p)});
        }
    }
    EXPECT_EQ(qAlpha(png.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(png.pixel(31, 0)), 0);
    EXPECT_EQ(png.pixel(0, 31), qRgb(0, 240, 0));
    const std::set<std::tuple<int, int, int>> expected{
        {0, 0, 0},   {240, 160, 144}, {80, 64, 240}, {144, 144, 48},
        {0, 240, 0}, {0, 192, 0},     {0, 128, 0}};
    EXPECT_EQ(colours, expected);
    // The ICO is the 256-colour kind.
    const auto bytes = readFileBytes(shapes::testing::artDir() / "program_icon.ico");
    EXPECT_EQ(bytes[6], 32);
    EXPECT_EQ(bytes[7], 32);
    EXPECT_EQ(bytes[6 + 6] | (bytes[6 + 7] << 8), 8);
}

TEST(Pictures, CompressedPngAndGifReadBack) {
    RgbaPicture picture(300, 7);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 300; ++x) {
            picture.set(x, y, static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y * 30), 5,
                        static_cast<std::uint8_t>(x % 2 ? 255 : 128));
        }
    }
    for (PngPacking packing : {PngPacking::Stored, PngPacking::Compressed}) {
        const QImage back = readWithQt(encodePng(picture, packing), "PNG");
        ASSERT_EQ(back.size(), QSize(300, 7));
        EXPECT_EQ(back.pixel(299, 6), qRgba(43, 180, 5, 255));
        EXPECT_EQ(back.pixel(10, 2), qRgba(10, 60, 5, 128));
    }

    // 600 pixels a frame: more literals than one clear code covers.
    std::vector<GifFrame> frames(3);
    for (std::size_t f = 0; f < frames.size(); ++f) {
        frames[f].indices.assign(600, 0);
        for (std::size_t i = 0; i < 600; ++i) frames[f].indices[i] = (i + f) % 3;
    }
    const auto gif = encodeGif(30, 20, {Rgb{0, 0, 0}, Rgb{255, 255, 255}, Rgb{255, 0, 0}}, frames);
    QByteArray data(reinterpret_cast<const char*>(gif.data()), static_cast<int>(gif.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer, "GIF");
    ASSERT_TRUE(reader.canRead());
    EXPECT_EQ(reader.imageCount(), 3);
    const QImage second = reader.read().isNull() ? QImage() : reader.read();
    ASSERT_FALSE(second.isNull());
    EXPECT_EQ(second.pixel(0, 0), qRgb(255, 255, 255));  // index (0 + 1) % 3
    EXPECT_EQ(second.pixel(29, 19), qRgb(0, 0, 0));      // index (599 + 1) % 3
}
