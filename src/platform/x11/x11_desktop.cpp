// SPDX-License-Identifier: MIT
#include "platform/x11/x11_desktop.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWindow>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "platform/x11/x11_clipboard.h"
#include "platform/x11/x11_screen_grabber.h"
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

    void catchUpOnReleases(QWindow& window) override {
        const Qt::MouseButtons believed = QGuiApplication::mouseButtons();
        if (believed == Qt::NoButton) {
            return;
        }
        xcb_connection_t* c = connection();
        xcb_query_pointer_reply_t* reply =
            xcb_query_pointer_reply(c, xcb_query_pointer(c, rootOf(c)), nullptr);
        if (reply == nullptr) {
            return;
        }
        const std::uint16_t held = reply->mask;
        std::free(reply);
        const std::pair<Qt::MouseButton, std::uint8_t> buttons[] = {
            {Qt::LeftButton, 1}, {Qt::MiddleButton, 2}, {Qt::RightButton, 3}};
        for (const auto& [button, detail] : buttons) {
            if (!(believed & button) || (held & (XCB_BUTTON_MASK_1 << (detail - 1))) != 0) {
                continue;
            }
            // The release the server gave to another window, sent again to
            // ours: Qt's X11 backend keeps its own record of held buttons.
            xcb_button_release_event_t release{};
            release.response_type = XCB_BUTTON_RELEASE;
            release.detail = detail;
            release.time = XCB_CURRENT_TIME;
            release.root = rootOf(c);
            release.event = static_cast<xcb_window_t>(window.winId());
            release.same_screen = 1;
            release.state = static_cast<std::uint16_t>(XCB_BUTTON_MASK_1 << (detail - 1));
            xcb_send_event(c, 0, release.event, XCB_EVENT_MASK_BUTTON_RELEASE,
                           reinterpret_cast<const char*>(&release));
        }
        xcb_flush(c);
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
        desktop.grabber = std::make_unique<X11ScreenGrabber>(c);
        desktop.pointer = std::make_unique<X11PointerLocator>();
        desktop.clipboard = std::make_unique<X11Clipboard>(c);
        auto* watcher = new X11TrayWatcher(c, desktop.tray.get());
        QObject::connect(watcher, &X11TrayWatcher::hostChanged, desktop.tray.get(),
                         &TrayIcon::setHostPresent);
    }
    return desktop;
}

}  // namespace huepick
