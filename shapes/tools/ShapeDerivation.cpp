#include "ShapeDerivation.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace shapes::tooling {
namespace {

using Run = std::pair<int, int>;  // x0 <= x < x1

std::vector<Run> insideRuns(const SpriteImage& image, int y, Rgb key) {
    std::vector<Run> runs;
    int x = 0;
    while (x < image.width()) {
        if (image.colour(x, y) == key) {
            ++x;
            continue;
        }
        const int start = x;
        while (x < image.width() && !(image.colour(x, y) == key)) ++x;
        runs.emplace_back(start, x);
    }
    return runs;
}

std::string describe(const RGNRect& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

}  // namespace

std::vector<RGNRect> deriveShape(const SpriteImage& image) {
    const Rgb key = image.colour(0, 0);
    std::vector<RGNRect> rects;
    int y = 0;
    while (y < image.height()) {
        const std::vector<Run> runs = insideRuns(image, y, key);
        if (runs.empty()) {
            ++y;
            continue;
        }
        int end = y + 1;
        while (end < image.height() && insideRuns(image, end, key) == runs) ++end;
        for (const Run& run : runs) rects.push_back(RGNRect{run.first, y, run.second, end});
        y = end;
    }
    return rects;
}

RGNRect boundingBox(const std::vector<RGNRect>& rects) {
    if (rects.empty()) return RGNRect{0, 0, 0, 0};
    RGNRect box = rects.front();
    for (const RGNRect& r : rects) {
        box.left = std::min(box.left, r.left);
        box.top = std::min(box.top, r.top);
        box.right = std::max(box.right, r.right);
        box.bottom = std::max(box.bottom, r.bottom);
    }
    return box;
}

std::string bandedOrderFault(const std::vector<RGNRect>& rects) {
    std::size_t bandStart = 0;
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const RGNRect& r = rects[i];
        if (r.left >= r.right || r.top >= r.bottom) return "rectangle " + describe(r) + " is empty";
        if (i == bandStart) continue;
        const RGNRect& prev = rects[i - 1];
        if (r.top == prev.top && r.bottom == prev.bottom) {
            if (r.left <= prev.right) {
                return "rectangle " + describe(r) + " touches or overlaps " + describe(prev);
            }
            continue;
        }
        // A new band begins at rectangle i.
        if (r.top < prev.bottom) {
            return "band at " + describe(r) + " overlaps or precedes the band above";
        }
        if (r.top == prev.bottom) {
            // Touching bands must differ in their lists of edges.
            std::size_t next = i;
            while (next < rects.size() && rects[next].top == r.top &&
                   rects[next].bottom == r.bottom) {
                ++next;
            }
            const bool sameCount = next - i == i - bandStart;
            bool same = sameCount;
            for (std::size_t k = 0; same && k < next - i; ++k) {
                same = rects[bandStart + k].left == rects[i + k].left &&
                       rects[bandStart + k].right == rects[i + k].right;
            }
            if (same) return "band at " + describe(r) + " repeats the band above it";
        }
        bandStart = i;
    }
    return {};
}

long coveredPixels(const std::vector<RGNRect>& rects) {
    long total = 0;
    for (const RGNRect& r : rects) {
        total += static_cast<long>(r.right - r.left) * static_cast<long>(r.bottom - r.top);
    }
    return total;
}

}  // namespace shapes::tooling
