#include "qt/SurfaceCore.h"

#include <QFontMetrics>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <limits>

#include "platform/Picture.h"
#include "platform/Screen.h"
#include "qt/PictureImpl.h"
#include "qt/QtConvert.h"
#include "qt/RegionImpl.h"
#include "qt/Units.h"
#include "qt/X11Support.h"

namespace platform::qt {

namespace {

// A mask that covers no pixel of any widget: the shape of a window cut to the empty region.
const QRegion& nothingMask() {
    static const QRegion mask(-2, -2, 1, 1);
    return mask;
}

// An entry of the requested positions that holds none.
constexpr int kNoPosition = std::numeric_limits<int>::min();

}  // namespace

SurfaceCore::SurfaceCore(SurfaceWidget* widget, float left, float top, float width, float height,
                         Color backColor)
    : m_widget(widget),
      m_left(left),
      m_top(top),
      m_width(width),
      m_height(height),
      m_backColor(backColor) {
    m_requested.fill(QPoint(kNoPosition, kNoPosition));
    m_buffer.resize(pixelSize(), m_backColor);
    if (widget != nullptr) widget->setBuffer(&m_buffer);
    applyGeometry();
}

SurfaceCore::~SurfaceCore() {
    if (!m_widget) return;
    // The widget may outlive its owner for a moment (a child of a window whose deletion was
    // deferred); it must not call back into it.
    m_widget->setBuffer(nullptr);
    m_widget->onMousePress = nullptr;
    m_widget->onCloseRequest = nullptr;
    m_widget->onPaintOverlay = nullptr;
    m_widget->onMoved = nullptr;
    m_widget->onResized = nullptr;
    m_widget->onStateChanged = nullptr;
    m_widget->onSizeHintsChanged = nullptr;
}

void SurfaceCore::releaseWidget() {
    SurfaceWidget::dispose(m_widget.data());
    m_widget.clear();
}

QSize SurfaceCore::pixelSize() const {
    return QSize(std::max(0, toPixelsX(m_width)), std::max(0, toPixelsY(m_height)));
}

void SurfaceCore::applyGeometry() {
    const QSize size = pixelSize();
    m_buffer.resize(size, m_backColor);
    if (!m_widget) return;
    const QPoint position = desktopPosition();
    if (m_widget->pos() != position) {
        noteRequested(position);
        m_widget->move(position);
    } else if (!m_positioned && m_widget->isWindow() && m_widget->windowHandle() != nullptr) {
        // A move to where the window already is does nothing in Qt, and a top-level window
        // never moved is left to the window manager's placement (which shifts a window at
        // 0, 0 into the work area). Telling the QWindow marks the position as the program's.
        m_widget->windowHandle()->setFramePosition(position);
    }
    m_positioned = true;
    if (m_widget->size() != size) m_widget->resize(size);
}

QPoint SurfaceCore::desktopPosition() const {
    const QPoint position(toPixelsX(m_left), toPixelsY(m_top));
    // A picture box's position is its window's business; a window's counts from the primary
    // monitor's corner.
    return m_widget && m_widget->isWindow() ? position + desktopOrigin() : position;
}

void SurfaceCore::noteRequested(QPoint position) {
    m_requested[m_nextRequested] = position;
    m_nextRequested = (m_nextRequested + 1) % m_requested.size();
}

bool SurfaceCore::movedByOthers() const {
    if (!m_widget) return false;
    const QPoint at = m_widget->pos();
    if (at == desktopPosition()) return false;
    // The server confirms each move later: a confirmation of an earlier move of the program's
    // own is no move of anybody else's.
    return std::find(m_requested.begin(), m_requested.end(), at) == m_requested.end();
}

QPoint SurfaceCore::serverPosition(QPoint position) const {
    // Qt keeps a screen's corner in the server's pixels and scales what lies beyond it.
    const QScreen* screen = m_widget->screen();
    const double ratio = m_widget->devicePixelRatioF();
    const QPoint corner = screen != nullptr ? screen->geometry().topLeft() : QPoint(0, 0);
    return corner + QPoint(roundPixels((position.x() - corner.x()) * ratio),
                           roundPixels((position.y() - corner.y()) * ratio));
}

bool SurfaceCore::misplacedOnServer() const {
    if (!m_widget || !m_widget->isWindow() || !m_widget->isVisible() || !x11::active())
        return false;
    const QPoint wanted = desktopPosition();
    // Qt knows of a move it was told of: movedByOthers() speaks of that.
    if (m_widget->pos() != wanted) return false;
    QPoint at;
    if (!x11::absolutePosition(m_widget->winId(), at.rx(), at.ry())) return false;
    if (at == serverPosition(wanted)) return false;
    return std::none_of(m_requested.begin(), m_requested.end(), [&](QPoint p) {
        return p.x() != kNoPosition && at == serverPosition(p);
    });
}

void SurfaceCore::forcePosition() {
    if (!m_widget || !m_widget->isWindow()) return;
    const QPoint at = serverPosition(desktopPosition());
    x11::moveWindow(m_widget->winId(), at.x(), at.y());
}

bool SurfaceCore::resizedByOthers() const {
    return m_widget && m_widget->isVisible() && m_widget->size() != pixelSize();
}

bool SurfaceCore::restorePosition() {
    if (!m_widget) return false;
    const QPoint position = desktopPosition();
    if (m_widget->pos() == position) return false;
    noteRequested(position);
    m_widget->move(position);
    x11::flush();
    return true;
}

bool SurfaceCore::restoreSize() {
    if (!m_widget || m_widget->size() == pixelSize()) return false;
    m_widget->resize(pixelSize());
    x11::flush();
    return true;
}

void SurfaceCore::setLeft(float twips) { setGeometry(twips, m_top, m_width, m_height); }
void SurfaceCore::setTop(float twips) { setGeometry(m_left, twips, m_width, m_height); }
void SurfaceCore::setWidth(float twips) { setGeometry(m_left, m_top, twips, m_height); }
void SurfaceCore::setHeight(float twips) { setGeometry(m_left, m_top, m_width, twips); }

void SurfaceCore::setGeometry(float left, float top, float width, float height) {
    m_left = left;
    m_top = top;
    m_width = std::max(0.0f, width);
    m_height = std::max(0.0f, height);
    applyGeometry();
}

int SurfaceCore::widthPixels() const { return m_widget ? m_widget->width() : pixelSize().width(); }

int SurfaceCore::heightPixels() const {
    return m_widget ? m_widget->height() : pixelSize().height();
}

void SurfaceCore::setBackColor(Color color) {
    m_backColor = color;
    cls();
}

QFont SurfaceCore::font() const {
    QFont font(toQString(m_fontName));
    // The pixel size follows from twips per pixel exactly as the home platform rounds it
    // (8.25 pt at 15 twips per pixel is 11 px), whatever DPI Qt believes the device has.
    font.setPixelSize(std::max(1, roundPixels(m_fontSize * 20.0 / Screen::twipsPerPixelY())));
    font.setBold(m_fontBold);
    return font;
}

void SurfaceCore::cls() {
    m_buffer.fill(m_backColor);
    m_currentX = 0;
    m_currentY = 0;
    repaint();
}

void SurfaceCore::print(const std::string& text) {
    const QFont f = font();
    m_buffer.drawText(QPoint(toPixelsX(m_currentX), toPixelsY(m_currentY)), toQString(text), f,
                      m_foreColor);
    m_currentX = 0;
    m_currentY += toTwipsY(QFontMetrics(f).height());
    repaint();
}

float SurfaceCore::textWidth(const std::string& text) const {
    return toTwipsX(QFontMetrics(font()).horizontalAdvance(toQString(text)));
}

void SurfaceCore::line(float x1, float y1, float x2, float y2, Color color) {
    m_buffer.drawLine(QPoint(toPixelsX(x1), toPixelsY(y1)), QPoint(toPixelsX(x2), toPixelsY(y2)),
                      color);
    repaint();
}

void SurfaceCore::paintPicture(const Picture& picture, float x, float y) {
    if (picture.isNull()) return;
    m_buffer.drawImage(QPoint(toPixelsX(x), toPixelsY(y)), picture.impl()->image);
    repaint();
}

void SurfaceCore::selectClip(const Region& clip) { m_buffer.setClip(toQRegion(clip)); }

bool SurfaceCore::setWindowRegion(Region&& region, bool redraw) {
    const Region taken = std::move(region);
    if (!m_widget) return false;
    const QRegion& mask = taken.impl() != nullptr ? toQRegion(taken) : QRegion();
    m_cutEmpty = mask.isEmpty();
    m_widget->setMask(m_cutEmpty ? nothingMask() : mask);
    if (m_widget->isWindow()) x11::copyShapeToInput(m_widget->winId());
    m_cut = true;
    // setMask alone reaches the X server in bursts (gaps up to 180 ms were measured); an
    // update and a flush make every new outline arrive within the frame that set it.
    if (redraw) m_widget->update();
    x11::flush();
    return true;
}

std::optional<Region> SurfaceCore::windowRegion() const {
    if (!m_widget || !m_cut) return std::nullopt;
    if (m_cutEmpty) return Region();
    return fromQRegion(m_widget->mask());
}

void SurfaceCore::repaint() {
    if (m_widget) m_widget->update();
}

}  // namespace platform::qt
