// SPDX-License-Identifier: MIT
// Pictures on the skin: a Picture shows one image and sizes itself to it; a
// PictureButton shows its pressed image from a press until the release, with
// any mouse button. Both keep their pointer events to themselves, so a press
// on them never reaches the window underneath.
#pragma once

#include <QPixmap>
#include <QWidget>
#include <functional>

namespace huepick {

class Picture : public QWidget {
    Q_OBJECT
public:
    explicit Picture(QWidget* parent = nullptr);
    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return m_picture; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QPixmap m_picture;
};

class PictureButton : public Picture {
    Q_OBJECT
public:
    // The pressed image comes from `pressed` when it is first needed.
    PictureButton(const QPixmap& released, std::function<QPixmap()> pressed,
                  QWidget* parent = nullptr);
    bool isDown() const { return m_down; }
    // A left press and release, as assistive technology asks for one.
    void click();

signals:
    void pressed(Qt::MouseButton button);
    // The release goes to the button that got the press, wherever it happens.
    void released(Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap m_released;
    std::function<QPixmap()> m_pressedSource;
    QPixmap m_pressed;
    bool m_down = false;
};

}  // namespace huepick
