// SPDX-License-Identifier: MIT
#include "ui/lens.h"

#include <QPainter>

#include "ui/pick_art.h"

namespace huepick {

QRgb pixelAt(const DesktopGrab& grab, QPoint device) {
    const std::optional<QPoint> pixel = imagePixel(device, grab.area);
    if (!pixel || !grab.image.rect().contains(*pixel)) {
        return qRgb(0, 0, 0);
    }
    return grab.image.pixel(*pixel) | 0xFF000000u;
}

Lens::Lens() : m_disc(lensDisc()) {}

QRect Lens::rect() const {
    return m_image.isNull() ? QRect() : QRect(m_origin, m_image.size());
}

void Lens::show(const DesktopGrab& grab, QPoint click, QPoint origin, int size) {
    m_click = click;
    m_origin = origin;
    // Pixels of the block outside the copy (a click within two pixels of the
    // screen's left or top edge, or near its right or bottom edge) show
    // black: there is nothing there to enlarge, and black reads as "nothing".
    m_image = QImage(size, size, QImage::Format_ARGB32_Premultiplied);
    const QPoint block = lens::blockOrigin(click);
    for (int dy = 0; dy < size; ++dy) {
        auto* line = reinterpret_cast<QRgb*>(m_image.scanLine(dy));
        const int sy = block.y() + lens::sourceIndex(dy, size);
        for (int dx = 0; dx < size; ++dx) {
            line[dx] = m_disc.containsDevice({dx, dy}, size)
                           ? pixelAt(grab, {block.x() + lens::sourceIndex(dx, size), sy})
                           : 0;
        }
    }
    const QImage ring = lensRing(size);
    if (!ring.isNull()) {
        QPainter painter(&m_image);
        // Only over the disc: the corners stay the copy's.
        painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        painter.drawImage(0, 0, ring);
    }
}

// The corners of the lens's square are no part of it: a click there is a
// click on the copy.
std::optional<QPoint> Lens::sourceOf(QPoint device) const {
    const QRect place = rect();
    if (place.isEmpty() || !m_disc.containsDevice(device - place.topLeft(), place.width())) {
        return std::nullopt;
    }
    return lens::sourcePixel(m_click, device - place.topLeft(), place.width());
}

}  // namespace huepick
