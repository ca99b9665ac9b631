#include "platform/Controls.h"
#include "platform/Form.h"
#include "win32/FormImpl.h"

namespace platform {

// A line has no window of its own: its container draws it over the back buffer when it
// repaints.
LineShape::LineShape(Form& container, std::string) : m_impl(std::make_unique<Impl>(container)) {}

LineShape::~LineShape() = default;

void LineShape::set(float x1, float y1, float x2, float y2, Color color) {
    m_impl->x1 = x1;
    m_impl->y1 = y1;
    m_impl->x2 = x2;
    m_impl->y2 = y2;
    m_impl->color = color & 0xFFFFFF;
    m_impl->container.impl()->surface.invalidate();
}

}  // namespace platform
