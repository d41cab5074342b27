#include "platform/x11/display_check.h"

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace huepick {

DisplayCheck::DisplayCheck() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith(QLatin1String("xcb"))) {
        return;
    }
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        problem_ = QStringLiteral("no X display: DISPLAY is not set");
        return;
    }
    // A server that is resetting, its last client just gone, refuses
    // connections for a moment.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (attempt > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        connection_ = xcb_connect(display, nullptr);
        if (xcb_connection_has_error(connection_) == 0) {
            return;
        }
        release();
    }
    problem_ = QStringLiteral("cannot open the X display %1").arg(QString::fromLocal8Bit(display));
}

DisplayCheck::~DisplayCheck() {
    release();
}

void DisplayCheck::release() {
    if (connection_ != nullptr) {
        xcb_disconnect(connection_);
        connection_ = nullptr;
    }
}

}  // namespace huepick
