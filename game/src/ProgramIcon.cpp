#include "game/ProgramIcon.h"

#include <utility>

namespace {

platform::Picture& storedIcon() {
    static platform::Picture icon;
    return icon;
}

}  // namespace

void ProgramIcon::set(platform::Picture icon) { storedIcon() = std::move(icon); }

const platform::Picture& ProgramIcon::get() { return storedIcon(); }
