// SPDX-License-Identifier: MIT
#include "platform/window_mover.h"

#include <QWidget>

namespace huepick {

void FollowingWindowMover::press(QWidget&, QPointF local) {
    m_grabbed = local.toPoint();
    m_dragging = true;
}

void FollowingWindowMover::follow(QWidget& window, QPointF global) {
    if (m_dragging) {
        window.move(global.toPoint() - m_grabbed);
    }
}

}  // namespace huepick
