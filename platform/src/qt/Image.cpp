// Image controls: a picture at its natural size in the control's top-left corner.

#include <QLabel>
#include <QPixmap>
#include <QPointer>

#include "platform/Controls.h"
#include "platform/Form.h"
#include "platform/Picture.h"
#include "qt/FormImpl.h"
#include "qt/PictureImpl.h"
#include "qt/Units.h"

namespace platform {

struct Image::Impl {
    QPointer<QLabel> label;
};

Image::Image(Form& container, std::string /*name*/) : m_impl(std::make_unique<Impl>()) {
    if (QWidget* parent = container.impl()->widget()) {
        auto* label = new QLabel(parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->show();
        m_impl->label = label;
    }
}

Image::~Image() = default;

void Image::setPicture(const Picture& picture) {
    if (!m_impl->label) return;
    m_impl->label->setPixmap(picture.isNull() ? QPixmap()
                                              : QPixmap::fromImage(picture.impl()->image));
}

void Image::move(float left, float top, float width, float height) {
    if (m_impl->label) {
        m_impl->label->setGeometry(qt::toPixelsX(left), qt::toPixelsY(top), qt::toPixelsX(width),
                                   qt::toPixelsY(height));
    }
}

}  // namespace platform
