#include "game/frmTalk.h"

frmTalk::frmTalk() : Form("frmTalk") {}
