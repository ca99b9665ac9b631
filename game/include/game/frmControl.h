#pragma once
// The control button: a golf ball on a tee left of the golfer, the program's only input. A
// left click starts the swing or strikes during the power gauge; a right click opens the
// popup menu.

#include "platform/Form.h"

class frmControl : public platform::Form {
public:
    frmControl();

protected:
    // Only the game shows and hides it: a close request from outside is ignored.
    bool acceptsCloseRequest() const override { return false; }
    void onMouseDown(int button, int shift, float x, float y) override;
};
