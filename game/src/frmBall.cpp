#include "game/frmBall.h"

#include <cmath>

#include "game/frmHole.h"
#include "game/frmKAGE.h"
#include "game/frmMan.h"
#include "game/frmTalk.h"
#include "platform/Color.h"
#include "platform/Controls.h"
#include "platform/Numeric.h"
#include "platform/Random.h"
#include "toolkit/mod_RGN_UserFunction.h"

using namespace mod_RGN_UserFunction;

namespace {

constexpr std::int32_t kBallShape = 45;
constexpr std::int32_t kHoleShape = 49;
constexpr int kFlightIntervalMs = 20;

// A quotient of the flight's tests: computed in double precision, held as single precision.
float quotient(float dividend, double divisor) {
    return platform::toSingle(static_cast<double>(dividend) / divisor);
}

// The shot's vertical line: the golfer window's right edge.
double golferRight(const frmMan& man) { return static_cast<double>(man.width() + man.left()); }

}  // namespace

frmBall::frmBall() : Form("frmBall") {
    m_timer1 = &addTimer("Timer1", kFlightIntervalMs);
    m_timer1->setOnTick([this] { Timer1_Timer(); });
}

void frmBall::Timer1_Timer() {
    m_timer1->setEnabled(false);
    frmMan& man = platform::form<frmMan>();
    if (man.nBallFlag != -1) {
        m_timer1->setEnabled(true);
        return;
    }

    if (quotient(man.nBallmb, 4.5) < man.nBallm && quotient(man.nBallmb, 1.5) > man.nBallm) {
        man.nBallAnim = 1;
    }
    if (quotient(man.nBallmb, -4.5) > man.nBallm) man.nBallAnim = 2;

    man.nBally = man.nBally - man.nBallm;
    man.nBallm = man.nBallm - 1;
    man.nKageY = man.nKageY - man.nKage;
    man.nKage = quotient(man.nBallmb, 5);

    setLeft(platform::toSingle(golferRight(man) - GetRGNWidth(kBallShape) / 2.0 +
                               platform::checkedMul(PixelToTwipX(1), man.nBallAnim)));
    const std::int32_t shape = platform::checkedAdd(kBallShape, man.nBallAnim);
    MakeRGNWindow(shape, *this, true);
    frmKAGE& shadow = platform::form<frmKAGE>();
    MakeRGNWindow(shape, shadow, false);
    shadow.setBackColor(platform::rgb(100, 100, 100));
    shadow.setTop(man.nKageY);
    shadow.setLeft(left());
    setTop(man.nBally);

    if (quotient(man.nBallmb, -1.7) > man.nBallm) {
        shadow.hide();
        const bool holed = rollAndJudge();
        announce(holed);
        resetScene(holed);
        return;
    }
    m_timer1->setEnabled(true);
}

bool frmBall::rollAndJudge() {
    const frmMan& man = platform::form<frmMan>();
    const frmHole& hole = platform::form<frmHole>();
    const double start = top();
    const double end = start - static_cast<double>(man.nBallmb) * 2.5;
    const std::int32_t margin = PixelToTwipY(2);
    for (double v = start; v >= end; v -= 1) {
        setTop(platform::toSingle(v));
        const double centre = static_cast<double>(top()) + platform::intDiv(height(), 2);
        const double holeTop = hole.top();
        if (centre > holeTop + margin && centre < holeTop + hole.height() - margin) {
            hide();
            WaitMS(500);
            MakeRGNTalkWindow(platform::slotOf<frmTalk>(), "KIPRUN!",
                              static_cast<double>(left() + width()), top(), 0);
            return true;
        }
        WaitMS(2);
    }
    return false;
}

void frmBall::announce(bool holed) {
    if (!holed) {
        // The ball stays visible where the roll left it.
        WaitMS(500);
        MakeRGNTalkWindow(platform::slotOf<frmTalk>(), "残念・・・",
                          static_cast<double>(left() + width()), top(), 0);
    }
    WaitMS(2000);
    platform::slotOf<frmTalk>().unload();
}

void frmBall::resetScene(bool holed) {
    frmMan& man = platform::form<frmMan>();
    man.applyPendingLayout();
    man.nIndex = 0;
    MakeRGNWindow(0, man, false);

    if (holed) {
        // A new hole only after a hit; a miss leaves it where it was.
        frmHole& hole = platform::form<frmHole>();
        hole.setLeft(platform::toSingle(golferRight(man) - GetRGNWidth(kHoleShape) / 2.0));
        const std::int32_t h = GetRGNHeight(kHoleShape);
        const std::int32_t steps =
            static_cast<std::int32_t>(std::floor(platform::rnd() * 20.0f)) + 10;
        hole.setTop(static_cast<float>(
            platform::checkedSub(GetWorkAreaHeight(), platform::checkedMul(steps, h))));
        hole.setVisible(true);
    }

    MakeRGNWindow(kBallShape, *this, true);
    setLeft(platform::toSingle(golferRight(man) - GetRGNWidth(kBallShape) / 2.0));
    setTop(static_cast<float>(platform::checkedSub(GetWorkAreaHeight(), GetRGNHeight(kBallShape))));
    setVisible(true);

    man.nBallFlag = 0;
    man.nIndex = 0;
    man.fButton = 0;
    man.nAN = -1;
    man.Timer1().setEnabled(true);
}
