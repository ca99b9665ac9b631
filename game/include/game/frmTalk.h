#pragma once
// The window that hosts the result balloon; unloading it removes the balloon.

#include "platform/Form.h"

class frmTalk : public platform::Form {
public:
    frmTalk();

protected:
    // Only the game shows and hides it: a close request from outside is ignored.
    bool acceptsCloseRequest() const override { return false; }
};
