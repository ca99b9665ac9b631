// A long game in virtual time: a thousand shots, hits and misses, leave no windows, regions or
// memory behind.
//
// What is checked is what a leak would keep: the program's windows and regions, the native
// windows behind them, and the bytes the allocator has handed out and not had back. The
// resident size is only printed: it also counts library pages, thread stacks, allocator arenas
// and, under AddressSanitizer, the quarantine of freed blocks (up to 256 MB), none of which
// says whether the program leaks.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <fstream>
#include <string>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KIPRUN_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KIPRUN_ASAN 1
#endif

#if defined(KIPRUN_ASAN)
// From the sanitizer runtime's allocator interface (GCC installs no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#elif defined(__GLIBC__)
#include <malloc.h>
#endif

#include "GameScene.h"
#include "platform/Clock.h"
#include "platform/Region.h"
#include "platform/testing/TestEnvironment.h"

namespace {

struct Usage {
    std::int64_t forms = 0;
    std::int64_t regions = 0;
    int nativeWindows = 0;
    long long heapBytes = -1;  // -1 where the allocator cannot tell
};

Usage usageNow() {
    Usage usage;
    usage.forms = platform::Form::liveCount();
    usage.regions = platform::Region::liveCount();
    usage.nativeWindows = platform::testing::nativeWindowCount();
#if defined(KIPRUN_ASAN)
    // The sanitizer's allocator keeps freed blocks in quarantine, so only its own count of
    // live bytes means anything here.
    usage.heapBytes = static_cast<long long>(__sanitizer_get_current_allocated_bytes());
#elif defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    usage.heapBytes = static_cast<long long>(info.uordblks + info.hblkhd);
#endif
    return usage;
}

// One line of /proc/self/status in kilobytes, or -1.
long statusKb(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, key.size() + 1, key + ":") == 0) return std::stol(line.substr(key.size() + 1));
    }
    return -1;
}

}  // namespace

TEST(Soak, AThousandShotsLeaveNothingBehind) {
    GameScene scene;
    // Holes at 10 to 13 heights: speed 60 holes out at 11 and 12, misses at 10 and 13.
    scene.setHoleSteps({11, 10, 12, 13});
    scene.start();
    const int bars[] = {30, 30, 30, 30, 0, 80, 18};
    Usage warm;
    long anonAfterWarmUp = 0;
    long fileAfterWarmUp = 0;
    for (int shot = 0; shot < 1000; ++shot) {
        ASSERT_TRUE(scene.strikeAt(bars[shot % 7])) << "shot " << shot;
        ASSERT_TRUE(scene.finishShot()) << "shot " << shot;
        scene.clearFrames();
        if (shot == 49) {
            warm = usageNow();
            anonAfterWarmUp = statusKb("RssAnon");
            fileAfterWarmUp = statusKb("RssFile");
        }
        if (shot > 49 && shot % 50 == 49) {
            const Usage now = usageNow();
            ASSERT_EQ(now.forms, warm.forms) << "shot " << shot;
            ASSERT_EQ(now.regions, warm.regions) << "shot " << shot;
            ASSERT_EQ(now.nativeWindows, warm.nativeWindows) << "shot " << shot;
        }
    }
    const Usage end = usageNow();
    std::printf("over 950 shots: heap in use %+lld bytes (%lld at shot 50), resident anonymous "
                "%+ld kB, resident file-backed %+ld kB\n",
                end.heapBytes - warm.heapBytes, warm.heapBytes,
                statusKb("RssAnon") - anonAfterWarmUp, statusKb("RssFile") - fileAfterWarmUp);
    if (end.heapBytes >= 0) {
        // The allocator's own bookkeeping moves a little; a window or a back buffer left behind
        // on every shot would add several megabytes.
        EXPECT_LT(end.heapBytes - warm.heapBytes, 1024 * 1024);
    }
}
