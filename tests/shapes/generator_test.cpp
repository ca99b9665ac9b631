#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "ShapeTableSource.h"
#include "TestArt.h"

namespace fs = std::filesystem;
using namespace shapes::tooling;

namespace {

std::string failureOf(int index, const SpriteImage& image) {
    try {
        deriveCheckedShape(index, image);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return {};
}

// A golfer-sized picture of single dots: a run per dot, every row a band of its own.
SpriteImage dottedGolfer(int dotsPerRow) {
    SpriteImage image = shapes::testing::committedSprite(0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) image.setIndex(x, y, 1);
    }
    for (int y = 1; y < image.height(); ++y) {
        for (int k = 0; k < dotsPerRow; ++k) image.setIndex(2 + 2 * k + (y % 2), y, 0);
    }
    return image;
}

}  // namespace

TEST(Generator, RejectsArtThatCannotBecomeAShape) {
    const SpriteImage golfer = shapes::testing::committedSprite(0);
    EXPECT_EQ(failureOf(0, golfer), "");

    SpriteImage wrongSize(80, 96, 8);
    EXPECT_NE(failureOf(0, wrongSize).find("79 x 96"), std::string::npos);

    SpriteImage wrongDepth(79, 96, 24);
    EXPECT_NE(failureOf(0, wrongDepth).find("bits per pixel"), std::string::npos);

    SpriteImage noKey = golfer;
    noKey.setIndex(0, 0, 0);
    EXPECT_NE(failureOf(0, noKey).find("key colour"), std::string::npos);

    // 95 rows of two dots stay within the limit; of three they do not.
    EXPECT_EQ(failureOf(5, dottedGolfer(2)), "");
    EXPECT_NE(failureOf(5, dottedGolfer(3)).find("285 rectangles"), std::string::npos);

    SpriteImage blank = dottedGolfer(0);
    EXPECT_NE(failureOf(7, blank).find("no pixel"), std::string::npos);
}

TEST(Generator, ToolStopsWithTheFileAndTheReason) {
    const fs::path dir =
        fs::temp_directory_path() /
        ("kiprun-derive-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy(shapes::testing::artDir(), dir, fs::copy_options::recursive);
    writeFileBytes(dir / spriteFileName(17), encodeBmp(dottedGolfer(3)));

    const fs::path log = dir / "log.txt";
    const std::string command = std::string(KIPRUN_DERIVE_TOOL) + " " + dir.string() + " " +
                                (dir / "a.cpp").string() + " " + (dir / "b.cpp").string() + " 2> " +
                                log.string();
    EXPECT_NE(std::system(command.c_str()), 0);
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("sprite_17.bmp"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("more than the 206"), std::string::npos) << text.str();
    EXPECT_FALSE(fs::exists(dir / "a.cpp"));

    // With the committed art restored, the same run succeeds.
    fs::copy_file(shapes::testing::artDir() / spriteFileName(17), dir / spriteFileName(17),
                  fs::copy_options::overwrite_existing);
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(fs::exists(dir / "a.cpp"));
    fs::remove_all(dir);
}
