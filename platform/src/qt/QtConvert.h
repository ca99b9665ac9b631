#pragma once
// Conversions between the window layer's value types and Qt's. Internal to the Qt backend.

#include <QColor>
#include <QRect>
#include <QString>
#include <string>

#include "platform/Color.h"
#include "platform/Region.h"

namespace platform::qt {

inline QColor toQColor(Color c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }
inline Color fromQRgb(QRgb value) { return rgb(qRed(value), qGreen(value), qBlue(value)); }
inline QString toQString(const std::string& text) { return QString::fromStdString(text); }

inline QRect toQRect(const Rect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}
inline Rect fromQRect(const QRect& r) {
    return Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

}  // namespace platform::qt
