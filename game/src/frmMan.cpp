#include "game/frmMan.h"

#include <algorithm>
#include <cmath>

#include "game/frmBall.h"
#include "game/frmControl.h"
#include "game/frmHole.h"
#include "game/frmKAGE.h"
#include "game/frmMenu.h"
#include "game/frmPower.h"
#include "platform/Clock.h"
#include "platform/Color.h"
#include "platform/Controls.h"
#include "platform/Numeric.h"
#include "platform/Random.h"
#include "platform/RuntimeError.h"
#include "platform/Screen.h"
#include "toolkit/mod_RGN_UserFunction.h"

using namespace mod_RGN_UserFunction;

namespace {

constexpr std::int32_t kGolferFrame0 = 0;
constexpr std::int32_t kBallShape = 45;
constexpr std::int32_t kButtonShape = 48;
constexpr std::int32_t kHoleShape = 49;
constexpr std::int32_t kGaugeShape = 50;
constexpr std::int32_t kLaunchFrame = 35;
// The hole hangs 10 to 29 hole heights above the ground line.
constexpr std::int32_t kLowestHoleSteps = 10;
constexpr std::int32_t kHoleStepsRange = 20;
constexpr int kSwingIntervalMs = 20;
// The window definition carries this interval; start-up replaces it before the first tick.
constexpr int kDesignIntervalMs = 50;

template <std::size_t N>
std::int16_t entry(const std::array<std::int16_t, N>& table, std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= N) {
        platform::raise(platform::ErrorCode::kSubscriptOutOfRange);
    }
    return table[static_cast<std::size_t>(index)];
}

// The last index minus one: the last entry of each table is never shown.
template <std::size_t N>
constexpr std::int32_t lastShown(const std::array<std::int16_t, N>&) {
    return static_cast<std::int32_t>(N) - 2;
}

// Where the scene's pieces stand, in twips, as start-up puts them and a new layout puts them
// back: the golfer centred on the screen, a sprite standing on `ground`, a sprite centred on
// the line at `x` (the golfer's right edge), the hole `steps` hole heights up.
std::int32_t centredGolferLeft() {
    return platform::roundToInt32(
        (static_cast<double>(platform::Screen::width()) - GetRGNWidth(kGolferFrame0)) / 2);
}

float standingTop(std::int32_t ground, std::int32_t shape) {
    return static_cast<float>(platform::checkedSub(ground, GetRGNHeight(shape)));
}

float centredLeft(double x, std::int32_t shape) {
    return platform::toSingle(x - GetRGNWidth(shape) / 2.0);
}

float holeTop(std::int32_t ground, std::int32_t steps) {
    return static_cast<float>(
        platform::checkedSub(ground, platform::checkedMul(steps, GetRGNHeight(kHoleShape))));
}

}  // namespace

frmMan::frmMan() : Form("frmMan") {
    m_timer1 = &addTimer("Timer1", kDesignIntervalMs);
    m_timer1->setOnTick([this] { Timer1_Timer(); });
}

void frmMan::setFrameObserver(std::function<void(std::int32_t)> observer) {
    m_frameObserver = std::move(observer);
}

std::int32_t frmMan::colorIndexOf(const std::string& stored) {
    try {
        return platform::roundToInt32(platform::valueOf(stored));
    } catch (const platform::RuntimeError&) {
        // Any index outside 0..3 means a black golfer with no colour item checked.
        return -1;
    }
}

