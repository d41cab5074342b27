// SPDX-License-Identifier: MIT
// A frozen copy of the whole desktop, in device pixels.
#pragma once

#include <QImage>
#include <QObject>
#include <QRect>
#include <QString>
#include <optional>

namespace huepick {

// Where a windowing system shows each screen in a window of its own, which
// cannot learn its place (Wayland): the image's pixels per logical unit, and
// the logical point of its top-left. Each screen is then covered by a window
// showing its own part of the image.
struct ScreenLayout {
    double scale = 1.0;
    QPoint logicalOrigin;
};

struct DesktopGrab {
    // Device pixels at ratio 1; black where no screen shows anything.
    QImage image;
    // Where the image lies on the virtual desktop, in device pixels; it may
    // start at negative coordinates.
    QRect area;
    std::optional<ScreenLayout> layout;
};

class ScreenGrabber : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Copies every screen as it is now. Answers with exactly one of the
    // signals below, perhaps before returning (a local grab) or later (a
    // desktop service that asks the user).
    virtual void grab() = 0;
    // True when copies come later and always laid out by screens
    // (DesktopGrab::layout): the windows that will show one can be made ready
    // while it is on its way.
    virtual bool laysOutByScreens() const { return false; }

signals:
    void grabbed(const huepick::DesktopGrab& grab);
    // One line for the user: why there is no copy.
    void failed(const QString& why);
    // The user declined; nothing to report.
    void cancelled();
};

}  // namespace huepick
