#include "ProgramIcon.h"

#include <cmath>

#include "IcoEncoder.h"
#include "PartCanvas.h"

namespace shapes::tooling {
namespace {

constexpr int kSide = 32;

enum Colour : std::uint8_t {
    kBlack = 0,
    kSkin,
    kShirt,
    kTrousers,
    kGrass,
    kHoleRim,
    kHoleInside,
};

enum Part : int { kNone = PartCanvas::kNoPart, kLegs, kShoes, kTrunk, kHead, kLeadArm, kTrailArm };

Colour fillOf(int part) {
    switch (part) {
        case kLegs:
            return kTrousers;
        case kTrunk:
            return kShirt;
        case kHead:
        case kLeadArm:
        case kTrailArm:
            return kSkin;
        default:
            return kBlack;
    }
}

}  // namespace

ProgramIcon ProgramIcon::draw() {
    ProgramIcon icon;
    icon.image = SpriteImage(kSide, kSide, 8);
    icon.image.setPaletteEntry(kBlack, Rgb{0, 0, 0});
    icon.image.setPaletteEntry(kSkin, Rgb{240, 160, 144});
    icon.image.setPaletteEntry(kShirt, Rgb{80, 64, 240});
    icon.image.setPaletteEntry(kTrousers, Rgb{144, 144, 48});
    icon.image.setPaletteEntry(kGrass, Rgb{0, 240, 0});
    icon.image.setPaletteEntry(kHoleRim, Rgb{0, 192, 0});
    icon.image.setPaletteEntry(kHoleInside, Rgb{0, 128, 0});
    icon.transparent.assign(kSide * kSide, true);

    constexpr int kGrassTop = 26;
    for (int y = kGrassTop; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            icon.image.setIndex(x, y, kGrass);
            icon.transparent[y * kSide + x] = false;
            // The hole: a dark ellipse with a lighter far wall.
            const double ex = (x + 0.5 - 25.0) / 4.6;
            const double ey = (y + 0.5 - 29.2) / 1.9;
            const double r = ex * ex + ey * ey;
            if (r <= 1.0)
                icon.image.setIndex(x, y, (r > 0.45 && ey < 0.2) ? kHoleRim : kHoleInside);
        }
    }

    // The figure, turned towards the viewer at the finish: the weight on the lead leg, the
    // trail foot up on its toe, both hands above the lead shoulder, the club behind the head.
    PartCanvas canvas(kSide, kSide);
    auto add = [&](double ax, double ay, double bx, double by, double ra, double rb, double z,
                   Part part) {
        canvas.addCapsule({ax, ay, z}, {bx, by, z}, ra, rb, part);
    };
    add(13.2, 17.0, 12.8, 21.5, 2.4, 2.0, 2.0, kLegs);
    add(12.8, 21.5, 12.8, 25.2, 2.0, 1.7, 2.0, kLegs);
    add(17.2, 17.0, 18.6, 21.2, 2.4, 2.0, 1.5, kLegs);
    add(18.6, 21.2, 17.4, 24.8, 2.0, 1.6, 1.5, kLegs);
    add(11.2, 26.2, 14.6, 26.2, 1.3, 1.3, 1.0, kShoes);
    add(17.2, 25.0, 16.8, 27.0, 1.3, 1.2, 1.0, kShoes);
    add(15.2, 17.0, 15.2, 12.0, 4.2, 4.6, 1.0, kTrunk);
    add(17.0, 6.6, 17.0, 6.6, 3.8, 3.8, 0.0, kHead);
    add(11.4, 11.0, 8.2, 7.6, 1.7, 1.5, -1.0, kLeadArm);
    add(8.2, 7.6, 10.0, 3.4, 1.5, 1.6, -1.0, kLeadArm);
    add(19.6, 11.6, 13.6, 10.8, 1.7, 1.5, -2.0, kTrailArm);
    add(13.6, 10.8, 10.8, 3.8, 1.5, 1.6, -2.0, kTrailArm);

    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const int part = canvas.part(x, y);
            if (part == kNone) continue;
            // Dark hair on the top of the head.
            const bool hair = part == kHead && y + 0.5 < 5.4 && canvas.part(x, y) == kHead;
            icon.image.setIndex(x, y, canvas.isOutline(x, y) || hair ? kBlack : fillOf(part));
            icon.transparent[y * kSide + x] = false;
        }
    }

    // The club: from the hands behind the head, its head out to the right.
    const double gx = 10.4, gy = 3.0, hx = 27.5, hy = 9.0;
    for (int i = 0; i <= 40; ++i) {
        const double t = i / 40.0;
        const int x = static_cast<int>(std::floor(gx + (hx - gx) * t));
        const int y = static_cast<int>(std::floor(gy + (hy - gy) * t));
        if (canvas.part(x, y) != kNone) continue;
        icon.image.setIndex(x, y, kBlack);
        icon.transparent[y * kSide + x] = false;
    }
    for (int y = 8; y <= 10; ++y) {
        for (int x = 27; x <= 29; ++x) {
            if ((x == 29 && y == 8) || (x == 27 && y == 10)) continue;
            icon.image.setIndex(x, y, kBlack);
            icon.transparent[y * kSide + x] = false;
        }
    }
    return icon;
}

RgbaPicture ProgramIcon::rgba() const {
    RgbaPicture picture(kSide, kSide);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            if (transparent[y * kSide + x]) continue;
            const Rgb c = image.colour(x, y);
            picture.set(x, y, c.r, c.g, c.b, 255);
        }
    }
    return picture;
}

std::vector<std::uint8_t> ProgramIcon::icoFile() const { return encodeIco(image, transparent); }

std::vector<std::uint8_t> ProgramIcon::pngFile() const {
    return encodePng(rgba(), PngPacking::Stored);
}

}  // namespace shapes::tooling
