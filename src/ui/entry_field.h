// SPDX-License-Identifier: MIT
// A single-line text field of the main window: white bold text on black,
// typing limited to a number of characters, and presses, pointer movement
// and keys reported before the field handles them.
#pragma once

#include <QLineEdit>

namespace huepick {

class EntryField : public QLineEdit {
    Q_OBJECT
public:
    EntryField(const QString& text, int typingLimit, QWidget* parent = nullptr);

signals:
    void pressed(Qt::MouseButton button);
    void pointerMoved();
    void keyPressed(int key);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace huepick
