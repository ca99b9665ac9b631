// Child picture boxes: a child widget of the window's widget with a back buffer and a mask of
// its own.

#include <QPainter>

#include "platform/Controls.h"
#include "platform/Form.h"
#include "qt/FormImpl.h"

namespace platform {

namespace {

// A new picture box's design size.
constexpr float kDefaultSize = 1215;

qt::SurfaceWidget* createChild(Form& container) {
    qt::SurfaceWidget* parent = container.impl()->widget();
    if (parent == nullptr) return nullptr;
    auto* widget = new qt::SurfaceWidget(parent, Qt::Widget);
    widget->hide();
    return widget;
}

}  // namespace

struct PictureBox::Impl {
    Impl(PictureBox& owner, Form& container)
        : container(container),
          surface(createChild(container), 0, 0, kDefaultSize, kDefaultSize, kWhite) {
        qt::SurfaceWidget* w = surface.widget();
        if (w == nullptr) return;
        // Presses on a picture box are its own; they do not reach the window beneath it.
        w->onMousePress = [](int, int, QPoint) {};
        w->onPaintOverlay = [&owner](QPainter& painter) {
            if (owner.m_impl->borderStyle != 1) return;
            painter.setPen(Qt::black);
            painter.drawRect(0, 0, painter.device()->width() - 1, painter.device()->height() - 1);
        };
    }

    Form& container;
    qt::SurfaceCore surface;
    int appearance = 1;
    int borderStyle = 1;
};

PictureBox::PictureBox(Form& container, std::string name)
    : Surface(std::move(name)), m_impl(std::make_unique<Impl>(*this, container)) {}

PictureBox::~PictureBox() = default;

int PictureBox::appearance() const { return m_impl->appearance; }
void PictureBox::setAppearance(int appearance) { m_impl->appearance = appearance; }
int PictureBox::borderStyle() const { return m_impl->borderStyle; }

void PictureBox::setBorderStyle(int style) {
    m_impl->borderStyle = style;
    m_impl->surface.repaint();
}

Form& PictureBox::container() const { return m_impl->container; }

float PictureBox::left() const { return m_impl->surface.left(); }
float PictureBox::top() const { return m_impl->surface.top(); }
float PictureBox::width() const { return m_impl->surface.width(); }
float PictureBox::height() const { return m_impl->surface.height(); }
void PictureBox::setLeft(float twips) { m_impl->surface.setLeft(twips); }
void PictureBox::setTop(float twips) { m_impl->surface.setTop(twips); }
void PictureBox::setWidth(float twips) { m_impl->surface.setWidth(twips); }
void PictureBox::setHeight(float twips) { m_impl->surface.setHeight(twips); }
int PictureBox::widthPixels() const { return m_impl->surface.widthPixels(); }
int PictureBox::heightPixels() const { return m_impl->surface.heightPixels(); }

bool PictureBox::visible() const {
    // A child's own flag: it may be visible while its window is hidden.
    const QWidget* w = m_impl->surface.widget();
    return w != nullptr && !w->isHidden();
}

void PictureBox::setVisible(bool visible) {
    if (QWidget* w = m_impl->surface.widget()) w->setVisible(visible);
}

std::uintptr_t PictureBox::hwnd() const {
    // A child is drawn inside its window's X window and has no window of its own (making it
    // native would change how its mask combines with the window's); its widget's address
    // serves as a handle unique in the process.
    return reinterpret_cast<std::uintptr_t>(m_impl->surface.widget());
}

SurfaceDrawing& PictureBox::drawing() const { return m_impl->surface; }

}  // namespace platform
