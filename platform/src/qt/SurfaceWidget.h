#pragma once
// The QWidget behind a window or picture box: it shows its back buffer and hands input and close
// requests to its owner. Internal to the Qt backend.

#include <QWidget>
#include <functional>

class QPainter;

namespace platform::qt {

class BackBuffer;

class SurfaceWidget : public QWidget {
public:
    SurfaceWidget(QWidget* parent, Qt::WindowFlags flags);

    // The buffer shown; nullptr shows nothing (the owner is gone).
    void setBuffer(const BackBuffer* buffer) { m_buffer = buffer; }

    // A press inside the widget's mask: button code 1, 2 or 4, shift state, position in pixels.
    std::function<void(int button, int shift, QPoint position)> onMousePress;
    // The window system asks the window to close; when set, the close is left to the owner.
    std::function<void()> onCloseRequest;
    // The widget's position or size changed (by the program or by the window system).
    std::function<void()> onMoved;
    std::function<void()> onResized;
    // The window system changed the window's state (maximised, full screen, minimised), or
    // its size hints were replaced (any X client can write them).
    std::function<void()> onStateChanged;
    std::function<void()> onSizeHintsChanged;
    // Drawn above the back buffer (line controls, borders).
    std::function<void(QPainter&)> onPaintOverlay;

    // Shown since the last sleep (see SystemClock): a compositor may not have taken the
    // window's first picture yet.
    bool freshlyShown() const { return m_freshlyShown; }
    void setFreshlyShown(bool fresh) { m_freshlyShown = fresh; }

    // Detaches the widget from its owner and lets it go: hidden at once, deleted at once or,
    // while an event handler may still be running inside it, when control is back in the
    // event loop.
    static void dispose(SurfaceWidget* widget);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    const BackBuffer* m_buffer = nullptr;
    bool m_freshlyShown = false;
};

}  // namespace platform::qt
