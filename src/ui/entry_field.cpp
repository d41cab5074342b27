#include "ui/entry_field.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "ui/picture_box.h"
#include "ui/typing_limit.h"

namespace huepick {

EntryField::EntryField(const QString& text, int typing_limit, QWidget* parent)
    : QLineEdit(text, parent) {
    setValidator(new TypingLimit(typing_limit, this));
    setFrame(false);
    setAlignment(Qt::AlignCenter);
    setTextMargins(0, 0, 0, 0);
    setMouseTracking(true);
    setAttribute(Qt::WA_NoMousePropagation);
    QFont font(QStringLiteral("Arial"), 9, QFont::Bold);
    setFont(font);
    QPalette pal = palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Base, Qt::black);
        pal.setColor(group, QPalette::Window, Qt::black);
        pal.setColor(group, QPalette::Text, Qt::white);
    }
    pal.setColor(QPalette::Disabled, QPalette::Text, QColor(150, 150, 150));
    setPalette(pal);
}

void EntryField::mousePressEvent(QMouseEvent* event) {
    const int button = button_code(event->button());
    emit mouse_down(button, event->modifiers(), event->position());
    if (isEnabled()) {
        QLineEdit::mousePressEvent(event);
    }
}

void EntryField::mouseMoveEvent(QMouseEvent* event) {
    emit mouse_move(0, event->modifiers(), event->position());
    QLineEdit::mouseMoveEvent(event);
}

void EntryField::keyPressEvent(QKeyEvent* event) {
    emit key_down(event->key(), event->modifiers());
    QLineEdit::keyPressEvent(event);
}

}  // namespace huepick
