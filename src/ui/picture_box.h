// A control that shows one picture and reports presses, releases and pointer
// movement with the button as a code: 1 left, 2 right, 4 middle. It sizes itself
// to its picture, and it keeps its pointer events to itself, so a press on it
// never reaches the window underneath.
#pragma once

#include <QPixmap>
#include <QPointF>
#include <QWidget>

namespace huepick {

int button_code(Qt::MouseButton button);

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // Replaces what the control shows at once and takes the picture's size.
    void set_picture(const QPixmap& picture);
    const QPixmap& picture() const { return picture_; }
    QSize sizeHint() const override;

signals:
    void mouse_down(int button, Qt::KeyboardModifiers modifiers, QPointF pos);
    void mouse_up(int button, Qt::KeyboardModifiers modifiers, QPointF pos);
    void mouse_move(int buttons, Qt::KeyboardModifiers modifiers, QPointF pos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QPixmap picture_;
};

}  // namespace huepick
