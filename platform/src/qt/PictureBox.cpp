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

Color PictureBox::backColor() const { return m_impl->surface.backColor(); }
void PictureBox::setBackColor(Color color) { m_impl->surface.setBackColor(color); }
Color PictureBox::foreColor() const { return m_impl->surface.foreColor(); }
void PictureBox::setForeColor(Color color) { m_impl->surface.setForeColor(color); }
std::string PictureBox::fontName() const { return m_impl->surface.fontName(); }
void PictureBox::setFontName(const std::string& name) { m_impl->surface.setFontName(name); }
float PictureBox::fontSize() const { return m_impl->surface.fontSize(); }
void PictureBox::setFontSize(float points) { m_impl->surface.setFontSize(points); }
bool PictureBox::fontBold() const { return m_impl->surface.fontBold(); }
void PictureBox::setFontBold(bool bold) { m_impl->surface.setFontBold(bold); }
bool PictureBox::autoRedraw() const { return m_impl->surface.autoRedraw(); }
void PictureBox::setAutoRedraw(bool on) { m_impl->surface.setAutoRedraw(on); }
void PictureBox::cls() { m_impl->surface.cls(); }
float PictureBox::currentX() const { return m_impl->surface.currentX(); }
float PictureBox::currentY() const { return m_impl->surface.currentY(); }
void PictureBox::setCurrentX(float twips) { m_impl->surface.setCurrentX(twips); }
void PictureBox::setCurrentY(float twips) { m_impl->surface.setCurrentY(twips); }
void PictureBox::print(const std::string& text) { m_impl->surface.print(text); }

float PictureBox::textWidth(const std::string& text) const {
    return m_impl->surface.textWidth(text);
}

void PictureBox::line(float x1, float y1, float x2, float y2, Color color) {
    m_impl->surface.line(x1, y1, x2, y2, color);
}

void PictureBox::paintPicture(const Picture& picture, float x, float y) {
    m_impl->surface.paintPicture(picture, x, y);
}

void PictureBox::selectClip(const Region& clip) { m_impl->surface.selectClip(clip); }
void PictureBox::clearClip() { m_impl->surface.clearClip(); }
bool PictureBox::hasClip() const { return m_impl->surface.hasClip(); }

std::uintptr_t PictureBox::hwnd() const {
    // A child is drawn inside its window's X window and has no window of its own (making it
    // native would change how its mask combines with the window's); its widget's address
    // serves as a handle unique in the process.
    return reinterpret_cast<std::uintptr_t>(m_impl->surface.widget());
}

bool PictureBox::setWindowRegion(Region&& region, bool redraw) {
    return m_impl->surface.setWindowRegion(std::move(region), redraw);
}

std::optional<Region> PictureBox::windowRegion() const { return m_impl->surface.windowRegion(); }

Color PictureBox::backBufferPixel(int x, int y) const {
    return m_impl->surface.backBufferPixel(x, y);
}

}  // namespace platform
