// Line controls, painted by their window above its back buffer.

#include <QPainter>

#include "platform/Controls.h"
#include "platform/Form.h"
#include "qt/FormImpl.h"
#include "qt/LineShapeImpl.h"
#include "qt/QtConvert.h"
#include "qt/Units.h"

namespace platform {

void LineShape::Impl::paint(QPainter& painter) const {
    if (!set) return;
    painter.setPen(QPen(qt::toQColor(color), 0));
    painter.drawLine(from, to);
}

LineShape::LineShape(Form& container, std::string /*name*/)
    : m_impl(std::make_unique<Impl>(container)) {}

LineShape::~LineShape() = default;

void LineShape::set(float x1, float y1, float x2, float y2, Color color) {
    m_impl->set = true;
    m_impl->from = QPoint(qt::toPixelsX(x1), qt::toPixelsY(y1));
    m_impl->to = QPoint(qt::toPixelsX(x2), qt::toPixelsY(y2));
    m_impl->color = color;
    if (QWidget* w = m_impl->container.impl()->widget()) w->update();
}

}  // namespace platform
