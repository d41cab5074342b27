#include "platform/x11/keyboard_focus.h"

#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QWidget>

#include <cstdlib>

namespace huepick {

void take_keyboard_focus(QWidget* window) {
    if (window == nullptr || !window->isVisible()) {
        return;
    }
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) {
        if (!window->isActiveWindow()) {
            window->activateWindow();
        }
        return;
    }
    // Ask the server: Qt notices a lost focus only some time later.
    xcb_connection_t* c = x11->connection();
    const auto ours = static_cast<xcb_window_t>(window->winId());
    xcb_get_input_focus_reply_t* focus =
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    const bool has_it = focus != nullptr && focus->focus == ours;
    free(focus);
    if (!has_it) {
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, ours, XCB_CURRENT_TIME);
        xcb_flush(c);
    }
}

}  // namespace huepick
