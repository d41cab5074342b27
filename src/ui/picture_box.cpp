#include "ui/picture_box.h"

#include <QMouseEvent>
#include <QPainter>

namespace huepick {

int button_code(Qt::MouseButton button) {
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

namespace {
int buttons_code(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}
}  // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_NoMousePropagation);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::set_picture(const QPixmap& picture) {
    picture_ = picture;
    const QSize size = picture.deviceIndependentSize().toSize();
    if (!size.isEmpty() && size != this->size()) {
        resize(size);
    }
    update();
}

QSize PictureBox::sizeHint() const { return picture_.deviceIndependentSize().toSize(); }

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    emit mouse_down(button_code(event->button()), event->modifiers(), event->position());
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    emit mouse_up(button_code(event->button()), event->modifiers(), event->position());
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    emit mouse_move(buttons_code(event->buttons()), event->modifiers(), event->position());
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
    // A quick second click is one more press, as the user meant it.
    mousePressEvent(event);
}

}  // namespace huepick
