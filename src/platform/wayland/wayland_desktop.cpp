// SPDX-License-Identifier: MIT
#include "platform/wayland/wayland_desktop.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QWidget>
#include <QWindow>

#include "platform/qt_pointer_locator.h"
#include "platform/wayland/portal_screen_grabber.h"
#include "platform/wayland/wayland_clipboard.h"

namespace huepick {

namespace {

// The compositor places windows: a drag on the background hands the move to
// it.
class CompositorWindowMover : public WindowMover {
public:
    void press(QWidget& window, QPointF) override {
        if (QWindow* handle = window.windowHandle()) {
            handle->startSystemMove();
        }
    }
    void follow(QWidget&, QPointF) override {}
    void release() override {}
    bool dragging() const override { return false; }
};

// Where the notification area is a StatusNotifierItem host, it goes away with
// the watcher's name on the session bus.
void watchTrayHost(TrayIcon& tray) {
    auto* watcher = new QDBusServiceWatcher(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                            QDBusConnection::sessionBus(),
                                            QDBusServiceWatcher::WatchForOwnerChange, &tray);
    QObject::connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, &tray,
                     [&tray](const QString&, const QString&, const QString& owner) {
                         tray.setHostPresent(!owner.isEmpty());
                     });
}

}  // namespace

Desktop makeWaylandDesktop() {
    Desktop desktop = makeQtDesktop();
    desktop.grabber = std::make_unique<PortalScreenGrabber>();
    desktop.pointer = std::make_unique<QtPointerLocator>(false);
    desktop.mover = std::make_unique<CompositorWindowMover>();
    desktop.clipboard = std::make_unique<WaylandClipboard>();
    desktop.shapesByTransparency = true;
    watchTrayHost(*desktop.tray);
    return desktop;
}

}  // namespace huepick
