#pragma once
// Internal to the window layer.

#include <cstdint>

namespace platform {

// Changes whenever a clock is destroyed or another clock is made the active one. A timer
// backend made before the last change may belong to a clock that is gone (a new clock can even
// reuse the old one's address), so a Timer makes a new backend instead of reusing it.
std::uint64_t clockEpoch();

}  // namespace platform
