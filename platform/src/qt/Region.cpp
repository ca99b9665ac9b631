// Regions on QRegion. A moved-from Region holds no native region and behaves as the empty one.

#include "platform/Region.h"

#include <QVector>
#include <atomic>

#include "qt/QtConvert.h"
#include "qt/RegionImpl.h"

namespace platform {

namespace {

std::atomic<std::int64_t> g_liveRegions{0};

std::uint32_t readU32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::int32_t readI32(const unsigned char* p) { return static_cast<std::int32_t>(readU32(p)); }

// QRegion::setRects takes a finished band list in one step, far cheaper than a union per
// rectangle, but only when the list is y-x sorted, banded, with no overlap and no horizontally
// touching neighbours.
bool isBandedList(const QVector<QRect>& rects) {
    for (qsizetype i = 1; i < rects.size(); ++i) {
        const QRect& a = rects[i - 1];
        const QRect& b = rects[i];
        if (b.top() == a.top()) {
            if (b.height() != a.height() || b.left() <= a.right() + 1) return false;
        } else if (b.top() <= a.bottom()) {
            return false;
        }
    }
    return true;
}

}  // namespace

namespace qt {

Region fromQRegion(QRegion region) {
    Region result;
    result.impl()->region = std::move(region);
    return result;
}

}  // namespace qt

Region::Region() : m_impl(std::make_unique<Impl>()) { ++g_liveRegions; }

Region::~Region() {
    if (m_impl) --g_liveRegions;
}

Region::Region(Region&& other) noexcept : m_impl(std::move(other.m_impl)) {}

Region& Region::operator=(Region&& other) noexcept {
    if (this != &other) {
        if (m_impl) --g_liveRegions;
        m_impl = std::move(other.m_impl);
    }
    return *this;
}

std::optional<Region> Region::fromRegionData(const void* data, std::size_t byteCount) {
    if (data == nullptr || byteCount < kRegionHeaderSize) return std::nullopt;
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::uint32_t size = readU32(bytes);
    const std::uint32_t type = readU32(bytes + 4);
    const std::uint32_t count = readU32(bytes + 8);
    const std::uint32_t rgnSize = readU32(bytes + 12);
    if (size != kRegionHeaderSize || type != kRegionTypeRectangles) return std::nullopt;
    if (static_cast<std::uint64_t>(rgnSize) != 16ull * count) return std::nullopt;
    if (static_cast<std::uint64_t>(byteCount) < std::uint64_t{size} + rgnSize) return std::nullopt;

    QVector<QRect> rects;
    rects.reserve(static_cast<qsizetype>(count));
    const unsigned char* p = bytes + size;
    for (std::uint32_t i = 0; i < count; ++i, p += 16) {
        const Rect r{readI32(p), readI32(p + 4), readI32(p + 8), readI32(p + 12)};
        if (!r.isEmpty()) rects.push_back(qt::toQRect(r));
    }
    Region result;
    if (isBandedList(rects)) {
        result.m_impl->region.setRects(rects.constData(), static_cast<int>(rects.size()));
    } else {
        for (const QRect& r : rects) result.m_impl->region += r;
    }
    return result;
}

Region Region::rectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                         std::int32_t bottom) {
    Region result;
    const Rect r{left, top, right, bottom};
    if (!r.isEmpty()) result.m_impl->region = QRegion(qt::toQRect(r));
    return result;
}

void Region::offset(std::int32_t dx, std::int32_t dy) {
    if (m_impl) m_impl->region.translate(dx, dy);
}

void Region::unite(const Region& other) {
    if (!other.m_impl) return;
    if (!m_impl) {
        m_impl = std::make_unique<Impl>();
        ++g_liveRegions;
    }
    m_impl->region = m_impl->region.united(other.m_impl->region);
}

bool Region::isEmpty() const { return !m_impl || m_impl->region.isEmpty(); }

bool Region::contains(std::int32_t x, std::int32_t y) const {
    return m_impl && m_impl->region.contains(QPoint(x, y));
}

Rect Region::boundingRect() const {
    if (isEmpty()) return Rect{};
    return qt::fromQRect(m_impl->region.boundingRect());
}

std::vector<Rect> Region::rects() const {
    std::vector<Rect> result;
    if (!m_impl) return result;
    for (const QRect& r : m_impl->region) result.push_back(qt::fromQRect(r));
    return result;
}

bool Region::samePixels(const Region& other) const {
    // QRegion's operator== compares rectangle lists; two lists can cover the same pixels.
    if (isEmpty() || other.isEmpty()) return isEmpty() == other.isEmpty();
    return m_impl->region.xored(other.m_impl->region).isEmpty();
}

std::int64_t Region::liveCount() { return g_liveRegions.load(); }

}  // namespace platform
