// The picking window: a frozen copy of the whole desktop to pick a pixel from,
// directly or through a magnifying lens. Made for one pick and destroyed after
// the pick or a cancel.
#pragma once

#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include "core/pick_geometry.h"
#include "platform/screen_grabber.h"

namespace huepick {

class ColourModel;
class PointerLocator;

class CaptureWindow : public QWidget {
    Q_OBJECT
public:
    // The lens is placed relative to `anchor`, the main window.
    CaptureWindow(ColourModel& model, PointerLocator& pointer, DesktopGrab grab, QWidget* anchor);
    ~CaptureWindow() override;

    // Covers the desktop with the copy and takes the pointer and keys.
    void open();

    // Where the lens shows on the virtual desktop, in device pixels; empty
    // while it is hidden.
    QRect lensDeviceRect() const;

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

    void coverDesktop();
    void clicked(QPointF local);
    void drawLens(QPoint click);
    void pick(QRgb pixel);
    void cancel(Qt::MouseButton button);
    void finish();
    void paintCapture(QPainter& painter, const QRect& logicalRect);
    QRgb pixelAt(QPoint device) const;
    QPoint deviceOrigin() const;

    ColourModel& m_model;
    PointerLocator& m_pointer;
    QPointer<QWidget> m_anchor;
    DesktopGrab m_grab;
    Surface* m_capture = nullptr;
    Surface* m_lens = nullptr;
    QImage m_lensMask;
    LensDisc m_disc;
    QImage m_lensView;
    QPoint m_lensOrigin;
    QPoint m_lensClick;
    bool m_closing = false;
};

}  // namespace huepick
