// What one animation frame of the golfer costs (its window sized, cut and cleared to the next
// frame's shape), and what building a talk balloon costs.
//
// By default the windows live on Qt's offscreen platform with a virtual clock. With DISPLAY set
// and QT_QPA_PLATFORM unset (or with --real-display) the program starts the real window layer
// on that X server and shows its windows, so every cut reaches the server as a window shape.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/Color.h"
#include "platform/Form.h"
#include "platform/testing/TestEnvironment.h"
#include "shapes/mod_RGN_Data.h"
#include "toolkit/mod_RGN_Proc.h"
#include "toolkit/mod_RGN_UserFunction.h"

namespace {

bool g_realDisplay = false;

class GolferWindow : public platform::Form {
public:
    GolferWindow() : platform::Form("frmMan") {}
};

class BalloonWindow : public platform::Form {
public:
    BalloonWindow() : platform::Form("frmTalk") {}
};

void BM_MakeRGNWindowGolferFrame(benchmark::State& state) {
    GolferWindow& golfer = platform::form<GolferWindow>();
    golfer.setBackColor(platform::kBlack);
    golfer.move(3000, 3000);
    if (g_realDisplay) golfer.show();
    std::int32_t frame = 0;
    for (auto _ : state) {
        mod_RGN_UserFunction::MakeRGNWindow(frame, golfer, false);
        frame = frame == 44 ? 0 : frame + 1;
    }
    if (g_realDisplay) platform::doEvents();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MakeRGNWindowGolferFrame);

void BM_CreateRGNGolferFrame(benchmark::State& state) {
    std::int32_t frame = 0;
    for (auto _ : state) {
        platform::Region region = mod_RGN_Proc::CreateRGN(frame, 0, 0);
        benchmark::DoNotOptimize(region);
        frame = frame == 44 ? 0 : frame + 1;
    }
}
BENCHMARK(BM_CreateRGNGolferFrame);

void BM_MakeRGNTalkWindow(benchmark::State& state) {
    const std::string texts[] = {"KIPRUN!", "残念・・・"};
    int next = 0;
    for (auto _ : state) {
        mod_RGN_UserFunction::MakeRGNTalkWindow(platform::slotOf<BalloonWindow>(), texts[next],
                                                4500, 6000, 0);
        next ^= 1;
    }
}
BENCHMARK(BM_MakeRGNTalkWindow);

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc + 1);
    for (auto it = args.begin(); *it != nullptr;) {
        if (std::strcmp(*it, "--real-display") == 0) {
            g_realDisplay = true;
            it = args.erase(it);
        } else {
            ++it;
        }
    }
    const char* display = std::getenv("DISPLAY");
    const char* qpa = std::getenv("QT_QPA_PLATFORM");
    if (display && *display && (!qpa || !*qpa)) g_realDisplay = true;

    int count = static_cast<int>(args.size()) - 1;
    std::unique_ptr<platform::Application> application;
    std::unique_ptr<platform::testing::TestEnvironment> environment;
    if (g_realDisplay) {
        application = std::make_unique<platform::Application>(count, args.data());
    } else {
        environment = std::make_unique<platform::testing::TestEnvironment>();
    }
    mod_RGN_Data::LoadRGNShapes();
    mod_RGN_Data::RGNShapesLoaded = -1;
    benchmark::AddCustomContext("window system", g_realDisplay ? "X server" : "offscreen");
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The windows go before the window system they live on.
    platform::resetFormsForTests();
    return 0;
}
