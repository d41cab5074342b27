// SPDX-License-Identifier: MIT
// Moving a frameless window by a drag on its background.
#pragma once

#include <QPoint>
#include <QPointF>

class QWidget;

namespace huepick {

class WindowMover {
public:
    virtual ~WindowMover() = default;
    // A left press on the background at `local` (window coordinates).
    virtual void press(QWidget& window, QPointF local) = 0;
    // The pointer moved to `global` (screen coordinates) with no release yet.
    virtual void follow(QWidget& window, QPointF global) = 0;
    // Any release ends the drag.
    virtual void release() = 0;
    virtual bool dragging() const = 0;
};

// The window moves itself so that the grabbed point stays under the pointer.
// Placed from the pointer's screen position, it keeps up however late the
// events arrive; a window manager's own move would start from wherever the
// pointer is once it takes over, and lose the first pixels of a fast drag.
class FollowingWindowMover : public WindowMover {
public:
    void press(QWidget& window, QPointF local) override;
    void follow(QWidget& window, QPointF global) override;
    void release() override { m_dragging = false; }
    bool dragging() const override { return m_dragging; }

private:
    QPoint m_grabbed;
    bool m_dragging = false;
};

}  // namespace huepick
