// SPDX-License-Identifier: MIT
// XSession's pointer and keyboard. Input goes through XTEST (xdotool), so the
// program sees real events; the state is read over the session's own
// connection, which is cheap enough to poll.
#include "harness/x_session.h"

namespace e2e {

std::optional<QPoint> XSession::pointer() {
    return m_x ? m_x->pointer() : std::nullopt;
}

bool XSession::mouseMove(QPoint to) {
    // "mousemove --sync" waits for a motion that never comes when the
    // pointer is already there, so move without it and check by polling.
    if (pointer() == to) {
        return true;
    }
    if (!xdotool({QStringLiteral("mousemove"), QString::number(to.x()), QString::number(to.y())})
             .ok()) {
        return false;
    }
    return pollUntil([&] { return pointer() == to; }, 2000, 5);
}

bool XSession::click(int button) {
    return xdotool({QStringLiteral("click"), QString::number(button)}).ok();
}

bool XSession::clickAt(QPoint onScreen, int button) {
    return mouseMove(onScreen) && click(button);
}

bool XSession::mouseDown(int button) {
    return xdotool({QStringLiteral("mousedown"), QString::number(button)}).ok();
}

bool XSession::mouseUp(int button) {
    return xdotool({QStringLiteral("mouseup"), QString::number(button)}).ok();
}

bool XSession::key(const QString& keys) {
    return xdotool({QStringLiteral("key"), keys}).ok();
}

bool XSession::type(const QString& text) {
    // "--": a text may start with a minus sign.
    return xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"),
                    QStringLiteral("--"), text},
                   10000)
        .ok();
}

bool XSession::activate(XWindow window) {
    const QString id = QString::number(window);
    // Keys typed through XTEST go to the focused window, and only the
    // window manager can hand out the focus reliably while it runs.
    const QString verb =
        hasWindowManager() ? QStringLiteral("windowactivate") : QStringLiteral("windowfocus");
    if (!xdotool({verb, id}).ok()) {
        return false;
    }
    // The manager announces the new active window only once the focus has
    // arrived; the server's own focus settles any doubt.
    return pollUntil(
        [&] {
            return (!hasWindowManager() || activeWindow() == window) && m_x->inputFocus() == window;
        },
        3000);
}

std::optional<XWindow> XSession::activeWindow() {
    return m_x ? m_x->windowProperty(m_x->root(), "_NET_ACTIVE_WINDOW") : std::nullopt;
}

}  // namespace e2e
