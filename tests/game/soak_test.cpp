// A long game in virtual time: a thousand shots, hits and misses, leave no windows, regions or
// memory behind.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "GameScene.h"
#include "platform/Clock.h"
#include "platform/Region.h"

namespace {

// Resident set size in kilobytes.
long residentKb() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace

TEST(Soak, AThousandShotsLeaveNothingBehind) {
    GameScene scene;
    // Holes at 10 to 13 heights: speed 60 holes out at 11 and 12, misses at 10 and 13.
    scene.setHoleSteps({11, 10, 12, 13});
    scene.start();
    const int bars[] = {30, 30, 30, 30, 0, 80, 18};
    std::int64_t windows = 0;
    std::int64_t regions = 0;
    long rssAfterWarmUp = 0;
    for (int shot = 0; shot < 1000; ++shot) {
        ASSERT_TRUE(scene.strikeAt(bars[shot % 7])) << "shot " << shot;
        ASSERT_TRUE(scene.finishShot()) << "shot " << shot;
        scene.clearFrames();
        if (shot == 49) {
            windows = platform::Form::liveCount();
            regions = platform::Region::liveCount();
            rssAfterWarmUp = residentKb();
        }
        if (shot > 49 && shot % 50 == 49) {
            EXPECT_EQ(platform::Form::liveCount(), windows) << "shot " << shot;
            EXPECT_EQ(platform::Region::liveCount(), regions) << "shot " << shot;
        }
    }
    std::printf("resident growth over 950 shots: %ld kB\n", residentKb() - rssAfterWarmUp);
    // Loosely: allocator noise is fine, a leak per shot is not.
    EXPECT_LT(residentKb() - rssAfterWarmUp, 2 * 1024);
}
