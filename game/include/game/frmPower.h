#pragma once
// The power gauge shown at the top of the backswing: a black wedge of bars whose red part,
// the label Label1, grows and shrinks with the power.

#include "platform/Form.h"

namespace platform {
class Label;
}

class frmPower : public platform::Form {
public:
    frmPower();

    platform::Label& Label1() const { return *m_label1; }

protected:
    // Only the game shows and hides it: a close request from outside is ignored.
    bool acceptsCloseRequest() const override { return false; }

private:
    platform::Label* m_label1 = nullptr;
};
