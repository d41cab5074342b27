// SPDX-License-Identifier: MIT
#include "ui/swatch.h"

#include <QPaintEvent>
#include <QPainter>

namespace huepick {

Swatch::Swatch(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    // Disabled, so that not even a programmatic setFocus lands here; the
    // pointer events still stop here instead of reaching the window.
    setEnabled(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoMousePropagation);
    setAccessibleDescription(m_colour.name().toUpper());
}

void Swatch::setColour(const QColor& colour) {
    if (colour != m_colour) {
        m_colour = colour;
        setAccessibleDescription(colour.name().toUpper());
        update();
    }
}

void Swatch::paintEvent(QPaintEvent* event) {
    QPainter(this).fillRect(event->rect(), m_colour);
}

}  // namespace huepick
