// SPDX-License-Identifier: MIT
#include "ui/picture_button.h"

#include <QMouseEvent>
#include <QPainter>

namespace huepick {

Picture::Picture(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_NoMousePropagation);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Picture::setPicture(const QPixmap& picture) {
    m_picture = picture;
    const QSize size = picture.deviceIndependentSize().toSize();
    if (!size.isEmpty() && size != this->size()) {
        resize(size);
    }
    update();
}

QSize Picture::sizeHint() const {
    return m_picture.deviceIndependentSize().toSize();
}

void Picture::paintEvent(QPaintEvent*) {
    QPainter(this).drawPixmap(0, 0, m_picture);
}

void Picture::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

PictureButton::PictureButton(const QPixmap& released, std::function<QPixmap()> pressed,
                             QWidget* parent)
    : Picture(parent), m_released(released), m_pressedSource(std::move(pressed)) {
    setPicture(m_released);
}

void PictureButton::mousePressEvent(QMouseEvent* event) {
    m_down = true;
    if (m_pressed.isNull() && m_pressedSource) {
        m_pressed = m_pressedSource();
    }
    setPicture(m_pressed);
    emit pressed(event->button());
}

// A quick second click is one more press, as the user meant it.
void PictureButton::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void PictureButton::click() {
    emit pressed(Qt::LeftButton);
    emit released(Qt::LeftButton);
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event) {
    m_down = false;
    setPicture(m_released);
    emit released(event->button());
}

}  // namespace huepick
