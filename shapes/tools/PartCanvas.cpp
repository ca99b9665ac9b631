#include "PartCanvas.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace shapes::tooling {
namespace {
constexpr double kFar = std::numeric_limits<double>::infinity();
}

PartCanvas::PartCanvas(int width, int height)
    : m_width(width),
      m_height(height),
      m_part(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), kNoPart),
      m_depth(m_part.size(), kFar) {}

std::size_t PartCanvas::index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
           static_cast<std::size_t>(x);
}

void PartCanvas::addCapsule(CanvasPoint a, CanvasPoint b, double ra, double rb, int part) {
    const double r = std::max(ra, rb);
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min(a.x, b.x) - r)));
    const int x1 = std::min(m_width - 1, static_cast<int>(std::ceil(std::max(a.x, b.x) + r)));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min(a.y, b.y) - r)));
    const int y1 = std::min(m_height - 1, static_cast<int>(std::ceil(std::max(a.y, b.y) + r)));
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    for (int py = y0; py <= y1; ++py) {
        for (int px = x0; px <= x1; ++px) {
            const double cx = px + 0.5;
            const double cy = py + 0.5;
            double t = len2 > 1e-12 ? ((cx - a.x) * dx + (cy - a.y) * dy) / len2 : 0.0;
            t = std::clamp(t, 0.0, 1.0);
            const double qx = a.x + dx * t - cx;
            const double qy = a.y + dy * t - cy;
            const double dist2 = qx * qx + qy * qy;
            const double radius = ra + (rb - ra) * t;
            if (dist2 > radius * radius) continue;
            const double depth = a.z + (b.z - a.z) * t - std::sqrt(radius * radius - dist2);
            const std::size_t i = index(px, py);
            if (depth < m_depth[i]) {
                m_depth[i] = depth;
                m_part[i] = part;
            }
        }
    }
}

int PartCanvas::part(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return kNoPart;
    return m_part[index(x, y)];
}

double PartCanvas::depth(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return kFar;
    return m_depth[index(x, y)];
}

bool PartCanvas::isOutline(int x, int y) const {
    const int p = part(x, y);
    if (p == kNoPart) return false;
    const double d = depth(x, y);
    static constexpr int kSteps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto& step : kSteps) {
        const int q = part(x + step[0], y + step[1]);
        if (q == p) continue;
        if (q == kNoPart) return true;
        // Each edge between two parts gets one line, on the side of the nearer one.
        const double e = depth(x + step[0], y + step[1]);
        if (e > d || (e == d && q > p)) return true;
    }
    return false;
}

}  // namespace shapes::tooling
