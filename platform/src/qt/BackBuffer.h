#pragma once
// The persistent image a surface draws into and repaints from, with its clip. Internal.

#include <QFont>
#include <QImage>
#include <QRegion>
#include <optional>

#include "platform/Color.h"

namespace platform::qt {

class BackBuffer {
public:
    explicit BackBuffer(QSize size = QSize(0, 0), Color fill = kWhite);

    const QImage& image() const { return m_image; }
    QSize size() const { return m_image.size(); }
    // Resizes to `size`, keeping the content at the top-left corner and filling new pixels.
    void resize(QSize size, Color fill);

    void setClip(const QRegion& clip) { m_clip = clip; }
    void clearClip() { m_clip.reset(); }
    bool hasClip() const { return m_clip.has_value(); }

    // Every drawing call goes through the clip.
    void fill(Color color);
    // A one-pixel line from `from` to `to`; the end point is not drawn.
    void drawLine(QPoint from, QPoint to, Color color);
    // A plain copy of `image` with its top-left pixel at `at`: no blending.
    void drawImage(QPoint at, const QImage& image);
    // One line of text with its top-left corner at `topLeft`.
    void drawText(QPoint topLeft, const QString& text, const QFont& font, Color color);

    Color pixel(int x, int y) const;

private:
    bool insideClip(int x, int y) const;
    QImage m_image;
    std::optional<QRegion> m_clip;
};

}  // namespace platform::qt
