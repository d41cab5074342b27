// A frozen copy of the whole desktop, in device pixels.
#pragma once

#include <QImage>
#include <QObject>
#include <QRect>
#include <QString>

namespace huepick {

struct DesktopGrab {
    // Device pixels at ratio 1; black where no screen shows anything.
    QImage image;
    // Where the image lies on the virtual desktop, in device pixels; it may
    // start at negative coordinates.
    QRect area;
};

class ScreenGrabber : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Copies every screen as it is now. Answers with exactly one of the
    // signals below, perhaps before returning (a local grab) or later (a
    // desktop service that asks the user).
    virtual void grab() = 0;

signals:
    void grabbed(const huepick::DesktopGrab& grab);
    // One line for the user: why there is no copy.
    void failed(const QString& why);
    // The user declined; nothing to report.
    void cancelled();
};

}  // namespace huepick
