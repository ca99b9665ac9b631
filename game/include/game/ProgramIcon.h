#pragma once
// The program icon as the game shows it (in the version box). main() hands it over from the
// embedded art at start-up; until then it is an empty picture.

#include "platform/Picture.h"

class ProgramIcon {
public:
    static void set(platform::Picture icon);
    static const platform::Picture& get();
};
