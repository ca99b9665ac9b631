#include "qt/SurfaceWidget.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QResizeEvent>

#include "common/Backend.h"
#include "qt/BackBuffer.h"
#include "qt/X11Support.h"

namespace platform::qt {

namespace {

int buttonCode(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return 1;
        case Qt::RightButton:
            return 2;
        case Qt::MiddleButton:
            return 4;
        default:
            return 0;
    }
}

int shiftState(Qt::KeyboardModifiers modifiers) {
    return (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) |
           (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) |
           (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
}

}  // namespace

SurfaceWidget::SurfaceWidget(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {
    // The back buffer covers every pixel, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void SurfaceWidget::dispose(SurfaceWidget* widget) {
    if (widget == nullptr) return;
    widget->m_buffer = nullptr;
    widget->onMousePress = nullptr;
    widget->onCloseRequest = nullptr;
    widget->onPaintOverlay = nullptr;
    widget->onMoved = nullptr;
    widget->onResized = nullptr;
    widget->onStateChanged = nullptr;
    widget->onSizeHintsChanged = nullptr;
    widget->hide();
    // A handler running through dispatch may have been called from inside this widget's own
    // event handler (a click that unloads its window); deleting it now would pull the widget
    // out from under that handler.
    if (dispatchDepth() > 0) {
        widget->deleteLater();
    } else {
        delete widget;
    }
}

void SurfaceWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (m_buffer != nullptr) {
        painter.drawImage(event->rect().topLeft(), m_buffer->image(), event->rect());
    }
    if (onPaintOverlay) onPaintOverlay(painter);
}

void SurfaceWidget::mousePressEvent(QMouseEvent* event) {
    const int button = buttonCode(event->button());
    if (button == 0 || !onMousePress) {
        event->ignore();
        return;
    }
    event->accept();
    x11::noteInputTime(static_cast<std::uint32_t>(event->timestamp()));
    // Copy first: the handler may unload the window and clear the callback.
    auto handler = onMousePress;
    handler(button, shiftState(event->modifiers()), event->position().toPoint());
}

void SurfaceWidget::closeEvent(QCloseEvent* event) {
    if (!onCloseRequest) {
        event->accept();
        return;
    }
    event->ignore();
    auto handler = onCloseRequest;
    handler();
}

void SurfaceWidget::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (onMoved) onMoved();
}

void SurfaceWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (onResized) onResized();
}

void SurfaceWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && onStateChanged) onStateChanged();
}

bool SurfaceWidget::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    const std::uint32_t property = x11::changedProperty(eventType, message);
    if (property != 0) {
        if (onSizeHintsChanged && x11::isSizeHintsProperty(property)) onSizeHintsChanged();
        if (onStateChanged && x11::isWindowStateProperty(property)) onStateChanged();
    }
    return QWidget::nativeEvent(eventType, message, result);
}

}  // namespace platform::qt
