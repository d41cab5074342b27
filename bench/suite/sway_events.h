// SPDX-License-Identifier: MIT
// Sway's window events (a window mapped, closed, changed), straight from its
// IPC socket: the moment a window maps is when sway says so, with no
// swaymsg started per look.
#pragma once

#include <QByteArray>
#include <QLocalSocket>
#include <QRect>
#include <QString>
#include <optional>

namespace bench {

struct WindowEvent {
    QString change;  // "new", "close", "focus", "fullscreen_mode", ...
    qint64 id = 0;   // the container
    qint64 pid = 0;
    QRect rect;
};

class SwayEvents {
public:
    // Connects to the socket in SWAYSOCK and subscribes to window events.
    explicit SwayEvents(const QString& socket_path);

    bool ok() const { return ok_; }
    const QString& error() const { return error_; }

    // The next window event; nullopt when none came within timeout_ms.
    std::optional<WindowEvent> next(int timeout_ms);
    // Forgets the events that came so far.
    void drain();

private:
    std::optional<QByteArray> message(int timeout_ms, quint32* type);

    QLocalSocket socket_;
    QByteArray buffer_;
    bool ok_ = false;
    QString error_;
};

}  // namespace bench
