#include "qt/BackBuffer.h"

#include <QFontMetrics>
#include <QPainter>
#include <cstdlib>

#include "qt/QtConvert.h"

namespace platform::qt {

namespace {

QImage makeImage(QSize size, Color fill) {
    QImage image(size.expandedTo(QSize(0, 0)), QImage::Format_RGB32);
    image.fill(toQColor(fill));
    return image;
}

}  // namespace

BackBuffer::BackBuffer(QSize size, Color fill) : m_image(makeImage(size, fill)) {}

void BackBuffer::resize(QSize size, Color fill) {
    size = size.expandedTo(QSize(0, 0));
    if (size == m_image.size()) return;
    QImage image = makeImage(size, fill);
    if (!m_image.isNull() && !image.isNull()) {
        QPainter painter(&image);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, m_image);
    }
    m_image = std::move(image);
}

void BackBuffer::fill(Color color) {
    if (m_image.isNull()) return;
    if (!m_clip) {
        m_image.fill(toQColor(color));
        return;
    }
    QPainter painter(&m_image);
    painter.setClipRegion(*m_clip);
    painter.fillRect(m_image.rect(), toQColor(color));
}

bool BackBuffer::insideClip(int x, int y) const {
    return m_image.valid(x, y) && (!m_clip || m_clip->contains(QPoint(x, y)));
}

void BackBuffer::drawLine(QPoint from, QPoint to, Color color) {
    // Bresenham by hand: the native line call leaves out the end point, which Qt's aliased
    // rasteriser would draw.
    const QRgb value = toQColor(color).rgb();
    int x = from.x();
    int y = from.y();
    const int dx = std::abs(to.x() - x);
    const int dy = -std::abs(to.y() - y);
    const int sx = x < to.x() ? 1 : -1;
    const int sy = y < to.y() ? 1 : -1;
    int error = dx + dy;
    while (x != to.x() || y != to.y()) {
        if (insideClip(x, y)) m_image.setPixel(x, y, value);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
}

void BackBuffer::drawImage(QPoint at, const QImage& image) {
    if (m_image.isNull() || image.isNull()) return;
    QPainter painter(&m_image);
    if (m_clip) painter.setClipRegion(*m_clip);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(at, image);
}

void BackBuffer::drawText(QPoint topLeft, const QString& text, const QFont& font, Color color) {
    if (m_image.isNull() || text.isEmpty()) return;
    QPainter painter(&m_image);
    if (m_clip) painter.setClipRegion(*m_clip);
    painter.setFont(font);
    painter.setPen(toQColor(color));
    painter.drawText(QPoint(topLeft.x(), topLeft.y() + QFontMetrics(font).ascent()), text);
}

Color BackBuffer::pixel(int x, int y) const {
    return m_image.valid(x, y) ? fromQRgb(m_image.pixel(x, y)) : kBlack;
}

}  // namespace platform::qt
