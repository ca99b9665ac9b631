#pragma once
// Regions: sets of pixels described by rectangles, in the pixel coordinates of the window or
// back buffer they are applied to. A Region is a move-only RAII value: it owns its native
// region, and handing it to a window (Surface::setWindowRegion) moves it there, so nothing can
// leak one and nothing can use one after the window took it.
//
// The calls mirror the native region calls the program was designed on:
//   ExtCreateRegion  -> Region::fromRegionData   CreateRectRgn -> Region::rectangle
//   CombineRgn OR    -> Region::unite             OffsetRgn     -> Region::offset
//   SetWindowRgn     -> Surface::setWindowRegion  GetWindowRgn  -> Surface::windowRegion
//   SelectClipRgn    -> Surface::selectClip / Surface::clearClip

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace platform {

// Half-open rectangle in pixels: left <= x < right, top <= y < bottom.
struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    constexpr bool isEmpty() const { return left >= right || top >= bottom; }
    constexpr bool contains(std::int32_t x, std::int32_t y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

// Byte layout of a region data record (the native RGNDATAHEADER followed by RECTs), all
// little-endian 32-bit fields.
inline constexpr std::uint32_t kRegionHeaderSize = 32;
inline constexpr std::uint32_t kRegionTypeRectangles = 1;

class Region {
public:
    // The empty region.
    Region();
    ~Region();
    Region(Region&&) noexcept;
    Region& operator=(Region&&) noexcept;
    Region(const Region&) = delete;
    Region& operator=(const Region&) = delete;

    // Builds a region from a region data record of `byteCount` bytes, validated the way the
    // native call validates it: dwSize must be 32, iType 1, nRgnSize must equal 16 * nCount,
    // and byteCount must cover dwSize + nRgnSize bytes. Returns nothing when the record is
    // rejected; an all-zero record (an unfilled table entry) is rejected. A valid header with
    // nCount 0 gives the empty region.
    static std::optional<Region> fromRegionData(const void* data, std::size_t byteCount);

    // A rectangle region; an empty or inverted rectangle gives the empty region.
    static Region rectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                            std::int32_t bottom);

    // Moves every pixel by (dx, dy).
    void offset(std::int32_t dx, std::int32_t dy);
    // This region becomes the union of itself and `other`.
    void unite(const Region& other);

    bool isEmpty() const;
    bool contains(std::int32_t x, std::int32_t y) const;
    Rect boundingRect() const;
    // The region as banded rectangles (top to bottom, left to right).
    std::vector<Rect> rects() const;
    // Pixel equality: true when both regions cover exactly the same pixels.
    bool samePixels(const Region& other) const;

    // Number of Region objects currently alive in the process (for leak checks in tests).
    static std::int64_t liveCount();

    struct Impl;
    Impl* impl() const { return m_impl.get(); }

private:
    std::unique_ptr<Impl> m_impl;
};

}  // namespace platform
