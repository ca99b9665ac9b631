#pragma once
// The Qt backend's region: a QRegion. Internal to the Qt backend.

#include <QRegion>

#include "platform/Region.h"

namespace platform {

struct Region::Impl {
    QRegion region;
};

namespace qt {

inline const QRegion& toQRegion(const Region& region) { return region.impl()->region; }
Region fromQRegion(QRegion region);

}  // namespace qt
}  // namespace platform
