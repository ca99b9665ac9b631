#pragma once
// The rules by which the window layer trusts what a desktop tells it about the screen. Shared
// by both backends. Internal to the window layer.

#include "platform/Region.h"

namespace platform::workarea {

// Whether `reported` (relative to its monitor's corner) leaves `neededWidth` x `neededHeight`
// on the monitor once clipped to it.
bool isSane(const Rect& reported, int monitorWidth, int monitorHeight, int neededWidth,
            int neededHeight);

// The work area the program stands its windows in, relative to its monitor's top-left corner
// (`monitorWidth` x `monitorHeight` pixels): `reported` clipped to the monitor, or the whole
// monitor when that leaves nothing or less than `neededWidth` x `neededHeight`.
Rect trusted(const Rect& reported, int monitorWidth, int monitorHeight, int neededWidth,
             int neededHeight);

// The largest whole-number scale, at most `scale`, at which `neededWidth` x `neededHeight`
// program pixels fit a work area of `areaWidth` x `areaHeight` screen pixels; never below 1.
int cappedScale(int scale, int areaWidth, int areaHeight, int neededWidth, int neededHeight);

}  // namespace platform::workarea
