#pragma once
// The ball's shadow: a grey window cut to the ball's shape, shown during the flight.

#include "platform/Form.h"

class frmKAGE : public platform::Form {
public:
    frmKAGE();

protected:
    void onLoad() override;
};
