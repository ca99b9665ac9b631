// Labels on QLabel.

#include <QLabel>
#include <QPointer>

#include "platform/Controls.h"
#include "platform/Form.h"
#include "platform/Screen.h"
#include "qt/FormImpl.h"
#include "qt/QtConvert.h"
#include "qt/Units.h"

namespace platform {

struct Label::Impl {
    QPointer<QLabel> label;
    float left = 0;
    float top = 0;
    float width = 1215;
    float height = 255;
    Color backColor = rgb(240, 240, 240);
    Color foreColor = kBlack;

    void applyColors() {
        if (!label) return;
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, qt::toQColor(backColor));
        palette.setColor(QPalette::WindowText, qt::toQColor(foreColor));
        label->setPalette(palette);
    }

    void applyGeometry() {
        if (label) {
            label->setGeometry(qt::toPixelsX(left), qt::toPixelsY(top), qt::toPixelsX(width),
                               qt::toPixelsY(height));
        }
    }
};

Label::Label(Form& container, std::string name)
    : m_name(std::move(name)), m_impl(std::make_unique<Impl>()) {
    if (QWidget* parent = container.impl()->widget()) {
        auto* label = new QLabel(parent);
        label->setAutoFillBackground(true);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
        label->show();
        m_impl->label = label;
    }
    m_impl->applyColors();
    m_impl->applyGeometry();
}

Label::~Label() = default;

float Label::left() const { return m_impl->left; }
float Label::top() const { return m_impl->top; }
float Label::width() const { return m_impl->width; }
float Label::height() const { return m_impl->height; }

void Label::move(float left, float top, float width, float height) {
    m_impl->left = left;
    m_impl->top = top;
    m_impl->width = width;
    m_impl->height = height;
    m_impl->applyGeometry();
}

void Label::setWidth(float twips) {
    m_impl->width = twips;
    m_impl->applyGeometry();
}

std::string Label::caption() const {
    return m_impl->label ? m_impl->label->text().toStdString() : std::string();
}

void Label::setCaption(const std::string& text) {
    if (m_impl->label) m_impl->label->setText(qt::toQString(text));
}

Color Label::backColor() const { return m_impl->backColor; }

void Label::setBackColor(Color color) {
    m_impl->backColor = color;
    m_impl->applyColors();
}

Color Label::foreColor() const { return m_impl->foreColor; }

void Label::setForeColor(Color color) {
    m_impl->foreColor = color;
    m_impl->applyColors();
}

void Label::setFont(const std::string& name, float points, bool bold) {
    if (!m_impl->label) return;
    QFont font(qt::toQString(name));
    font.setPixelSize(std::max(1, qt::roundPixels(points * 20.0 / Screen::twipsPerPixelY())));
    font.setBold(bold);
    m_impl->label->setFont(font);
}

void Label::setAlignment(int alignment) {
    if (!m_impl->label) return;
    const Qt::Alignment horizontal =
        alignment == 1 ? Qt::AlignRight : (alignment == 2 ? Qt::AlignHCenter : Qt::AlignLeft);
    m_impl->label->setAlignment(horizontal | Qt::AlignTop);
}

bool Label::visible() const { return m_impl->label && !m_impl->label->isHidden(); }

void Label::setVisible(bool visible) {
    if (m_impl->label) m_impl->label->setVisible(visible);
}

}  // namespace platform
