#include "platform/display_check.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace huepick {

QString display_problem() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith(QLatin1String("xcb"))) {
        return {};
    }
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        return QStringLiteral("no X display: DISPLAY is not set");
    }
    xcb_connection_t* connection = xcb_connect(display, nullptr);
    const int error = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    if (error != 0) {
        return QStringLiteral("cannot open the X display %1").arg(QString::fromLocal8Bit(display));
    }
    return {};
}

}  // namespace huepick
