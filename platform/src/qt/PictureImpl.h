#pragma once
// The Qt backend's picture: a QImage (implicitly shared, so copies are cheap). Internal.

#include <QImage>

#include "platform/Picture.h"

namespace platform {

struct Picture::Impl {
    QImage image;
};

}  // namespace platform
