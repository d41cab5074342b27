// SPDX-License-Identifier: MIT
#include "platform/x11/x11_display.h"

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace huepick {

bool X11DisplayProbe::connect(QString* why) {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        *why = QStringLiteral("DISPLAY is not set");
        return false;
    }
    // A server that is resetting, its last client just gone, refuses
    // connections for a moment.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (attempt > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        m_connection = xcb_connect(display, nullptr);
        if (xcb_connection_has_error(m_connection) == 0) {
            return true;
        }
        release();
    }
    *why = QStringLiteral("cannot open the X display %1").arg(QString::fromLocal8Bit(display));
    return false;
}

void X11DisplayProbe::release() {
    if (m_connection != nullptr) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
    }
}

}  // namespace huepick
