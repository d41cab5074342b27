// SPDX-License-Identifier: MIT
// One pick from a frozen copy of the desktop: the copy, the windows that show
// it (one over the whole desktop, or one per screen where windows cannot
// learn their place), the lens of the magnify mode, and the end: a picked
// pixel becomes the current colour, or a cancel leaves it alone.
#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <vector>

#include "core/pick_geometry.h"
#include "platform/screen_grabber.h"

class QWidget;

namespace huepick {

class CaptureWindow;
class ColourModel;
class PointerLocator;

class PickSession : public QObject {
    Q_OBJECT
public:
    // The lens is placed relative to `anchor`, the main window, where its
    // place can be known; next to the click otherwise.
    PickSession(ColourModel& model, PointerLocator& pointer, DesktopGrab grab, QWidget* anchor);
    ~PickSession() override;

    // Shows the copy over the desktop and takes the pointer.
    void open();
    void activate();
    const std::vector<QPointer<CaptureWindow>>& windows() const { return m_windows; }

    ColourModel& model() const { return m_model; }
    PointerLocator& pointer() const { return m_pointer; }
    const DesktopGrab& grab() const { return m_grab; }
    // Black outside the copy.
    QRgb pixelAt(QPoint device) const;

    // The lens on the desktop in device pixels; empty while it is hidden.
    QRect lensRect() const;
    // What the lens shows, device pixels; transparent outside its disc.
    const QImage& lensView() const { return m_lensView; }
    const LensDisc& disc() const { return m_disc; }

    // A left click at a device pixel of the copy, on `from`.
    void clicked(QPoint device, const CaptureWindow& from);
    // A right press anywhere: the pick ends with nothing picked.
    void cancel(Qt::MouseButton button);

signals:
    // The lens appeared or moved: what to repaint, in device pixels.
    void lensMoved(const QRect& oldPlace, const QRect& newPlace);
    // The windows are gone, after a pick or a cancel; the session deletes
    // itself.
    void finished(bool picked);

private:
    void drawLens(QPoint click, const CaptureWindow& from);
    void pick(QRgb pixel);
    void close(bool picked);

    ColourModel& m_model;
    PointerLocator& m_pointer;
    DesktopGrab m_grab;
    QPointer<QWidget> m_anchor;
    std::vector<QPointer<CaptureWindow>> m_windows;
    const LensDisc& m_disc;
    QImage m_lensView;
    QPoint m_lensOrigin;
    QPoint m_lensClick;
    bool m_closing = false;
};

}  // namespace huepick
