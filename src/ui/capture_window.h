// SPDX-License-Identifier: MIT
// A window of the picking: it shows one part of the frozen copy, device pixel
// for device pixel, with the lens where the lens lies, and hands clicks and
// right presses to its pick session.
#pragma once

#include <QRect>
#include <QWidget>

class QScreen;

namespace huepick {

class Lens;
class PointerLocator;
struct DesktopGrab;

// What every window of one pick shows and asks.
struct CaptureView {
    const DesktopGrab& grab;
    const Lens& lens;
    PointerLocator& pointer;
    bool magnify;
};

class CaptureWindow : public QWidget {
    Q_OBJECT
public:
    // Full screen on `screen`, or, with no screen, over the part of the
    // virtual desktop the copy covers.
    CaptureWindow(const CaptureView& view, QScreen* screen);
    ~CaptureWindow() override;

    // On a screen of its own, before the copy is there: shown to the
    // windowing system but with nothing painted, so that the compositor
    // maps it on the first frame open() paints.
    void prepare();
    // Shows `part` of the copy (device pixels).
    void open(const QRect& part);
    QScreen* screenShown() const { return m_screen; }
    const QRect& part() const { return m_part; }
    // Pixels of the copy per logical unit of this window.
    double pixelsPerUnit() const;
    // Repaints what shows the given device pixels of the copy.
    void repaintDevice(const QRect& oldPlace, const QRect& newPlace);

signals:
    // A left click, at the device pixel of the copy under the pointer.
    void clicked(QPoint device);
    // A right press: the pick is to end with nothing picked.
    void cancelled(Qt::MouseButton button);

protected:
    // Qt rounds event positions to whole logical pixels, so at some scales a
    // click on the screen's last device row or column lands just outside the
    // window's children, on the window itself; it belongs to the capture.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    class Surface;

    // The pointers and the lens control's shape.
    void setUpSurfaces();
    void showUnpainted();
    void warmBackingStore();
    void coverDesktop();
    void press(Qt::MouseButton button);
    void release(Qt::MouseButton button, QPointF local);
    void paintCapture(QPainter& painter, const QRect& logicalRect);
    // Where this window's top-left lies on the copy, and the copy's pixel
    // under a point of it.
    QPoint deviceOrigin() const;
    QPoint devicePixel(QPointF local) const;
    void placeLens();

    CaptureView m_view;
    QRect m_part;
    QScreen* m_screen;
    bool m_shown = false;  // on its screen, painted or not
    Surface* m_capture = nullptr;
    Surface* m_lens = nullptr;
    bool m_leftPressed = false;
};

}  // namespace huepick
