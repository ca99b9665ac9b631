#include <gtest/gtest.h>
#include <shapes/mod_RGN_Data.h>

#include <cstring>
#include <vector>

#include "ShapeDerivation.h"
#include "TalkPieces.h"
#include "TestArt.h"

using namespace mod_RGN_Data;
using shapes::tooling::boundingBox;

namespace {

template <std::size_t N>
void expectRecordHolds(const RGNRecord<N>& record, const std::vector<RGNRect>& rects) {
    EXPECT_EQ(record.dwSize, 32u);
    EXPECT_EQ(record.iType, 1u);
    ASSERT_EQ(record.nCount, rects.size());
    EXPECT_EQ(record.nRgnSize, 16u * rects.size());
    EXPECT_EQ(record.rcBound, boundingBox(rects));
    for (std::size_t i = 0; i < N; ++i) {
        const RGNRect expected = i < rects.size() ? rects[i] : RGNRect{0, 0, 0, 0};
        EXPECT_EQ(record.Buffer[i], expected) << "rectangle " << i;
    }
}

bool allZero(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        if (bytes[i] != 0) return false;
    }
    return true;
}

// The tables are process-wide; every test here sees them filled.
class ShapeTables : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Nothing fills the tables but the loaders.
        ASSERT_TRUE(allZero(RGNShapeTable, sizeof RGNShapeTable));
        ASSERT_TRUE(allZero(RGNTalkShapeTable, sizeof RGNTalkShapeTable));
        EXPECT_EQ(RGNShapesLoaded, 0);
        EXPECT_EQ(RGNTalkShapesLoaded, 0);
        LoadRGNShapes();
        LoadRGNTalkShapes();
    }
};

}  // namespace

TEST_F(ShapeTables, SpriteRecordsAreTheShapesOfTheCommittedArt) {
    for (int i = 0; i < kSpriteCount; ++i) {
        SCOPED_TRACE("shape " + std::to_string(i));
        expectRecordHolds(RGNShapeTable[i],
                          shapes::tooling::deriveShape(shapes::testing::committedSprite(i)));
    }
    EXPECT_TRUE(allZero(&RGNShapeTable[51], sizeof(RGNShapeRecord)));
}

TEST_F(ShapeTables, BalloonRecordsHoldTheEndPieces) {
    const auto& pieces = shapes::tooling::talkPieces();
    const std::size_t counts[8] = {9, 9, 9, 9, 15, 11, 11, 15};
    for (int i = 0; i < kTalkShapeCount; ++i) {
        SCOPED_TRACE("talk shape " + std::to_string(kTalkShapeBase + i));
        EXPECT_EQ(pieces[i].size(), counts[i]);
        EXPECT_EQ(shapes::tooling::bandedOrderFault(pieces[i]), "");
        expectRecordHolds(RGNTalkShapeTable[i], pieces[i]);
    }
    EXPECT_EQ(RGNTalkShapeTable[0].rcBound, (RGNRect{0, 1, 8, 18}));
    EXPECT_EQ(RGNTalkShapeTable[5].rcBound, (RGNRect{0, 1, 7, 16}));
    EXPECT_EQ(RGNTalkShapeTable[7].Buffer[14], (RGNRect{5, 17, 8, 18}));
}

TEST_F(ShapeTables, LoadingAgainChangesNothing) {
    std::vector<unsigned char> before(sizeof RGNShapeTable);
    std::memcpy(before.data(), RGNShapeTable, before.size());
    LoadRGNShapes();
    EXPECT_EQ(std::memcmp(before.data(), RGNShapeTable, before.size()), 0);
}

TEST_F(ShapeTables, LookupSelectsTheRecordAndItsByteCount) {
    const ShapeRecordRef ball = LookupShapeRecord(45);
    EXPECT_EQ(ball.data, &RGNShapeTable[45]);
    EXPECT_EQ(ball.byteCount, 32u + 16u * 3);
    const ShapeRecordRef gauge = LookupShapeRecord(50);
    EXPECT_EQ(gauge.byteCount, 32u + 16u * 202);
    const ShapeRecordRef piece = LookupShapeRecord(10003);
    EXPECT_EQ(piece.data, &RGNTalkShapeTable[3]);
    EXPECT_EQ(piece.byteCount, 32u + 16u * 9);
    EXPECT_EQ(LookupShapeRecord(10007).data, &RGNTalkShapeTable[7]);
    // Entry 51 passes the range check and is empty.
    const ShapeRecordRef empty = LookupShapeRecord(51);
    EXPECT_EQ(empty.data, &RGNShapeTable[51]);
    EXPECT_EQ(empty.byteCount, 0u);
}

TEST_F(ShapeTables, LookupRejectsIndicesOutsideTheTables) {
    for (std::int32_t index : {-1, -10000, 52, 9999, 10008, 20000, INT32_MIN, INT32_MAX}) {
        EXPECT_THROW(LookupShapeRecord(index), SubscriptOutOfRange) << index;
    }
    EXPECT_NO_THROW(LookupShapeRecord(0));
    EXPECT_NO_THROW(LookupShapeRecord(10000));
}

TEST(EmbeddedArt, BytesAreTheCommittedFiles) {
    using shapes::tooling::readFileBytes;
    for (int i = 0; i < kSpriteCount; ++i) {
        const std::vector<std::uint8_t> file = shapes::spriteBitmap(i);
        const auto committed =
            readFileBytes(shapes::testing::artDir() / shapes::tooling::spriteFileName(i));
        ASSERT_EQ(file.size(), committed.size()) << i;
        EXPECT_EQ(file, committed) << i;
    }
    const auto ico = readFileBytes(shapes::testing::artDir() / "program_icon.ico");
    const auto png = readFileBytes(shapes::testing::artDir() / "program_icon.png");
    ASSERT_EQ(shapes::programIconIco().size, ico.size());
    EXPECT_EQ(std::memcmp(shapes::programIconIco().data, ico.data(), ico.size()), 0);
    ASSERT_EQ(shapes::programIconPng().size, png.size());
    EXPECT_EQ(std::memcmp(shapes::programIconPng().data, png.data(), png.size()), 0);
    EXPECT_THROW(shapes::spriteBitmap(51), SubscriptOutOfRange);
    EXPECT_THROW(shapes::spriteBitmap(-1), SubscriptOutOfRange);
}
