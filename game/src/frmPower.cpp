#include "game/frmPower.h"

#include "platform/Color.h"
#include "platform/Controls.h"

namespace {

// Taller than the gauge window, so the bar fills every row of the wedge.
constexpr float kBarHeight = 600;

}  // namespace

frmPower::frmPower() : Form("frmPower") {
    m_label1 = &addLabel("Label1");
    m_label1->setBackColor(platform::rgb(255, 0, 0));
    m_label1->move(0, 0, 0, kBarHeight);
}
