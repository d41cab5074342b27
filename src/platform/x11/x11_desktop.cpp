#include "platform/x11/x11_desktop.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWindow>
#include <cstdlib>

#include "platform/qt_screen_grabber.h"
#include "platform/x11/x11_tray_watcher.h"

namespace huepick {

namespace {

xcb_connection_t* connection() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_window_t rootOf(xcb_connection_t* c) {
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

// Mouse events carry whole logical units, which miss device pixels at
// fractional scales; the server knows the pointer to the device pixel.
class X11PointerLocator : public PointerLocator {
public:
    QPoint devicePixel(const QWindow&, QPointF) override {
        xcb_connection_t* c = connection();
        xcb_query_pointer_reply_t* reply =
            xcb_query_pointer_reply(c, xcb_query_pointer(c, rootOf(c)), nullptr);
        if (reply == nullptr) {
            return {};
        }
        const QPoint at(reply->root_x, reply->root_y);
        std::free(reply);
        return at;
    }

    std::optional<QPoint> deviceOrigin(const QWindow& window) override {
        xcb_connection_t* c = connection();
        const auto id = static_cast<xcb_window_t>(window.winId());
        xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
            c, xcb_translate_coordinates(c, id, rootOf(c), 0, 0), nullptr);
        if (reply == nullptr) {
            return {};
        }
        const QPoint at(reply->dst_x, reply->dst_y);
        std::free(reply);
        return at;
    }
};

}  // namespace

Desktop makeX11Desktop() {
    Desktop desktop = makeQtDesktop();
    if (xcb_connection_t* c = connection()) {
        desktop.pointer = std::make_unique<X11PointerLocator>();
        auto* watcher = new X11TrayWatcher(c, desktop.tray.get());
        QObject::connect(watcher, &X11TrayWatcher::hostChanged, desktop.tray.get(),
                         &TrayIcon::setHostPresent);
    }
    return desktop;
}

}  // namespace huepick
