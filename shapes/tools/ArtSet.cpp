#include "ArtSet.h"

#include "BmpCodec.h"
#include "GolferRenderer.h"
#include "GolferSwing.h"
#include "ProgramIcon.h"
#include "SmallSprites.h"
#include "SpriteCatalog.h"

namespace shapes::tooling {

SpriteImage drawSprite(int index) {
    if (index >= 0 && index < kGolferFrameCount) {
        return drawGolfer(GolferSkeleton::posed(golferPose(index))).image;
    }
    switch (index) {
        case kBallLarge:
            return drawBall(7);
        case kBallMiddle:
            return drawBall(5);
        case kBallSmall:
            return drawBall(4);
        case kControlButton:
            return drawControlButton();
        case kHole:
            return drawHole();
        case kPowerGauge:
            return drawPowerGauge();
        default:
            spriteSpec(index);  // throws
            return {};
    }
}

std::vector<NamedFile> drawArtSet() {
    std::vector<NamedFile> files;
    for (int i = 0; i <= kPowerGauge; ++i) {
        files.push_back({spriteFileName(i), encodeBmp(drawSprite(i))});
    }
    const ProgramIcon icon = ProgramIcon::draw();
    files.push_back({kIconIcoFileName, icon.icoFile()});
    files.push_back({kIconPngFileName, icon.pngFile()});
    return files;
}

}  // namespace shapes::tooling
