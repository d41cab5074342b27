// A single-line text field of the main window: typing is limited to a number
// of characters, and presses and pointer movement are reported with the
// button codes of the picture controls.
#pragma once

#include <QLineEdit>

namespace huepick {

class EntryField : public QLineEdit {
    Q_OBJECT
public:
    EntryField(const QString& text, int typing_limit, QWidget* parent = nullptr);

signals:
    void mouse_down(int button, Qt::KeyboardModifiers modifiers, QPointF pos);
    void mouse_move(int buttons, Qt::KeyboardModifiers modifiers, QPointF pos);
    // Every key press, before the field handles it.
    void key_down(int key, Qt::KeyboardModifiers modifiers);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace huepick
