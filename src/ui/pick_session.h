// SPDX-License-Identifier: MIT
// One pick from a frozen copy of the desktop: the copy, the windows that show
// it (one over the whole desktop, or one per screen where windows cannot
// learn their place), the lens of the magnify mode, and the end: a picked
// pixel becomes the current colour, or a cancel leaves it alone.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <vector>

#include "platform/screen_grabber.h"
#include "ui/lens.h"

class QWidget;

namespace huepick {

class CaptureWindow;
struct CaptureView;
class ColourModel;
class PointerLocator;

class PickSession : public QObject {
    Q_OBJECT
public:
    // The lens is placed relative to `anchor`, the main window, where its
    // place can be known; next to the click otherwise.
    PickSession(ColourModel& model, PointerLocator& pointer, QWidget* anchor);
    ~PickSession() override;

    // For a copy that will come laid out by screens: readies a window on
    // every screen while the copy is on its way. Nothing shows yet.
    void prepare();
    // Shows the copy over the desktop and takes the pointer.
    void open(DesktopGrab grab);
    void activate();
    const std::vector<QPointer<CaptureWindow>>& windows() const { return m_windows; }

    // The lens on the desktop in device pixels; empty while it is hidden.
    QRect lensRect() const { return m_lens.rect(); }

signals:
    // The lens appeared or moved: what to repaint, in device pixels.
    void lensMoved(const QRect& oldPlace, const QRect& newPlace);
    // The windows are gone, after a pick or a cancel; the session deletes
    // itself.
    void finished(bool picked);

private:
    // A left click at a device pixel of the copy, on `from`.
    void takeClick(QPoint device, const CaptureWindow& from);
    // A right press anywhere: the pick ends with nothing picked.
    void cancel(Qt::MouseButton button);
    void drawLens(QPoint click, const CaptureWindow& from);
    void pick(QRgb pixel);
    void close(bool picked);
    CaptureView view();
    void adopt(CaptureWindow* window);

    ColourModel& m_model;
    PointerLocator& m_pointer;
    DesktopGrab m_grab;
    QPointer<QWidget> m_anchor;
    std::vector<QPointer<CaptureWindow>> m_windows;
    Lens m_lens;
    bool m_closing = false;
};

}  // namespace huepick
