#include "platform/x11/x11_desktop.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cstdlib>

#include "platform/qt_screen_grabber.h"
#include "platform/x11/x11_clipboard.h"
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

// Window managers refuse an ordinary activation request from a program the
// user has not clicked, so the input focus is set directly, as
// focus-follows-mouse would.
class X11KeyboardFocus : public KeyboardFocus {
public:
    void pointerEntered(QWidget& window) override {
        if (!window.isVisible()) {
            return;
        }
        xcb_connection_t* c = connection();
        const auto ours = static_cast<xcb_window_t>(window.winId());
        // Ask the server: Qt notices a lost focus only some time later.
        xcb_get_input_focus_reply_t* focus =
            xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
        const bool hasIt = focus != nullptr && focus->focus == ours;
        std::free(focus);
        if (!hasIt) {
            xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, ours, XCB_CURRENT_TIME);
            xcb_flush(c);
        }
    }
};

}  // namespace

Desktop makeX11Desktop() {
    Desktop desktop = makeQtDesktop();
    if (xcb_connection_t* c = connection()) {
        desktop.pointer = std::make_unique<X11PointerLocator>();
        desktop.focus = std::make_unique<X11KeyboardFocus>();
        desktop.clipboard = std::make_unique<X11Clipboard>(c);
        auto* watcher = new X11TrayWatcher(c, desktop.tray.get());
        QObject::connect(watcher, &X11TrayWatcher::hostChanged, desktop.tray.get(),
                         &TrayIcon::setHostPresent);
    }
    return desktop;
}

}  // namespace huepick
