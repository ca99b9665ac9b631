#include "GameScene.h"

#include <fstream>
#include <sstream>

#include "platform/Controls.h"
#include "platform/Form.h"
#include "platform/Region.h"
#include "shapes/mod_RGN_Data.h"
#include "toolkit/mod_RGN_UserFunction.h"

GameScene::GameScene(platform::ScreenMetrics screen)
    : m_env(std::make_unique<platform::testing::TestEnvironment>(screen)) {}

GameScene::~GameScene() = default;

void GameScene::writeSettings(const std::string& text) {
    std::ofstream out(m_env->iniPath(), std::ios::binary | std::ios::trunc);
    out << text;
}

std::string GameScene::readSettings() const {
    std::ifstream in(m_env->iniPath(), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

void GameScene::setHoleSteps(const std::vector<int>& steps) {
    std::vector<float> values;
    // The middle of the interval that floor(r * 20) maps to the step.
    for (int n : steps) values.push_back((static_cast<float>(n - 10) + 0.5f) / 20.0f);
    m_env->setRandomSequence(values);
}

frmMan& GameScene::start() {
    frmMan& golfer = platform::form<frmMan>();
    golfer.setFrameObserver([this](std::int32_t shape) {
        m_frames.push_back({clock().now(), shape, man().nBallFlag, cutTo(man(), shape)});
    });
    return golfer;
}

void GameScene::leftClick() {
    platform::form<frmControl>().dispatchMouseDown(platform::kLeftButton, 0, 0, 0);
}

void GameScene::rightClick() {
    platform::form<frmControl>().dispatchMouseDown(platform::kRightButton, 0, 0, 0);
}

bool GameScene::runUntil(const std::function<bool()>& done, std::int64_t limitMs) {
    // A probe that looks every millisecond: posted events run at every event pass of the
    // program, also inside the gauge and the roll. A probe still queued when this returns
    // finds the run cancelled and does nothing.
    struct Run {
        const std::function<bool()>* done;
        bool seen = false;
        bool cancelled = false;
    };
    auto run = std::make_shared<Run>(Run{&done});
    platform::VirtualClock& vc = clock();
    const std::int64_t deadline = vc.now() + limitMs;
    auto probe = std::make_shared<std::function<void()>>();
    *probe = [run, &vc, deadline, weak = std::weak_ptr<std::function<void()>>(probe)] {
        if (run->cancelled || run->seen) return;
        if ((*run->done)()) {
            run->seen = true;
            return;
        }
        if (auto next = weak.lock(); next && vc.now() < deadline) {
            vc.post(vc.now() + 1, [next] { (*next)(); });
        }
    };
    vc.post(vc.now(), [probe] { (*probe)(); });
    while (!run->seen && vc.now() < deadline) {
        vc.advanceUntil([&] { return run->seen; }, deadline - vc.now());
    }
    run->cancelled = true;
    return run->seen;
}

bool GameScene::strikeAt(int pixels, std::int64_t limitMs) {
    leftClick();
    bool clicked = false;
    const bool launched = runUntil(
        [&] {
            if (!clicked && man().fButton == 1 && barPixels() == pixels) {
                leftClick();
                clicked = true;
            }
            return clicked && man().nBallFlag == -1;
        },
        limitMs);
    return launched;
}

bool GameScene::finishShot(std::int64_t limitMs) {
    return runUntil(
        [&] {
            return man().nBallFlag == 0 && man().nAN == -1 &&
                   !platform::form<frmBall>().Timer1().enabled();
        },
        limitMs);
}

std::vector<std::int32_t> GameScene::frameShapes() const {
    std::vector<std::int32_t> shapes;
    for (const ShownFrame& f : m_frames) shapes.push_back(f.shape);
    return shapes;
}

namespace {

platform::Region storedShape(std::int32_t index) {
    if (!mod_RGN_Data::RGNShapesLoaded) {
        mod_RGN_Data::LoadRGNShapes();
        mod_RGN_Data::RGNShapesLoaded = -1;
    }
    const mod_RGN_Data::ShapeRecordRef ref = mod_RGN_Data::LookupShapeRecord(index);
    auto region = platform::Region::fromRegionData(ref.data, ref.byteCount);
    return region ? std::move(*region) : platform::Region();
}

}  // namespace

bool GameScene::cutTo(const platform::Surface& window, std::int32_t index) {
    const std::optional<platform::Region> region = window.windowRegion();
    return region && region->samePixels(storedShape(index));
}

std::int32_t GameScene::shapeOf(const platform::Surface& window) {
    const std::optional<platform::Region> region = window.windowRegion();
    if (!region) return -1;
    std::int32_t found = -1;
    for (std::int32_t i = 0; i < mod_RGN_Data::kSpriteCount; ++i) {
        if (region->samePixels(storedShape(i))) {
            if (found != -1) return -1;
            found = i;
        }
    }
    return found;
}

int barPixels() {
    return mod_RGN_UserFunction::TwipToPixelX(platform::form<frmPower>().Label1().width());
}
