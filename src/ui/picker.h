// Starts a pick: asks the desktop for a frozen copy of the screen and shows
// the picking window over it. One pick at a time.
#pragma once

#include <QObject>
#include <QPointer>

#include "platform/screen_grabber.h"
#include "ui/capture_window.h"

class QWidget;

namespace huepick {


class ColourModel;
struct Desktop;

class Picker : public QObject {
    Q_OBJECT
public:
    // The lens is placed relative to `anchor`, the main window.
    Picker(ColourModel& model, Desktop& desktop, QWidget* anchor);
    ~Picker() override;

    // Opens the picking window in the model's capture mode; while one is
    // open, only brings it to the front.
    void start();
    CaptureWindow* window() const { return m_window; }

signals:
    // The picking window is gone, after a pick, a cancel or a failed grab.
    void finished();

private:
    void show(const DesktopGrab& grab);
    void fail(const QString& why);

    ColourModel& m_model;
    Desktop& m_desktop;
    QPointer<QWidget> m_anchor;
    QPointer<CaptureWindow> m_window;
    bool m_waiting = false;
};

}  // namespace huepick
