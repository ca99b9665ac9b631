#include <shapes/mod_RGN_Data.h>

#include <bit>
#include <string>

#include "StoredShapes.h"

namespace mod_RGN_Data {

// The records are handed to the region calls byte for byte, and those expect little-endian
// fields.
static_assert(std::endian::native == std::endian::little);

RGNShapeRecord RGNShapeTable[kShapeTableSize] = {};
RGNTalkShapeRecord RGNTalkShapeTable[kTalkShapeCount] = {};
std::int16_t RGNShapesLoaded = 0;
std::int16_t RGNTalkShapesLoaded = 0;

void LoadRGNShapes() {
    for (std::int32_t i = 0; i < kSpriteCount; ++i) RGNShapeTable[i] = stored::kSpriteShapes[i];
}

void LoadRGNTalkShapes() {
    for (std::int32_t i = 0; i < kTalkShapeCount; ++i) {
        RGNTalkShapeTable[i] = stored::kTalkShapes[i];
    }
}

ShapeRecordRef LookupShapeRecord(std::int32_t index) {
    if (index >= kTalkShapeBase) {
        const std::int32_t entry = index - kTalkShapeBase;
        if (entry >= kTalkShapeCount) {
            throw SubscriptOutOfRange("talk shape index " + std::to_string(index) +
                                      " out of range");
        }
        const RGNTalkShapeRecord& record = RGNTalkShapeTable[entry];
        return {&record, std::size_t{record.dwSize} + record.nRgnSize};
    }
    if (index < 0 || index >= kShapeTableSize) {
        throw SubscriptOutOfRange("shape index " + std::to_string(index) + " out of range");
    }
    const RGNShapeRecord& record = RGNShapeTable[index];
    return {&record, std::size_t{record.dwSize} + record.nRgnSize};
}

}  // namespace mod_RGN_Data
