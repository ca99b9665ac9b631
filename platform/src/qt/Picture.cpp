// Pictures on QImage.

#include "platform/Picture.h"

#include <climits>

#include "qt/PictureImpl.h"
#include "qt/QtConvert.h"

namespace platform {

namespace {

Picture fromBytes(const std::uint8_t* data, std::size_t size, const char* format) {
    Picture picture;
    if (data == nullptr || size == 0 || size > static_cast<std::size_t>(INT_MAX)) return picture;
    QImage image;
    if (image.loadFromData(data, static_cast<int>(size), format)) {
        // One pixel layout for everything drawn: opaque pictures as RGB32, the rest with alpha.
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                              : QImage::Format_RGB32);
        picture.impl()->image = std::move(image);
    }
    return picture;
}

}  // namespace

Picture::Picture() : m_impl(std::make_unique<Impl>()) {}
Picture::~Picture() = default;
Picture::Picture(Picture&&) noexcept = default;
Picture& Picture::operator=(Picture&&) noexcept = default;
Picture::Picture(const Picture& other)
    : m_impl(other.m_impl ? std::make_unique<Impl>(*other.m_impl) : std::make_unique<Impl>()) {}

Picture& Picture::operator=(const Picture& other) {
    if (this != &other) m_impl = std::make_unique<Impl>(other.m_impl ? *other.m_impl : Impl{});
    return *this;
}

Picture Picture::fromBmp(const std::uint8_t* data, std::size_t size) {
    return fromBytes(data, size, "BMP");
}

Picture Picture::fromImageData(const std::uint8_t* data, std::size_t size) {
    return fromBytes(data, size, nullptr);
}

bool Picture::isNull() const { return !m_impl || m_impl->image.isNull(); }
int Picture::widthPixels() const { return isNull() ? 0 : m_impl->image.width(); }
int Picture::heightPixels() const { return isNull() ? 0 : m_impl->image.height(); }

Color Picture::pixel(int x, int y) const {
    if (isNull() || !m_impl->image.valid(x, y)) return kBlack;
    return qt::fromQRgb(m_impl->image.pixel(x, y));
}

}  // namespace platform
