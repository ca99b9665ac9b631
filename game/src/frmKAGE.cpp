#include "game/frmKAGE.h"

#include "platform/Color.h"
#include "toolkit/mod_RGN_UserFunction.h"

frmKAGE::frmKAGE() : Form("frmKAGE") {}

void frmKAGE::onLoad() {
    // The launch shows the shadow one tick before the flight first cuts it; cut to the ball's
    // shape from the start, it never shows as a plain rectangle.
    setBackColor(platform::rgb(100, 100, 100));
    mod_RGN_UserFunction::MakeRGNWindow(45, *this, false);
}
