// SPDX-License-Identifier: MIT
// Where the pointer and windows are, in device pixels of the virtual desktop.
// Qt's logical positions cannot address every device pixel at fractional
// scales, so picking goes through these.
#pragma once

#include <QPoint>
#include <QPointF>
#include <optional>

class QWindow;

namespace huepick {

class PointerLocator {
public:
    virtual ~PointerLocator() = default;
    // The device pixel under a click at `local` (logical, inside `window`).
    virtual QPoint devicePixel(const QWindow& window, QPointF local) = 0;
    // The device position of a top-level window's top-left corner; nothing
    // where a window cannot learn its place.
    virtual std::optional<QPoint> deviceOrigin(const QWindow& window) = 0;
    // A window hidden while a button was held never sees that button's
    // release, and Qt would take the button as held from then on: called as
    // the window shows again, this tells Qt of releases it missed.
    virtual void catchUpOnReleases(QWindow& window) { (void)window; }
};

}  // namespace huepick
