#pragma once
// The golfer window: the program's start-up window. Its load event lays out the whole scene
// (golfer, control button, hole, ball) with both timers stopped; it owns the game state that
// the swing, the control button and the ball flight share, and the golfer's colour (CC).
//
// The swing is a state machine on Timer1 (20 ms): each tick shows the next frame of the
// running animation table on the golfer. At the top of the backswing the power gauge fills and
// empties inside one tick while the control button's click may strike; on the downswing frame
// that meets the ball (shape 35) the shot is handed to the ball's timer.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/Form.h"

namespace platform {
class Timer;
}

class frmMan : public platform::Form {
public:
    frmMan();

    // The shared game state, read and written by frmControl, frmMenu and frmBall.
    // Position in the running animation table.
    std::int32_t nIndex = 0;
    // Running table: -1 none (idle), 0 anim0, 1 anim1, 2 anim2.
    std::int32_t nAN = 0;
    // Backswing, return-to-address and downswing frames (shape indices).
    std::array<std::int16_t, 25> anim0{};
    std::array<std::int16_t, 24> anim1{};
    std::array<std::int16_t, 21> anim2{};
    // 0 not armed, 1 power gauge running, 2 shot struck.
    std::int32_t fButton = 0;
    // Flight state (twips, twips per tick), filled at the launch.
    float nBally = 0;
    float nBallm = 0;
    float nBallmb = 0;
    float nKage = 0;
    float nKageY = 0;
    // Ball in flight: -1 true, 0 false.
    std::int16_t nBallFlag = 0;
    // Size class of ball and shadow, 0..2.
    std::int32_t nBallAnim = 0;
    // Milliseconds per power-gauge step.
    std::int32_t nWait = 0;

    // Sets the golfer's colour by colour index (0 black, 1 blue, 2 pink, 3 white, anything
    // else black); the figure shows it at once.
    void CC(std::int32_t Idx);

    platform::Timer& Timer1() const { return *m_timer1; }

    // Called with the shape index each time a swing frame is put on the golfer (tests watch
    // the frame sequence through it).
    void setFrameObserver(std::function<void(std::int32_t shape)> observer);

    // Lays the scene out again on the present ground line when the screen or its work area
    // changed during a shot; the flight's reset calls it before it puts ball and hole back.
    void applyPendingLayout();

    // Tells the window layer how much of the screen the scene needs: the button and the golfer
    // side by side with the ball and hole half beyond its right edge, and the height from the
    // ground line to the highest hole. Called before the window system starts.
    static void declareRoomNeeded();

    // The colour index a stored "COLOR" value stands for: its leading number rounded half to
    // even; a value beyond the 32-bit range stands for no colour of the table.
    static std::int32_t colorIndexOf(const std::string& stored);

protected:
    void onLoad() override;
    void onQueryUnload() override;

private:
    void Timer1_Timer();
    void showFrame(std::int32_t shape);
    void runPowerGauge();
    void launchBall();
    // The screen or its work area changed (a panel resized, the resolution changed).
    void screenChanged();
    // Stands golfer, button, resting ball and hole on the present ground line, the golfer
    // centred, the hole as many hole heights up as before.
    void layOutScene();

    std::int32_t nManLeft = 0;
    std::int32_t nManTop = 0;

    platform::Timer* m_timer1 = nullptr;
    // True while the power gauge holds the thread inside a tick: a tick that falls due then
    // (the click re-enables the timer) must not start a second gauge.
    bool m_gaugeRunning = false;
    // The ground line the scene stands on (twips), and whether a change of it waits for the
    // end of the gauge or of the shot.
    std::int32_t m_ground = 0;
    bool m_layoutPending = false;
    std::function<void(std::int32_t)> m_frameObserver;
};
