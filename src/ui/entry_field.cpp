// SPDX-License-Identifier: MIT
#include "ui/entry_field.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "ui/typing_limit.h"

namespace huepick {

EntryField::EntryField(const QString& text, int typingLimit, QWidget* parent)
    : QLineEdit(text, parent) {
    setValidator(new TypingLimit(typingLimit, this));
    setFrame(false);
    setAlignment(Qt::AlignCenter);
    setTextMargins(0, 0, 0, 0);
    setMouseTracking(true);
    setAttribute(Qt::WA_NoMousePropagation);
    setFont(QFont(QStringLiteral("Arial"), 9, QFont::Bold));
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
    emit pressed(event->button());
    // The press may have disabled the field (a right-button copy), which
    // then keeps its edit menu to itself.
    if (isEnabled()) {
        QLineEdit::mousePressEvent(event);
    }
}

void EntryField::mouseMoveEvent(QMouseEvent* event) {
    emit pointerMoved();
    QLineEdit::mouseMoveEvent(event);
}

void EntryField::keyPressEvent(QKeyEvent* event) {
    emit keyPressed(event->key());
    QLineEdit::keyPressEvent(event);
}

}  // namespace huepick