void frmMan::onLoad() {
    nWait = 5;

    const std::int32_t c = colorIndexOf(GetINI("DAVUZ", "COLOR"));
    frmMenu& menu = platform::form<frmMenu>();
    const int colorCount = menu.mC().countOf("mColor");
    for (int i = 0; i < colorCount; ++i) {
        menu.mColor(i).setChecked(false);
        if (i == c) menu.mColor(i).setChecked(true);
    }
    CC(c);

    for (std::size_t i = 0; i < anim0.size(); ++i) anim0[i] = static_cast<std::int16_t>(i);
    for (std::size_t i = 0; i < anim1.size(); ++i) anim1[i] = static_cast<std::int16_t>(23 - i);
    for (std::size_t i = 0; i < anim2.size(); ++i) anim2[i] = static_cast<std::int16_t>(25 + i);

    const std::int32_t ground = GetWorkAreaHeight();
    m_ground = ground;
    nManLeft = centredGolferLeft();
    nManTop = platform::checkedSub(ground, GetRGNHeight(kGolferFrame0));

    nIndex = 0;
    move(static_cast<float>(nManLeft), static_cast<float>(nManTop));
    MakeRGNWindow(nIndex, *this, false);
    nAN = -1;

    // The golfer's left and width are read back from the window: the width of shape 0.
    const double manLeft = left();
    const double manRight = static_cast<double>(width() + left());

    frmControl& control = platform::form<frmControl>();
    MakeRGNWindow(kButtonShape, control, true);
    control.setLeft(platform::toSingle(manLeft - GetRGNWidth(kButtonShape)));
    control.setTop(standingTop(ground, kButtonShape));
    control.show();

    frmHole& hole = platform::form<frmHole>();
    MakeRGNWindow(kHoleShape, hole, true);
    hole.setLeft(centredLeft(manRight, kHoleShape));
    const std::int32_t holeSteps =
        static_cast<std::int32_t>(std::floor(platform::rnd() * static_cast<float>(kHoleStepsRange))) +
        kLowestHoleSteps;
    hole.setTop(holeTop(ground, holeSteps));
    hole.show();

    frmBall& ball = platform::form<frmBall>();
    MakeRGNWindow(kBallShape, ball, true);
    ball.setLeft(centredLeft(manRight, kBallShape));
    ball.setTop(standingTop(ground, kBallShape));
    ball.show();

    nBallFlag = 0;
    fButton = 0;

    m_timer1->setEnabled(false);
    m_timer1->setInterval(kSwingIntervalMs);
    ball.Timer1().setEnabled(false);

    platform::Screen::setOnChanged([] {
        if (platform::isLoaded<frmMan>()) platform::form<frmMan>().screenChanged();
    });
}

void frmMan::declareRoomNeeded() {
    const std::int32_t beyondRight =
        std::max(GetRGNWidth(kHoleShape), GetRGNWidth(kBallShape)) / 2;
    const std::int32_t width =
        GetRGNWidth(kButtonShape) + GetRGNWidth(kGolferFrame0) + beyondRight;
    const std::int32_t highestHole =
        (kLowestHoleSteps + kHoleStepsRange - 1) * GetRGNHeight(kHoleShape);
    const std::int32_t height = std::max(GetRGNHeight(kGolferFrame0), highestHole);
    // There is no twips-to-pixels conversion for y; the screen's twips per pixel is the same.
    platform::Screen::setRoomNeeded(
        TwipToPixelX(width),
        platform::roundToInt32(height / platform::Screen::twipsPerPixelY()));
}

void frmMan::onQueryUnload() {
    platform::Screen::setOnChanged(nullptr);
    UnloadOtherForms("frmMan");
}

void frmMan::screenChanged() {
    // Mid-gauge or with the ball in the air the windows stay put; the gauge's end or the
    // shot's reset lays the scene out.
    if (m_gaugeRunning || nBallFlag != 0) {
        m_layoutPending = true;
        return;
    }
    layOutScene();
}

void frmMan::applyPendingLayout() {
    if (m_layoutPending) layOutScene();
}

void frmMan::layOutScene() {
    m_layoutPending = false;
    const std::int32_t ground = GetWorkAreaHeight();
    const std::int32_t holeHeight = GetRGNHeight(kHoleShape);
    frmHole& hole = platform::form<frmHole>();
    // The hole keeps its distance in whole hole heights (whole by construction; rounded in
    // case the window system moved it by a pixel).
    const std::int32_t holeSteps = platform::roundToInt32(
        (static_cast<double>(m_ground) - hole.top()) / static_cast<double>(holeHeight));
    m_ground = ground;

    nManLeft = centredGolferLeft();
    nManTop = platform::checkedSub(ground, GetRGNHeight(kGolferFrame0));
    move(static_cast<float>(nManLeft), static_cast<float>(nManTop));
    const double manLeft = left();
    const double manRight = static_cast<double>(width() + left());

    frmControl& control = platform::form<frmControl>();
    control.move(platform::toSingle(manLeft - GetRGNWidth(kButtonShape)),
                 standingTop(ground, kButtonShape));
    hole.move(centredLeft(manRight, kHoleShape), holeTop(ground, holeSteps));
    if (nBallFlag == 0) {
        frmBall& ball = platform::form<frmBall>();
        ball.move(centredLeft(manRight, kBallShape), standingTop(ground, kBallShape));
    }
}

