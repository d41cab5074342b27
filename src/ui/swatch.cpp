#include "ui/swatch.h"

#include <QMouseEvent>
#include <QPainter>

namespace huepick {

Swatch::Swatch(const QColor& colour, QWidget* parent) : QWidget(parent), colour_(colour) {
    setFocusPolicy(Qt::NoFocus);
    // Disabled, so that not even a programmatic setFocus lands here; the
    // pointer events still stop here instead of reaching the window.
    setEnabled(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoMousePropagation);
}

void Swatch::set_colour(const QColor& colour) {
    if (colour != colour_) {
        colour_ = colour;
        update();
    }
}

void Swatch::paintEvent(QPaintEvent* event) {
    QPainter(this).fillRect(event->rect(), colour_);
}

}  // namespace huepick
