#pragma once
// The ball's shadow: a grey window cut to the ball's shape, shown during the flight.

#include "platform/Form.h"

class frmKAGE : public platform::Form {
public:
    frmKAGE();

protected:
    // Only the game shows and hides it: a close request from outside is ignored.
    bool acceptsCloseRequest() const override { return false; }
    void onLoad() override;
};