void frmMan::CC(std::int32_t Idx) {
    platform::Color color = platform::rgb(0, 0, 0);
    if (Idx == 3) {
        color = platform::rgb(255, 255, 255);
    } else if (Idx == 2) {
        color = platform::rgb(255, 128, 255);
    } else if (Idx == 1) {
        color = platform::rgb(0, 128, 255);
    } else if (Idx == 0) {
        color = platform::rgb(0, 0, 0);
    }
    setBackColor(color);
}

void frmMan::showFrame(std::int32_t shape) {
    MakeRGNWindow(shape, *this, false);
    if (m_frameObserver) m_frameObserver(shape);
}

void frmMan::Timer1_Timer() {
    // The click that strikes re-enables this timer while the gauge still holds the thread; a
    // tick falling due before the gauge has returned would start a second gauge and lose the
    // hit. It is let through untouched: the timer stays enabled and the downswing follows.
    if (m_gaugeRunning) return;

    m_timer1->setEnabled(false);
    nIndex = platform::checkedAdd(nIndex, 1);

    switch (nAN) {
        case 0:
            if (nIndex <= lastShown(anim0)) {
                showFrame(entry(anim0, nIndex));
                break;
            }
            runPowerGauge();
            return;
        case 1:
            if (nIndex <= lastShown(anim1)) {
                showFrame(entry(anim1, nIndex));
            } else {
                nAN = 0;
                nIndex = 0;
            }
            break;
        case 2:
            if (nIndex > lastShown(anim2)) {
                // The swing is over: the golfer holds its last frame until the flight ends.
                nAN = 0;
                nIndex = 0;
                return;
            }
            showFrame(entry(anim2, nIndex));
            if (entry(anim2, nIndex) == kLaunchFrame && fButton == 2) launchBall();
            break;
        default:
            // Idle: nothing moves until the next click, which enables the timer again. A timer
            // left running here would wake the program fifty times a second for nothing.
            return;
    }
    m_timer1->setEnabled(true);
}

void frmMan::runPowerGauge() {
    frmPower& power = platform::form<frmPower>();
    MakeRGNWindow(kGaugeShape, power, false);
    power.setBackColor(platform::rgb(0, 0, 0));
    power.setLeft(platform::toSingle(static_cast<double>(left()) + width() / 2.0));
    power.setTop(top());
    platform::Label& bar = power.Label1();
    bar.setWidth(0);
    power.show();

    fButton = 1;
    std::int32_t w = 0;
    const std::int32_t turn = PixelToTwipX(80);

    m_gaugeRunning = true;
    // One step: show the bar at width w, then hold it for at least nWait ms of the tick
    // counter while letting events run (the click among them). The thread sleeps in the event
    // loop between checks instead of polling the clock.
    auto step = [&](std::int32_t delta) {
        const std::int32_t t0 = GetTick();
        platform::doEvents();
        bar.setWidth(static_cast<float>(w));
        w = platform::checkedAdd(w, delta);
        for (;;) {
            const std::int32_t elapsed = platform::tickDifference(GetTick(), t0);
            if (elapsed >= nWait) break;
            platform::clock().waitEvents(nWait - elapsed);
        }
    };
    while (w < turn && fButton == 1) step(PixelToTwipX(2));
    while (w > 0 && fButton == 1) step(-PixelToTwipX(2));
    m_gaugeRunning = false;

    power.hide();
    applyPendingLayout();
    if (fButton == 2) {
        // The click has enabled the timer already; the downswing follows at its interval.
        nAN = 2;
        nIndex = 0;
        return;
    }
    nAN = 1;
    nIndex = 0;
    m_timer1->setEnabled(true);
}

void frmMan::launchBall() {
    frmBall& ball = platform::form<frmBall>();
    nBally = ball.top();

    frmKAGE& shadow = platform::form<frmKAGE>();
    shadow.setTop(ball.top());
    shadow.setLeft(ball.left());
    shadow.show();

    const platform::Label& bar = platform::form<frmPower>().Label1();
    nBallm = static_cast<float>(platform::checkedAdd(TwipToPixelX(bar.width()), PixelToTwipX(2)));
    nBallmb = nBallm;
    nKage = nBallm;
    nKageY = ball.top();
    nBallFlag = -1;
    nBallAnim = 0;
    ball.Timer1().setEnabled(true);
}
