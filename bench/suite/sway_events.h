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
    explicit SwayEvents(const QString& socketPath);

    bool ok() const { return m_ok; }
    const QString& error() const { return m_error; }

    // The next window event; nullopt when none came within timeoutMs.
    std::optional<WindowEvent> next(int timeoutMs);
    // Forgets the events that came so far.
    void drain();

private:
    std::optional<QByteArray> message(int timeoutMs, quint32* type);

    QLocalSocket m_socket;
    QByteArray m_buffer;
    bool m_ok = false;
    QString m_error;
};

}  // namespace bench
