#include "platform/Surface.h"

namespace platform {

Surface::~Surface() = default;

}  // namespace platform
