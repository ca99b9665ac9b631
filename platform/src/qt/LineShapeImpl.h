#pragma once
// A line control: two points in pixels and a colour, drawn above its window's back buffer.
// Internal to the Qt backend.

#include <QPoint>

#include "platform/Color.h"
#include "platform/Controls.h"

class QPainter;

namespace platform {

struct LineShape::Impl {
    explicit Impl(Form& container) : container(container) {}
    void paint(QPainter& painter) const;

    Form& container;
    bool set = false;
    QPoint from;
    QPoint to;
    Color color = kBlack;
};

}  // namespace platform
