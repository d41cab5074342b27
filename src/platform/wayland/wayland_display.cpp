// SPDX-License-Identifier: MIT
#include "platform/wayland/wayland_display.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

namespace huepick {

bool waylandDisplayReachable(QString* why) {
    QString name = qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"));
    if (!name.startsWith(u'/')) {
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (runtime.isEmpty()) {
            *why = QStringLiteral("XDG_RUNTIME_DIR is not set");
            return false;
        }
        name = runtime + u'/' + name;
    }
    const QByteArray path = QFile::encodeName(name);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path)) {
        *why = QStringLiteral("the Wayland socket path %1 is too long").arg(name);
        return false;
    }
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool reached =
        fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    const int error = errno;
    if (fd >= 0) {
        ::close(fd);
    }
    if (!reached) {
        *why = QStringLiteral("cannot reach the Wayland display %1: %2")
                   .arg(name, QString::fromLocal8Bit(std::strerror(error)));
    }
    return reached;
}

}  // namespace huepick
