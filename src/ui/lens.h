// SPDX-License-Identifier: MIT
// The magnify mode's lens over the frozen copy: where it lies on the desktop,
// in device pixels, what it shows, and which pixel of the copy a click on its
// disc stands for.
#pragma once

#include <QImage>
#include <QRect>
#include <optional>

#include "core/pick_geometry.h"
#include "platform/screen_grabber.h"

namespace huepick {

// The copy's pixel at a device pixel of the desktop; black outside the copy.
QRgb pixelAt(const DesktopGrab& grab, QPoint device);

class Lens {
public:
    Lens();

    // Empty while the lens is hidden.
    QRect rect() const;
    // Device pixels; transparent outside the disc.
    const QImage& image() const { return m_image; }

    // Enlarges the block round `click` into a lens `size` device pixels
    // across, placed at `origin`.
    void show(const DesktopGrab& grab, QPoint click, QPoint origin, int size);
    // The pixel of the copy a click at `device` picks through the lens, if it
    // lands on the disc.
    std::optional<QPoint> sourceOf(QPoint device) const;

private:
    const LensDisc& m_disc;
    QImage m_image;
    QPoint m_origin;
    QPoint m_click;
};

}  // namespace huepick
