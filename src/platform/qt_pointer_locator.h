// SPDX-License-Identifier: MIT
// Positions from Qt's logical coordinates: right wherever logical and device
// pixels agree.
#pragma once

#include "platform/pointer_locator.h"

namespace huepick {

class QtPointerLocator : public PointerLocator {
public:
    // Where windows cannot learn their place, deviceOrigin() answers nothing.
    explicit QtPointerLocator(bool windowsKnowTheirPlace = true)
        : m_windowsKnowTheirPlace(windowsKnowTheirPlace) {}
    QPoint devicePixel(const QWindow& window, QPointF local) override;
    std::optional<QPoint> deviceOrigin(const QWindow& window) override;

private:
    bool m_windowsKnowTheirPlace;
};

}  // namespace huepick
