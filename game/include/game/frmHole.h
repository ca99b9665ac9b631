#pragma once
// The hole, hanging on the ball's line somewhere up the screen.

#include "platform/Form.h"

class frmHole : public platform::Form {
public:
    frmHole();

protected:
    // Only the game shows and hides it: a close request from outside is ignored.
    bool acceptsCloseRequest() const override { return false; }
};
