// SPDX-License-Identifier: MIT
#include "harness/window_points.h"

#include <QRegion>

namespace e2e {

std::optional<QPoint> backgroundPoint(const std::vector<QRect>& shape, int clearance) {
    using huepick::layout::kControls;
    using huepick::layout::kWindowSize;
    QRegion inside;
    for (const QRect& r : shape) {
        inside += r;
    }
    QRegion controls;
    for (const huepick::layout::Control& c : kControls) {
        controls += huepick::layout::windowRect(c.role).adjusted(-clearance, -clearance, clearance,
                                                                 clearance);
    }
    const QRegion usable =
        inside.intersected(QRect(QPoint(0, 0), kWindowSize)).subtracted(controls);
    // A 9 x 9 square around the point must be usable.
    for (int y = 4; y < kWindowSize.height() - 4; y += 2) {
        for (int x = 4; x < kWindowSize.width() - 4; x += 2) {
            if (QRegion(x - 4, y - 4, 9, 9).subtracted(usable).isEmpty()) {
                return QPoint(x, y);
            }
        }
    }
    return std::nullopt;
}

}  // namespace e2e
