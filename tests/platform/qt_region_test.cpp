// Regions: building from region data records, rectangles, offsets, unions and pixel equality.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/Region.h"

namespace {

using platform::Rect;
using platform::Region;

// A region data record as the shape tables store it: header, then the rectangles.
std::vector<std::uint8_t> record(const std::vector<Rect>& rects, std::uint32_t size = 32,
                                 std::uint32_t type = 1, int rgnSizeDelta = 0) {
    std::vector<std::uint8_t> bytes(32 + 16 * rects.size());
    auto put = [&bytes](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put(0, size);
    put(4, type);
    put(8, static_cast<std::uint32_t>(rects.size()));
    put(12, static_cast<std::uint32_t>(16 * rects.size() + rgnSizeDelta));
    for (std::size_t i = 0; i < rects.size(); ++i) {
        put(32 + 16 * i, static_cast<std::uint32_t>(rects[i].left));
        put(36 + 16 * i, static_cast<std::uint32_t>(rects[i].top));
        put(40 + 16 * i, static_cast<std::uint32_t>(rects[i].right));
        put(44 + 16 * i, static_cast<std::uint32_t>(rects[i].bottom));
    }
    return bytes;
}

// The large ball: three bands of one 7 x 7 sprite, 21 pixels.
const std::vector<Rect> kBall = {
    {2, 0, 5, 1}, {1, 1, 6, 2}, {0, 2, 7, 5}, {1, 5, 6, 6}, {2, 6, 5, 7}};

int pixelCount(const Region& region) {
    int count = 0;
    for (const Rect& r : region.rects()) count += (r.right - r.left) * (r.bottom - r.top);
    return count;
}

TEST(QtRegion, ValidRecordGivesItsRectangles) {
    const auto bytes = record(kBall);
    const auto region = Region::fromRegionData(bytes.data(), bytes.size());
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(region->rects(), kBall);
    EXPECT_EQ(pixelCount(*region), 3 + 5 + 21 + 5 + 3);
    EXPECT_TRUE(region->contains(0, 2));
    EXPECT_FALSE(region->contains(0, 0));
    EXPECT_FALSE(region->contains(7, 2));
    EXPECT_EQ(region->boundingRect(), (Rect{0, 0, 7, 7}));
}

TEST(QtRegion, UnsortedOrOverlappingRectanglesAreUnited) {
    const auto bytes = record({{0, 5, 4, 8}, {0, 0, 4, 4}, {2, 2, 6, 6}});
    const auto region = Region::fromRegionData(bytes.data(), bytes.size());
    ASSERT_TRUE(region.has_value());
    EXPECT_TRUE(region->contains(5, 5));
    EXPECT_TRUE(region->contains(0, 7));
    EXPECT_FALSE(region->contains(5, 0));
    // Pixels counted once where the rectangles overlap.
    EXPECT_EQ(pixelCount(*region), 12 + 16 + 16 - 4 - 2);
}

TEST(QtRegion, MalformedRecordsAreRejected) {
    const auto good = record(kBall);
    EXPECT_FALSE(Region::fromRegionData(record(kBall, 36).data(), good.size()));
    EXPECT_FALSE(Region::fromRegionData(record(kBall, 32, 2).data(), good.size()));
    EXPECT_FALSE(Region::fromRegionData(record(kBall, 32, 1, 16).data(), good.size()));
    EXPECT_FALSE(Region::fromRegionData(record(kBall, 32, 1, -16).data(), good.size()));
    // The byte count must cover the header and every rectangle.
    EXPECT_FALSE(Region::fromRegionData(good.data(), good.size() - 1));
    EXPECT_FALSE(Region::fromRegionData(good.data(), 31));
    EXPECT_FALSE(Region::fromRegionData(nullptr, good.size()));
    // An unfilled table entry.
    const std::vector<std::uint8_t> zeros(32 + 16 * 4, 0);
    EXPECT_FALSE(Region::fromRegionData(zeros.data(), zeros.size()));
}

TEST(QtRegion, HeaderWithoutRectanglesIsTheEmptyRegion) {
    const auto bytes = record({});
    const auto region = Region::fromRegionData(bytes.data(), bytes.size());
    ASSERT_TRUE(region.has_value());
    EXPECT_TRUE(region->isEmpty());
    EXPECT_TRUE(region->rects().empty());
}

TEST(QtRegion, RectangleOffsetAndUnite) {
    EXPECT_TRUE(Region::rectangle(5, 5, 5, 9).isEmpty());
    EXPECT_TRUE(Region::rectangle(9, 0, 2, 4).isEmpty());

    Region region = Region::rectangle(0, 0, 2, 3);
    region.offset(8, -1);
    EXPECT_EQ(region.rects(), (std::vector<Rect>{{8, -1, 10, 2}}));

    region.unite(Region::rectangle(10, -1, 12, 2));
    EXPECT_EQ(region.rects(), (std::vector<Rect>{{8, -1, 12, 2}}));

    Region empty;
    empty.unite(region);
    EXPECT_TRUE(empty.samePixels(region));
}

TEST(QtRegion, SamePixelsComparesCoverageNotRectangleLists) {
    // One rectangle against the same pixels built in two halves and in another order.
    const Region whole = Region::rectangle(0, 0, 4, 4);
    Region halves = Region::rectangle(0, 2, 4, 4);
    halves.unite(Region::rectangle(0, 0, 4, 2));
    EXPECT_TRUE(whole.samePixels(halves));

    const auto bytes = record({{0, 0, 2, 4}, {2, 0, 4, 4}});
    const auto columns = Region::fromRegionData(bytes.data(), bytes.size());
    ASSERT_TRUE(columns.has_value());
    EXPECT_TRUE(whole.samePixels(*columns));

    EXPECT_FALSE(whole.samePixels(Region::rectangle(0, 0, 4, 3)));
    EXPECT_FALSE(whole.samePixels(Region()));
    EXPECT_TRUE(Region().samePixels(Region::rectangle(3, 3, 3, 3)));
}

TEST(QtRegion, LiveCountFollowsOwnership) {
    const std::int64_t before = Region::liveCount();
    {
        Region a = Region::rectangle(0, 0, 1, 1);
        Region b = std::move(a);
        EXPECT_EQ(Region::liveCount(), before + 1);
        // A moved-from region is empty and usable.
        EXPECT_TRUE(a.isEmpty());
        a.unite(b);
        EXPECT_EQ(Region::liveCount(), before + 2);
        b = std::move(a);
        EXPECT_EQ(Region::liveCount(), before + 1);
    }
    EXPECT_EQ(Region::liveCount(), before);
}

}  // namespace
