#pragma once
// The program's window shapes: one record per sprite (shape index 0..50) and one per end piece
// of the talk balloon (talk shape index 10000..10007), each laid out byte for byte as a native
// region data record (a 32-byte header followed by rectangles, little-endian 32-bit fields).
//
// The tables start zeroed and are filled once, on first use, by plain copying of constant data
// derived from the sprite bitmaps at build time; nothing here scans pixels at run time.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace mod_RGN_Data {

struct RGNRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
    bool operator==(const RGNRect&) const = default;
};

template <std::size_t N>
struct RGNRecord {
    std::uint32_t dwSize;    // 32
    std::uint32_t iType;     // 1
    std::uint32_t nCount;    // rectangles in Buffer
    std::uint32_t nRgnSize;  // 16 * nCount
    RGNRect rcBound;
    RGNRect Buffer[N];
};

using RGNShapeRecord = RGNRecord<207>;
using RGNTalkShapeRecord = RGNRecord<15>;
static_assert(sizeof(RGNShapeRecord) == 3344);
static_assert(sizeof(RGNTalkShapeRecord) == 272);

inline constexpr std::int32_t kSpriteCount = 51;       // shape indices 0..50
inline constexpr std::int32_t kShapeTableSize = 52;    // entry 51 stays empty
inline constexpr std::int32_t kTalkShapeBase = 10000;  // talk shape indices 10000..10007
inline constexpr std::int32_t kTalkShapeCount = 8;

extern RGNShapeRecord RGNShapeTable[kShapeTableSize];
extern RGNTalkShapeRecord RGNTalkShapeTable[kTalkShapeCount];
// 16-bit booleans: 0 false, -1 true.
extern std::int16_t RGNShapesLoaded;
extern std::int16_t RGNTalkShapesLoaded;

// Copy the constant shapes into the tables (entries 0..50, and 0..7).
void LoadRGNShapes();
void LoadRGNTalkShapes();

// Thrown for a shape index outside 0..51 and 10000..10007.
class SubscriptOutOfRange : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

// The record a shape index selects and its byte count (dwSize + nRgnSize).
struct ShapeRecordRef {
    const void* data;
    std::size_t byteCount;
};
ShapeRecordRef LookupShapeRecord(std::int32_t index);

}  // namespace mod_RGN_Data

namespace shapes {

// An embedded file: bytes that live as long as the program.
struct EmbeddedFile {
    const std::uint8_t* data;
    std::size_t size;
};
// The sprite bitmap `index` (0..50) as committed under shapes/art/, unpacked anew on every
// call: the caller keeps what it makes of it, and the bytes are not held twice.
std::vector<std::uint8_t> spriteBitmap(std::int32_t index);
// The program icon as .ico and as .png.
EmbeddedFile programIconIco();
EmbeddedFile programIconPng();

}  // namespace shapes
