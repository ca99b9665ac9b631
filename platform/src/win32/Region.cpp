#include "platform/Region.h"

#include <atomic>
#include <cstring>

#include "win32/RegionImpl.h"

namespace platform {

namespace {

std::atomic<std::int64_t> g_liveRegions{0};

std::uint32_t readU32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

HRGN emptyHandle() { return CreateRectRgn(0, 0, 0, 0); }

}  // namespace

Region::Region() : m_impl(std::make_unique<Impl>()) {
    m_impl->handle = emptyHandle();
    ++g_liveRegions;
}

Region::~Region() {
    if (m_impl) --g_liveRegions;
}

Region::Region(Region&& other) noexcept : m_impl(std::move(other.m_impl)) {
    // The moved-from object stays a valid, empty region, so the count is of objects.
    other.m_impl = std::make_unique<Impl>();
    other.m_impl->handle = emptyHandle();
    ++g_liveRegions;
}

Region& Region::operator=(Region&& other) noexcept {
    if (this != &other) {
        std::swap(m_impl, other.m_impl);
        CombineRgn(other.m_impl->handle, other.m_impl->handle, other.m_impl->handle, RGN_DIFF);
    }
    return *this;
}

std::optional<Region> Region::fromRegionData(const void* data, std::size_t byteCount) {
    if (!data || byteCount < kRegionHeaderSize) return std::nullopt;
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::uint32_t dwSize = readU32(bytes);
    std::uint32_t iType = readU32(bytes + 4);
    std::uint32_t nCount = readU32(bytes + 8);
    std::uint32_t nRgnSize = readU32(bytes + 12);
    if (dwSize != kRegionHeaderSize || iType != kRegionTypeRectangles) return std::nullopt;
    if (nCount > (0xFFFFFFFFu - kRegionHeaderSize) / 16 || nRgnSize != 16 * nCount) {
        return std::nullopt;
    }
    if (byteCount < static_cast<std::size_t>(dwSize) + nRgnSize) return std::nullopt;
    Region region;
    if (nCount == 0) return region;
    // ExtCreateRegion wants an aligned RGNDATA; the record may sit anywhere in a byte table.
    std::size_t size = dwSize + nRgnSize;
    auto buffer = std::make_unique<DWORD[]>((size + sizeof(DWORD) - 1) / sizeof(DWORD));
    std::memcpy(buffer.get(), bytes, size);
    HRGN h = ExtCreateRegion(nullptr, static_cast<DWORD>(size),
                             reinterpret_cast<const RGNDATA*>(buffer.get()));
    if (!h) return std::nullopt;
    DeleteObject(region.m_impl->handle);
    region.m_impl->handle = h;
    return region;
}

Region Region::rectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                         std::int32_t bottom) {
    Region region;
    if (left < right && top < bottom) SetRectRgn(region.m_impl->handle, left, top, right, bottom);
    return region;
}

void Region::offset(std::int32_t dx, std::int32_t dy) { OffsetRgn(m_impl->handle, dx, dy); }

void Region::unite(const Region& other) {
    CombineRgn(m_impl->handle, m_impl->handle, other.m_impl->handle, RGN_OR);
}

bool Region::isEmpty() const {
    RECT box;
    return GetRgnBox(m_impl->handle, &box) == NULLREGION;
}

bool Region::contains(std::int32_t x, std::int32_t y) const {
    return PtInRegion(m_impl->handle, x, y) != FALSE;
}

Rect Region::boundingRect() const {
    RECT box{};
    if (GetRgnBox(m_impl->handle, &box) == NULLREGION) return Rect{};
    return Rect{box.left, box.top, box.right, box.bottom};
}

std::vector<Rect> Region::rects() const {
    std::vector<Rect> out;
    DWORD size = GetRegionData(m_impl->handle, 0, nullptr);
    if (size < sizeof(RGNDATAHEADER)) return out;
    auto buffer = std::make_unique<DWORD[]>((size + sizeof(DWORD) - 1) / sizeof(DWORD));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.get());
    if (GetRegionData(m_impl->handle, size, data) == 0) return out;
    const auto* r = reinterpret_cast<const RECT*>(data->Buffer);
    out.reserve(data->rdh.nCount);
    for (DWORD i = 0; i < data->rdh.nCount; ++i) {
        if (r[i].left < r[i].right && r[i].top < r[i].bottom) {
            out.push_back(Rect{r[i].left, r[i].top, r[i].right, r[i].bottom});
        }
    }
    return out;
}

bool Region::samePixels(const Region& other) const {
    return EqualRgn(m_impl->handle, other.m_impl->handle) != FALSE;
}

std::int64_t Region::liveCount() { return g_liveRegions.load(); }

}  // namespace platform
