#include "platform/Controls.h"
#include "platform/Form.h"
#include "win32/FormImpl.h"

namespace platform {

// An image has no window of its own: its container draws it over the back buffer when it
// repaints.
Image::Image(Form& container, std::string) : m_impl(std::make_unique<Impl>(container)) {}

Image::~Image() = default;

void Image::setPicture(const Picture& picture) {
    m_impl->picture = picture;
    m_impl->container.impl()->surface.invalidate();
}

void Image::move(float left, float top, float width, float height) {
    m_impl->left = left;
    m_impl->top = top;
    m_impl->width = width;
    m_impl->height = height;
    m_impl->container.impl()->surface.invalidate();
}

}  // namespace platform
