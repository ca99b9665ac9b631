#pragma once
// What a window and a picture box share: twips geometry over a widget, the back buffer and its
// drawing state, and the widget's region. Form and PictureBox forward their Surface calls here.
// Internal to the Qt backend.

#include <QFont>
#include <QPointer>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "common/SurfaceDrawing.h"
#include "platform/Color.h"
#include "platform/Region.h"
#include "qt/BackBuffer.h"
#include "qt/SurfaceWidget.h"

namespace platform {
class Picture;
}

namespace platform::qt {

class SurfaceCore : public SurfaceDrawing {
public:
    SurfaceCore(SurfaceWidget* widget, float left, float top, float width, float height,
                Color backColor);
    ~SurfaceCore() override;
    SurfaceCore(const SurfaceCore&) = delete;
    SurfaceCore& operator=(const SurfaceCore&) = delete;

    // The widget, or nullptr once it was released.
    SurfaceWidget* widget() const { return m_widget.data(); }
    // Lets the widget go (SurfaceWidget::dispose); the drawing state stays usable.
    void releaseWidget();

    // The twips last set, as the widget was told them. They are not taken back from the
    // widget: on X11 the server confirms each move later, and a confirmation of an earlier
    // move can arrive after the next one was requested.
    float left() const { return m_left; }
    float top() const { return m_top; }
    float width() const { return m_width; }
    float height() const { return m_height; }
    void setLeft(float twips);
    void setTop(float twips);
    void setWidth(float twips);
    void setHeight(float twips);
    void setGeometry(float left, float top, float width, float height);
    // The whole pixels the twips round to, the size the widget and its back buffer have.
    int widthPixels() const;
    int heightPixels() const;
    // The whole pixels the twips last set round to.
    QSize pixelSize() const;
    // Whether something else than the program (a window manager) moved or resized the widget
    // away from what the program last set.
    bool movedByOthers() const;
    bool resizedByOthers() const;
    // Moves the widget back to the position last set / resizes it back to the size last set
    // when something else changed it; true when it had to.
    bool restorePosition();
    bool restoreSize();
    // Whether the X server has the window elsewhere than where the program put it while Qt
    // believes it in place: a window manager moved it without telling (false off X11, and for
    // a position still on its way to the server). One round trip to the server.
    bool misplacedOnServer() const;
    // Asks for the window where the program put it again, whatever Qt believes.
    void forcePosition();

    Color backColor() const override { return m_backColor; }
    void setBackColor(Color color) override;
    Color foreColor() const override { return m_foreColor; }
    void setForeColor(Color color) override { m_foreColor = color; }
    std::string fontName() const override { return m_fontName; }
    void setFontName(const std::string& name) override { m_fontName = name; }
    float fontSize() const override { return m_fontSize; }
    void setFontSize(float points) override { m_fontSize = points; }
    bool fontBold() const override { return m_fontBold; }
    void setFontBold(bool bold) override { m_fontBold = bold; }
    // The surface's font at the screen's present twips per pixel.
    QFont font() const;
    bool autoRedraw() const override { return m_autoRedraw; }
    void setAutoRedraw(bool on) override { m_autoRedraw = on; }

    void cls() override;
    float currentX() const override { return m_currentX; }
    float currentY() const override { return m_currentY; }
    void setCurrentX(float twips) override { m_currentX = twips; }
    void setCurrentY(float twips) override { m_currentY = twips; }
    void print(const std::string& text) override;
    float textWidth(const std::string& text) const override;
    void line(float x1, float y1, float x2, float y2, Color color) override;
    void paintPicture(const Picture& picture, float x, float y) override;
    void selectClip(const Region& clip) override;
    void clearClip() override { m_buffer.clearClip(); }
    bool hasClip() const override { return m_buffer.hasClip(); }

    bool setWindowRegion(Region&& region, bool redraw) override;
    std::optional<Region> windowRegion() const override;
    Color backBufferPixel(int x, int y) const override { return m_buffer.pixel(x, y); }

    // Shows the back buffer's new content.
    void repaint();

private:
    void applyGeometry();
    // Where the widget belongs, in its parent's pixels (the desktop's for a window).
    QPoint desktopPosition() const;
    // A window's position in the server's pixels.
    QPoint serverPosition(QPoint position) const;
    void noteRequested(QPoint position);

    QPointer<SurfaceWidget> m_widget;
    BackBuffer m_buffer;
    float m_left;
    float m_top;
    float m_width;
    float m_height;
    Color m_backColor;
    Color m_foreColor = kBlack;
    std::string m_fontName = "ＭＳ Ｐゴシック";
    float m_fontSize = 9.0f;
    bool m_fontBold = false;
    bool m_autoRedraw = false;
    float m_currentX = 0;
    float m_currentY = 0;
    bool m_positioned = false;
    // The last positions the widget was moved to, whose confirmations may still be on the way.
    std::array<QPoint, 8> m_requested{};
    std::size_t m_nextRequested = 0;
    bool m_cut = false;
    // Qt takes an empty mask for "no mask"; an empty region is set as a mask outside the widget.
    bool m_cutEmpty = false;
};

}  // namespace platform::qt
