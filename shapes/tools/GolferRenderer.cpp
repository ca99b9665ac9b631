#include "GolferRenderer.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "PartCanvas.h"
#include "SpriteCatalog.h"

namespace shapes::tooling {
namespace {

using M = GolferMeasures;

constexpr int kWidth = 79;
constexpr int kHeight = 96;
enum Group : int {
    kNone = PartCanvas::kNoPart,
    kLegs,  // both legs as one solid: in side view they mostly cover each other
    kTrunk,
    kHead,
    kLeadArm,
    kTrailArm,
};

CanvasPoint toScreen(Vec3 p) { return {p.x, M::kGroundRow - p.y, p.z}; }

// The half width of a body with an elliptic cross-section (semi-axes along `facing` and
// `across`) seen along z, measured at right angles to its screen axis from a to b.
double apparentHalfWidth(Vec3 facing, double depthSemi, Vec3 across, double widthSemi, Vec3 a,
                         Vec3 b) {
    Vec3 normal = normalized(Vec3{b.y - a.y, a.x - b.x, 0});
    if (length(normal) == 0) normal = {1, 0, 0};
    const double f = dot(facing, normal) * depthSemi;
    const double w = dot(across, normal) * widthSemi;
    return std::sqrt(f * f + w * w);
}

void setBlack(SpriteImage& image, int x, int y) {
    if (image.contains(x, y)) image.setIndex(x, y, 0);
}

}  // namespace

GolferDrawing drawGolfer(const GolferSkeleton& s) {
    PartCanvas canvas(kWidth, kHeight);
    auto capsule = [&](Vec3 a, Vec3 b, double ra, double rb, Group group) {
        canvas.addCapsule(toScreen(a), toScreen(b), ra, rb, group);
    };

    for (int side = 0; side < 2; ++side) {
        const Group leg = kLegs;
        capsule(s.hip[side], s.knee[side], 3.9, 3.0, leg);
        capsule(s.knee[side], s.ankle[side], 2.8, 1.9, leg);
        capsule(s.heel[side], s.toe[side], 1.7, 1.5, leg);
        capsule(s.ankle[side], s.heel[side] + (s.toe[side] - s.heel[side]) * 0.4, 2.0, 1.7, leg);
    }

    const Vec3 waist = s.pelvis - s.spineAxis * 1.5;
    const Vec3 chest = s.neck - s.spineAxis * 4.5;
    const double hipWidth =
        apparentHalfWidth(s.pelvisFacing, 4.8, s.hipAxis, 5.2, waist, s.pelvis + s.spineAxis * 6);
    const double chestWidth =
        apparentHalfWidth(s.chestFacing, 5.2, s.shoulderAxis, 6.0, s.pelvis, chest);
    capsule(waist, chest, hipWidth, chestWidth, kTrunk);

    capsule(s.neck - s.spineAxis * 1.0, s.headCentre, 1.8, 1.8, kHead);
    capsule(s.headCentre, s.headCentre, M::kHeadRadius, M::kHeadRadius, kHead);

    for (int side = 0; side < 2; ++side) {
        const Group arm = side == 0 ? kLeadArm : kTrailArm;
        capsule(s.shoulder[side], s.elbow[side], 2.3, 2.0, arm);
        capsule(s.elbow[side], s.hand[side], 1.9, 1.7, arm);
        capsule(s.hand[side], s.hand[side], 2.3, 2.3, arm);
    }

    GolferDrawing drawing;
    SpriteImage& image = drawing.image;
    const SpriteSpec& layout = spriteSpec(0);
    image = SpriteImage(layout.width, layout.height, layout.bitsPerPixel);
    image.setPixelsPerMetre(layout.pixelsPerMetre);
    image.setPaletteEntry(0, Rgb{0, 0, 0});
    image.setPaletteEntry(1, Rgb{255, 255, 255});
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) image.setIndex(x, y, canvas.isOutline(x, y) ? 0 : 1);
    }

    {
        drawing.bodyLeft = kWidth;
        drawing.bodyRight = -1;
        drawing.feetLeft = kWidth;
        drawing.feetRight = -1;
        int lowest = -1;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                if (image.index(x, y) != 0) continue;
                drawing.bodyLeft = std::min(drawing.bodyLeft, x);
                drawing.bodyRight = std::max(drawing.bodyRight, x);
                lowest = y;
            }
        }
        for (int y = std::max(0, lowest - 4); y <= lowest; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                if (image.index(x, y) != 0) continue;
                drawing.feetLeft = std::min(drawing.feetLeft, x);
                drawing.feetRight = std::max(drawing.feetRight, x);
            }
        }
    }

    // The belt: a line across the trunk where the trousers begin.
    {
        const CanvasPoint c = toScreen(s.pelvis + s.spineAxis * 2.5);
        const CanvasPoint up = toScreen(s.pelvis + s.spineAxis * 3.5);
        const double ux = up.x - c.x, uy = up.y - c.y;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                if (canvas.part(x, y) != kTrunk) continue;
                const double along = (x + 0.5 - c.x) * ux + (y + 0.5 - c.y) * uy;
                if (std::abs(along) <= 0.5) image.setIndex(x, y, 0);
            }
        }
    }

    // The cap: its lower edge as a line across the head and its peak reaching out in front.
    {
        const CanvasPoint c = toScreen(s.headCentre);
        const CanvasPoint up = toScreen(s.headCentre + s.headUp);
        const CanvasPoint ahead = toScreen(s.headCentre + s.headFacing);
        const double ux = up.x - c.x, uy = up.y - c.y;
        const double fx = ahead.x - c.x, fy = ahead.y - c.y;
        const double r = M::kHeadRadius;
        auto onHead = [&](int x, int y) { return canvas.part(x, y) == kHead; };
        auto nearestOnHead = [&](int x, int y) {
            return onHead(x, y) && canvas.depth(x, y) <= s.headCentre.z;
        };
        const double brim = 0.15 * r;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                if (!nearestOnHead(x, y)) continue;
                const double along = (x + 0.5 - c.x) * ux + (y + 0.5 - c.y) * uy;
                if (std::abs(along - brim) <= 0.5) image.setIndex(x, y, 0);
            }
        }
        const double peak = std::sqrt(fx * fx + fy * fy);
        if (peak > 0.3) {
            const double bx = c.x + ux * brim + fx * r * 0.9;
            const double by = c.y + uy * brim + fy * r * 0.9;
            for (double t = 0; t <= 1.0; t += 0.1) {
                const int x = static_cast<int>(std::floor(bx + fx * 3.2 * t));
                const int y = static_cast<int>(std::floor(by + fy * 3.2 * t));
                if (image.contains(x, y) && canvas.part(x, y) == kNone) image.setIndex(x, y, 0);
            }
        }
    }

    // The club: a one-pixel line from the grip to the head, hidden where a part of the body lies
    // in front of it, with a small filled head.
    const CanvasPoint g = toScreen(s.gripTop - (s.clubHead - s.gripTop) * (1.0 / M::kClub));
    const CanvasPoint h = toScreen(s.clubHead);
    auto clubVisible = [&](int x, int y, double z) {
        return canvas.part(x, y) == kNone || canvas.depth(x, y) > z + 0.5;
    };
    {
        int x0 = static_cast<int>(std::floor(g.x));
        int y0 = static_cast<int>(std::floor(g.y));
        const int x1 = static_cast<int>(std::floor(h.x));
        const int y1 = static_cast<int>(std::floor(h.y));
        const int dx = std::abs(x1 - x0);
        const int dy = -std::abs(y1 - y0);
        const int sx = x0 < x1 ? 1 : -1;
        const int sy = y0 < y1 ? 1 : -1;
        const int steps = std::max(dx, -dy);
        int err = dx + dy;
        for (int i = 0;; ++i) {
            const double t = steps == 0 ? 1.0 : static_cast<double>(i) / steps;
            const double z = g.z + (h.z - g.z) * t;
            if (clubVisible(x0, y0, z)) setBlack(image, x0, y0);
            if (x0 == x1 && y0 == y1) break;
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
    }
    drawing.clubHeadX = static_cast<int>(std::floor(h.x));
    drawing.clubHeadY = static_cast<int>(std::floor(h.y));
    drawing.clubHeadVisible = false;
    drawing.clubHeadTop = kHeight;
    drawing.clubHeadLeft = kWidth;
    for (int y = drawing.clubHeadY - 2; y <= drawing.clubHeadY + 2; ++y) {
        for (int x = drawing.clubHeadX - 2; x <= drawing.clubHeadX + 2; ++x) {
            const double ex = x + 0.5 - h.x;
            const double ey = y + 0.5 - h.y;
            if (ex * ex + ey * ey > 1.6 * 1.6) continue;
            if (!clubVisible(x, y, h.z)) continue;
            setBlack(image, x, y);
            drawing.clubHeadVisible = true;
            if (!image.contains(x, y)) continue;
            drawing.clubHeadTop = std::min(drawing.clubHeadTop, y);
            drawing.clubHeadLeft = std::min(drawing.clubHeadLeft, x);
        }
    }
    return drawing;
}

}  // namespace shapes::tooling
