#pragma once
// The ball. Its Timer1 (20 ms) flies a struck ball up the screen with its shadow, lets it
// roll after the landing, judges the hole, announces the result and resets the scene.

#include "platform/Form.h"

namespace platform {
class Timer;
}

class frmBall : public platform::Form {
public:
    frmBall();

    platform::Timer& Timer1() const { return *m_timer1; }

protected:
    // Only the game shows and hides it: a close request from outside is ignored.
    bool acceptsCloseRequest() const override { return false; }

private:
    void Timer1_Timer();
    // The roll after the landing; true when the ball drops into the hole.
    bool rollAndJudge();
    void announce(bool holed);
    void resetScene(bool holed);

    platform::Timer* m_timer1 = nullptr;
};
