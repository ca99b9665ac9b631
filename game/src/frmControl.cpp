#include "game/frmControl.h"

#include "game/frmMan.h"
#include "game/frmMenu.h"
#include "platform/Controls.h"

frmControl::frmControl() : Form("frmControl") {}

void frmControl::onMouseDown(int button, int /*shift*/, float /*x*/, float /*y*/) {
    if (button == platform::kRightButton) popupMenu(platform::form<frmMenu>().mpop);
    if (button != platform::kLeftButton) return;

    frmMan& man = platform::form<frmMan>();
    if (man.nBallFlag != 0) return;
    if (man.nAN == -1) {
        // The next swing tick shows the first backswing frame, shape 0.
        man.nAN = 0;
        man.nIndex = -1;
    } else if (man.nAN == 0 && man.fButton == 1) {
        man.fButton = 2;
    }
    man.Timer1().setEnabled(true);
}
