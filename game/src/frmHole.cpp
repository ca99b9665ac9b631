#include "game/frmHole.h"

frmHole::frmHole() : Form("frmHole") {}
