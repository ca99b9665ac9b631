#include "SpriteCatalog.h"

#include <array>
#include <cstdio>
#include <stdexcept>

namespace shapes::tooling {
namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kButtonGreen{94, 189, 65};
constexpr int kScreenResolution = 2834;  // 72 dots per inch

constexpr SpriteSpec kGolfer{"golfer frame", 79, 96, 8, kScreenResolution, kWhite};

constexpr std::array<SpriteSpec, 6> kOthers{{
    {"ball, large", 7, 7, 8, kScreenResolution, kRed},
    {"ball, middle", 5, 5, 8, kScreenResolution, kRed},
    {"ball, small", 4, 4, 8, kScreenResolution, kRed},
    {"control button", 18, 22, 8, kScreenResolution, kButtonGreen},
    {"hole", 12, 8, 24, kScreenResolution, kWhite},
    {"power gauge", 79, 17, 8, 0, kWhite},
}};

}  // namespace

const SpriteSpec& spriteSpec(int index) {
    if (index < 0 || index > kPowerGauge) {
        throw std::out_of_range("no sprite " + std::to_string(index));
    }
    if (index < kGolferFrameCount) return kGolfer;
    return kOthers[static_cast<std::size_t>(index - kGolferFrameCount)];
}

std::string spriteFileName(int index) {
    spriteSpec(index);
    char name[32];
    std::snprintf(name, sizeof name, "sprite_%02d.bmp", index);
    return name;
}

}  // namespace shapes::tooling
