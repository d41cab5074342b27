// SPDX-License-Identifier: MIT
#include <QScreen>
#include <QWindow>
#include <QtMath>

#include "core/pick_geometry.h"
#include "platform/desktop.h"
#include "platform/qt_pointer_locator.h"
#include "platform/qt_screen_grabber.h"

namespace huepick {

QPoint QtPointerLocator::devicePixel(const QWindow& window, QPointF local) {
    const QPointF device = local * window.devicePixelRatio();
    return deviceOrigin(window).value_or(QPoint()) + QPoint(qFloor(device.x()), qFloor(device.y()));
}

std::optional<QPoint> QtPointerLocator::deviceOrigin(const QWindow& window) {
    if (!m_windowsKnowTheirPlace) {
        return std::nullopt;
    }
    const QScreen* screen = window.screen();
    const QPoint pos = window.position();
    return screen != nullptr
               ? ScreenMapping{screen->geometry().topLeft(), screen->devicePixelRatio()}.toDevice(
                     pos)
               : pos;
}

Desktop makeQtDesktop() {
    Desktop desktop;
    desktop.grabber = std::make_unique<QtScreenGrabber>();
    desktop.pointer = std::make_unique<QtPointerLocator>();
    desktop.mover = std::make_unique<FollowingWindowMover>();
    desktop.clipboard = std::make_unique<QtClipboard>();
    desktop.shell = std::make_unique<DesktopShell>();
    desktop.tray = std::make_unique<SystemTrayIcon>();
    return desktop;
}

}  // namespace huepick
