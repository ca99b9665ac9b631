#pragma once
// The whole-number device-pixel ratio the program runs at. Qt's ratio is floor(dpi / 96) (the
// program starts Qt with the Floor rounding policy); on a screen that claims a very high dpi it
// would put the scene off the screen, so the ratio is capped at the largest one at which the
// room the program needs fits the work area. Qt fixes its ratio when it starts: a smaller one is
// had by starting Qt again with a global scale factor (QT_SCALE_FACTOR) chosen so that Qt's
// product of that factor and the screen's own factor is exactly the cap. Internal to the Qt
// backend.

#include <optional>
#include <string>

#include "platform/Region.h"

namespace platform::qt {

// The whole-number ratio to start Qt again with, or 0 when `ratio` (the one Qt chose) stands:
// the room the program needs, `neededWidth` x `neededHeight` of its pixels, fits the work area
// at that ratio. `monitor` and `workArea` are the primary monitor and the work area the desktop
// publishes, in device pixels of the whole desktop; a work area that leaves less than the room
// needed is not trusted (the monitor counts instead).
int cappedRatio(double ratio, const Rect& monitor, const Rect& workArea, int neededWidth,
                int neededHeight);

// The global scale factor that gives the ratio `wanted` exactly when Qt chose `ratio` under the
// global factor `userFactor`. Qt multiplies the global factor by the screen's own factor, and
// the nearest double to the quotient may miss the whole number by a rounding step; at a screen
// factor of 22 or more some whole numbers cannot be had at all, and then there is nothing.
std::optional<double> globalFactorFor(int wanted, double ratio, double userFactor);

struct Restart {
    int ratio = 0;
    double globalFactor = 1;
};

// How to start Qt again for the ratio `capped` (a cappedRatio()): with that ratio, or the next
// smaller whole one that can be had exactly.
std::optional<Restart> restartFor(int capped, double ratio, double userFactor);

// QT_SCALE_FACTOR as Qt reads it: 1 when unset, empty or not a positive number.
double globalFactorFromText(const char* text);

// The factor written so that reading it back gives the same double.
std::string factorText(double factor);

}  // namespace platform::qt
