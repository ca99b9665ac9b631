#pragma once
// The hole, hanging on the ball's line somewhere up the screen.

#include "platform/Form.h"

class frmHole : public platform::Form {
public:
    frmHole();
};
